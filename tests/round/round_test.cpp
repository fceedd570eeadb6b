// The round up to the buried bottom, as a player sees it and as the server receives it.
#include "round/table_fixture.h"
#include "text/gbk.h"

namespace zorvan::testing {
namespace {

constexpr int kOwn = 1;  // own seat bit: positions equal seat indices

struct RoundTest : TableFixture {
    RoundTest() {
        for (int seat : {1, 2, 4, 8}) HandlePlayerInfo(c, PlayerInfo(kOwn, seat, seat == kOwn ? "me" : "p" + std::to_string(seat)));
    }
    // Deals and lets the whole animation run (25 cards: 350 ms + 25 x 400 ms).
    void DealAndAnimate(const std::vector<CardValue>& cards, int rank = 7, int dealer = 0) {
        HandleDeal(c, Deal(cards, rank, dealer));
        loop.runFor(350 + 400 * static_cast<int>(cards.size()) + 10);
        ASSERT_FALSE(c.round.g_DealAnimating);
    }
    int RaisedCount() {
        int n = 0;
        for (int i = 0; i < c.seats.player[0].hand.count; ++i) n += SlotRaised(c, i) ? 1 : 0;
        return n;
    }
    void Raise(int slot) { SlotImage(c, slot).Top = c.table.g_HandTop - 24; }
};

TEST_F(RoundTest, DealShowsCardIEvery400MsAndOffersASingleOneCardLater) {
    auto cards = PlainHand();
    cards[2] = MakeCard(rules::kHearts, 7, 90);  // the first trump-rank card, dealt third
    // The animation waits inside its own handler, so the checks run as events at fixed times.
    const std::int64_t start = loop.nowMs();
    struct Seen { bool before, after, optionBefore, optionAfter; };
    std::vector<Seen> seen(5);
    for (int i = 0; i < 5; ++i) {
        std::int64_t at = start + 350 + 400 * (i + 1);
        loop.at(at - 1, [&, i] {
            seen[static_cast<std::size_t>(i)].before = c.main.cardImage0[i].Visible;
            seen[static_cast<std::size_t>(i)].optionBefore = c.main.imgJiaoZhu[3].Visible;
        });
        loop.at(at + 1, [&, i] {
            seen[static_cast<std::size_t>(i)].after = c.main.cardImage0[i].Visible;
            seen[static_cast<std::size_t>(i)].optionAfter = c.main.imgJiaoZhu[3].Visible;
        });
    }
    HandleDeal(c, Deal(cards, 7));
    EXPECT_TRUE(c.round.g_DealAnimating);
    loop.runFor(350 + 400 * 25 + 10);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(seen[static_cast<std::size_t>(i)].before) << "card " << i << " too early";
        EXPECT_TRUE(seen[static_cast<std::size_t>(i)].after) << "card " << i << " at its step";
    }
    EXPECT_FALSE(seen[2].optionAfter) << "offered on the card itself";
    EXPECT_FALSE(seen[3].optionBefore);
    EXPECT_TRUE(seen[3].optionAfter) << "offered when the next card is laid out";
    EXPECT_EQ(c.main.imgJiaoZhu[3].picture, ui::Picture::Gif(16 * 2 + 7));
    EXPECT_TRUE(c.main.imgJiaoZhu[3].Visible);
    EXPECT_FALSE(c.round.g_DealAnimating);
    EXPECT_TRUE(c.main.ImageGuo.Visible);
    for (int p = 1; p <= 3; ++p) EXPECT_EQ(c.seats.player[static_cast<std::size_t>(p)].hand.count, 25);
}

// Hand pictures come from the layout's card table: the card code itself at full size, the
// reduced set (ace and two after the king) otherwise; codes past the table leave the picture alone.
TEST_F(RoundTest, HandPicturesFollowTheLayoutsCardTable) {
    struct Case { double scale; int code, id; };
    const Case cases[] = {{1.0, 16 * 2 + 7, 16 * 2 + 7}, {1.0, 16, 16}, {0.8, 16 * 2 + 7, 7 + 26 + 300},
                          {0.8, 16 * 2 + 14, 14 + 26 + 287}, {0.8, 17, 354}, {0.8, 18, 18}};
    for (const Case& k : cases) {
        c.layout.g_ScaleX = k.scale;
        InitImageTables(c);
        c.main.cardImage0[5].picture = {};
        ShowCardPicture(c, 0, 5, k.code);
        EXPECT_EQ(c.main.cardImage0[5].picture, ui::Picture::Gif(k.id)) << k.scale << " " << k.code;
    }
    c.main.cardImage0[5].picture = ui::Picture::Gif(18);
    ShowCardPicture(c, 0, 5, 16 * 5 + 7);
    EXPECT_EQ(c.main.cardImage0[5].picture, ui::Picture::Gif(18));
}

TEST_F(RoundTest, ANewDealStopsTheEarlierAnimation) {
    HandleDeal(c, Deal(PlainHand(), 7));
    loop.runFor(350 + 400 * 5);
    HandleDeal(c, Deal(PlainHand(), 7));
    loop.runFor(350 + 400 * 25 + 10);
    EXPECT_FALSE(c.round.g_DealAnimating);
    EXPECT_EQ(c.round.g_DealStep, 25);  // the second run laid out all 25; the first stopped
}

TEST_F(RoundTest, CallClickSendsTheCallBytes) {
    auto cards = PlainHand();
    cards[0] = MakeCard(rules::kSpades, 7, 80);
    cards[1] = MakeCard(rules::kSpades, 7, 81);
    DealAndAnimate(cards, 7, /*dealer*/ 0);
    ASSERT_TRUE(c.main.imgJiaoZhu[2].Visible);
    ClickCall(c, 2);  // the second image of the spade pair
    auto sent = QueuedOf(2);
    ASSERT_EQ(sent.size(), 1u);
    const auto& p = sent[0];
    EXPECT_EQ(p[6], kOwn);
    EXPECT_EQ(p[8], 2);
    EXPECT_EQ(p[9], 7);
    EXPECT_EQ(p[10], 1);
    EXPECT_EQ(p[11], 0);
    EXPECT_EQ(p[12], 8);
    EXPECT_EQ(p[13], kOwn);  // no dealer yet, and the first round
    EXPECT_EQ(p[14], kOwn);
    EXPECT_FALSE(c.round.g_CallOptions[1]);
    EXPECT_FALSE(c.round.g_CallOptions[2]);
    EXPECT_TRUE(c.round.g_CallOptions[0]);  // the single stays flagged, hidden
    EXPECT_FALSE(c.main.imgJiaoZhu[0].Visible);
    ClickCall(c, 0);  // no longer allowed to call
    EXPECT_EQ(QueuedOf(2).size(), 1u);
}

TEST_F(RoundTest, PassAfterTheCallCountdown) {
    StartPump(c);
    HandleDeal(c, Deal(PlainHand(), 7, 0, /*seconds*/ 15));
    loop.runFor(16 * 1000 + 500);
    auto sent = QueuedOf(2);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][6], kOwn);
    EXPECT_EQ(sent[0][8], 0);
    EXPECT_EQ(sent[0][11], 0);
    EXPECT_EQ(sent[0][14], 0);
    EXPECT_FALSE(c.main.ImageGuo.Visible);
}

