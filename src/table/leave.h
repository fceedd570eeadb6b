// Leaving the table, the server closing it, reconnecting, and the lobby's requests.
#pragma once
#include <string>

#include "core/packet.h"

namespace zorvan {
struct Client;
void LeaveTable(Client& c);
void HandleTableClosed(Client& c, const Packet& p);      // command 22
void HandleReconnectResult(Client& c, const Packet& p);  // command 29
void StartSilentReconnect(Client& c);
// Lobby messages to the client.
void HandleLobbyQuery(Client& c);         // 1125
void HandleLobbyLeaveRequest(Client& c);  // 771
void HandleLobbyLeaveNow(Client& c);      // 1024
void HandleLobbyConnect(Client& c);       // 22
}  // namespace zorvan

namespace zorvan {
// Used by the coins notice of command 16.
void CloseTable(Client& c);              // the closing steps that end command 22
void SendLeavePacket(Client& c);         // the leave procedure's packet step (sent when connected)
void ShowOtherExit(Client& c, const std::string& text);  // frmOtherExit with the reason
// Used by the table reset and the deal.
void ResetReconnectCounters(Client& c);  // the reconnect attempt counters back to 0
void UnloadExitConfirm(Client& c);       // unloads frmExit when it is visible
// Used by the exit button.
void ShowExitConfirm(Client& c);         // the exit dialog frmExit
}  // namespace zorvan
