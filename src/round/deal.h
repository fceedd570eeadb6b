// The deal (command 1).
#pragma once
#include "core/packet.h"

namespace zorvan {
struct Client;
void HandleDeal(Client& c, const Packet& p);
}  // namespace zorvan
