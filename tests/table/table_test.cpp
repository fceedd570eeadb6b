// Seats, roster and the table's start: who is shown where and what goes to the server.
#include <set>

#include "round/table_fixture.h"

namespace zorvan::testing {
namespace {

using TableTest = TableFixture;

TEST_F(TableTest, OwnBitFourSeatsPlayersAtTwoThreeZeroOne) {
    HandlePlayerInfo(c, PlayerInfo(4, 4, "me"));
    for (int seat : {1, 2, 8}) HandlePlayerInfo(c, PlayerInfo(4, seat, "p" + std::to_string(seat)));
    struct Case { int seat; int position; };
    for (auto [seat, position] : {Case{1, 2}, Case{2, 3}, Case{4, 0}, Case{8, 1}}) {
        EXPECT_EQ(ScreenPosition(c, seat), position);
        auto account = seat == 4 ? std::string("me") : "p" + std::to_string(seat);
        EXPECT_EQ(c.seats.player[static_cast<std::size_t>(position)].name, account);
        EXPECT_EQ(c.main.Nid[position].Caption, "[] nick-" + account);
    }
    EXPECT_EQ(c.seats.g_SeatedCount, 4);
    EXPECT_EQ(c.main.windowState, ui::WindowState::Normal);
    EXPECT_EQ(c.main.Sysmsg[0].items.back(), "游戏将在15秒内开始");
}

TEST_F(TableTest, RepeatedInfoForASeatedPlayerCountsOnce) {
    HandlePlayerInfo(c, PlayerInfo(1, 1, "me"));
    HandlePlayerInfo(c, PlayerInfo(1, 2, "p2"));
    HandlePlayerInfo(c, PlayerInfo(1, 2, "p2"));
    EXPECT_EQ(c.seats.g_SeatedCount, 2);
}

TEST(AvatarIndex, CodesFromProfiles) {
    struct Case { const char* code; int index; };
    for (auto [code, index] : {Case{"w3", 12}, Case{"m10", 9}, Case{"m11", 0}, Case{"m1", 0}, Case{"mx", 0},
                               Case{"m0", 0}, Case{"w", 10}, Case{"w10", 19}, Case{"m123", 0}})
        EXPECT_EQ(AvatarIndex(code), index) << code;
}

TEST(CoinTier, Thresholds) {
    EXPECT_EQ(CoinTier(19999), 0);
    EXPECT_EQ(CoinTier(20000), 1);
    EXPECT_EQ(CoinTier(59999.5), 1);
    EXPECT_EQ(CoinTier(60000), 2);
}

TEST_F(TableTest, InfoFieldsAndReadyMarkByCoinTier) {
    HandlePlayerInfo(c, PlayerInfo(1, 1, "me"));
    Packet p = PlayerInfo(1, 2, "p2", 60000, "w3", 0);
    p[208] = 1;
    HandlePlayerInfo(c, p);
    EXPECT_EQ(c.main.Cash[1].Caption, "金币60000");
    EXPECT_EQ(c.main.OK[1].picture, ui::Picture::Gif(282));
    EXPECT_TRUE(c.main.OK[1].Visible);
    EXPECT_EQ(c.main.Tou[1].picture, ui::Picture::Gif(252));
    EXPECT_EQ(c.seats.g_NameAvatar[1].second, "12");
}

TEST_F(TableTest, LeastPositiveMultiplierIsShown) {
    auto withMultiplier = [](Packet p, int m) {
        Put32LE(p, 234, static_cast<std::uint32_t>(m));
        return p;
    };
    HandlePlayerInfo(c, withMultiplier(PlayerInfo(1, 1, "me"), 0));
    EXPECT_FALSE(c.main.lbwealth.Visible);
    HandlePlayerInfo(c, withMultiplier(PlayerInfo(1, 2, "p2"), 50));
    HandlePlayerInfo(c, withMultiplier(PlayerInfo(1, 4, "p4"), 30));
    EXPECT_EQ(c.main.lbwealth.Caption, "30");
    EXPECT_EQ(c.main.lbwealth.FontSize, 18);
    EXPECT_TRUE(c.main.Imgwealth.Visible);
}

TEST_F(TableTest, DepartureWithRaisedFirstByteEmptiesThatSeat) {
    HandlePlayerInfo(c, PlayerInfo(1, 1, "me"));
    HandlePlayerInfo(c, PlayerInfo(1, 2, "Abc"));
    c.table.g_TableOpen = true;
    HandlePlayerLeft(c, PlayerLeft("Abc", /*firstByteRaised*/ true));
    EXPECT_TRUE(c.seats.player[1].name.empty());
    EXPECT_EQ(c.seats.g_SeatedCount, 1);
    EXPECT_TRUE(c.main.Nid[1].Caption.empty());
    EXPECT_EQ(c.main.Sysmsg[0].items.back().rfind("nick-Abc退出了游戏 ", 0), 0u);
    EXPECT_TRUE(c.pump.g_ReadyTimer);  // the table was open: the ready countdown starts
    EXPECT_EQ(c.pump.g_Countdown, 12);
}

TEST_F(TableTest, OwnDepartureRestoresTheLobbyAndEnds) {
    HandlePlayerInfo(c, PlayerInfo(1, 1, "me"));
    EXPECT_THROW(HandlePlayerLeft(c, PlayerLeft("me")), platform::ProgramEnded);
    EXPECT_TRUE(sim.ended);
    ASSERT_FALSE(desk.to(kLobby).empty());
    EXPECT_EQ(desk.to(kLobby).back().w, platform::WindowBus::kScRestore);
}

TEST_F(TableTest, FourthInfoGivesDistinctVoicesWithinEachSex) {
    int sexes[] = {1, 1, 1, 0};
    int seat = 1;
    for (int i = 0; i < 4; ++i, seat *= 2)
        HandlePlayerInfo(c, PlayerInfo(1, seat, i == 0 ? "me" : "p" + std::to_string(i), 1000, "m1", sexes[i]));
    std::set<std::string> male;
    for (int p = 0; p < 4; ++p) {
        const auto& u = c.seats.info[static_cast<std::size_t>(p)];
        EXPECT_EQ(u.voiceGroup, "27");
        if (u.male) { EXPECT_TRUE(male.insert(u.voiceCode).second) << u.voiceCode; }
    }
    EXPECT_EQ(male.size(), 3u);
}

TEST_F(TableTest, ReadyPacketAndReadyAction) {
    HandlePlayerInfo(c, PlayerInfo(2, 2, "me"));
    PlayerGetsReady(c);
    auto sent = QueuedOf(16);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][6], 2);
    EXPECT_EQ(sent[0][15], 1);
    EXPECT_TRUE(c.table.g_TableReset);
}

