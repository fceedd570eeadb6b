// A dropped connection in the middle of a round is repaired silently and the round goes on; a
// client that left its table goes back to one when the lobby says so.
#include <gtest/gtest.h>

#include "core/window_proc.h"
#include "e2e/local_table.h"
#include "table/leave.h"

namespace zorvan::test {
namespace {

TEST(LocalTableLeave, DroppedSocketMidRoundReconnectsSilentlyAndTheRoundGoesOn) {
    LocalTable t(BotTable(21));
    LocalClient& me = t.AddClient("frank");
    Client& c = *me.c;
    ASSERT_TRUE(t.RunUntil([&] { return c.seats.g_SeatedCount == 4; }, 20'000));
    PressReady(c);
    // Into the trick play: a few plays have gone round.
    ASSERT_TRUE(t.RunUntil([&] { return Count(me.received, 6) >= 3; }, 5 * 60'000));
    const std::uint32_t key = static_cast<std::uint32_t>(c.round.g_ResumeKey);

    // The far end drops the connection.
    t.server().Closed(me.conn);
    me.sim.socket.farClose();
    ASSERT_TRUE(t.RunUntil([&] { return Count(me.received, 29) == 1; }, 30'000));
    for (const auto& p : me.received)
        if (p[3] == 29) { EXPECT_EQ(p[15], 1) << "the held seat takes the reconnect"; }
    ASSERT_TRUE(t.RunUntil([&] { return c.login.g_Online; }, 5'000));
    ASSERT_EQ(Count(me.sent, 28), 1);
    for (const auto& p : me.sent)
        if (p[3] == 28) { EXPECT_EQ(U32LE(p, 268), key); }
    EXPECT_TRUE(c.login.g_Online);
    EXPECT_TRUE(c.leave.g_Reconnected);
    EXPECT_FALSE(OtherExitVisible(c));
    EXPECT_TRUE(c.round.g_GameInProgress);

    // The round goes on to its score sheet on the same table, the client playing its own turns.
    const int playsBefore = Count(me.sent, 7);
    ASSERT_TRUE(t.RunUntil([&] { return Count(me.received, 9) > 0; }, 30 * 60'000));
    EXPECT_GT(Count(me.sent, 7), playsBefore);
    t.Run(1000);
    EXPECT_EQ(c.seats.player[0].hand.count, 0);
    EXPECT_EQ(t.ended, 0);
    for (const auto& line : t.log) EXPECT_EQ(line.find("refused"), std::string::npos) << line;
}

TEST(LocalTableLeave, LeavingThenLobbyConnectSeatsTheClientAgain) {
    LocalTable t(BotTable(3));
    LocalClient& me = t.AddClient("gina");
    Client& c = *me.c;
    ASSERT_TRUE(t.RunUntil([&] { return c.seats.g_SeatedCount == 4; }, 20'000));

    t.desk.log.clear();
    MainWindowProc(c, kMsgLoginSent, 0, 0);  // the lobby asks an idle client to leave
    t.Run(100);
    ASSERT_EQ(Count(me.sent, 16), 1) << "the leave packet";
    EXPECT_EQ(me.sent.back()[14], 1);
    EXPECT_EQ(me.sim.socket.state(), platform::Socket::kClosed);
    EXPECT_TRUE(c.seats.player[0].name.empty());
    EXPECT_EQ(c.main.windowState, ui::WindowState::Minimised);
    bool replied = false;
    for (const auto& m : t.desk.to(kLobbyCaption)) replied |= m.msg == kMsgLeaveNow;
    EXPECT_TRUE(replied);
    t.server().Closed(me.conn);

    MainWindowProc(c, kMsgLobbyConnect, 0, 0);
    ASSERT_TRUE(t.RunUntil([&] { return Count(me.sent, 18) == 2; }, 20'000)) << "logged in again";
    ASSERT_TRUE(t.RunUntil([&] { return c.seats.g_SeatedCount == 4; }, 20'000));
    EXPECT_EQ(c.seats.player[0].name, "gina");
    EXPECT_TRUE(c.login.g_Online);
    EXPECT_EQ(t.ended, 0);
}

}  // namespace
}  // namespace zorvan::test
