// Trick play as a player sees it: plays arriving at the table, the own turn, the play and hint
// buttons, the refusal window, the packet sent, and failed throws.
#include "round/table_fixture.h"
#include "round/trick.h"

namespace zorvan::testing {
namespace {

constexpr int kOwn = 1;  // own seat bit: positions equal seat indices

struct TrickTest : TableFixture {
    TrickTest() {
        for (int seat : {1, 2, 4, 8}) HandlePlayerInfo(c, PlayerInfo(kOwn, seat, seat == kOwn ? "me" : "p" + std::to_string(seat)));
        HandleDeal(c, Deal(PlainHand(), 7));
        loop.runFor(350 + 400 * 25 + 10);
        for (int q = 1; q < 4; ++q) c.seats.player[static_cast<std::size_t>(q)].hand = rules::Hand::Dealt(std::vector<CardValue>(25, 0));
    }
    int RaisedCount() {
        int n = 0;
        for (int i = 0; i < c.seats.player[0].hand.count; ++i) n += SlotRaised(c, i) ? 1 : 0;
        return n;
    }
    void Click(int index) { c.main.Operation[index].events.Click(c.main.Operation[index]); }
    void MouseDown(int img, int button) { c.main.cardImage0[img].events.MouseDown(c.main.cardImage0[img], ui::MouseEvent{button}); }
    int SlotOf(CardValue v) {
        auto& h = c.seats.player[0].hand;
        for (int i = 0; i < h.count; ++i)
            if (h.card[static_cast<std::size_t>(i)].value == v) return i;
        return -1;
    }
};

// Command 6: `seat` played `cards` (plain list), `next` plays next.
Packet Play(int seat, int next, int b15, const std::vector<CardValue>& cards, int type = 1, int suit = 1) {
    Packet p = MakePacket(6);
    p[6] = static_cast<std::uint8_t>(seat);
    p[8] = static_cast<std::uint8_t>(next);
    p[15] = static_cast<std::uint8_t>(b15);
    p[17] = static_cast<std::uint8_t>(cards.size());
    p[18] = static_cast<std::uint8_t>(type);
    p[19] = static_cast<std::uint8_t>(suit);
    for (std::size_t j = 0; j < cards.size(); ++j) {
        p[22 + 2 * j] = static_cast<std::uint8_t>(rules::pm(cards[j]));
        p[23 + 2 * j] = static_cast<std::uint8_t>(rules::hs(cards[j]));
    }
    p[215] = 20;
    return p;
}
Packet Opening(int next) { return Play(0, next, 1, {}); }

TEST_F(TrickTest, AnotherSeatsPlayIsDrawnAtItsSpot) {
    struct Case { int seat, n; double x; double y; };
    const Case cases[] = {{2, 10, 390, 310}, {8, 7, 680, 310}, {2, 3, 300, 310}, {4, 2, 500, 165 + 20}};
    for (const auto& k : cases) {
        const int pos = ScreenPosition(c, k.seat);
        auto& arr = pos == 1 ? c.main.cardImage1 : pos == 2 ? c.main.cardImage2 : c.main.cardImage3;
        const int before = c.round.g_OppPlayedCount[static_cast<std::size_t>(pos - 1)];
        const int hand = c.seats.player[static_cast<std::size_t>(pos)].hand.count;
        HandlePlay(c, Opening(k.seat));
        HandlePlay(c, Play(k.seat, k.seat == 2 ? 4 : 2, 0, std::vector<CardValue>(static_cast<std::size_t>(k.n), MakeCard(4, 7))));
        for (int j = 0; j < k.n; ++j) {
            auto& img = arr[before + j];
            EXPECT_TRUE(img.Visible) << k.seat << " card " << j;
            EXPECT_DOUBLE_EQ(img.Top, k.y) << k.seat;
            EXPECT_NEAR(img.Left, k.x - (0.11 * k.n + 0.39) * 90 + j * 0.22 * arr[0].Width, 1e-9) << k.seat;
        }
        EXPECT_EQ(c.round.g_OppPlayedCount[static_cast<std::size_t>(pos - 1)], before + k.n);
        EXPECT_EQ(c.seats.player[static_cast<std::size_t>(pos)].hand.count, hand - k.n);
        EXPECT_EQ(c.round.lead.formerNum, k.n);
    }
}

TEST_F(TrickTest, OwnTurnOffersPlayAndHintUnlessNobodyPlaysNext) {
    struct Case { int next, b15; bool offered; };
    for (const auto& k : {Case{kOwn, 1, true}, Case{2, 1, false}, Case{kOwn, 10, false}}) {
        if (k.b15 == 10) HandlePlay(c, Opening(2));
        HandlePlay(c, k.b15 == 10 ? Play(0, k.next, 10, {}) : Opening(k.next));
        EXPECT_EQ(c.main.Operation[0].Visible, k.offered) << k.next << "/" << k.b15;
        EXPECT_EQ(c.main.Operation[1].Enabled, k.offered);
        EXPECT_EQ(c.round.g_PlayEnabled, k.offered);
        EXPECT_EQ(c.round.g_PlayLocked, !k.offered);
        EXPECT_EQ(c.main.Time_Img.Visible, k.b15 != 10);
    }
}

TEST_F(TrickTest, RefusedFollowShowsChuPaiAndSendsNothing) {
    HandlePlay(c, Opening(2));
    HandlePlay(c, Play(2, kOwn, 0, {MakeCard(8, 13), MakeCard(8, 13)}, 2, 8));  // a pair of spades
    ASSERT_TRUE(c.round.g_PlayEnabled);
    const int slot = SlotOf(MakeCard(8, 3, 21));
    ASSERT_GE(slot, 0);
    MouseDown(c.seats.player[0].hand.card[static_cast<std::size_t>(slot)].imgIndex, 1);  // one card for a pair
    Click(0);
    EXPECT_TRUE(c.round.ChuPai->Visible);
    EXPECT_TRUE(QueuedOf(7).empty());
    EXPECT_EQ(RaisedCount(), 1);
    EXPECT_EQ(c.seats.player[0].hand.count, 25);
    Click(4);  // restore lowers the selection and the next click hides the window
    EXPECT_EQ(RaisedCount(), 0);
    EXPECT_FALSE(c.round.ChuPai->Visible);
}

TEST_F(TrickTest, AcceptedLeadSendsCommandSevenAndTheEchoShowsIt) {
    HandlePlay(c, Opening(kOwn));
    const CardValue card = MakeCard(4, 12, 20);
    const int slot = SlotOf(card);
    const int img = c.seats.player[0].hand.card[static_cast<std::size_t>(slot)].imgIndex;
    MouseDown(img, 1);
    EXPECT_DOUBLE_EQ(c.main.cardImage0[img].Top, c.table.g_HandTop - c.main.cardImage0[img].Height / 5);
    MouseDown(img, 2);  // the right button plays
    auto sent = QueuedOf(7);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][6], kOwn);
    EXPECT_EQ(sent[0][15], 2);
    EXPECT_EQ(sent[0][17], 1);
    EXPECT_EQ(c.seats.player[0].hand.count, 24);
    EXPECT_EQ(SlotOf(card), -1);
    EXPECT_FALSE(c.main.cardImage0[img].Visible);
    EXPECT_FALSE(c.main.Operation[0].Visible);
    MouseDown(c.seats.player[0].hand.card[0].imgIndex, 2);  // no second play in the same turn
    EXPECT_EQ(QueuedOf(7).size(), 1u);

