// Leaving the table, the server closing it, reconnecting, and the lobby's requests.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "core/packet.h"
#include "platform/platform.h"
#include "ui/controls.h"

namespace zorvan {
struct Client;

// The exit confirmation ("您真的要退出吗？").
struct ExitForm : ui::Form {
    ExitForm() : ui::Form("frmExit") {}
    ui::Label Label1, Label2;
    ui::Image pbCloseMe, pbCancel;
};
// A message with leave / stay buttons (the server's reason, the lost link).
struct OtherExitForm : ui::Form {
    OtherExitForm() : ui::Form("frmOtherExit") {}
    ui::Label Label1;
    ui::Image imgOK, imgCancel;
};

// The exit windows and the silent reconnect driver (frmReconnect: loaded, never shown).
struct LeaveState {
    std::int16_t reconnectCountdown = 0, reconnectAttempts = 0;
    bool g_Reconnected = false;
    bool reconnectLoaded = false;             // frmReconnect is loaded
    std::unique_ptr<platform::Timer> TimerCount, TimerReconnect;
    // Created on first use and registered with the client's forms; unloading hides them.
    std::unique_ptr<ExitForm> frmExit;
    std::unique_ptr<OtherExitForm> frmOtherExit;
};

bool ExitConfirmVisible(const Client& c);
bool OtherExitVisible(const Client& c);
std::string OtherExitText(const Client& c);

inline constexpr int kReconnectAttempts = 21;
inline constexpr int kReconnectIntervalMs = 3000;
inline constexpr const char* kLinkLostText = "网络已断开,请退出大厅重新登陆游戏";

// The reconnect packet: the login packet with command 28, the echo bytes and the resume key.
void MakeReconnectPacket(Client& c);
// The leave packet: command 16, byte 6 = own seat bit, byte 14 = 1.
Packet BuildLeavePacket(const Client& c);

void LeaveTable(Client& c);
void HandleTableClosed(Client& c, const Packet& p);      // command 22
void HandleReconnectResult(Client& c, const Packet& p);  // command 29
void StartSilentReconnect(Client& c);
void ReconnectCountTick(Client& c);                      // one TimerCount tick (every 3 s)
void Reconnect(Client& c);                               // one reconnect attempt
// Lobby messages to the client.
void HandleLobbyQuery(Client& c);         // 1125
void HandleLobbyLeaveRequest(Client& c);  // 771
void HandleLobbyLeaveNow(Client& c);      // 1024
void HandleLobbyConnect(Client& c);       // 22
}  // namespace zorvan

namespace zorvan {
// Used by the coins notice of command 16.
void CloseTable(Client& c);              // the closing steps that end command 22
// The ready countdown and the watchdog off, no game in progress, then CloseTable.
void StopGameAndCloseTable(Client& c);
void SendLeavePacket(Client& c);         // the leave procedure's packet step (sent when connected)
void ShowOtherExit(Client& c, const std::string& text);  // frmOtherExit with the reason
// Used by the table reset and the deal.
void ResetReconnectCounters(Client& c);  // the reconnect attempt counters back to 0
void UnloadExitConfirm(Client& c);       // unloads frmExit when it is visible
// Used by the exit button.
void ShowExitConfirm(Client& c);         // the exit dialog frmExit
// The buttons of the exit windows.
void ConfirmExit(Client& c);             // frmExit pbCloseMe
void OtherExitLeave(Client& c);          // frmOtherExit imgOK
void OtherExitStay(Client& c);           // frmOtherExit imgCancel
}  // namespace zorvan