TEST_F(RoundTest, BottomAtOwnSeatRaisesExactlyTheReceivedCards) {
    auto cards = PlainHand();
    DealAndAnimate(cards);
    // Copies of dealt cards (same suit and face, other identifiers) and new ones.
    std::vector<CardValue> bottom = {MakeCard(1, 3, 100), MakeCard(8, 12, 101), MakeCard(4, 14, 102), MakeCard(2, 10, 103),
                                     MakeCard(8, 5, 104), MakeCard(1, 13, 105), MakeCard(2, 2, 106), MakeCard(4, 9, 107)};
    HandleBottom(c, Bottom(kOwn, bottom, 30));
    const auto& hand = c.seats.player[0].hand;
    ASSERT_EQ(hand.count, 33);
    int raised = 0;
    for (int i = 0; i < 33; ++i) {
        bool isBottom = std::find(bottom.begin(), bottom.end(), hand.card[static_cast<std::size_t>(i)].value) != bottom.end();
        EXPECT_EQ(SlotRaised(c, i), isBottom) << "slot " << i;
        raised += SlotRaised(c, i) ? 1 : 0;
        EXPECT_TRUE(SlotImage(c, i).Visible);
    }
    EXPECT_EQ(raised, 8);
    EXPECT_TRUE(c.main.ImageGaiPai.Visible);
    EXPECT_EQ(c.main.Number.Caption, "30");
    EXPECT_TRUE(c.round.g_CallingClosed);
}

