// Chat lines (command 19) and the chat throttle.
#pragma once
#include "core/packet.h"

namespace zorvan {
struct Client;
void HandleChat(Client& c, const Packet& p);
void AllowChat(Client& c);  // the chat throttle lets the next line through
}  // namespace zorvan
