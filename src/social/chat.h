// Chat lines (command 19) and the chat throttle.
#pragma once
#include <string>

#include "core/packet.h"

namespace zorvan {
struct Client;
void HandleChat(Client& c, const Packet& p);
void AllowChat(Client& c);  // the chat throttle lets the next line through
// The reply prefix an avatar click put into Chat ("你对" + name + "说 ："), empty when none is set.
std::string ReplyPrefix(const Client& c);
// The line a typed chat text becomes: own name + "说道： " + text; with a reply prefix in the text,
// the addressed form (byte 11 of the packet = the addressee's seat). Forgets the reply prefix.
std::string ComposeChatMessage(Client& c, Packet& p, const std::string& text);
}  // namespace zorvan
