// The bottom cards (command 3) and burying (command 4 sent).
#pragma once
#include "core/packet.h"

namespace zorvan {
struct Client;
void HandleBottom(Client& c, const Packet& p);
// The bury action (ImageGaiPai, or a right click on the table while it shows): checks that eight
// cards are raised and sends them.
void BuryRaised(Client& c);
// imgKanDiPai: shows the buried cards for three seconds, or hides them.
void ViewBottom(Client& c);
// End of the bury countdown: buries the last eight cards when the player must bury.
void OnBuryCountdownEnd(Client& c);
// Face points of a card for the bury packet: 5 for a 5, 10 for a 10 or a king.
int CardPoints(int face);
}  // namespace zorvan
