// The server message dispatcher: one handler per command byte.
#pragma once
#include "core/packet.h"

namespace zorvan {
struct Client;

// Dispatches g_RxPacket: remembers its echo bytes (except for command 29) and runs the handler of
// its command to the end. Any error while the packet is handled takes the fatal path.
void DispatchPacket(Client& c);
// Routes one packet by its command (the body of DispatchPacket, without the failure mode).
void RoutePacket(Client& c, const Packet& p);
}  // namespace zorvan