TEST_F(RoundTest, BuryingNineShowsTheNoticeForOneSecondAndSendsNothing) {
    DealAndAnimate(PlainHand());
    HandleBottom(c, Bottom(kOwn, {MakeCard(1, 3, 100), MakeCard(1, 4, 101), MakeCard(1, 6, 102), MakeCard(1, 8, 103),
                                  MakeCard(2, 3, 104), MakeCard(2, 4, 105), MakeCard(2, 6, 106), MakeCard(2, 8, 107)}));
    Raise(0);  // nine raised
    ASSERT_EQ(RaisedCount(), 9);
    bool shownMidway = false;
    loop.at(loop.nowMs() + 500, [&] { shownMidway = c.round.frmTishi->Visible; });
    auto before = Queued().size();
    BuryRaised(c);
    EXPECT_TRUE(shownMidway);
    EXPECT_FALSE(c.round.frmTishi->Visible);
    EXPECT_EQ(Queued().size(), before);
    EXPECT_TRUE(c.round.g_MustBury);
    EXPECT_EQ(RaisedCount(), 9);
}

TEST_F(RoundTest, NoticeTextCarriesTheCount) {
    DealAndAnimate(PlainHand());
    HandleBottom(c, Bottom(kOwn, {MakeCard(1, 3, 100), MakeCard(1, 4, 101), MakeCard(1, 6, 102), MakeCard(1, 8, 103),
                                  MakeCard(2, 3, 104), MakeCard(2, 4, 105), MakeCard(2, 6, 106), MakeCard(2, 8, 107)}));
    Raise(0);
    std::string text0, text1;
    loop.at(loop.nowMs() + 10, [&] {
        text0 = c.round.frmTishi->lbTishi[0].Caption;
        text1 = c.round.frmTishi->lbTishi[1].Caption;
    });
    BuryRaised(c);
    EXPECT_EQ(text0, "您埋的底牌是 9 张!");
    EXPECT_EQ(text1, "请重新埋底牌!");
}

