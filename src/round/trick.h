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
void DaPai(Client& c, const Packet& p);      // shows one play at the seat that made it
void DaPaiFail(Client& c, const Packet& p);  // a failed throw: the forced play, cards back
// Checks the raised cards; sends command 7 and takes them out of the hand, or shows ChuPai.
void judgechupai(Client& c);
void PlayAttempt(Client& c);
void ShowHint(Client& c);      // lowers the hand and raises the suggested cards
void AutoPlay(Client& c);      // the hint, then the play (a time-out or a run-out hand)
void ToggleRaise(Client& c, int imgIndex);
void LowerHand(Client& c);
void ShowChuPai(Client& c);
void ClickOperation(Client& c, int index);
void EndFormerView(Client& c);  // the Timerformer tick: the current trick is back
// A button pressed on the table picture: closes the pop-ups; the right button plays or buries.
void TableMouseDown(Client& c, int button);
void OperationMouseMove(Client& c, int index);  // 0..4 Operation, 5 ImageGaiPai
void RestoreOperationPictures(Client& c);        // the mouse is back over Pic1
// The refusal window and the events of the play buttons and the hand's pictures.
void BuildPlayControls(Client& c);
}  // namespace zorvan
