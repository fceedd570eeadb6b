// The lobby's window: found by caption, restored or minimised, sent notifications.
#pragma once

namespace zorvan {
struct Client;

// Restores the lobby window; ends the program when it has vanished. No-op while the title is empty.
void RestoreLobby(Client& c);
// Minimises the lobby window; ends the program when it has vanished.
void MinimizeLobby(Client& c);
// Posts a parameterless message to the lobby window (when it exists).
void PostToLobby(Client& c, int msg);
}  // namespace zorvan
