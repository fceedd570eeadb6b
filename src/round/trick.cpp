#include "round/trick.h"

#include "core/client.h"

namespace zorvan {
void HandlePlay(Client& c, const Packet& p) {}          // draws a play and passes the turn
bool PlayCountdownAutoPlay(Client& c) { return false; }  // plays the run-out hand automatically
void PlayCountdownWarning(Client& c) {}                  // plays the countdown warning sound
void OnPlayCountdownEnd(Client& c) {}                    // counts the timeout and plays automatically
}  // namespace zorvan
