// Leaving the table, the server closing it, the silent reconnect and the lobby's messages.
#include <string>
#include <vector>

#include "core/window_proc.h"
#include "round/table_fixture.h"
#include "table/leave.h"

namespace zorvan::testing {
namespace {

struct LeaveTest : TableFixture {
    LeaveTest() {
        c.login.g_ServerHost = "table.example";
        c.login.g_ServerPort = 7000;
        c.login.g_LoginPacket = MakePacket(18);
        HandlePlayerInfo(c, PlayerInfo(2, 2, "me"));
        HandlePlayerInfo(c, PlayerInfo(2, 4, "p4"));
    }
    void Connect() {
        sim.socket.connect("table.example", 7000);
        loop.runFor(10);
        ASSERT_EQ(sim.socket.state(), platform::Socket::kConnected);
        sim.socket.written.clear();
    }
    // The packets the client wrote to the socket, in order.
    std::vector<Packet> Written() const {
        std::vector<Packet> out;
        for (std::size_t at = 0; at + 272 <= sim.socket.written.size(); at += 272) {
            Packet p{};
            std::copy_n(sim.socket.written.begin() + static_cast<long>(at), 272, p.begin());
            out.push_back(p);
        }
        return out;
    }
    std::vector<int> LobbyMessages() const {
        std::vector<int> out;
        for (auto& m : desk.to(kLobby)) out.push_back(m.msg);
        return out;
    }
    bool LobbyGot(int msg) const {
        for (int m : LobbyMessages())
            if (m == msg) return true;
        return false;
    }
};

TEST_F(LeaveTest, LeaveNowWritesLeavePacketDirectlyThenGoesIdle) {
    Connect();
    StartPump(c);
    c.round.g_GameInProgress = true;
    MainWindowProc(c, kMsgLeaveNow, 0, 0);
    auto w = Written();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0][3], 16);
    EXPECT_EQ(w[0][6], 2);  // own seat bit
    EXPECT_EQ(w[0][14], 1);
    EXPECT_EQ(QueuedSendPackets(c), 0);  // never through the send ring
    EXPECT_EQ(sim.socket.state(), platform::Socket::kClosed);
    EXPECT_FALSE(c.main.TimerBong->enabled());
    EXPECT_FALSE(c.main.TimerKeepAlive->enabled());
    for (auto& p : c.seats.player) {
        EXPECT_TRUE(p.name.empty());
        EXPECT_EQ(p.seat, 0);
    }
    EXPECT_EQ(c.seats.g_SeatedCount, 0);
    EXPECT_FALSE(c.round.g_GameInProgress);
    EXPECT_TRUE(c.table.g_ButtonPressed[2]);
    EXPECT_EQ(c.main.windowState, ui::WindowState::Minimised);
    EXPECT_FALSE(LobbyGot(kMsgLeaveNow));  // leave-now is not answered
}

TEST_F(LeaveTest, LeavingWhileDisconnectedWritesNothing) {
    MainWindowProc(c, kMsgLeaveNow, 0, 0);
    EXPECT_TRUE(sim.socket.written.empty());
    EXPECT_TRUE(c.seats.player[0].name.empty());
}

TEST_F(LeaveTest, LobbyQueryAndLeaveRequestReplies) {
    struct Case { int msg; bool game, loginPending; int reply; bool leaves; };
    const Case cases[] = {
        {kMsgQuery, true, false, kMsgQuery, false},
        {kMsgQuery, false, false, kMsgLeaveNow, false},
        {kMsgLoginSent, false, true, kMsgLoginPending, false},
        {kMsgLoginSent, true, false, kMsgQuery, false},
        {kMsgLoginSent, false, false, kMsgLeaveNow, true},
    };
    for (const auto& k : cases) {
        HandlePlayerInfo(c, PlayerInfo(2, 2, "me"));
        desk.log.clear();
        c.round.g_GameInProgress = k.game;
        c.login.g_LoginPending = k.loginPending;
        MainWindowProc(c, k.msg, 0, 0);
        loop.runFor(0);
        EXPECT_EQ(LobbyMessages().empty() ? -1 : LobbyMessages().back(), k.reply) << k.msg;
        EXPECT_EQ(c.seats.player[0].name.empty(), k.leaves) << k.msg;
        EXPECT_EQ(c.round.g_GameInProgress, k.game && !k.leaves) << k.msg;
    }
}

