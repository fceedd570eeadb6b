// The pump: countdowns, re-entry, the stall counter and the watchdog.
#include <gtest/gtest.h>

#include "core/pump.h"
#include "core/window_proc.h"
#include "fixture.h"
#include "round/state.h"

using namespace zorvan;
using zorvan::test::SimClient;

struct Pump : ::testing::Test {
    SimClient t;
    void SetUp() override { t.login(); }
    // Runs until pred holds; the virtual milliseconds it took, or -1.
    std::int64_t msUntil(const std::function<bool()>& pred, std::int64_t max = 60000) {
        auto start = t.loop.nowMs();
        bool ok = false;
        t.guard([&] { ok = t.loop.runUntil(pred, max); });
        return ok ? t.loop.nowMs() - start : -1;
    }
};

TEST_F(Pump, CountdownShowsEachSecondAndActsOneSecondAfterZero) {
    auto& n = t.c->main.Number;
    StartCountdown(*t.c, Countdown::Ready, 15);
    EXPECT_TRUE(n.Visible);
    EXPECT_EQ(n.Caption, "15");
    auto first = msUntil([&] { return n.Caption == "14"; });
    EXPECT_GE(first, 950);
    EXPECT_LE(first, 1000);
    EXPECT_EQ(n.ForeColor, ui::kGreen);
    ASSERT_GT(msUntil([&] { return n.Caption == "5"; }), 0);
    EXPECT_EQ(n.ForeColor, ui::kRed);
    ASSERT_GT(msUntil([&] { return n.Caption == "0"; }), 0);
    std::size_t before = t.sent().size();
    auto end = msUntil([&] { return !t.c->pump.g_ReadyTimer; });
    EXPECT_GE(end, 950);
    EXPECT_LE(end, 1000);
    EXPECT_FALSE(n.Visible);
    t.run(100);
    auto sent = t.sent();
    ASSERT_EQ(sent.size(), before + 1);  // the ready packet
    EXPECT_EQ(sent.back()[3], 16);
    EXPECT_EQ(sent.back()[15], 1);
}

TEST_F(Pump, NothingMovesWhileOffline) {
    t.c->login.g_Online = false;
    StartCountdown(*t.c, Countdown::Bury, 3);
    t.run(6000);
    EXPECT_EQ(t.c->main.Number.Caption, "3");
    EXPECT_TRUE(t.c->pump.g_BuryTimer);
}

TEST_F(Pump, OneCountdownAtATime) {
    StartCountdown(*t.c, Countdown::Call, 10);
    t.run(500);
    StartCountdown(*t.c, Countdown::Play, 20);
    EXPECT_FALSE(t.c->pump.g_CallTimer);
    EXPECT_TRUE(t.c->pump.g_PlayTimer);
    EXPECT_EQ(t.c->pump.g_SecondTicks, 0);
    auto first = msUntil([&] { return t.c->main.Number.Caption == "19"; });
    EXPECT_GE(first, 950);
    EXPECT_LE(first, 1000);
}

TEST_F(Pump, TickThatLeftTheTableDoesNotRestartThePump) {
    // While the fourth tick waits for a slow connection, the table is left (the pump switched off)
    // and a tick is entered once more; the nested tick does nothing, and the waiting tick does not
    // switch the pump back on when it ends.
    t.sim.socket.connectDelayMs = 1000;
    t.sim.socket.close();
    bool checked = false;
    t.loop.at(t.loop.nowMs() + 500, [&] {
        ASSERT_TRUE(t.c->pump.tickActive);
        auto quiet = t.c->net.g_QuietTicks;
        PumpTick(*t.c);
        EXPECT_EQ(t.c->net.g_QuietTicks, quiet);
        StopPump(*t.c);
        checked = true;
    });
    StartDirectConnection(*t.c);
    t.run(3000);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(t.c->pump.tickActive);
    EXPECT_FALSE(t.c->main.TimerBong->enabled());

    // Without the switch-off, the tick ends with the pump on again.
    t.sim.socket.close();
    StartDirectConnection(*t.c);
    t.run(3000);
    EXPECT_TRUE(t.c->main.TimerBong->enabled());
    EXPECT_FALSE(t.c->login.g_Connecting);
}

TEST_F(Pump, StalledGameIsGivenUp) {
    t.c->round.g_GameInProgress = true;
    t.run(499000);
    EXPECT_TRUE(t.c->main.Sysmsg[0].items.empty() ||
                t.c->main.Sysmsg[0].items.back() != "已经与服务器断开连接，请重新入座！");
    t.run(2000);
    ASSERT_FALSE(t.c->main.Sysmsg[0].items.empty());
    EXPECT_EQ(t.c->main.Sysmsg[0].items.back(), "已经与服务器断开连接，请重新入座！");
    EXPECT_EQ(t.c->main.windowState, ui::WindowState::Minimised);
    EXPECT_FALSE(t.ended);
}

TEST_F(Pump, LostConnectionOutsideAGameDropsTheReadyCountdown) {
    StartCountdown(*t.c, Countdown::Ready, 10);
    t.sim.socket.farClose();
    t.run(200);
    EXPECT_FALSE(t.c->pump.g_ReadyTimer);
    EXPECT_FALSE(t.c->main.TimerKeepAlive->enabled());
    EXPECT_TRUE(t.c->login.g_Online);  // no reconnect outside a game
    EXPECT_FALSE(t.ended);

    SimClient gone;
    gone.login();
    gone.desk.windows.erase(test::kLobby);
    gone.sim.socket.farClose();
    gone.run(200);
    EXPECT_TRUE(gone.ended);
}

TEST_F(Pump, WindowMessagesAreTracedAndSystemCommandsHonoured) {
    t.sim.windows.post("qelt", platform::WindowBus::kSysCommand, platform::WindowBus::kScRestore, 0);
    t.run(10);
    EXPECT_EQ(t.c->main.windowState, ui::WindowState::Normal);
    bool traced = false;
    for (const auto& l : t.sim.system.traceLines) traced |= l == "window message 274 61728 0";
    EXPECT_TRUE(traced);

    EXPECT_FALSE(t.c->main.moveRequested);
    t.sim.windows.post("qelt", platform::WindowBus::kSysCommand, platform::WindowBus::kScMove, 0);
    t.run(10);
    EXPECT_TRUE(t.c->main.moveRequested);
    EXPECT_EQ(t.c->main.windowState, ui::WindowState::Normal);
}
