#include "social/memory.h"

#include "core/client.h"

namespace zorvan {
void ClearChatMemory(Client& c, int position) {}  // clears the position's chat memory
void HideChatHistory(Client& c) {}                // hides Talk
bool ChatHistoryVisible(const Client& c) { return false; }  // whether Talk is shown: filled in with the history
void ShowChatHistory(Client& c) {}                // shows Talk topmost at ChatHistoryPlace
}  // namespace zorvan
