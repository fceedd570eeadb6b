// The bottom cards (command 3) and burying.
#pragma once
#include "core/packet.h"

namespace zorvan {
struct Client;
void HandleBottom(Client& c, const Packet& p);
// End of the bury countdown: buries the last eight cards when the player must bury.
void OnBuryCountdownEnd(Client& c);
}  // namespace zorvan
