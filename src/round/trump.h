// Trump calling and the server's trump decision (command 2).
#pragma once
#include "core/packet.h"

namespace zorvan {
struct Client;
void HandleTrumpDecision(Client& c, const Packet& p);
void ClickPass(Client& c);
// End of the call countdown (and of the counter-trump countdown with pass): hides the call
// images and passes automatically when the player has not passed yet.
void OnCallCountdownEnd(Client& c);
}  // namespace zorvan