TEST_F(LeaveTest, LobbyGoneQueryDoesNothing) {
    desk.windows.erase(kLobby);
    c.round.g_GameInProgress = false;
    MainWindowProc(c, kMsgLoginSent, 0, 0);
    EXPECT_EQ(c.seats.player[0].name, "me");
}

TEST_F(LeaveTest, LobbyConnectAfterLeavingConnectsAndLogsIn) {
    MakeReconnectPacket(c);  // the last table was resumed once
    MainWindowProc(c, kMsgLeaveNow, 0, 0);
    int before = sim.socket.connectCount;
    MainWindowProc(c, kMsgLobbyConnect, 0, 0);
    EXPECT_EQ(sim.socket.connectCount, before + 1);
    EXPECT_EQ(sim.socket.host, "table.example");
    EXPECT_TRUE(c.main.TimerBong->enabled());
    EXPECT_FALSE(c.table.g_ButtonPressed[2]);
    loop.runUntil([&] { return !Written().empty(); }, 2000);
    auto w = Written();
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w[0][3], 18);  // a login, not the last table's reconnect
}

TEST_F(LeaveTest, ReconnectPacketCarriesCommandEchoAndResumeKey) {
    c.round.g_ResumeKey = 384;
    c.net.g_EchoBytes = {0x12, 0x34};
    MakeReconnectPacket(c);
    auto& p = c.login.g_LoginPacket;
    EXPECT_EQ(p[3], 28);
    EXPECT_EQ(p[260], 0x12);
    EXPECT_EQ(p[261], 0x34);
    EXPECT_EQ(p[268], 0x80);
    EXPECT_EQ(p[269], 0x01);
    EXPECT_EQ(p[270], 0x00);
    EXPECT_EQ(p[271], 0x00);
}

TEST_F(LeaveTest, LostLinkDuringGameReconnectsEveryThreeSecondsWithCommand28) {
    Connect();
    c.round.g_GameInProgress = true;
    c.round.g_ResumeKey = 384;
    c.pump.g_WatchLink = true;
    StartPump(c);
    sim.socket.acceptConnect = [](const std::string&, int) { return false; };
    int before = sim.socket.connectCount;
    sim.socket.farClose();
    loop.runFor(2500);
    EXPECT_FALSE(c.login.g_Online);
    EXPECT_EQ(sim.socket.connectCount, before);  // the first attempt comes 3 s after the loss
    loop.runFor(1000);
    EXPECT_EQ(sim.socket.connectCount, before + 1);
    EXPECT_EQ(c.main.Sysmsg[0].items.back(), "正在重新连接服务器...");
    // Now the server takes it: the reconnect packet goes out first.
    sim.socket.acceptConnect = nullptr;
    loop.runUntil([&] { return !Written().empty(); }, 4000);
    auto w = Written();
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w[0][3], 28);
    EXPECT_EQ(w[0][268], 0x80);
    EXPECT_EQ(w[0][269], 0x01);
    HandleReconnectResult(c, [] { Packet p = MakePacket(29); p[15] = 1; return p; }());
    EXPECT_TRUE(c.login.g_Online);
    EXPECT_TRUE(c.leave.g_Reconnected);
    EXPECT_EQ(c.main.Sysmsg[0].items.back(), "正在重连服务器，请等待...！");
    int attempts = sim.socket.connectCount;
    loop.runFor(10000);
    EXPECT_EQ(sim.socket.connectCount, attempts);  // the driver stopped once connected
}

TEST_F(LeaveTest, LostLinkOutsideGameOnlyCancelsReadyCountdown) {
    Connect();
    c.round.g_GameInProgress = false;
    c.pump.g_WatchLink = true;
    StartPump(c);
    StartCountdown(c, Countdown::Ready, 20);
    int before = sim.socket.connectCount;
    sim.socket.farClose();
    loop.runFor(10000);
    EXPECT_EQ(sim.socket.connectCount, before);
    EXPECT_FALSE(c.pump.g_ReadyTimer);
    EXPECT_EQ(c.seats.player[0].name, "me");
}

