#include "core/pump.h"

#include <string>

#include "core/client.h"
#include "core/lobby.h"
#include "core/packets.h"
#include "core/startup.h"
#include "core/trace.h"
#include "media/sound.h"
#include "props/plugin.h"
#include "round/bottom.h"
#include "round/state.h"
#include "round/trick.h"
#include "round/trump.h"
#include "social/chat.h"
#include "table/buttons.h"
#include "table/leave.h"
#include "table/seats.h"
#include "table/table.h"

namespace zorvan {
namespace {

constexpr int kStallLimit = 5000;
constexpr int kTicksPerSecond = 20;

bool& Flag(PumpState& pm, Countdown which) {
    switch (which) {
    case Countdown::Call: return pm.g_CallTimer;
    case Countdown::Counter: return pm.g_CounterTimer;
    case Countdown::CounterPass: return pm.g_CounterPassTimer;
    case Countdown::Bury: return pm.g_BuryTimer;
    case Countdown::Play: return pm.g_PlayTimer;
    case Countdown::Ready: break;
    }
    return pm.g_ReadyTimer;
}

void HideCountdownClock(Client& c) {
    c.main.Number.Visible = false;
    c.main.Time_Img.Visible = false;
}

void ShowCountdownValue(Client& c) {
    auto& n = c.main.Number;
    n.Caption = std::to_string(c.pump.g_Countdown);
    n.ForeColor = c.pump.g_Countdown < 6 ? ui::kRed : ui::kGreen;
}

// The counter-trump offer ran out: its call images go away without a pass.
void HideCallImages(Client& c) {
    for (int i = 0; i < 16; ++i) {
        if (auto* img = c.main.find("imgJiaoZhu", i)) {
            img->Visible = false;
            img->Enabled = false;
        }
    }
}

void ReadyCountdownEnd(Client& c) {
    HideCountdownClock(c);
    if (!c.table.g_TableReset) ShowButtonPicture(c, 2, 6);
    // Resets table and round when not done yet this round, queues the ready packet and starts an
    // announced random-seat display.
    PlayerGetsReady(c);
    if (auto* ok = c.main.find("OK", 0)) ok->Visible = true;
}

// The action of a countdown one second after it showed 0. The flag is cleared before the action
// runs, since actions may wait inside and must not be taken twice.
void EndCountdown(Client& c, Countdown which) {
    auto& pm = c.pump;
    Flag(pm, which) = false;
    switch (which) {
    case Countdown::Call:
    case Countdown::CounterPass:
        HideCountdownClock(c);
        pm.g_SecondTicks = 0;
        OnCallCountdownEnd(c);
        break;
    case Countdown::Counter:
        HideCallImages(c);
        HideCountdownClock(c);
        pm.g_SecondTicks = 0;
        break;
    case Countdown::Bury:
        HideCountdownClock(c);
        OnBuryCountdownEnd(c);
        break;
    case Countdown::Play:
        OnPlayCountdownEnd(c);
        HideCountdownClock(c);
        break;
    case Countdown::Ready:
        ReadyCountdownEnd(c);
        break;
    }
}

void CountdownSecond(Client& c, Countdown which) {
    auto& pm = c.pump;
    if (pm.g_Countdown > 0) {
        if (which == Countdown::Play && PlayCountdownAutoPlay(c)) return;
        --pm.g_Countdown;
        ShowCountdownValue(c);
        if (which == Countdown::Play && pm.g_Countdown < 6) PlayCountdownWarning(c);
        return;
    }
    EndCountdown(c, which);
}

void RunCountdowns(Client& c) {
    auto& pm = c.pump;
    if (pm.g_SecondTicks >= kTicksPerSecond) {
        for (Countdown w : {Countdown::Call, Countdown::Counter, Countdown::CounterPass, Countdown::Bury})
            if (Flag(pm, w)) { CountdownSecond(c, w); break; }
    }
    if (pm.g_PlayTimer && pm.g_PlayTicks >= kTicksPerSecond) CountdownSecond(c, Countdown::Play);
    if (pm.g_ReadyTimer && pm.g_ReadyTicks >= kTicksPerSecond) CountdownSecond(c, Countdown::Ready);
}

// Nothing dispatched for 5000 receive steps during a game: the table is given up. The link is
// dead, so no leave packet is sent.
void GiveUpStalledTable(Client& c) {
    if (!c.os.windows.exists(c.login.g_LobbyTitle)) c.os.EndProgram();
    Trace(c, "no packet for 5000 receive steps: the table is given up");
    c.main.windowState = ui::WindowState::Minimised;
    RestoreLobby(c);
    c.table.g_TableReset = false;
    LeaveTable(c);
    ResetPlayers(c);
    ResetTable(c);
    c.main.Sysmsg[0].Clear();
    c.main.Sysmsg[0].AddItem("已经与服务器断开连接，请重新入座！");
}

void ReceiveStep(Client& c) {
    auto& pm = c.pump;
    if (!c.net.g_DataArrived) {
        if (c.net.g_QuietTicks > 1) c.net.g_QuietTicks = 0;
        return;
    }
    if (!IncomingDue(c)) return;
    if (c.round.g_GameInProgress && ++pm.g_StallTicks >= kStallLimit) {
        pm.g_StallTicks = 0;
        GiveUpStalledTable(c);
        return;
    }
    DequeueIncoming(c);
}

void BlinkStep(Client& c) {
    auto& pm = c.pump;
    if (pm.g_Blink && pm.g_BlinkTicks >= 8) {
        if (pm.g_BlinkCount < 1) {
            ShowButtonPicture(c, 1, 2);
            pm.g_Blink = false;
        } else {
            ShowButtonPicture(c, 1, pm.g_BlinkCount % 2 ? 2 : 3);
            --pm.g_BlinkCount;
        }
    }
    if (pm.g_BlinkTicks > 7) pm.g_BlinkTicks = 0;
}

void WatchdogStep(Client& c) {
    auto& pm = c.pump;
    if (!pm.g_WatchLink) {
        if (pm.g_WatchTicks > 1) pm.g_WatchTicks = 0;
        return;
    }
    if (pm.g_WatchTicks < 2) return;
    if (c.os.socket.state() == platform::Socket::kConnected) {
        pm.linkLossReported = false;
    } else {
        bool firstLook = !pm.linkLossReported;
        pm.linkLossReported = true;
        if (firstLook && PluginLoaded(c)) PluginRecState(c, 3, false);
        if (!c.os.windows.exists(c.login.g_LobbyTitle)) c.os.EndProgram();
        if (!c.round.g_GameInProgress) {
            pm.g_ReadyTimer = false;
            if (firstLook) StopKeepAlive(c);
        } else if (c.login.g_Online) {
            Trace(c, "connection lost during a game: reconnecting");
            c.login.g_Online = false;
            pm.g_WatchLink = false;
            pm.g_WatchTicks = 0;
            StartKeepAlive(c);
            StartSilentReconnect(c);
        }
    }
    pm.g_WatchTicks = 0;
}

// Ends a tick on every path: the pump comes back on only when it is still wanted.
struct TickScope {
    Client& c;
    explicit TickScope(Client& cl) : c(cl) { c.pump.tickActive = true; }
    ~TickScope() {
        c.pump.tickActive = false;
        if (c.pump.pumpWanted && c.main.TimerBong) c.main.TimerBong->setEnabled(true);
    }
};

}  // namespace

void CreateMainTimers(Client& c) {
    auto& f = c.main;
    auto make = [&c](std::unique_ptr<platform::Timer>& t, int interval, void (*tick)(Client&)) {
        t = c.os.loop.makeTimer(Guarded(c, [&c, tick] { tick(c); }));
        t->setInterval(interval);
    };
    make(f.TimerBong, 50, PumpTick);
    make(f.TimerKeepAlive, 5000, TimerKeepAliveTick);
    make(f.TimerChat, 800, TimerChatTick);
    make(f.TimerMusic, 500, TimerMusicTick);
    make(f.TimerShuffle, 1000, TimerShuffleTick);
}

void StartPump(Client& c) {
    c.pump.pumpWanted = true;
    if (!c.pump.tickActive) c.main.TimerBong->setEnabled(true);
}

void StopPump(Client& c) {
    c.pump.pumpWanted = false;
    c.main.TimerBong->setEnabled(false);
}

void PumpTick(Client& c) {
    auto& pm = c.pump;
    if (pm.tickActive) return;
    c.main.TimerBong->setEnabled(false);
    TickScope scope(c);

    ++c.net.g_QuietTicks;
    ++pm.g_ConnectTicks;
    ++pm.g_BlinkTicks;
    ++pm.g_WatchTicks;
    ++pm.g_PlayTicks;
    ++pm.g_ReadyTicks;
    ++pm.g_SecondTicks;

    DequeueOutgoing(c);
    ReceiveStep(c);

    if (c.login.g_Connecting) {
        if (pm.g_ConnectTicks >= 4) CompleteDirectConnection(c);
    } else if (pm.g_ConnectTicks > 3) {
        pm.g_ConnectTicks = 0;
    }

    BlinkStep(c);
    if (c.login.g_Online) RunCountdowns(c);
    WatchdogStep(c);

    if (pm.g_SecondTicks > 19) pm.g_SecondTicks = 0;
    if (pm.g_PlayTicks > 19) pm.g_PlayTicks = 0;
    if (pm.g_ReadyTicks > 19) pm.g_ReadyTicks = 0;

    PollPlugin(c);
}

void StartCountdown(Client& c, Countdown which, int seconds) {
    auto& pm = c.pump;
    pm.g_CallTimer = pm.g_CounterTimer = pm.g_CounterPassTimer = false;
    pm.g_BuryTimer = pm.g_PlayTimer = pm.g_ReadyTimer = false;
    pm.g_SecondTicks = 0;
    pm.g_PlayTicks = 0;
    pm.g_ReadyTicks = 0;
    pm.g_Countdown = static_cast<std::int16_t>(seconds);
    Flag(pm, which) = true;
    ShowCountdownValue(c);
    c.main.Number.Visible = true;
    c.main.Time_Img.Visible = true;
}

void StopCountdowns(Client& c) {
    auto& pm = c.pump;
    pm.g_CallTimer = pm.g_CounterTimer = pm.g_CounterPassTimer = false;
    pm.g_BuryTimer = pm.g_PlayTimer = pm.g_ReadyTimer = false;
    HideCountdownClock(c);
}

bool CountdownRunning(const Client& c, Countdown which) {
    return Flag(const_cast<PumpState&>(c.pump), which);
}

void TimerKeepAliveTick(Client& c) {
    Packet p = MakePacket(24);
    p[6] = static_cast<std::uint8_t>(OwnSeatBit(c));
    SendPacket(c, p);
}

void TimerChatTick(Client& c) {
    c.main.TimerChat->setEnabled(false);
    AllowChat(c);
}

void TimerMusicTick(Client& c) {
    c.main.TimerMusic->setEnabled(false);
    PlayMusicOnce(c);
}

void StartKeepAlive(Client& c) {
    // Setting the interval restarts a running timer: only when it differs.
    if (c.main.TimerKeepAlive->interval() != 5000) c.main.TimerKeepAlive->setInterval(5000);
    c.main.TimerKeepAlive->setEnabled(true);
}

void StopKeepAlive(Client& c) { c.main.TimerKeepAlive->setEnabled(false); }

}  // namespace zorvan