TEST_F(TableTest, ShuffleAnnouncedShowsOnlyAfterTheReadyAction) {
    HandlePlayerInfo(c, PlayerInfo(1, 1, "me"));
    c.table.g_TableOpen = true;
    Packet p = MakePacket(16);
    p[11] = 1;
    HandleTableAnnounce(c, p);
    EXPECT_FALSE(c.main.LblShuffle.Visible);
    EXPECT_TRUE(c.table.g_ShufflePending);
    PlayerGetsReady(c);
    EXPECT_TRUE(c.main.LblShuffle.Visible);
    EXPECT_EQ(c.main.LblShuffle.Caption, "正在随机换座中..");
    loop.runFor(300);
    EXPECT_EQ(c.main.LblShuffle.Caption, "正在随机换座中...");
    HandlePlayerInfo(c, PlayerInfo(1, 2, "p2"));  // a player sitting down ends it
    EXPECT_FALSE(c.main.LblShuffle.Visible);
    EXPECT_FALSE(c.main.TimerShuffle->enabled());
}

TEST_F(TableTest, AnnouncementWhileClosedOnlyChangesTheMultiplier) {
    c.table.g_TableOpen = false;
    c.seats.g_WealthMultiplier = 5;
    Packet p = MakePacket(16);
    Put32LE(p, 16, 200);
    HandleTableAnnounce(c, p);
    EXPECT_FALSE(c.table.g_ShufflePending);
    EXPECT_EQ(c.main.lbwealth.Caption, "200");
    EXPECT_EQ(c.main.lbwealth.FontSize, 13);
}

TEST_F(TableTest, CoinsNoticeNamesSeatsInOrder) {
    HandlePlayerInfo(c, PlayerInfo(2, 2, "me"));
    HandlePlayerInfo(c, PlayerInfo(2, 1, "p1"));
    HandlePlayerInfo(c, PlayerInfo(2, 4, "p4"));
    Packet p = MakePacket(16);
    p[15] = 3;
    p[6] = 5;  // seat bits 1 and 4, neither the player's
    HandleTableAnnounce(c, p);
    EXPECT_EQ(c.main.Sysmsg[0].items.back(), "玩家nick-p4金币不够，退出游戏！");
    EXPECT_FALSE(c.table.g_TableReset);
}

TEST(ReducedLayout, AnchorsAreScaled) {
    sim::SimLoop loop;
    sim::SimDesktop desk;
    sim::SimPlatform sim{loop, desk};
    Client c{sim.os};
    c.layout.g_ScaleX = c.layout.g_ScaleY = 0.78125;
    CreateTableControls(c);
    CreateTableControls2(c);
    ResetTable(c);
    EXPECT_EQ(c.table.g_HandTop, 441);
    EXPECT_EQ(c.table.g_DealLeft, 141);  // 180 x 0.78125 = 140.625
    EXPECT_EQ(c.seats.player[0].anchorX, 391);  // 390.625
    EXPECT_DOUBLE_EQ(c.main.cardImage0[5].Width, 90 * 0.78125);
}

TEST_F(TableTest, ResetTableLaysOutTheCallOptionsInRows) {
    // Row 0 spades at the call grid's top, the joker pairs four rows above; a pair side by side.
    EXPECT_EQ(c.main.imgJiaoZhu[0].Top, 475);
    EXPECT_EQ(c.main.imgJiaoZhu[1].Left + 22, c.main.imgJiaoZhu[2].Left);
    EXPECT_EQ(c.main.imgJiaoZhu[9].Top, 475 - 65 * 3);
    EXPECT_EQ(c.main.imgJiaoZhu[14].Top, 475 - 65 * 4);
    EXPECT_EQ(c.main.imgJiaoZhu[15].Left, 275 + 22 * 3);
    EXPECT_FALSE(c.main.imgJiaoZhu[0].Visible);
    EXPECT_TRUE(c.round.g_MayCall);
    EXPECT_TRUE(c.round.g_StopDeal);
}

}  // namespace
}  // namespace zorvan::testing
