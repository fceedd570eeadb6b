#include "social/memory.h"

#include "core/client.h"

namespace zorvan {
void ClearChatMemory(Client& c, int position) {}  // clears the position's chat memory
void HideChatHistory(Client& c) {}                // hides Talk
}  // namespace zorvan
