// Trick play (command 6) and the play countdown's actions.
#pragma once
#include "core/packet.h"

namespace zorvan {
struct Client;
void HandlePlay(Client& c, const Packet& p);
// Each second of the play countdown: plays the last cards automatically when the hand has run out
// on the player's turn; true when it did (the countdown then does not count this second).
bool PlayCountdownAutoPlay(Client& c);
void PlayCountdownWarning(Client& c);  // the warning sound below 6 seconds
void OnPlayCountdownEnd(Client& c);    // timeout bookkeeping and the automatic play
}  // namespace zorvan
