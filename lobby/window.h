// The lobby's window (Qt builds): the player's name, the table, and a button that sends the client
// to the table again after it left.
#pragma once

namespace zorvan::lobby {
class Lobby;
// Whether this build has a window and a display to show it on.
bool WindowAvailable();
// Runs the window until it is closed, "quit" is typed or a stop signal arrives; returns the exit status.
int RunWindow(Lobby& l, int signalFd, int argc, char** argv);
}  // namespace zorvan::lobby
