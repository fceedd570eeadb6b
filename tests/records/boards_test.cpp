// The score board, the hero board, the player card and the round details as the user reaches them.
#include <gtest/gtest.h>

#include "records/records_fixture.h"

namespace zorvan::testing {
namespace {

using BoardsTest = RecordsFixture;

// Round 1: positions 0 and 2 win; round 2: positions 1 and 3 win.
void TwoRounds(BoardsTest& t) {
    t.Settle(BoardsTest::Usual());
    RoundEnd r = BoardsTest::Usual();
    for (auto& b : r.blocks) b.result = b.result == 1 ? 0 : 1;
    t.Settle(r);
}

TEST_F(BoardsTest, HeroRowsSelectTogetherAndOpenTheirRound) {
    TwoRounds(*this);
    auto& h = H();
    EXPECT_EQ(h.Num.items, (std::vector<std::string>{"           1", "           2"}));
    EXPECT_EQ(h.Grade[0].items, (std::vector<std::string>{"200", "-200"}));
    EXPECT_EQ(h.sunScore[0].Caption, "0");
    h.Grade[2].ListIndex = 0;
    h.Grade[2].TopIndex = 0;
    h.Grade[2].events.Click(h.Grade[2]);
    EXPECT_EQ(h.Num.ListIndex, 0);
    for (int p = 0; p < 4; ++p) EXPECT_EQ(h.Grade[p].ListIndex, 0);

    HideScoreBoard(c);
    h.Num.events.DblClick(h.Num);
    EXPECT_TRUE(S().Visible);
    EXPECT_EQ(S().ID[0].ForeColor, ui::kRed);
    EXPECT_EQ(S().ID[1].ForeColor, kYellow);
    EXPECT_EQ(S().State[4].items, std::vector<std::string>{"最终分：200金币"}) << "round 1 is back on the board";

    // A row beyond the stored rounds: no section, empty names, the lists of the last sheet.
    const auto lists = S().State[4].items;
    h.Num.ListIndex = 5;
    h.Num.events.DblClick(h.Num);
    EXPECT_EQ(S().ID[0].Caption, "");
    EXPECT_EQ(S().State[4].items, lists);
}

TEST_F(BoardsTest, ScoreButtonColoursByTheLastRound) {
    ColourScoreBoardNames(c);
    for (int p = 0; p < 4; ++p) EXPECT_EQ(S().ID[p].ForeColor, kYellow);
    TwoRounds(*this);
    ColourScoreBoardNames(c);
    EXPECT_EQ(S().ID[0].ForeColor, kYellow);
    EXPECT_EQ(S().ID[1].ForeColor, ui::kRed);
    EXPECT_EQ(S().ID[3].ForeColor, ui::kRed);
}

TEST_F(BoardsTest, WindowsCloseAndCentre) {
    c.main.Move(1500, 3000, 15360, 11520);
    ShowScoreBoardCentred(c);
    EXPECT_EQ(S().Left, 1500 + (15360 - S().Width) / 2);
    EXPECT_EQ(S().Top, 3000 + (11520 - S().Height) / 2);
    S().Image1[0].events.Click(S().Image1[0]);
    EXPECT_FALSE(ScoreBoardVisible(c));
    ShowHeroBoardCentred(c);
    EXPECT_TRUE(HeroBoardVisible(c));
    H().Image1[0].events.Click(H().Image1[0]);
    EXPECT_FALSE(HeroBoardVisible(c));
    EXPECT_NE(std::find(c.forms.begin(), c.forms.end(), &H()), c.forms.end());
}

TEST_F(BoardsTest, PlayerCardOnHoverOnlyForASeatedPlayer) {
    c.main.Move(0, 0, 15360, 11520);
    auto& card = PlayerCard(c);
    c.seats.info[2].location = "杭州";
    c.seats.info[2].wins = 7;
    c.main.Tou[2].events.MouseMove(c.main.Tou[2], {});
    ASSERT_TRUE(card.Visible);
    EXPECT_EQ(card.Inf[0].Caption, "nick-p4");
    EXPECT_EQ(card.Inf[1].Caption, "男");
    EXPECT_EQ(card.Inf[2].Caption, "杭州");
    EXPECT_EQ(card.Inf[7].Caption, "7");
    EXPECT_EQ(card.Left, static_cast<int>(c.main.Pic1.Left + 15360 / 3.0));
    EXPECT_EQ(card.Top, static_cast<int>(c.main.Pic1.Top + 0.11 * 11520));
    c.main.Pic1.events.MouseMove(c.main.Pic1, {});
    EXPECT_FALSE(card.Visible);

    HandlePlayerLeft(c, PlayerLeft("p8"));
    c.main.Level[3].events.MouseMove(c.main.Level[3], {});
    EXPECT_FALSE(card.Visible) << "nobody sits at position 3";

    c.main.imgJishu.events.MouseMove(c.main.imgJishu, {});
    EXPECT_TRUE(c.round.frmMingXi->Visible);
    c.main.imgDinglan.events.MouseMove(c.main.imgDinglan, {});
    EXPECT_FALSE(c.round.frmMingXi->Visible);
}

TEST_F(BoardsTest, PlayersLeavingClearTheTotals) {
    TwoRounds(*this);
    Settle(Usual());
    EXPECT_EQ(H().sunScore[0].Caption, "200");
    ClearHeroTotals(c);
    EXPECT_EQ(H().sunScore[0].Caption, "");
    Settle(Usual());
    EXPECT_EQ(H().sunScore[0].Caption, "200") << "the totals start again";
}

}  // namespace
}  // namespace zorvan::testing
