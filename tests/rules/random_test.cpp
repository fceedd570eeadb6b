// Randomized checks over many deals: every suggestion the hints make that judgechupai accepts
// encodes every card exactly once inside the packet, and no accepted follow has the wrong
// number of cards or fewer cards of the led suit than the hand allows.
// ZORVAN_SOAK=1 runs a hundred times as many deals.
#include <algorithm>
#include <cstdlib>
#include <random>

#include "rules/prompt.h"
#include "support.h"

namespace zorvan::rules::test {
namespace {

int Deals() {
    const char* soak = std::getenv("ZORVAN_SOAK");
    return soak && std::string(soak) == "1" ? 500000 : 5000;
}

std::vector<CardValue> Pack() {
    std::vector<CardValue> pack;
    int id = 0;
    for (int copy = 0; copy < 2; ++copy) {
        for (int suit : {kDiamonds, kClubs, kHearts, kSpades})
            for (int face = 2; face <= 14; ++face) pack.push_back(MakeCard(suit, face, id++));
        pack.push_back(MakeCard(0, kSmallJoker, id++));
        pack.push_back(MakeCard(0, kBigJoker, id++));
    }
    return pack;
}

TrumpSettings RandomTrump(std::mt19937& rng) {
    const int suits[] = {0, 1, 2, 4, 8};
    TrumpSettings t;
    t.g_ZhuPaiMian = static_cast<std::int16_t>(std::uniform_int_distribution<int>(2, 14)(rng));
    t.g_zhuhuase = static_cast<std::int16_t>(suits[std::uniform_int_distribution<int>(0, 4)(rng)]);
    if (rng() % 2) {
        t.g_TrumpThreeMaskA = static_cast<std::int16_t>(suits[rng() % 5]);
        t.g_TrumpThreeMaskB = static_cast<std::int16_t>(suits[rng() % 5] & ~t.g_TrumpThreeMaskA);
    }
    return t;
}

// The identifiers a play packet carries, flat or in groups; false when the groups are malformed.
bool PacketIds(const JudgeResult& r, std::vector<int>& ids) {
    const auto& p = r.packet;
    const int n = p[17];
    if (r.end > kPacketSize) return false;
    if (p[18] != kThrow || p[19] == kMixedSuit) {
        for (int k = 22; k < 22 + n; ++k) ids.push_back(p[k]);
        return r.end == 22 + n;
    }
    int k = 22;
    while (k < r.end) {
        const int type = p[k];
        if (type != 1 && type != 2 && type != 4) return false;
        const int cards = type == 4 ? 2 * p[k + 1] : type;
        const int first = type == 4 ? k + 2 : k + 1;
        for (int i = 0; i < cards; ++i) ids.push_back(p[first + i]);
        if (p[first + cards] != 0) return false;
        k = first + cards + 1;
    }
    return k == r.end && static_cast<int>(ids.size()) == n;
}

void ExpectEncodesItsCards(const JudgeResult& r, const char* what) {
    std::vector<int> ids, want;
    ASSERT_TRUE(PacketIds(r, ids)) << what;
    for (CardValue v : r.cards) want.push_back(ind(v));
    std::sort(ids.begin(), ids.end());
    std::sort(want.begin(), want.end());
    ASSERT_EQ(ids, want) << what << ": " << Names(r.cards);
}

// The lead record and structure the round flow would take from a lead's packet.
void RecordLead(const JudgeResult& r, const TrumpSettings& t, LeadRecord& lead, LeadStructure& ls) {
    const auto& p = r.packet;
    lead = LeadRecord{p[17], p[18], p[19], p[20] == 1, p[21]};
    if (lead.formerHS > 8) lead.formerHS = t.g_zhuhuase;
    ls = LeadStructure{};
    if (p[18] != kThrow || p[19] == kMixedSuit) return;
    for (int k = 22; k < r.end;) {
        const int type = p[k];
        if (type == 1) ++ls.g_LeadSingles;
        if (type == 4 && ls.g_LeadRuns < 12) ls.g_LeadRunLengths[static_cast<std::size_t>(ls.g_LeadRuns++)] = p[k + 1];
        k += type == 4 ? 2 * p[k + 1] + 3 : type + 2;
    }
}

std::array<bool, kHandSlots> Marks(const std::vector<int>& slots) {
    std::array<bool, kHandSlots> m{};
    for (int s : slots) m[static_cast<std::size_t>(s)] = true;
    return m;
}

// A lead: the leader's cards of one random suit (or its trumps), a random part of them.
std::vector<int> RandomLead(const Hand& h, const TrumpSettings& t, std::mt19937& rng) {
    const int pick = static_cast<int>(rng() % 5);
    std::vector<int> group;
    for (int s = 0; s < h.count; ++s) {
        const CardValue v = h.card[s].value;
        const bool trump = IsTrump(v, t);
        if (pick == 4 ? trump : (!trump && hs(v) == (1 << pick))) group.push_back(s);
    }
    if (group.empty()) return {h.count - 1};
    const int start = static_cast<int>(rng() % group.size());
    const int len = 1 + static_cast<int>(rng() % std::min<std::size_t>(8, group.size() - start));
    return std::vector<int>(group.begin() + start, group.begin() + start + len);
}

void CheckFollowRule(const Hand& follower, const JudgeResult& r, const LeadRecord& lead, const TrumpSettings& t) {
    ASSERT_EQ(static_cast<int>(r.cards.size()), lead.formerNum);
    int A = 0, B = 0;
    for (int s = 0; s < follower.count; ++s) A += FollowsLead(follower.card[s].value, lead, t);
    for (CardValue v : r.cards) B += FollowsLead(v, lead, t);
    ASSERT_EQ(B, std::min(A, static_cast<int>(lead.formerNum)));
}

TEST(RandomDeals, HintsEncodeAndFollowsObeyTheSuit) {
    std::mt19937 rng(20240611);
    const auto pack = Pack();
    int acceptedFollows = 0, acceptedHints = 0;
    for (int deal = 0; deal < Deals(); ++deal) {
        auto cards = pack;
        std::shuffle(cards.begin(), cards.end(), rng);
        const TrumpSettings t = RandomTrump(rng);
        const int size = 1 + static_cast<int>(rng() % 25);
        Hand leader = Hand::Dealt({cards.begin(), cards.begin() + size});
        Hand follower = Hand::Dealt({cards.begin() + 25, cards.begin() + 25 + size});
        for (Hand* h : {&leader, &follower}) {
            sortbyhs(*h, h->count, t);
            sortbyval(*h, h->count, t);
        }

        const auto leadHint = judgechupai(leader, Marks(LeadHint(leader, AllAtBaseline())), true, {}, t);
        ASSERT_EQ(leadHint.outcome, JudgeResult::Outcome::Send) << Names(leader.values());
        ExpectEncodesItsCards(leadHint, "lead hint");

        const auto led = judgechupai(leader, Marks(RandomLead(leader, t, rng)), true, {}, t);
        if (led.outcome != JudgeResult::Outcome::Send) continue;
        ExpectEncodesItsCards(led, "lead");
        LeadRecord lead;
        LeadStructure ls;
        RecordLead(led, t, lead, ls);
        if (lead.formerNum > follower.count) continue;

        const auto hint = FollowHint(follower, AllAtBaseline(), lead, ls, t);
        const auto r = judgechupai(follower, Marks(hint), false, lead, t);
        if (r.outcome == JudgeResult::Outcome::Send) {
            ++acceptedHints;
            ExpectEncodesItsCards(r, "follow hint");
            CheckFollowRule(follower, r, lead, t);
        }
        // Random selections near the lead's size: whatever is accepted obeys the rule.
        for (int tries = 0; tries < 4; ++tries) {
            std::vector<int> slots(static_cast<std::size_t>(follower.count));
            for (int s = 0; s < follower.count; ++s) slots[static_cast<std::size_t>(s)] = s;
            std::shuffle(slots.begin(), slots.end(), rng);
            const int want = std::clamp<int>(lead.formerNum + static_cast<int>(rng() % 3) - 1, 1, follower.count);
            slots.resize(static_cast<std::size_t>(want));
            std::sort(slots.begin(), slots.end());
            const auto any = judgechupai(follower, Marks(slots), false, lead, t);
            if (any.outcome != JudgeResult::Outcome::Send) continue;
            ++acceptedFollows;
            ExpectEncodesItsCards(any, "follow");
            CheckFollowRule(follower, any, lead, t);
        }
    }
    EXPECT_GT(acceptedHints, Deals() / 4);
    EXPECT_GT(acceptedFollows, 0);
}

TEST(RandomDeals, SortingIsAPermutationThatKeepsPictures) {
    std::mt19937 rng(7);
    const auto pack = Pack();
    for (int deal = 0; deal < Deals() / 3; ++deal) {
        auto cards = pack;
        std::shuffle(cards.begin(), cards.end(), rng);
        const TrumpSettings t = RandomTrump(rng);
        Hand h = Hand::Dealt({cards.begin(), cards.begin() + 33});
        sortbyhs(h, h.count, t);
        sortbyval(h, h.count, t);
        auto got = h.values();
        std::vector<CardValue> want(cards.begin(), cards.begin() + 33);
        for (int i = 0; i < 33; ++i) ASSERT_EQ(h.card[i].imgIndex, i);
        std::sort(got.begin(), got.end());
        std::sort(want.begin(), want.end());
        ASSERT_EQ(got, want);
        // Every trump comes before every plain card once the trump suit is known (the scan
        // limits only bind with mask-B 3s behind ten front cards, which the masks here avoid
        // unless mask A holds one suit: at most 2 + 2 + 2 + 2 front cards).
        bool plainSeen = false;
        for (int i = 0; i < 33; ++i) {
            const bool trump = IsTrump(h.card[i].value, t);
            if (!trump) plainSeen = true;
            ASSERT_FALSE(trump && plainSeen) << Names(h.values());
        }
    }
}

}  // namespace
}  // namespace zorvan::rules::test
