// The 50 ms main pump (TimerBong), its counters and countdowns, and the small timers of the main window.
#pragma once
#include "core/state.h"

namespace zorvan {
struct Client;

// Creates the main window's timers (TimerBong, TimerKeepAlive, TimerChat, TimerMusic, TimerShuffle).
void CreateMainTimers(Client& c);

// Switches the pump on / off. A tick in progress honours the last call when it ends, so a tick that
// left the table does not restart the pump.
void StartPump(Client& c);
void StopPump(Client& c);

// One TimerBong tick (steps 1-11). A tick entered while another is still active returns at once.
void PumpTick(Client& c);

// Starts one countdown at `seconds` (every other countdown and all countdown tick counters are
// cleared first), showing Number and Time_Img.
void StartCountdown(Client& c, Countdown which, int seconds);
// Stops every countdown and hides Number and Time_Img.
void StopCountdowns(Client& c);
// Whether a countdown runs, and which.
bool CountdownRunning(const Client& c, Countdown which);

void TimerKeepAliveTick(Client& c);
void TimerChatTick(Client& c);
void TimerMusicTick(Client& c);
// Switches TimerKeepAlive on with its 5-second interval / off.
void StartKeepAlive(Client& c);
void StopKeepAlive(Client& c);

}  // namespace zorvan