    HandlePlay(c, Play(kOwn, 2, 0, {card}, 1, 4));
    EXPECT_TRUE(c.main.cardImage0[img].Visible);
    EXPECT_DOUBLE_EQ(c.main.cardImage0[img].Top, c.seats.player[0].anchorY);
    EXPECT_NEAR(c.main.cardImage0[img].Left, c.seats.player[0].anchorX - 0.5 * 90, 1e-9);

    // Next trick the server plays for the player: that card leaves the hand too.
    HandlePlay(c, Opening(kOwn));
    const CardValue next = c.seats.player[0].hand.card[5].value;
    HandlePlay(c, Play(kOwn, 2, 0, {next}, 1, rules::hs(next)));
    EXPECT_EQ(c.seats.player[0].hand.count, 23);
    EXPECT_TRUE(c.main.cardImage0[img].Visible) << "the earlier play's picture is not reused";
}

TEST_F(TrickTest, HintThenPlayFollowsTheLead) {
    HandlePlay(c, Opening(2));
    HandlePlay(c, Play(2, kOwn, 0, {MakeCard(2, 13)}, 1, 2));
    Click(1);
    EXPECT_EQ(RaisedCount(), 1);
    Click(0);
    auto sent = QueuedOf(7);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][15], 1);
    EXPECT_EQ(sent[0][19], 2);  // a club follows a club
}

