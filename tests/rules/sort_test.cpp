#include <cmath>

#include "support.h"

namespace zorvan::rules::test {
namespace {

std::string Sorted(const std::string& cards, const TrumpSettings& t, bool byVal) {
    Hand h = HandOf(cards);
    sortbyhs(h, h.count, t);
    if (byVal) sortbyval(h, h.count, t);
    return Names(h.values());
}

TEST(HandSort, GroupOrderThenTrumpSuit) {
    struct Case { const char* hand; TrumpSettings t; bool byVal; const char* sorted; };
    const Case cases[] = {
        {"3S 5H BJ AC KS", Trump(9), false, "5H BJ KS 3S AC"},
        {"3S 5H BJ AC KS", Trump(9, kClubs), true, "5H BJ AC KS 3S"},
        {"7S 7H 7C", Trump(7, kHearts), true, "7H 7S 7C"},
        // Trump 3s come before the trump-rank cards, mask A before mask B.
        {"3D 3H 9C SJ 3S 2D", Trump(9, kDiamonds, kSpades, kHearts), true, "SJ 3S 3H 9C 3D 2D"},
        // Spades, hearts, clubs, diamonds, each from ace down; the trump suit moves forward.
        {"2S AS 4H KD QD 8C TS", Trump(5), false, "AS TS 2S 4H 8C KD QD"},
        {"2S AS 4H KD QD 8C TS", Trump(5, kDiamonds), true, "KD QD AS TS 2S 4H 8C"},
    };
    for (const Case& c : cases) EXPECT_EQ(Sorted(c.hand, c.t, c.byVal), c.sorted) << c.hand;
}

TEST(HandSort, SlotsKeepTheirPictures) {
    Hand h = HandOf("2S AS 4H");
    sortbyhs(h, h.count, Trump(9));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(h.card[i].imgIndex, i);
    EXPECT_EQ(Names(h.values()), "AS 2S 4H");
}

TEST(HandSort, MaskBScanEndsAtTenFrontCards) {
    // Mask A holds spades and hearts, mask B diamonds. Four mask-A 3s fill the front zone to
    // ten cards: the mask-B scan examines one slot and stops there.
    const TrumpSettings t = Trump(9, 0, kSpades | kHearts, kDiamonds);
    {
        Hand h = HandOf("5H 5H BJ BJ SJ SJ 3S 3S 3H 3H KS 3D 3D");
        sortbyhs(h, h.count, t);
        EXPECT_EQ(Names(h.values()), "5H 5H BJ BJ SJ SJ 3S 3S 3H 3H KS 3D 3D");
    }
    {
        Hand h = HandOf("5H 5H BJ BJ SJ SJ 3S 3S 3H 3H 3D 4C 3D");
        sortbyhs(h, h.count, t);
        EXPECT_EQ(Names(h.values()), "5H 5H BJ BJ SJ SJ 3S 3S 3H 3H 3D 3D 4C");
    }
    {
        // Three mask-A 3s: the scan starts at 9 and ends after the first mask-B 3.
        Hand h = HandOf("5H 5H BJ BJ SJ SJ 3S 3S 3H KS 3D 4C 3D");
        sortbyhs(h, h.count, t);
        EXPECT_EQ(Names(h.values()), "5H 5H BJ BJ SJ SJ 3S 3S 3H 3D KS 4C 3D");
    }
}

TEST(HandSort, OnlyTheFirstSlotsAreSorted) {
    Hand h = HandOf("2S AS 4H 5H");
    sortbyhs(h, 2, Trump(9));
    EXPECT_EQ(Names(h.values()), "AS 2S 4H 5H");
    sortbyhs(h, 99, Trump(9));  // clamped to the 33 slots, sorting all four in use and the empty rest
}

TEST(ArrangeHand, LeftOfEachSlot) {
    const TrumpSettings t = Trump(9);
    HandLayout lay;
    lay.cardWidth = 100;
    lay.screenWidth = 1024;
    {
        // One suit, no trump: one group end (n - 1), t = n + 1, no inner gap.
        const Hand h = HandOf("AS KS QS");
        const auto left = ArrangeHand(h, 3, lay, t);
        const double x0 = (1024 - 88) / 2.0;  // round(4 x 100 x 0.22)
        ASSERT_EQ(left.size(), 3u);
        EXPECT_DOUBLE_EQ(left[0], x0);
        EXPECT_DOUBLE_EQ(left[1], x0 + 22);
        EXPECT_DOUBLE_EQ(left[2], x0 + 44);
    }
    {
        // Trumps, spades, hearts: three ends, one empty step after each inner group.
        const Hand h = HandOf("5H 9D AS KS 4H");
        lay.offset = -120;
        lay.screenWidth = 1600;  // wider screens are centred on 1280 pixels at full size
        const auto left = ArrangeHand(h, 5, lay, t);
        const double x0 = -120 + (1280 - 176) / 2.0;  // t = 8
        const double expect[] = {x0, x0 + 22, x0 + 66, x0 + 88, x0 + 132};
        for (int s = 0; s < 5; ++s) EXPECT_DOUBLE_EQ(left[s], expect[s]) << s;
    }
    {
        // Reduced size: step 0.22 w, width factor 0.19, scaled.
        const Hand h = HandOf("AS KS");
        HandLayout small{80, 800, 0.78125, -100};
        const auto left = ArrangeHand(h, 2, small, t);
        const double x0 = -100 + (800 - std::nearbyint(3 * 80 * 0.19 * 0.78125)) / 2;
        EXPECT_DOUBLE_EQ(left[0], x0);
        EXPECT_DOUBLE_EQ(left[1], x0 + 0.22 * 80);
    }
}

TEST(ArrangeHand, OneCardAndNone) {
    const Hand h = HandOf("AS");
    HandLayout lay{90, 1024, 1.0, -120};
    EXPECT_EQ(ArrangeHand(h, 1, lay, Trump(9)), std::vector<double>{-120 + 512 - 60});
    lay.scaleX = 0.78125;
    EXPECT_EQ(ArrangeHand(h, 1, lay, Trump(9)), std::vector<double>{512 - 60});
    EXPECT_TRUE(ArrangeHand(h, 0, lay, Trump(9)).empty());
}

TEST(ArrangeHand, AllTrumpsHaveOneGroupEnd) {
    const Hand h = HandOf("BJ SJ 9S");
    HandLayout lay{100, 1024, 1.0, 0};
    const auto left = ArrangeHand(h, 3, lay, Trump(9));
    EXPECT_DOUBLE_EQ(left[0], (1024 - 88) / 2.0);
}

}  // namespace
}  // namespace zorvan::rules::test
