#include "social/chat.h"

#include "core/client.h"

namespace zorvan {
void HandleChat(Client& c, const Packet& p) {}  // filters and shows a chat line
void AllowChat(Client& c) {}                    // sets the chat-allowed flag
}  // namespace zorvan
