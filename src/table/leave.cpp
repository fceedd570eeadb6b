#include "table/leave.h"

#include "core/client.h"
#include "core/lobby.h"
#include "core/packets.h"
#include "core/proxy.h"
#include "core/pump.h"
#include "core/startup.h"
#include "core/trace.h"
#include "core/window_proc.h"
#include "props/plugin.h"
#include "props/roster.h"
#include "records/boards.h"
#include "records/settle.h"
#include "shell/shell.h"
#include "social/bubbles.h"
#include "social/memory.h"
#include "table/buttons.h"
#include "table/seats.h"
#include "table/table.h"
#include "text/gbk.h"

namespace zorvan {
namespace {

bool LobbyExists(Client& c) { return c.os.windows.exists(c.login.g_LobbyTitle); }

void ClearMessageLists(Client& c) {
    c.main.Sysmsg[0].Clear();
    c.main.Sysmsg[1].Clear();
}

// The link flags and timers every way of leaving clears.
void ClearLinkFlags(Client& c) {
    c.net.g_SendPending = false;
    c.net.g_DataArrived = false;
    c.login.g_Connecting = false;
    c.pump.g_Blink = false;
    c.pump.g_WatchLink = false;
    c.pump.g_WatchTicks = 0;
    c.pump.g_PlayTimer = false;
    c.pump.g_ReadyTimer = false;
}

void StopReconnectDriver(Client& c) {
    auto& l = c.leave;
    if (l.TimerCount) l.TimerCount->setEnabled(false);
    if (l.TimerReconnect) l.TimerReconnect->setEnabled(false);
    l.reconnectLoaded = false;
}

// The end of a table in a leave: minimised and the lobby forward, or the end when it is gone.
void BackToLobbyOrEnd(Client& c) {
    if (!LobbyExists(c)) c.os.EndProgram();
    MinimizeMainWindow(c);
    RestoreLobby(c);
}

// Leaving by the player's or the lobby's choice: the leave packet when connected, then idle.
void LeaveNow(Client& c) {
    c.round.g_GameInProgress = false;
    if (c.os.socket.state() == platform::Socket::kConnected) SendLeavePacket(c);
    LeaveTable(c);
}

// The exit windows: built on first use, unloaded by hiding.
constexpr int kTw = 15;

void CentreOverMain(Client& c, ui::Form& f) {
    f.Move(c.main.Left + (c.main.Width - f.Width) / 2, c.main.Top + (c.main.Height - f.Height) / 2);
}

ExitForm& ExitDialog(Client& c) {
    auto& l = c.leave;
    if (!l.frmExit) {
        l.frmExit = std::make_unique<ExitForm>();
        auto& f = *l.frmExit;
        f.picture = ui::Picture::Named("frmExit");
        f.Width = 260 * kTw;
        f.Height = 130 * kTw;
        f.add(f.Label1, "Label1");
        f.Label1.Move(20 * kTw, 24 * kTw, 220 * kTw, 18 * kTw);
        f.add(f.Label2, "Label2");
        f.Label2.Move(20 * kTw, 48 * kTw, 220 * kTw, 18 * kTw);
        f.add(f.pbCloseMe, "pbCloseMe");
        f.pbCloseMe.Move(40 * kTw, 86 * kTw, 65 * kTw, 30 * kTw);
        f.add(f.pbCancel, "pbCancel");
        f.pbCancel.Move(155 * kTw, 86 * kTw, 65 * kTw, 30 * kTw);
        f.pbCloseMe.events.Click = [&c](ui::Control&) { RunGuarded(c, [&] { ConfirmExit(c); }); };
        f.pbCancel.events.Click = [&c](ui::Control&) { RunGuarded(c, [&] { UnloadExitConfirm(c); }); };
        MakeTranslucent(c, f);
        c.forms.push_back(&f);
    }
    return *l.frmExit;
}

OtherExitForm& OtherExit(Client& c) {
    auto& l = c.leave;
    if (!l.frmOtherExit) {
        l.frmOtherExit = std::make_unique<OtherExitForm>();
        auto& f = *l.frmOtherExit;
        f.picture = ui::Picture::Named("frmOtherExit");
        f.Width = 300 * kTw;
        f.Height = 140 * kTw;
        f.add(f.Label1, "Label1");
        f.Label1.Move(20 * kTw, 24 * kTw, 260 * kTw, 48 * kTw);
        f.add(f.imgOK, "imgOK");
        f.imgOK.Move(50 * kTw, 96 * kTw, 70 * kTw, 30 * kTw);
        f.add(f.imgCancel, "imgCancel");
        f.imgCancel.Move(180 * kTw, 96 * kTw, 70 * kTw, 30 * kTw);
        f.imgOK.events.Click = [&c](ui::Control&) { RunGuarded(c, [&] { OtherExitLeave(c); }); };
        f.imgCancel.events.Click = [&c](ui::Control&) { RunGuarded(c, [&] { OtherExitStay(c); }); };
        MakeTranslucent(c, f);
        c.forms.push_back(&f);
    }
    return *l.frmOtherExit;
}

void ShowOver(Client& c, ui::Form& f) {
    CentreOverMain(c, f);
    f.Topmost = true;
    f.Show();
    f.raiseRequested = true;
    ++f.revision;
}

void UnloadOtherExit(Client& c) {
    if (c.leave.frmOtherExit) c.leave.frmOtherExit->Hide();
}

}  // namespace

bool ExitConfirmVisible(const Client& c) { return c.leave.frmExit && c.leave.frmExit->Visible; }
bool OtherExitVisible(const Client& c) { return c.leave.frmOtherExit && c.leave.frmOtherExit->Visible; }
std::string OtherExitText(const Client& c) { return c.leave.frmOtherExit ? c.leave.frmOtherExit->Label1.Caption : ""; }

Packet BuildLeavePacket(const Client& c) {
    Packet p{};
    Put8(p, 3, 16);
    Put8(p, 6, c.seats.player[0].seat);
    Put8(p, 14, 1);
    return p;
}

void MakeReconnectPacket(Client& c) {
    auto& p = c.login.g_LoginPacket;
    Put8(p, 3, 28);
    Put8(p, 260, c.net.g_EchoBytes[0]);
    Put8(p, 261, c.net.g_EchoBytes[1]);
    Put32LE(p, 268, static_cast<std::uint32_t>(c.round.g_ResumeKey));
}

void SendLeavePacket(Client& c) {
    Packet p = BuildLeavePacket(c);
    ClearLinkFlags(c);
    StopKeepAlive(c);
    if (c.os.socket.state() == platform::Socket::kConnected) WriteDirect(c, p);
    // The wait lets the packet leave; a table that ends meanwhile is not touched afterwards.
    if (!WaitMs(c, c.leave.g_Reconnected ? 800 : 400)) return;
    StopRandomSeatDisplay(c);
    c.login.WebBrowser2.Visible = false;
}

void LeaveTable(Client& c) {
    ++c.table.g_TableGeneration;
    c.round.g_GameInProgress = false;
    c.table.g_ButtonPressed[2] = true;
    ClearLinkFlags(c);
    StopPump(c);
    StopKeepAlive(c);
    StopReconnectDriver(c);
    ClearMessageLists(c);
    c.os.socket.close();
    c.login.g_LoginPending = false;
    if (c.main.TimerKeepAlive) c.main.TimerKeepAlive->setInterval(5000);
    ClearSettleHold(c);
    // A graceful close may take a moment; at most 2 s, then the connection is dropped.
    for (int waited = 0; c.os.socket.state() == platform::Socket::kConnected; waited += 20) {
        if (waited >= 2000) {
            c.os.socket.abort();
            break;
        }
        c.os.loop.waitMs(20);
    }
    auto& f = c.main;
    for (int i = 0; i < 4; ++i) {
        if (f.Tou.exists(i)) f.Tou[i].picture = {};
        for (auto* arr : {&f.Nid, &f.Cash, &f.Level})
            if (arr->exists(i)) (*arr)[i].Caption.clear();
        c.seats.player[i].name.clear();
        c.seats.player[i].seat = 0;
        c.seats.info[i] = UserInfo{};
    }
    // The boards, the per-position totals and the record file "info.qn".
    ClearTableRecords(c);
    for (int i = 0; i < 4; ++i)
        if (f.OK.exists(i)) f.OK[i].Visible = false;
    for (int i = 0; i < 4; ++i)
        if (f.Speak.exists(i)) f.Speak[i].Visible = false;
    f.Img_fan.Visible = false;
    c.seats.g_SeatedCount = 0;
    if (PluginLoaded(c)) PluginShutdown(c, 0);
    MinimizeMainWindow(c);
    c.pump.g_TimeoutCount = 0;
    UnloadOtherExit(c);
    UnloadExitConfirm(c);
    if (f.AnNiu.exists(2)) ShowButtonPicture(c, 2, 4);
    c.table.g_FreshTable = true;
    HideSpeechBubbles(c);
    f.lbwealth.Caption = "0";
    f.lbwealth.Visible = false;
    f.Imgwealth.Visible = false;
    c.seats.g_PositionMultipliers = {};
}

void CloseTable(Client& c) {
    StopPump(c);
    c.table.g_ButtonPressed[2] = false;
    c.table.g_TableClosed = true;
    auto& f = c.main;
    for (int i = 1; i < 4; ++i) {
        if (f.OK.exists(i)) f.OK[i].Visible = false;
        if (f.Tou.exists(i)) f.Tou[i].picture = {};
        ClearChatMemory(c, i);
        c.seats.player[i].name.clear();
        c.seats.info[i] = UserInfo{};
    }
    c.main.Sysmsg[0].Clear();
    ++c.table.g_TableGeneration;
    c.os.socket.close();
    c.os.loop.waitMs(2000);
    ResetRings(c);
    c.seats.g_SeatedCount = 0;
    ShowOver(c, OtherExit(c));
}

void ShowOtherExit(Client& c, const std::string& text) {
    auto& f = OtherExit(c);
    f.Label1.Caption = text;
    ShowOver(c, f);
}

void HandleTableClosed(Client& c, const Packet& p) {
    c.round.g_GameInProgress = false;
    c.round.g_RoundCount = 0;
    if (!c.table.g_Away) ShowHeroBoardCentred(c);
    std::string raw;
    for (std::size_t i = 16; i <= 215 && p[i] != 0; ++i) raw.push_back(static_cast<char>(p[i]));
    if (PluginEndDisplayActive(c)) PluginMarkEndDisplayClose(c);
    else if (PluginLoaded(c)) PluginShutdown(c, 0);
    ClearHeroTotals(c);
    ShowOtherExit(c, text::GbkToUtf8(raw));
    auto gen = c.table.g_TableGeneration;
    if (!WaitMs(c, 5000) || gen != c.table.g_TableGeneration) return;
    c.round.g_RoundCountB = 0;
    ClearHeroTotals(c);
    StopGameAndCloseTable(c);
}

void StopGameAndCloseTable(Client& c) {
    c.pump.g_ReadyTimer = false;
    c.pump.g_WatchLink = false;
    c.pump.g_WatchTicks = 0;
    c.round.g_GameInProgress = false;
    c.table.g_TableReset = false;
    CloseTable(c);
}

void ResetReconnectCounters(Client& c) {
    c.leave.reconnectCountdown = 0;
    c.leave.reconnectAttempts = 0;
}

void StartSilentReconnect(Client& c) {
    auto& l = c.leave;
    if (!l.TimerCount) {
        l.TimerCount = c.os.loop.makeTimer(Guarded(c, [&c] { ReconnectCountTick(c); }));
        l.TimerCount->setInterval(kReconnectIntervalMs);
    }
    ResetReconnectCounters(c);
    l.reconnectLoaded = true;
    // The 1 ms TimerReconnect only arms TimerCount; the first attempt comes 3 s after the loss.
    l.TimerCount->setEnabled(true);
}

void ReconnectCountTick(Client& c) {
    auto& l = c.leave;
    if (c.os.socket.state() == platform::Socket::kConnected) {
        StopReconnectDriver(c);
        return;
    }
    if (l.reconnectAttempts < kReconnectAttempts) {
        ++l.reconnectAttempts;
        Trace(c, "reconnect attempt " + std::to_string(l.reconnectAttempts));
        Reconnect(c);
        return;
    }
    Trace(c, "reconnecting given up");
    if (PluginLoaded(c)) PluginShutdown(c, 0);
    MinimizeMainWindow(c);
    RestoreLobby(c);
    c.table.g_TableReset = false;
    LeaveTable(c);
    ResetPlayers(c);
    ResetTable(c);
    StopReconnectDriver(c);
    ShowOtherExit(c, kLinkLostText);
}

void Reconnect(Client& c) {
    ClearMessageLists(c);
    c.main.Sysmsg[0].AddItem("正在重新连接服务器...");
    MakeReconnectPacket(c);
    c.net.g_DirectMode = true;
    c.os.socket.abort();
    if (c.login.g_ConnectMode == 0) {
        ResetRings(c);
        StartDirectConnection(c);
    } else if (c.login.g_ConnectMode == 5) {
        c.login.g_Connecting = false;
        ConnectThroughProxy(c);
    }
}

void HandleReconnectResult(Client& c, const Packet& p) {
    if (U8(p, 15) == 1) {
        c.login.g_Online = true;
        c.leave.g_Reconnected = true;
        ClearMessageLists(c);
        c.main.Sysmsg[0].AddItem("正在重连服务器，请等待...！");
        if (PluginLoaded(c)) PluginRecState(c, 3, true);
        return;
    }
    if (PluginLoaded(c)) PluginShutdown(c, 0);
    ShowMessageBox(c, "重连服务器失败，退出后请重新入座！", "qelt");  // the program's own title
    RestoreLobby(c);
    ClearHeroTotals(c);
    c.os.EndProgram();
}

void HandleLobbyQuery(Client& c) {
    if (!LobbyExists(c)) return;
    PostToLobby(c, c.round.g_GameInProgress ? kMsgQuery : kMsgLeaveNow);
}

void HandleLobbyLeaveRequest(Client& c) {
    if (!LobbyExists(c)) return;
    if (c.login.g_LoginPending) { PostToLobby(c, kMsgLoginPending); return; }
    if (c.round.g_GameInProgress) { PostToLobby(c, kMsgQuery); return; }
    LeaveNow(c);
    PostToLobby(c, kMsgLeaveNow);
}

void HandleLobbyLeaveNow(Client& c) { LeaveNow(c); }

void HandleLobbyConnect(Client& c) {
    // A new table is joined with a login: a reconnect packet left over from the last table would
    // ask the server for a seat that is gone, and the refusal would end the program.
    Put8(c.login.g_LoginPacket, 3, 18);
    c.net.g_DirectMode = true;
    if (c.login.g_ConnectMode == 0) {
        ResetRings(c);
        if (c.os.socket.state() != platform::Socket::kClosed) c.os.socket.abort();
        StartDirectConnection(c);
    } else if (c.login.g_ConnectMode == 5) {
        c.login.g_Connecting = false;
        ConnectThroughProxy(c);
    }
    c.table.g_ButtonPressed[2] = false;
    ShowButtonPicture(c, 2, 4);
    c.main.Time_Img.Visible = false;
    c.main.Number.Visible = false;
}

void UnloadExitConfirm(Client& c) {
    if (c.leave.frmExit) c.leave.frmExit->Hide();
}

void ShowExitConfirm(Client& c) {
    if (PluginLoaded(c)) PluginSetBankState(c, 2);
    auto& f = ExitDialog(c);
    f.Label1.Caption = "您真的要退出吗？";
    f.Label1.Visible = true;
    f.Label2.Caption = "游戏正在进行，逃跑会扣分！";
    f.Label2.Visible = false;
    if (f.Visible) {
        f.Hide();
        return;
    }
    f.Label2.Visible = c.round.g_GameInProgress && !c.login.g_Spectator;
    ShowOver(c, f);
}

void ConfirmExit(Client& c) {
    if (PluginLoaded(c)) {
        PluginUpdateMyProp(c, false);
        if (!WaitMs(c, 250)) return;  // the table ended meanwhile: nothing is left to leave
    }
    c.round.g_GameInProgress = false;
    if (c.os.socket.state() == platform::Socket::kConnected) {
        c.pump.g_WatchLink = false;
        c.pump.g_WatchTicks = 0;
        SendLeavePacket(c);
    }
    c.round.g_RoundCountB = 0;
    c.table.g_TableReset = false;
    LeaveTable(c);
    ResetPlayers(c);
    ResetTable(c);
    ClearHeroTotals(c);
    UnloadExitConfirm(c);
    BackToLobbyOrEnd(c);
}

void OtherExitLeave(Client& c) {
    c.table.g_TableReset = false;
    LeaveTable(c);
    ResetPlayers(c);
    ResetTable(c);
    c.round.g_RoundCountB = 0;
    ClearHeroTotals(c);
    UnloadOtherExit(c);
    BackToLobbyOrEnd(c);
}

void OtherExitStay(Client& c) {
    c.table.g_TableClosed = true;
    c.round.g_GameInProgress = false;
    c.pump.g_WatchLink = false;
    UnloadOtherExit(c);
}

}  // namespace zorvan
