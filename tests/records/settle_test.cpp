// Settlement of command 9: the fields the sheet reads, the texts of the sheet, coins, levels, the
// hero board, the colours, the countdown to the next round and the faults that stop settlement.
#include <gtest/gtest.h>

#include "records/records_fixture.h"

namespace zorvan::testing {
namespace {

using Lines = std::vector<std::string>;
const std::string D22(22, '-'), D23(23, '-'), D24(24, '-');

Lines Header(const std::string& coins, const std::string& stake) {
    return {"   初始：" + coins, " -------------------  ", "", "房间底金：" + stake + "金币", D24};
}
Lines Join(std::initializer_list<Lines> parts) {
    Lines out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

using SettleTest = RecordsFixture;

TEST_F(SettleTest, WholeColumnsOfAWinnerAndALoser) {
    RoundEnd r = Usual();
    r.counters = 2;
    Settle(r);
    const Lines scores0 = {"面 上 分：0", "", "底 牌 分：0", "", "扣底倍数：0", "", "总 得 分：85", "", D22};
    const Lines align = {" ", D22};
    EXPECT_EQ(Col(0), Join({Header("1000", "100"), scores0, align,
                            {"反底次数：2", "", "本局升3级", "", "", "总分：200金币", D23, "", "", "总分：200金币"}}));
    const Lines scores1 = {"面 上 分：10", "", "底 牌 分：0", "", "扣底倍数：0", "", "总 得 分：85", "", D22};
    EXPECT_EQ(Col(1), Join({Header("1000", "100"), scores1, align,
                            {"反底次数：2", "", "", "", "", "总分：- 200金币", D24, "", "总分：- 200金币"}}));
    EXPECT_EQ(Col(4), Lines{"最终分：200金币"});
    EXPECT_EQ(Col(5), Lines{"最终分：- 200金币"});
}

TEST_F(SettleTest, BigEndianFieldsAndPrintedNumbers) {
    struct Case { std::int32_t stake; int total; std::string stakeText, totalText; };
    for (const Case& k : {Case{0x00010203, 0x0102, "66051", "258"}, Case{-1, 32767, "-1", "32767"},
                          Case{0, 0, "0", "0"}}) {
        SCOPED_TRACE(k.stakeText);
        RoundEnd r = Usual();
        r.stake = k.stake;
        for (auto& b : r.blocks) b.total = k.total;
        Settle(r);
        EXPECT_EQ(Col(3)[3], "房间底金：" + k.stakeText + "金币");
        EXPECT_EQ(Col(3)[11], "总 得 分：" + k.totalText);
    }
}

TEST_F(SettleTest, AmountsAreSixtyFourBitLittleEndian) {
    RoundEnd r = Usual();
    r.blocks[0].amount = 0x0000000100000000ULL;  // 4294967296
    r.blocks[1].amount = 0;
    Settle(r);
    EXPECT_EQ(Col(4), Lines{"最终分：4294967296金币"});
    EXPECT_EQ(c.seats.info[0].coins, 1000 + 4294967296.0);
    // A loser without coins lost: no minus sign anywhere.
    EXPECT_EQ(Col(5), Lines{"最终分： 0金币"});
    EXPECT_EQ(H().Grade[1].items, Lines{"0"});
}

TEST_F(SettleTest, DealerColumnsAreRebuilt) {
    struct Case { int status, face; std::size_t dashesAt; std::string line; };
    // The rebuilt column holds 13 lines before the closing dashes; status 4 with face points keeps its
    // score lines (5 + 8 before the dashes as well, but starting with the face points).
    for (const Case& k : {Case{1, 20, 13, "本局庄家"}, Case{2, 20, 13, "本局庄家"}, Case{3, 20, 13, ""},
                          Case{4, 0, 13, ""}, Case{4, 20, 13, "面 上 分：20"}}) {
        SCOPED_TRACE(k.status * 100 + k.face);
        RoundEnd r = Usual();
        r.blocks[1].dealer = k.status;
        r.blocks[1].face = k.face;
        Settle(r);
        ASSERT_GT(Col(1).size(), k.dashesAt);
        EXPECT_EQ(Col(1)[k.dashesAt], D22);
        EXPECT_EQ(Col(1)[5], k.line);
        if (k.status == 2) {
            EXPECT_EQ((Lines{Col(1)[6], Col(1)[7]}), (Lines{" ", "下庄"}));
        }
    }
}

TEST_F(SettleTest, BottomKillLines) {
    RoundEnd r = Usual();
    r.bottomKill = 1;
    r.blocks[2].dealer = 1;
    r.blocks[2].multiplier = 2;
    Settle(r);
    EXPECT_EQ(Col(2)[7], "庄家扣底");
    EXPECT_EQ(Col(2)[8], "扣底倍数：2");
    EXPECT_EQ(Col(0)[9], "") << "the multiplier line is an empty line";
}

TEST_F(SettleTest, PenaltyLinesAndAlignment) {
    RoundEnd r = Usual();
    r.blocks[3].failed = 2;
    Packet p = r.Build();
    p[160 + 4 * 3] = 5;      // seat 3: cards of failed throws
    p[160 + 4 * 3 + 2] = 1;  // red five in the killed bottom
    HandleSettlement(c, p);
    const Lines& col3 = Col(3);
    EXPECT_EQ((Lines(col3.begin() + 14, col3.begin() + 20)),
              (Lines{"甩牌失败：2次", "", "甩牌失败张数：5张", "", "是否红五扣底：是", ""}));
    // Every column reaches the same line count before the aligning dashes.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Col(i)[21], D22) << i;
    EXPECT_EQ(Col(0)[14], " ");
}

TEST_F(SettleTest, FeeModeAndPropCoins) {
    struct Case { bool captionOnly; std::string line; };
    for (const Case& k : {Case{false, "台费5%"}, Case{true, "台费"}}) {
        RoundEnd r = Usual();
        r.mode = 0;
        r.fee = 5;
        r.blocks[0].afterFee = 190;
        c.round.g_FeeCaption = "台费";
        c.round.g_FeeCaptionOnly = k.captionOnly;
        c.settle.g_PropText[0] = "香烟00000255";
        c.settle.g_PropCoins[0] = 7;
        Settle(r);
        const Lines& col = Col(0);
        auto at = std::find(col.begin(), col.end(), k.line);
        ASSERT_NE(at, col.end()) << k.line;
        EXPECT_EQ((Lines(at + 1, at + 4)), (Lines{"", "总分：190金币", "香烟得分：7金币"}));
        EXPECT_EQ(Col(4), Lines{"最终分：197金币"});
        EXPECT_EQ(c.settle.g_PropText[0], "");
        EXPECT_EQ(c.settle.g_PropCoins[0], 0);
    }
}

TEST_F(SettleTest, WealthMultipleLines) {
    c.seats.g_WealthMultiplier = 2;
    c.round.g_WealthText = "2";
    struct Case { std::uint64_t amount; std::string winner, loser; };
    for (const Case& k : {Case{5, "小计:2金币", "小计: - 2金币"}, Case{7, "小计:4金币", "小计: - 4金币"},
                          Case{0, "小计:0金币", "小计:0金币"}}) {
        SCOPED_TRACE(k.amount);
        RoundEnd r = Usual();
        for (auto& b : r.blocks) b.amount = k.amount;
        Settle(r);
        EXPECT_EQ(Col(0)[20], k.winner);
        EXPECT_EQ(Col(0)[21], "财富加倍 ×2");
        EXPECT_EQ(Col(1)[20], k.loser);
    }
    c.main.lbwealth.Caption = "3";
    c.main.Imgwealth.events.MouseMove(c.main.Imgwealth, {});
    EXPECT_EQ(c.main.lbwealth.ToolTipText, "财富加倍 ×3");
}

TEST_F(SettleTest, PropLinesAndTheirColour) {
    c.settle.g_PropText[1] = "红包00000255|鲜花00065280";
    Settle(Usual());
    EXPECT_EQ((Lines(Col(1).begin() + 5, Col(1).begin() + 8)), (Lines{"红包", "鲜花", ""}));
    EXPECT_EQ(S().State[1].ForeColor, ui::kGreen);
    // Every other column gets the same number of filler lines.
    EXPECT_EQ((Lines(Col(0).begin() + 5, Col(0).begin() + 9)), (Lines{"", "", "", "面 上 分：0"}));
}

TEST_F(SettleTest, CoinsLevelsAndHeroBoard) {
    struct Case { int level; std::string shown; };
    for (const Case& k : {Case{1, "第一级"}, Case{10, "第十级"}, Case{21, "第二十一级"}, Case{40, "第四十级"},
                          Case{0, "kept"}, Case{41, "kept"}}) {
        SCOPED_TRACE(k.level);
        c.main.Level[2].Caption = "kept";
        RoundEnd r = Usual();
        r.blocks[2].level = k.level;
        Settle(r);
        EXPECT_EQ(c.main.Level[2].Caption, k.shown);
    }
    // Six rounds: the winners gained 1200, the losers lost 1200 of their 1000 and show 0.
    EXPECT_EQ(c.seats.info[0].coins, 2200);
    EXPECT_EQ(c.seats.info[0].wins, 6);
    EXPECT_EQ(c.seats.info[1].coins, 0);
    EXPECT_EQ(c.seats.info[1].losses, 6);
    EXPECT_EQ(c.main.Cash[1].Caption, "0金币");
    EXPECT_EQ(c.main.Cash[0].Caption, "2200金币");
    EXPECT_EQ(SettledRounds(c), 6);
    EXPECT_EQ(H().Num.items.back(), "           6");
    EXPECT_EQ(H().Grade[1].items.back(), "-200");
    EXPECT_EQ(H().sunScore[0].Caption, "1200");
    EXPECT_EQ(H().sunScore[1].Caption, "-1200");
    RoundEnd bars = Usual();
    bars.goldCoins = 0;
    Settle(bars);
    EXPECT_EQ(c.main.Cash[0].Caption, "2400金条");
}

TEST_F(SettleTest, OnlyAPairOfHighlightsIsRed) {
    RoundEnd one = Usual();
    one.blocks[1].red = true;
    Settle(one);
    EXPECT_EQ(S().State[1].ForeColor, ui::kBlack);
    RoundEnd two = Usual();
    two.blocks[1].red = two.blocks[3].red = true;
    Settle(two);
    for (int pos : {1, 3}) {
        EXPECT_EQ(S().State[pos].ForeColor, ui::kRed);
        EXPECT_EQ(S().State[pos + 4].ForeColor, ui::kRed);
        EXPECT_EQ(S().ID[pos].ForeColor, ui::kRed);
    }
    EXPECT_EQ(S().ID[0].ForeColor, ui::kBlack);
}

TEST_F(SettleTest, SheetShownBottomRevealedAndTheNextRoundCountedDown) {
    c.round.g_GameInProgress = true;
    c.net.g_SettleHold = false;
    StartCountdown(c, Countdown::Play, 20);
    RoundEnd r = Usual();
    r.bottomCards = {{14, 8}, {2, 1}, {16, 1}, {5, 4}, {10, 2}, {3, 8}, {15, 1}, {7, 4}};
    Settle(r);
    EXPECT_TRUE(S().Visible);
    EXPECT_EQ(S().ID[1].Caption, "nick-p2");
    EXPECT_EQ(c.main.imgDiPai[0].picture, ui::Picture::Gif(c.images.cards[16 * 3 + 14]));
    EXPECT_EQ(c.main.imgDiPai[1].picture, ui::Picture::Gif(c.images.cards[15]));
    EXPECT_EQ(c.main.imgDiPai[2].picture, ui::Picture::Gif(c.images.cards[17]));
    EXPECT_EQ(c.main.imgDiPai[7].Left, c.main.imgDiPai[0].Left + 7 * 0.25 * c.main.imgDiPai[0].Width);
    for (int j = 0; j < 8; ++j) EXPECT_TRUE(c.main.imgDiPai[j].Visible);
    EXPECT_EQ(c.main.Sysmsg[0].items, Lines{"请点击【继续】按钮继续游戏！"});
    EXPECT_EQ(c.main.Sysmsg[1].items, Lines{"游戏将在15秒内开始"});
    EXPECT_FALSE(c.round.g_GameInProgress);
    EXPECT_FALSE(c.net.g_SettleHold);
    EXPECT_TRUE(CountdownRunning(c, Countdown::Ready));
    EXPECT_FALSE(CountdownRunning(c, Countdown::Play));
    EXPECT_EQ(c.pump.g_Countdown, 12);
    EXPECT_TRUE(c.main.Number.Visible);
    EXPECT_EQ(c.main.Number.ForeColor, ui::kGreen);
}

TEST_F(SettleTest, APluginPacketParkedDuringThePauseSurvivesIt) {
    ArmSettleHold(c);
    Packet parked = MakePacket(45);
    parked[9] = 129 * 8 % 256;
    parked[8] = 129 * 8 / 256;
    c.net.g_HoldA = HeldPacket{parked, false};
    Settle(Usual());
    EXPECT_FALSE(c.net.g_SettleHold);
    EXPECT_EQ(c.net.g_HoldA.bytes[3], 45);
    ReleaseSettleHold(c);  // the next deal
    EXPECT_EQ(QueuedOf(45).size(), 1u);
}

TEST_F(SettleTest, HiddenTableAndSpectator) {
    c.login.g_HiddenMode = true;
    Settle(Usual());
    EXPECT_FALSE(S().Visible);
    EXPECT_EQ(c.pump.g_Countdown, 1);
    c.login.g_HiddenMode = false;
    c.login.g_Spectator = true;
    StopCountdowns(c);
    Settle(Usual());
    EXPECT_FALSE(CountdownRunning(c, Countdown::Ready));
}

TEST_F(SettleTest, FaultsStopSettlementWithTheMessage) {
    struct Case { const char* what; std::function<void(RoundEnd&)> change; std::string text; };
    const std::vector<Case> cases = {
        {"prop item", [this](RoundEnd&) { c.settle.g_PropText[0] = "没有颜色"; }, "算分错误"},
        {"total", [](RoundEnd& r) { r.blocks[2].total = 0x8000; }, "算分错误"},
        {"avatar", [this](RoundEnd& r) { r.blocks[0].level = 0; r.blocks[2].level = 99; c.seats.g_NameAvatar[1].second = "20"; },
         "算分错误显示级别0显示级别99"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        RoundEnd r = Usual();
        k.change(r);
        sim.dialogs.shown.clear();
        EXPECT_THROW(Settle(r), platform::ProgramEnded);
        ASSERT_FALSE(sim.dialogs.shown.empty());
        EXPECT_EQ(sim.dialogs.shown.back().text, k.text);
        c.settle.g_PropText[0].clear();
        c.seats.g_NameAvatar[1].second = "1";
    }
}

}  // namespace
}  // namespace zorvan::testing