TEST_F(LeaveTest, ReconnectGivesUpAfter21Attempts) {
    Connect();
    c.round.g_GameInProgress = true;
    c.pump.g_WatchLink = true;
    StartPump(c);
    sim.socket.acceptConnect = [](const std::string&, int) { return false; };
    int before = sim.socket.connectCount;
    sim.socket.farClose();
    loop.runFor(64000);
    EXPECT_FALSE(OtherExitVisible(c));
    loop.runFor(3000);
    EXPECT_EQ(sim.socket.connectCount - before, 21);
    EXPECT_TRUE(OtherExitVisible(c));
    EXPECT_EQ(OtherExitText(c), kLinkLostText);
    EXPECT_TRUE(c.seats.player[0].name.empty());
    loop.runFor(10000);
    EXPECT_EQ(sim.socket.connectCount - before, 21);
}

TEST_F(LeaveTest, RefusedReconnectEndsTheProgram) {
    EXPECT_THROW(HandleReconnectResult(c, MakePacket(29)), platform::ProgramEnded);
    ASSERT_EQ(sim.dialogs.shown.size(), 1u);
    EXPECT_EQ(sim.dialogs.shown[0].text, "重连服务器失败，退出后请重新入座！");
    EXPECT_EQ(sim.dialogs.shown[0].title, "qelt");
}

TEST_F(LeaveTest, TableClosedShowsMessageThenClosesTable) {
    Connect();
    c.round.g_GameInProgress = true;
    Packet p = MakePacket(22);
    const std::string gbk = "\xC4\xE3\xBA\xC3";  // 你好
    PutText(p, 16, gbk);
    // What the player sees during the 5-second wait, taken from inside it.
    bool game = true, shown = false, connected = false;
    std::string text;
    loop.at(loop.nowMs() + 1000, [&] {
        game = c.round.g_GameInProgress;
        shown = OtherExitVisible(c);
        text = OtherExitText(c);
        connected = sim.socket.state() == platform::Socket::kConnected;
    });
    HandleTableClosed(c, p);
    EXPECT_FALSE(game);
    EXPECT_TRUE(shown);
    EXPECT_EQ(text, "你好");
    EXPECT_TRUE(connected);
    EXPECT_TRUE(c.table.g_TableClosed);
    EXPECT_EQ(sim.socket.state(), platform::Socket::kClosed);
    EXPECT_TRUE(c.seats.player[3].name.empty() && c.seats.player[1].name.empty());
    EXPECT_EQ(c.seats.g_SeatedCount, 0);
}

TEST_F(LeaveTest, ExitDialogWarnsDuringGameAndConfirmLeaves) {
    Connect();
    c.round.g_GameInProgress = true;
    ShowExitConfirm(c);
    ASSERT_TRUE(ExitConfirmVisible(c));
    auto& f = *c.leave.frmExit;
    EXPECT_EQ(f.Label1.Caption, "您真的要退出吗？");
    EXPECT_TRUE(f.Label2.Visible);
    ShowExitConfirm(c);  // the exit button again hides it
    EXPECT_FALSE(ExitConfirmVisible(c));
    c.login.g_Spectator = true;
    ShowExitConfirm(c);
    EXPECT_FALSE(f.Label2.Visible);  // a spectator loses nothing by leaving
    f.pbCloseMe.events.Click(f.pbCloseMe);
    auto w = Written();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0][3], 16);
    EXPECT_FALSE(ExitConfirmVisible(c));
    EXPECT_TRUE(c.seats.player[0].name.empty());
    EXPECT_EQ(c.main.windowState, ui::WindowState::Minimised);
}

TEST_F(LeaveTest, OtherExitStayKeepsClosedTableLeaveGoesIdle) {
    ShowOtherExit(c, "x");
    auto& f = *c.leave.frmOtherExit;
    c.round.g_GameInProgress = true;
    f.imgCancel.events.Click(f.imgCancel);
    EXPECT_FALSE(OtherExitVisible(c));
    EXPECT_TRUE(c.table.g_TableClosed);
    EXPECT_FALSE(c.round.g_GameInProgress);
    EXPECT_EQ(c.seats.player[0].name, "me");
    ShowOtherExit(c, "x");
    f.imgOK.events.Click(f.imgOK);
    EXPECT_FALSE(OtherExitVisible(c));
    EXPECT_TRUE(c.seats.player[0].name.empty());
    // Without the lobby the program ends instead of waiting for it.
    HandlePlayerInfo(c, PlayerInfo(2, 2, "me"));
    desk.windows.erase(kLobby);
    ShowOtherExit(c, "x");
    EXPECT_THROW(f.imgOK.events.Click(f.imgOK), platform::ProgramEnded);
}

}  // namespace
}  // namespace zorvan::testing