TEST_F(TrickTest, CountdownEndPlaysForThePlayerAndCountsTheTimeout) {
    StartPump(c);
    c.round.g_GameInProgress = true;
    c.pump.g_TimeoutLimit = 2;
    for (int turn = 1; turn <= 2; ++turn) {
        HandlePlay(c, Opening(kOwn));
        loop.runFor(25'000);
        EXPECT_EQ(QueuedOf(7).size(), static_cast<std::size_t>(turn));
        EXPECT_EQ(c.seats.player[0].hand.count, 25 - turn);
        EXPECT_FALSE(c.main.Operation[0].Visible);
        EXPECT_EQ(c.pump.g_TimeoutCount, turn);
    }
    EXPECT_TRUE(c.table.g_Away);  // the second time-out hid the table as F1 does
}

TEST_F(TrickTest, DefendersTakePointCardsOfTheTrick) {
    HandlePlay(c, Opening(2));
    HandlePlay(c, Play(2, 4, 0, {MakeCard(1, 5)}));
    HandlePlay(c, Play(4, 8, 0, {MakeCard(1, 10)}));
    HandlePlay(c, Play(8, kOwn, 0, {MakeCard(1, 13)}));
    // The own play as the server made it for the player (nothing was sent): the card still
    // leaves the hand. The defenders take the trick.
    Packet last = Play(kOwn, 2, 1, {MakeCard(1, 3, 0)});
    last[10] = 1;
    HandlePlay(c, last);
    EXPECT_EQ(c.round.g_DefenderPoints, 25);
    EXPECT_EQ(c.round.g_PointCardCount, 3);
    EXPECT_EQ(c.main.lblDeFen.Caption, "25");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(c.main.imgDeFen[i].Visible) << i;
    EXPECT_EQ(c.seats.player[0].hand.count, 24);
    EXPECT_EQ(SlotOf(MakeCard(1, 3, 0)), -1);
}

TEST_F(TrickTest, OwnFailedThrowKeepsTheForcedCardAndReturnsTheRest) {
    HandlePlay(c, Opening(kOwn));
    std::vector<CardValue> thrown = {MakeCard(1, 12, 6), MakeCard(1, 11, 5), MakeCard(1, 9, 4), MakeCard(1, 8, 3)};
    for (auto v : thrown) MouseDown(c.seats.player[0].hand.card[static_cast<std::size_t>(SlotOf(v))].imgIndex, 1);
    Click(0);
    ASSERT_EQ(QueuedOf(7).size(), 1u);
    ASSERT_EQ(c.seats.player[0].hand.count, 21);
    const auto pics = c.round.g_MySelPics;
    Packet p = Play(kOwn, 2, 2, thrown, 1, 1);
    p[144] = 1;
    p[145] = 1;
    p[146] = 1;
    p[148] = 8, p[149] = 1;  // the 8 of diamonds is forced
    for (int k = 0; k < 3; ++k) {
        auto v = static_cast<std::uint32_t>(thrown[static_cast<std::size_t>(k)]);
        std::size_t at = 151 + 4 * static_cast<std::size_t>(k);
        p[at] = static_cast<std::uint8_t>(v >> 24), p[at + 1] = static_cast<std::uint8_t>(v >> 16);
        p[at + 2] = static_cast<std::uint8_t>(v >> 8), p[at + 3] = static_cast<std::uint8_t>(v);
    }
    HandlePlay(c, Opening(kOwn));
    std::string notice;
    auto peek = loop.makeTimer([&] { notice = c.round.frmTishi->lbTishi[0].Caption + "/" + c.round.frmTishi->lbTishi[1].Caption; });
    peek->setInterval(1000);
    peek->setEnabled(true);
    HandlePlay(c, p);
    peek->setEnabled(false);
    EXPECT_EQ(notice, "您甩牌失败！/自动出小!");
    EXPECT_FALSE(c.round.frmTishi->Visible);
    EXPECT_EQ(c.seats.player[0].hand.count, 24);
    for (int k = 0; k < 3; ++k) EXPECT_GE(SlotOf(thrown[static_cast<std::size_t>(k)]), 0) << k;
    EXPECT_EQ(c.round.lead.formerNum, 1);
    EXPECT_TRUE(c.main.cardImage0[pics[0]].Visible);
    EXPECT_EQ(c.round.g_TablePics[0][27], 1);
}

TEST_F(TrickTest, OtherSeatsFailedThrowTakesOnlyTheForcedCards) {
    HandlePlay(c, Opening(2));
    Packet p = Play(2, 4, 2, std::vector<CardValue>(5, MakeCard(2, 9)), 1, 2);
    p[144] = 2, p[145] = 2, p[146] = 2;
    p[148] = 9, p[149] = 2, p[150] = 9, p[151] = 2;
    HandlePlay(c, p);
    loop.runFor(2100);
    EXPECT_EQ(c.seats.player[1].hand.count, 23);
    EXPECT_EQ(c.round.g_OppPlayedCount[0], 2);
    EXPECT_EQ(c.round.lead.formerType, 2);
    EXPECT_TRUE(c.main.cardImage1[0].Visible);
    EXPECT_TRUE(c.main.cardImage1[1].Visible);
    EXPECT_FALSE(c.main.cardImage1[4].Visible);
}

TEST_F(TrickTest, PreviousTrickViewShowsTheLastTrickForOneAndAHalfSeconds) {
    c.round.g_GameInProgress = true;
    c.round.g_FormerViewIdle = true;
    HandlePlay(c, Opening(2));
    for (int seat : {2, 4, 8}) HandlePlay(c, Play(seat, seat == 8 ? 2 : seat * 2, 0, {MakeCard(2, 9)}));
    HandlePlay(c, Play(0, 2, 0, {}));  // one more message: the (three-play) trick stays
    c.round.g_TrickPlays = 4;
    HandlePlay(c, Opening(2));  // the table is cleared, the trick moves to the previous one
    HandlePlay(c, Play(2, 4, 0, {MakeCard(4, 3)}));
    auto& previous = c.main.cardImage1[0];
    auto& current = c.main.cardImage1[1];
    ASSERT_FALSE(previous.Visible);
    ASSERT_TRUE(current.Visible);
    struct Case { bool secondClick; std::int64_t after; };
    for (const auto& k : {Case{false, 1600}, Case{true, 0}}) {
        Click(3);
        EXPECT_TRUE(previous.Visible);
        EXPECT_FALSE(current.Visible);
        if (k.secondClick) {
            loop.runFor(500);
            Click(3);
        } else {
            loop.runFor(k.after);
        }
        EXPECT_FALSE(previous.Visible) << k.secondClick;
        EXPECT_TRUE(current.Visible);
        EXPECT_TRUE(c.round.g_FormerViewIdle);
        EXPECT_FALSE(c.round.Timerformer->enabled());
    }
}

TEST_F(TrickTest, SortWorksOncePerTurnAndRightClickOnTheSecondTablePlays) {
    HandlePlay(c, Opening(kOwn));
    ASSERT_TRUE(c.round.g_SortAllowed);
    Click(2);
    EXPECT_FALSE(c.round.g_SortAllowed);
    c.main.cardImage0[c.seats.player[0].hand.card[3].imgIndex].Top -= 24;
    c.main.Pic2.events.MouseDown(c.main.Pic2, ui::MouseEvent{2});
    EXPECT_EQ(QueuedOf(7).size(), 1u);
    c.main.Pic2.events.MouseDown(c.main.Pic2, ui::MouseEvent{2});  // locked until the next turn
    EXPECT_EQ(QueuedOf(7).size(), 1u);
}

TEST_F(TrickTest, PlayButtonsShowTheirHoverPictureUntilTheMouseIsBackOnTheTable) {
    auto& hint = c.main.Operation[1];
    hint.events.MouseMove(hint, ui::MouseEvent{});
    EXPECT_EQ(hint.picture.gifId, 182);
    c.main.Pic1.events.MouseMove(c.main.Pic1, ui::MouseEvent{});
    EXPECT_EQ(hint.picture.gifId, 181);
    EXPECT_FALSE(c.round.g_OperationHover[1]);
}

}  // namespace
}  // namespace zorvan::testing
