// One player and three bots at the reference server, in virtual time: the player's client logs in,
// sits down, presses ready, receives the deal, calls or passes, and the round reaches the buried
// bottom and the first trick with every packet the client sent accepted by the server.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/local_table.h"
#include "rules/card.h"
#include "table/table.h"

namespace zorvan::test {
namespace {

// Clicks the first call image offered to the player, as a player keen to deal would.
bool ClickFirstOffer(Client& c) {
    for (int i = 0; i < 16; ++i) {
        auto& img = c.main.imgJiaoZhu[i];
        if (img.Visible && img.Enabled && img.events.Click) {
            img.events.Click(img);
            return true;
        }
    }
    return false;
}

struct RoundOutcome {
    bool clientTook = false;
    std::vector<Packet> buries;  // command 4 packets the client sent
};

// Plays one table from login to the first play of the round. A keen player clicks the first call
// offered during the deal; the others pass by their countdown.
RoundOutcome PlayToFirstTrick(std::uint64_t seed, bool keen) {
    RoundOutcome out;
    LocalTable t(BotTable(seed));
    LocalClient& me = t.AddClient("alice");
    Client& c = *me.c;

    EXPECT_TRUE(t.RunUntil([&] { return c.login.g_Online; }, 20'000));
    const auto& list0 = c.main.Sysmsg[0].items;
    EXPECT_NE(std::find(list0.begin(), list0.end(), "连接服务器成功！"), list0.end());
    EXPECT_TRUE(t.RunUntil([&] { return c.seats.g_SeatedCount == 4; }, 20'000)) << c.seats.g_SeatedCount;

    PressReady(c);
    EXPECT_TRUE(t.RunUntil([&] { return Count(me.received, 1) == 1; }, 60'000));
    EXPECT_EQ(Count(me.sent, 16), 1) << "one ready packet";

    bool clicked = false;
    if (keen) t.loop.afterEvent = [&] { if (!clicked) clicked = ClickFirstOffer(c); };
    EXPECT_TRUE(t.RunUntil([&] { return Count(me.received, 3) >= 1; }, 120'000));
    t.loop.afterEvent = nullptr;
    if (keen) { EXPECT_TRUE(clicked) << "a call was offered during the deal"; }

    const Packet* bottom = nullptr;
    for (const auto& p : me.received)
        if (p[3] == 3) bottom = &p;
    if (!bottom) return out;
    out.clientTook = (*bottom)[6] == c.seats.player[0].seat;
    if (out.clientTook) {
        // Nobody touches the hand: the bury countdown buries the last eight slots.
        EXPECT_TRUE(t.RunUntil([&] { return Count(me.sent, 4) == 1; }, 60'000));
        EXPECT_EQ(c.seats.player[0].hand.count, 25);
    }
    // Play begins: the server names the first player.
    EXPECT_TRUE(t.RunUntil([&] { return Count(me.received, 6) >= 1; }, 120'000));
    EXPECT_EQ(t.ended, 0);
    for (const auto& p : me.sent)
        if (p[3] == 4) out.buries.push_back(p);
    for (const auto& line : t.log) {
        EXPECT_EQ(line.find("refused"), std::string::npos) << line;
        EXPECT_EQ(line.find("malformed"), std::string::npos) << line;
    }
    return out;
}

TEST(LocalTable, PassingPlayerReachesTheFirstTrick) {
    for (std::uint64_t seed : {2, 4, 6}) {
        SCOPED_TRACE(seed);
        PlayToFirstTrick(seed, false);
    }
}

TEST(LocalTable, KeenCallerTakesAndBuriesTheBottom) {
    int took = 0;
    for (std::uint64_t seed = 1; seed <= 12 && took < 2; ++seed) {
        SCOPED_TRACE(seed);
        RoundOutcome r = PlayToFirstTrick(seed, true);
        if (!r.clientTook) continue;
        ++took;
        ASSERT_EQ(r.buries.size(), 1u);
        // Eight distinct identifiers and the points they carry.
        std::vector<int> ids(r.buries[0].begin() + 16, r.buries[0].begin() + 24);
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
        EXPECT_LE(r.buries[0][12], 100);
    }
    EXPECT_GT(took, 0) << "in no seed did the keen player take the bottom";
}

TEST(LocalTable, WholeRoundsRunWithTheClientSittingIdle) {
    // The server plays the silent seat's turns; the client survives every packet of a round.
    LocalTable t(BotTable(5));
    LocalClient& me = t.AddClient("bob");
    ASSERT_TRUE(t.RunUntil([&] { return me.c->seats.g_SeatedCount == 4; }, 20'000));
    PressReady(*me.c);
    ASSERT_TRUE(t.RunUntil([&] { return Count(me.received, 9) >= 1; }, 30 * 60'000));
    EXPECT_EQ(t.ended, 0);
}

}  // namespace
}  // namespace zorvan::test
