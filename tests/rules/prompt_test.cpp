#include "rules/prompt.h"

#include "support.h"

namespace zorvan::rules::test {
namespace {

// The names of the raised cards, in the order the hint raises them.
std::string Raised(const Hand& h, const std::vector<int>& slots) {
    std::vector<CardValue> cards;
    for (int s : slots) cards.push_back(h.card[s].value);
    return Names(cards);
}

LeadRecord Lead(int num, int type, int suit, bool zhu, int kind = 0) {
    return LeadRecord{static_cast<std::int16_t>(num), static_cast<std::int16_t>(type), static_cast<std::int16_t>(suit),
                      zhu, static_cast<std::int16_t>(kind)};
}

TEST(LeadHint, WeakestCardOrPair) {
    struct Case { const char* hand; const char* raised; };
    const Case cases[] = {{"AS 4D 4D", "4D 4D"}, {"AS 5D 4D", "4D"}, {"4D 4D", "4D"}, {"AS", "AS"}, {"", ""}};
    for (const Case& c : cases) {
        const Hand h = HandOf(c.hand);
        EXPECT_EQ(Raised(h, LeadHint(h, AllAtBaseline())), c.raised) << c.hand;
    }
}

struct FollowCase {
    const char* name;
    const char* hand;  // in display order
    LeadRecord lead;
    const char* raised;
};

TEST(FollowHint, ByShapeOfTheLead) {
    const TrumpSettings t = Trump(2, kHearts);
    const FollowCase cases[] = {
        {"hand as large as the lead", "AS 4D", Lead(2, kPair, kClubs, false), "AS 4D"},
        {"single, suit held: the strongest of it", "AS KS 4D", Lead(1, kSingle, kSpades, false), "AS"},
        {"single, suit lacking: the weakest card", "AS KS 4D", Lead(1, kSingle, kClubs, false), "4D"},
        {"pair, one card of the suit in the last slot", "AS KS 4D", Lead(2, kPair, kDiamonds, false), "4D KS"},
        {"pair, one card of the suit elsewhere", "AS 4D 9C", Lead(2, kPair, kDiamonds, false), "4D 9C"},
        {"pair, three of the suit without a pair", "AS KS 9S 4D", Lead(2, kPair, kSpades, false), "AS KS"},
        {"pair, the lowest pair", "AS KS KS 9S 9S 4D", Lead(2, kPair, kSpades, false), "9S 9S"},
        {"pair, suit lacking: the two weakest", "AS KS 9C 4D", Lead(2, kPair, kHearts, false), "4D 9C"},
        {"throw, fewer of the suit than the lead", "AS KS 9C 4D 3D", Lead(3, kThrow, kSpades, false, 1),
         "AS KS 3D"},
        {"throw of two pairs", "KS KS 9S 9S 8S 5S 4S 4S 3D", Lead(4, kThrow, kSpades, false, 2), "4S 4S 9S 9S"},
        {"run led, one run of six held", "7S 7S 6S 6S 5S 5S 3D", Lead(4, kRun, kSpades, false), "5S 5S 6S 6S"},
        {"run led, run of two pairs held", "9S 9S 6S 6S 5S 5S 3D", Lead(4, kRun, kSpades, false), "5S 5S 6S 6S"},
        {"a joker never follows a plain lead", "SJ 4D", Lead(1, kSingle, kDiamonds, false), "4D"},
    };
    for (const FollowCase& c : cases) {
        const Hand h = HandOf(c.hand);
        EXPECT_EQ(Raised(h, FollowHint(h, AllAtBaseline(), c.lead, LeadStructure{}, t)), c.raised) << c.name;
    }
}

TEST(FollowHint, ThrowWithRunsUsesTheLeadRuns) {
    // Lead: a run of two pairs and a single (kind 5, N = 5). The follower holds a run of three
    // pairs, a lone pair and singles of the suit.
    const TrumpSettings t = Trump(2, kHearts);
    const Hand h = HandOf("KS KS 9S 9S 8S 8S 7S 7S 5S 4S 3D");
    LeadStructure ls;
    ls.g_LeadSingles = 1;
    ls.g_LeadRuns = 1;
    ls.g_LeadRunLengths[0] = 2;
    const auto raised = FollowHint(h, AllAtBaseline(), Lead(5, kThrow, kSpades, false, 5), ls, t);
    // Pass A takes the run's pairs while they fit (7 7 8 8), the lone pair no longer fits,
    // the singles stage adds the 4.
    EXPECT_EQ(Raised(h, raised), "7S 7S 8S 8S 4S");
}

TEST(FollowHint, RunLeadAfterTheTrumpThreeBreak) {
    // Trump spades with mask A of spades: 2 2 3 3 4 4 5 5 6 6 analysed with newchupaidetail
    // keeps 4 4 5 5 6 6 as a run of six after the 3s are cut out; the run of six led is
    // followed by those pairs and the next pairs and cards as the hand allows.
    const TrumpSettings t = Trump(9, kSpades, kSpades);
    const Hand h = HandOf("6S 6S 5S 5S 4S 4S 3S 3S 2S 2S 4D");
    const auto raised = FollowHint(h, AllAtBaseline(), Lead(6, kRun, kSpades, true), LeadStructure{}, t);
    EXPECT_EQ(raised.size(), 6u);
    EXPECT_EQ(Raised(h, raised), "4S 4S 5S 5S 6S 6S");
}

TEST(FollowHint, DoesNotRaiseTwiceAndStaysInTheHand) {
    // A pair led, one card of the suit left and a hand of one card.
    const Hand h = HandOf("4D");
    const auto raised = FollowHint(h, AllAtBaseline(), Lead(2, kPair, kDiamonds, false), LeadStructure{}, Trump(9));
    EXPECT_EQ(raised, std::vector<int>{0});
}

}  // namespace
}  // namespace zorvan::rules::test
