#include "support.h"

namespace zorvan::rules::test {
namespace {

TEST(CardValue, PacketBytesRoundTrip) {
    const CardValue v = CardFromBytes(2, 14, 0, 42);
    EXPECT_EQ(hs(v), kClubs);
    EXPECT_EQ(pm(v), 14);
    EXPECT_EQ(ind(v), 42);
    EXPECT_EQ(PictureCode(v), 30);
    EXPECT_EQ(CardToBytes(v), (std::array<std::uint8_t, 4>{2, 14, 0, 42}));
    // The spare byte and the high half of byte 0 survive but are never read.
    const CardValue w = CardFromBytes(0xF4, 5, 7, 9);
    EXPECT_EQ(hs(w), kHearts);
    EXPECT_TRUE(IsRedFive(w));
    EXPECT_EQ(CardToBytes(w), (std::array<std::uint8_t, 4>{0xF4, 5, 7, 9}));
    EXPECT_EQ(MakeCard(kSpades, 13, 100), CardFromBytes(8, 13, 0, 100));
}

TEST(CardValue, PictureCodes) {
    EXPECT_EQ(PictureCode(MakeCard(kSpades, 2)), 63);
    EXPECT_EQ(PictureCode(MakeCard(kDiamonds, 2)), 15);
    EXPECT_EQ(PictureCode(MakeCard(kDiamonds, 3)), 3);
    EXPECT_EQ(PictureCode(MakeCard(kHearts, 14)), 46);
    for (int suitField : {0, 1, 8}) {
        EXPECT_EQ(PictureCode(MakeCard(suitField, kSmallJoker)), 16);
        EXPECT_EQ(PictureCode(MakeCard(suitField, kBigJoker)), 17);
    }
}

TEST(CardValue, PictureRefusal) {
    struct Case { int code; bool refused; };
    const Case cases[] = {{0, true},   {2, true},   {3, false},  {16, false}, {17, false}, {18, false},
                          {32, true},  {34, true},  {35, false}, {48, true},  {50, true},  {63, false},
                          {64, true},  {80, false}, {96, true},  {112, true}, {114, true}, {115, false},
                          {127, false}, {128, true}, {300, true}, {-1, true}};
    for (const Case& c : cases) EXPECT_EQ(PictureCodeRefused(c.code), c.refused) << c.code;
}

TEST(TrumpRule, ChecksInOrder) {
    const TrumpSettings t = Trump(7, kClubs);
    EXPECT_TRUE(IsTrump(Card("7D"), t));
    EXPECT_TRUE(IsTrump(Card("9C"), t));
    EXPECT_FALSE(IsTrump(Card("9S"), t));
    EXPECT_TRUE(IsTrump(Card("5H"), t));
    EXPECT_TRUE(IsTrump(Card("SJ"), t));
    EXPECT_TRUE(IsTrump(MakeCard(kSpades, kBigJoker), t));
    EXPECT_FALSE(IsTrump(Card("3H"), t));
    EXPECT_TRUE(IsTrump(Card("3H"), Trump(7, kClubs, 0, kHearts)));
    EXPECT_TRUE(IsTrump(Card("3S"), Trump(7, kClubs, kSpades, 0)));
    // No trump suit: a card with suit field 0 is no trump-suit card.
    EXPECT_FALSE(IsTrump(MakeCard(0, 9), Trump(7, 0)));
}

struct RankCase {
    const char* card;
    TrumpSettings t;
    int rank;
};

TEST(TrumpRule, RankOfOneCard) {
    const TrumpSettings clubs7 = Trump(7, kClubs);
    const TrumpSettings spades9 = Trump(9, kSpades);
    const TrumpSettings threes = Trump(9, kClubs, kSpades, kHearts);
    const TrumpSettings noSuit = Trump(9, 0, kDiamonds | kSpades, kHearts);
    const TrumpSettings hearts7 = Trump(7, kHearts);
    const RankCase cases[] = {
        {"7C", clubs7, 18},  {"7D", clubs7, 15},  {"7H", clubs7, 17},  {"7S", clubs7, 16},
        {"9C", clubs7, 9},   {"9S", clubs7, 9},   {"5H", spades9, 23}, {"5S", spades9, 5},
        {"SJ", spades9, 21}, {"BJ", spades9, 22}, {"9S", spades9, 18}, {"9D", spades9, 15},
        {"9C", spades9, 16}, {"9H", spades9, 17}, {"3S", threes, 20},  {"3H", threes, 19},
        {"3C", threes, 3},   {"3D", threes, 3},   {"7H", hearts7, 18}, {"7S", hearts7, 17},
        // No trump suit: diamond trump rank takes slot 18, the spade one slot 15; mask A 3s
        // of diamonds and clubs rank with mask B.
        {"9D", noSuit, 18},  {"9S", noSuit, 15},  {"3D", noSuit, 19},  {"3S", noSuit, 20},
        {"3H", noSuit, 19},  {"5H", noSuit, 23},  {"AS", noSuit, 14},
    };
    for (const RankCase& c : cases) EXPECT_EQ(CardRank(Card(c.card), c.t), c.rank) << c.card;
    EXPECT_EQ(CardRank(MakeCard(kSpades, 1), clubs7), 0);
    EXPECT_EQ(CardRank(MakeCard(kSpades, 40), clubs7), 0);
}

TEST(SmallHelpers, BitsPowersAndPadding) {
    EXPECT_EQ(BitIndex(0), 0);
    EXPECT_EQ(BitIndex(1), 0);
    EXPECT_EQ(BitIndex(2), 1);
    EXPECT_EQ(BitIndex(4), 2);
    EXPECT_EQ(BitIndex(8), 3);
    EXPECT_EQ(BitIndex(-5), 0);
    for (int n = 0; n <= 14; ++n) EXPECT_EQ(PowerOfTwo(n), 1 << n);
    EXPECT_EQ(PadRight("ab", 5), "ab   ");
    EXPECT_EQ(PadRight("abcdef", 3), "abcdef");
    EXPECT_EQ(PadRight("\xe7\x8e\xa9\xe5\xae\xb6", 4), "\xe7\x8e\xa9\xe5\xae\xb6  ");  // two characters
}

TEST(TrumpSettings, NewDealKeepsTheThreeMasks) {
    const TrumpSettings last = Trump(9, kHearts, kSpades, kClubs);
    const TrumpSettings next = last.ForNewDeal(10);
    EXPECT_EQ(next, Trump(10, 0, kSpades, kClubs));
}

}  // namespace
}  // namespace zorvan::rules::test
