#include "social/chat.h"

#include "core/client.h"
#include "table/seats.h"

namespace zorvan {
void HandleChat(Client& c, const Packet& p) {}  // filters and shows a chat line
void AllowChat(Client& c) {}                    // sets the chat-allowed flag
std::string ReplyPrefix(const Client& c) { return {}; }  // no avatar click sets a prefix yet

std::string ComposeChatMessage(Client& c, Packet& p, const std::string& text) {
    // Only the message to everybody exists until avatar clicks set a reply prefix.
    return PositionName(c, 0) + "说道： " + text;
}
}  // namespace zorvan
