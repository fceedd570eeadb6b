// A client that plays every turn of a whole round itself at the reference server: on its turn it
// presses the hint button and then the play button. The server accepts every play it sends (it
// never has to play for the client) and the round ends with the score sheet.
#include <gtest/gtest.h>

#include "e2e/local_table.h"
#include "records/settle.h"

namespace zorvan::test {
namespace {

bool MayPlay(const Client& c) { return c.round.g_PlayEnabled && !c.round.g_PlayLocked && c.main.Operation[0].Visible; }

void Press(Client& c, int index) { c.main.Operation[index].events.Click(c.main.Operation[index]); }

void ExpectCleanLog(const LocalTable& t) {
    for (const auto& line : t.log) {
        EXPECT_EQ(line.find("refused"), std::string::npos) << line;
        EXPECT_EQ(line.find("malformed"), std::string::npos) << line;
        EXPECT_EQ(line.find("out of turn"), std::string::npos) << line;
        EXPECT_EQ(line.find("did not play in time"), std::string::npos) << line;
    }
}

TEST(LocalTableTrickPlay, HintThenPlayOnEveryTurnPlaysTheWholeRound) {
    LocalTable t(BotTable(11));
    LocalClient& me = t.AddClient("dave");
    Client& c = *me.c;
    ASSERT_TRUE(SeatAndPressReady(t, me));

    int turns = 0;
    while (Count(me.received, 9) == 0) {
        if (!t.RunUntil([&] { return MayPlay(c) || Count(me.received, 9) > 0; }, 10 * 60'000)) break;
        if (Count(me.received, 9) > 0) break;
        const int sent = Count(me.sent, 7);
        Press(c, 1);
        Press(c, 0);
        ASSERT_FALSE(c.round.ChuPai->Visible) << "turn " << turns << ": the hint was refused";
        EXPECT_TRUE(c.round.g_PlayLocked);
        t.Run(300);
        ASSERT_EQ(Count(me.sent, 7), sent + 1) << "turn " << turns;
        ++turns;
    }
    ASSERT_EQ(Count(me.received, 9), 1);
    EXPECT_GT(turns, 0);
    EXPECT_EQ(c.seats.player[0].hand.count, 0);
    EXPECT_EQ(t.ended, 0);
    ExpectCleanLog(t);
}

TEST(LocalTableTrickPlay, CountdownPlaysForAnIdleClient) {
    LocalTable t(BotTable(5));
    LocalClient& me = t.AddClient("erin");
    ASSERT_TRUE(SeatAndPressReady(t, me));
    ASSERT_TRUE(t.RunUntil([&] { return Count(me.received, 9) > 0; }, 30 * 60'000));
    EXPECT_GT(Count(me.sent, 7), 0);
    EXPECT_EQ(t.ended, 0);
    ExpectCleanLog(t);
}

}  // namespace
}  // namespace zorvan::test
