#include "table/leave.h"

#include "core/client.h"
#include "records/boards.h"

namespace zorvan {
// back to idle: filled in with the disconnect and leave handling; the boards and the record file go now
void LeaveTable(Client& c) { ClearTableRecords(c); }
void HandleTableClosed(Client& c, const Packet& p) {}      // shows the server's message and closes the table
void HandleReconnectResult(Client& c, const Packet& p) {}  // resumes the table or ends after a refused reconnect
void StartSilentReconnect(Client& c) {}                    // reconnects every 3 seconds, up to 21 attempts
void HandleLobbyQuery(Client& c) {}         // replies 1125 in a game, 1024 otherwise
void HandleLobbyLeaveRequest(Client& c) {}  // leaves when idle, replies 1126/1125/1024
void HandleLobbyLeaveNow(Client& c) {}      // leaves at once
void HandleLobbyConnect(Client& c) {}       // connects to the lobby's next table
}  // namespace zorvan

namespace zorvan {
void CloseTable(Client& c) {}                              // filled in with the table-closed handling
void SendLeavePacket(Client& c) {}                         // filled in with the leave procedure
void ShowOtherExit(Client& c, const std::string& text) {}  // filled in with the exit windows
void ResetReconnectCounters(Client& c) {}                  // filled in with the silent reconnect
void UnloadExitConfirm(Client& c) {}                       // filled in with the exit windows
void ShowExitConfirm(Client& c) {}                         // asks whether to leave: filled in with the exit windows
}  // namespace zorvan
