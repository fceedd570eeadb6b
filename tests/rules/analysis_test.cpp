#include "rules/analysis.h"

#include <map>

#include "support.h"

namespace zorvan::rules::test {
namespace {

using Rows = std::map<int, std::pair<int, int>>;  // rank -> (count, kind), rows holding cards

Rows RowsOf(const Analysis& a) {
    Rows rows;
    for (int r = kFirstRow; r <= kLastRow; ++r)
        if (a.row(r).count > 0) rows[r] = {a.row(r).count, a.row(r).kind};
    return rows;
}

struct Case {
    const char* name;
    const char* cards;
    TrumpSettings t;
    bool trumpSet;  // analyse as trumps (ChuPaiHS = trump suit), else as PlaySuit
    Rows rows;
    int kindMask;
    int ldLength;
    int playType;
};

TEST(AnalyzePlay, TableOfSets) {
    const TrumpSettings spades7 = Trump(7, kSpades);
    const Case cases[] = {
        {"plain run over the trump rank", "6S 6S 8S 8S", Trump(7), false,
         {{6, {2, 4}}, {8, {2, 4}}}, 4, 4, kRun},
        {"two separate pairs", "5C 5C 7C 7C", Trump(9), false, {{5, {2, 2}}, {7, {2, 2}}}, 2, 0, kThrow},
        {"two runs, the later one counts", "3C 3C 4C 4C 5C 5C 9C 9C TC TC", Trump(2), false,
         {{3, {2, 6}}, {4, {2, 6}}, {5, {2, 6}}, {9, {2, 4}}, {10, {2, 4}}}, 4, 4, kThrow},
        {"scanning resumes after a run", "3D 3D 4D 4D 6D 6D", Trump(14), false,
         {{3, {2, 4}}, {4, {2, 4}}, {6, {2, 2}}}, 6, 4, kThrow},
        {"run with a single met while extending", "3D 3D 4D 4D 5D", Trump(9), false,
         {{3, {2, 4}}, {4, {2, 4}}, {5, {1, 1}}}, 5, 4, kThrow},
        {"trump chain of ten", "AS AS 7H 7H 7S 7S SJ SJ BJ BJ", spades7, true,
         {{14, {2, 10}}, {17, {2, 10}}, {18, {2, 10}}, {21, {2, 10}}, {22, {2, 10}}}, 4, 10, kRun},
        {"no off-suit pair: trump-suit rank pair starts a chain", "AS AS 7S 7S", spades7, true,
         {{14, {2, 2}}, {18, {2, 2}}}, 2, 2, kThrow},
        {"rank pair and jokers", "7S 7S SJ SJ BJ BJ", spades7, true,
         {{18, {2, 6}}, {21, {2, 6}}, {22, {2, 6}}}, 4, 6, kRun},
        {"only the highest off-suit pair joins", "7D 7D 7H 7H 7S 7S", spades7, true,
         {{15, {2, 2}}, {17, {2, 4}}, {18, {2, 4}}}, 6, 4, kThrow},
        {"off-suit pair without the trump-suit pair", "KS KS AS AS 7H 7H 7S", spades7, true,
         {{13, {2, 6}}, {14, {2, 6}}, {17, {2, 6}}, {18, {1, 1}}}, 5, 6, kThrow},
        {"joker run above a missing trump-suit rank pair", "7S SJ SJ BJ BJ", spades7, true,
         {{18, {1, 1}}, {21, {2, 4}}, {22, {2, 4}}}, 5, 4, kThrow},
        {"two red fives", "5H 5H", spades7, true, {{23, {2, 2}}}, 2, 0, kPair},
        {"red five is no pair with the trump suit's five", "5H 5S", spades7, true,
         {{5, {1, 1}}, {23, {1, 1}}}, 1, 0, kThrow},
        {"trump-three break", "2S 2S 3S 3S 4S 4S", Trump(7, kSpades, kSpades), true,
         {{2, {2, 2}}, {4, {2, 2}}, {20, {2, 2}}}, 2, 2, kThrow},
        {"break keeps the rest of a run", "2S 2S 3S 3S 4S 4S 5S 5S 6S 6S", Trump(9, kSpades, kSpades), true,
         {{2, {2, 2}}, {4, {2, 6}}, {5, {2, 6}}, {6, {2, 6}}, {20, {2, 2}}}, 6, 6, kThrow},
        {"mask 3 and trump-suit 3 are no pair", "3S 3H", Trump(9, kSpades, kHearts), true,
         {{3, {1, 1}}, {20, {1, 1}}}, 1, 0, kThrow},
        {"mask 3s stay off a trump-suit run", "2S 2S 3S 3S 4S 4S 3H", Trump(9, kSpades, 0, kHearts), true,
         {{2, {2, 6}}, {3, {2, 6}}, {4, {2, 6}}, {19, {1, 1}}}, 5, 6, kThrow},
        {"red five with a mask B pair", "5H 3H 3H", Trump(9, kSpades, 0, kHearts), true,
         {{19, {2, 2}}, {23, {1, 1}}}, 3, 0, kThrow},
        {"no trump suit: joker pairs run", "9D 9D SJ SJ BJ BJ", Trump(9), true,
         {{18, {2, 2}}, {21, {2, 4}}, {22, {2, 4}}}, 6, 4, kThrow},
        {"no trump suit: a trump pair counts as a pair", "9D 9D BJ", Trump(9), true,
         {{18, {2, 2}}, {22, {1, 1}}}, 3, 0, kThrow},
    };
    for (const Case& c : cases) {
        const auto list = Cards(c.cards);
        const int suit = c.trumpSet ? c.t.g_zhuhuase : PlaySuit(list, c.t);
        const Analysis a = AnalyzePlay(list, suit, c.t);
        EXPECT_EQ(RowsOf(a), c.rows) << c.name;
        EXPECT_EQ(a.m_KindMask, c.kindMask) << c.name;
        EXPECT_EQ(a.m_LDlength, c.ldLength) << c.name;
        EXPECT_EQ(PlayType(list, c.t), c.playType) << c.name;
    }
}

TEST(AnalyzePlay, RowsHoldListIndexes) {
    const auto list = Cards("5H 9S 5H SJ");
    const Analysis a = AnalyzePlay(list, kSpades, Trump(9, kSpades));
    EXPECT_EQ(a.row(23), (PaiRow{2, 0, 2, 2}));
    EXPECT_EQ(a.row(21), (PaiRow{1, 3, 0, 1}));
    EXPECT_EQ(a.row(18), (PaiRow{1, 1, 0, 1}));
}

TEST(Newchupaidetail, SharesRowsWithTheTrumpSuit) {
    // Without AnalyzePlay's own ranks the red five sits on row 5 with the trump suit's 5.
    const auto list = Cards("5H 5S");
    const Analysis a = newchupaidetail(list, kSpades, Trump(9, kSpades));
    EXPECT_EQ(a.row(5).count, 2);
    EXPECT_EQ(a.row(23).count, 0);
}

TEST(PlaySuit, AllTrumpOneSuitOrMixed) {
    const TrumpSettings t = Trump(9, kHearts, kSpades);
    struct C { const char* cards; int suit; };
    const C cases[] = {{"SJ AC", 9},     {"AC KC", kClubs},  {"9C 5H BJ 3S", kHearts}, {"AH 9S", kHearts},
                       {"AS 3S", 9},     {"AS KH", 9},       {"2D", kDiamonds},       {"KC 9C", 9},
                       {"AD SJ", 9}};
    for (const C& c : cases) EXPECT_EQ(PlaySuit(Cards(c.cards), t), c.suit) << c.cards;
    EXPECT_EQ(PlaySuit(Cards("SJ 9S"), Trump(9)), 0);  // all trump, no trump suit
}

TEST(PlayType, PairsNeedIdenticalCards) {
    const TrumpSettings t = Trump(9, kSpades);
    EXPECT_EQ(PlayType(Cards("SJ SJ"), t), kPair);
    EXPECT_EQ(PlayType(std::vector<CardValue>{MakeCard(0, kSmallJoker, 1), MakeCard(1, kSmallJoker, 2)}, t), kPair);
    EXPECT_EQ(PlayType(Cards("SJ BJ"), t), kThrow);
    EXPECT_EQ(PlayType(Cards("9D 9H"), t), kThrow);
    EXPECT_EQ(PlayType(Cards("AS"), t), kSingle);
    EXPECT_EQ(PlayType(Cards("AS AS KS"), t), kThrow);
}

TEST(Analysis, NeverLeavesRowsTwoToTwentyThree) {
    // Faces and suits no card has, and trump settings no round has, stay inside the table.
    std::vector<CardValue> odd;
    for (int face : {0, 1, 2, 14, 15, 16, 17, 23, 24, 255})
        for (int suit : {0, 1, 3, 8, 15}) odd.push_back(MakeCard(suit, face, 1));
    for (int zhs : {0, 3, 9, 16, 255, 32767, -1})
        for (int zpm : {0, 2, 14, 15, 16, 255}) {
            const TrumpSettings t = Trump(zpm, zhs, 255, 255);
            const Analysis a = AnalyzePlay(odd, zhs, t);
            EXPECT_EQ(a.row(0), PaiRow{});
            EXPECT_EQ(a.row(1), PaiRow{});
            (void)newchupaidetail(odd, 1, t);
            (void)PlayType(odd, t);
        }
}

}  // namespace
}  // namespace zorvan::rules::test