TEST_F(RoundTest, BuryingEightSendsPointsAndIdentifiersInHandOrder) {
    DealAndAnimate(PlainHand());
    std::vector<CardValue> bottom = {MakeCard(4, 5, 100), MakeCard(8, 10, 101), MakeCard(2, 13, 102), MakeCard(1, 3, 103),
                                     MakeCard(1, 4, 104), MakeCard(2, 6, 105), MakeCard(4, 7, 106), MakeCard(8, 8, 107)};
    HandleBottom(c, Bottom(kOwn, bottom));
    ASSERT_EQ(RaisedCount(), 8);
    std::vector<int> expectedIds;
    for (int i = 0; i < 33; ++i)
        if (SlotRaised(c, i)) expectedIds.push_back(rules::ind(c.seats.player[0].hand.card[static_cast<std::size_t>(i)].value));
    BuryRaised(c);
    auto sent = QueuedOf(4);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][6], kOwn);
    EXPECT_EQ(sent[0][12], 25);  // 5 of hearts, 10 of spades, K of clubs
    for (int k = 0; k < 8; ++k) EXPECT_EQ(sent[0][16 + static_cast<std::size_t>(k)], expectedIds[static_cast<std::size_t>(k)]);
    const auto& hand = c.seats.player[0].hand;
    EXPECT_EQ(hand.count, 25);
    for (int k = 0; k < 25; ++k) {
        EXPECT_EQ(hand.card[static_cast<std::size_t>(k)].imgIndex, k);
        EXPECT_FALSE(SlotRaised(c, k));
        EXPECT_TRUE(c.main.cardImage0[k].Visible);
    }
    EXPECT_FALSE(c.main.ImageGaiPai.Visible);
    EXPECT_TRUE(c.main.imgKanDiPai.Visible);
    EXPECT_FALSE(c.round.g_MustBury);
}

TEST_F(RoundTest, BuryCountdownBuriesTheEightWeakestInSortedOrder) {
    StartPump(c);
    HandleDeal(c, Deal(PlainHand(), 7, 0, 1));
    loop.runFor(350 + 400 * 25 + 3000);
    std::vector<CardValue> bottom = {MakeCard(4, 5, 100), MakeCard(8, 10, 101), MakeCard(2, 13, 102), MakeCard(1, 3, 103),
                                     MakeCard(1, 4, 104), MakeCard(2, 6, 105), MakeCard(4, 7, 106), MakeCard(8, 8, 107)};
    HandleBottom(c, Bottom(kOwn, bottom, 2));
    const auto& hand = c.seats.player[0].hand;
    std::vector<int> ids;
    int points = 0;
    for (int i = 25; i < 33; ++i) {
        auto v = hand.card[static_cast<std::size_t>(i)].value;
        ids.push_back(rules::ind(v));
        points += CardPoints(rules::pm(v));
    }
    loop.runFor(4000);
    auto sent = QueuedOf(4);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][12], points);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(sent[0][16 + static_cast<std::size_t>(k)], ids[static_cast<std::size_t>(k)]);
    EXPECT_EQ(hand.count, 25);
}

TEST_F(RoundTest, NobodyCalledGivesTheDefendersTwentyAndNoCounter) {
    DealAndAnimate(PlainHand());
    Packet p = Decision(9, 7, 2, 4, 2, 2);
    p[18] = 1;
    HandleTrumpDecision(c, p);
    EXPECT_EQ(c.round.g_DefenderPoints, 20);
    EXPECT_TRUE(c.round.frmMingXi->lbMingXi[6].Visible);
    EXPECT_EQ(c.round.frmMingXi->lbMingXi[6].Caption, "无人报主 底牌定主 闲家加20分！");
    EXPECT_EQ(c.round.g_CallStrength, 2);
    EXPECT_FALSE(c.round.g_CounterOffer);
    EXPECT_EQ(c.main.imgXianShiDiPai[0].picture, ui::Picture::Gif(16 * 2 + 7));
    EXPECT_EQ(c.main.imgXianShiDiPai[1].picture, ui::Picture::Gif(16 * 2 + 7));
}

