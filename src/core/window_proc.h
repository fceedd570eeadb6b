// The main window's own message procedure: the lobby's messages, system commands, screen dumps.
#pragma once

namespace zorvan {
struct Client;

constexpr int kMsgLobbyConnect = 22;      // lobby -> client: connect to a (new) table; client -> lobby: connecting
constexpr int kMsgLoginSent = 771;        // client -> lobby: login under way / accepted; lobby -> client: leave when idle
constexpr int kMsgLeaveNow = 1024;        // lobby -> client: leave now; client -> lobby: not in a game
constexpr int kMsgQuery = 1125;           // lobby -> client: in a game?; client -> lobby: in a game
constexpr int kMsgLoginPending = 1126;    // client -> lobby: login still pending
constexpr int kMsgDealt = 1127;           // client -> lobby: a deal arrived
constexpr int kMsgScreenDump = 32769;     // anyone -> client: write zorvan-dump-<wParam>.json

long MainWindowProc(Client& c, int msg, long wParam, long lParam);
}  // namespace zorvan