TEST_F(RoundTest, CounterOffersAgainstAPairOfClubs) {
    // Pairs of every suit's 7 and both joker pairs in hand.
    std::vector<CardValue> cards;
    int id = 0;
    for (int suit : {1, 2, 4, 8})
        for (int k = 0; k < 2; ++k) cards.push_back(MakeCard(suit, 7, id++));
    for (int k = 0; k < 2; ++k) cards.push_back(MakeCard(0, 15, id++));
    for (int k = 0; k < 2; ++k) cards.push_back(MakeCard(0, 16, id++));
    auto rest = PlainHand();
    while (cards.size() < 25) cards.push_back(rest[cards.size()]);
    DealAndAnimate(cards);
    struct Case { int callFace; bool smallJokers; };
    for (auto [face, smallOffered] : {Case{7, true}, Case{16, false}}) {
        Packet p = Decision(2, face, 1, 2, 4, 4);  // the top seat calls a pair of clubs
        HandleTrumpDecision(c, p);
        const auto& o = c.round.g_CallOptions;
        EXPECT_TRUE(o[1] && o[2]) << "spades";
        EXPECT_TRUE(o[4] && o[5]) << "hearts";
        EXPECT_FALSE(o[7] || o[8]) << "clubs";
        EXPECT_FALSE(o[10] || o[11]) << "diamonds";
        EXPECT_TRUE(o[12] && o[13]) << "big jokers";
        EXPECT_EQ(o[14] && o[15], smallOffered) << "small jokers after face " << face;
        EXPECT_TRUE(c.round.g_CounterOffer);
    }
    // A counter-offer pair click carries stage 2.
    ClickCall(c, 4);
    auto sent = QueuedOf(2);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back()[10], 2);
    EXPECT_EQ(sent.back()[12], 4);
    EXPECT_EQ(sent.back()[13], kOwn);  // a pair call in the first round names the caller
}

TEST_F(RoundTest, LateCounterTakesTheBottomOutOfTheTakersHand) {
    DealAndAnimate(PlainHand());
    HandleBottom(c, Bottom(kOwn, {MakeCard(1, 3, 100), MakeCard(1, 4, 101), MakeCard(1, 6, 102), MakeCard(1, 8, 103),
                                  MakeCard(2, 3, 104), MakeCard(2, 4, 105), MakeCard(2, 6, 106), MakeCard(2, 8, 107)}));
    ASSERT_EQ(c.seats.player[0].hand.count, 33);
    HandleTrumpDecision(c, Decision(2, 7, 1, 4, 2, 2));
    EXPECT_EQ(c.seats.player[0].hand.count, 25);
    EXPECT_FALSE(c.round.g_MustBury);
    EXPECT_FALSE(c.main.ImageGaiPai.Visible);
    EXPECT_EQ(RaisedCount(), 0);
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(c.main.imgDiPai[i].Visible);
}

TEST(LevelText, FacesAndDigits) {
    EXPECT_EQ(LevelText(10), "10");
    EXPECT_EQ(LevelText(14), "A");
    EXPECT_EQ(LevelText(11), "J");
    EXPECT_EQ(LevelText(2), "2");
}

TEST(FeeCaption, StopsAtTwentyBytesAndTakesDoubleBytesWhole) {
    Packet p = MakePacket(1);
    for (std::size_t i = 117; i < 137; ++i) p[i] = 'a';
    p[137] = 'b';
    EXPECT_EQ(ReadFeeCaption(p), std::string(20, 'a'));
    Packet q = MakePacket(1);
    q[117] = 0xB7;  // one double-byte character
    q[118] = 0xD1;
    q[119] = 'x';
    const std::uint8_t both[] = {0xB7, 0xD1, 'x'};
    EXPECT_EQ(ReadFeeCaption(q), text::GbkToUtf8(std::span<const std::uint8_t>(both)));
}

TEST_F(RoundTest, DealWithDealerPlacesMarkerAndNamesDealer) {
    HandleDeal(c, Deal(PlainHand(), 7, 0x14));
    EXPECT_EQ(c.round.g_DealerSeat, 4);
    EXPECT_EQ(c.round.frmMingXi->lbMingXi[4].Caption, "nick-p4");
    EXPECT_EQ(c.main.ImageZhuangJia.Left, 345);
    EXPECT_EQ(c.round.frmMingXi->lbMingXi[0].Caption, "2");
    EXPECT_EQ(desk.to(kLobby).back().msg, 1127);
}

}  // namespace
}  // namespace zorvan::testing
