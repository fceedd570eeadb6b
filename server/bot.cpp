#include "server/bot.h"

#include <algorithm>
#include <tuple>

namespace zorvan::server {

using namespace zorvan::rules;

bool CallBeats(const Call& a, const std::optional<Call>& b) {
    if (!b) return true;
    if (a.kind == 2 && b->kind == 1) return true;
    return a.kind == 2 && b->kind == 2 && a.suit > b->suit;
}

int CallFace(const Call& call, int trumpRank) {
    if (call.suit == 9) return kSmallJoker;
    if (call.suit == 10) return kBigJoker;
    return trumpRank;
}

Cards CallCards(const Cards& hand, const Call& call, int trumpRank) {
    const bool plainSuit = call.suit == 1 || call.suit == 2 || call.suit == 4 || call.suit == 8;
    if (call.kind == 1 && !plainSuit) return {};
    if (call.kind != 1 && call.kind != 2) return {};
    if (!plainSuit && call.suit != 9 && call.suit != 10) return {};
    Cards out;
    for (CardValue v : hand) {
        const bool fits = plainSuit ? (pm(v) == trumpRank && hs(v) == call.suit) : pm(v) == CallFace(call, trumpRank);
        if (fits && static_cast<int>(out.size()) < call.kind) out.push_back(v);
    }
    if (static_cast<int>(out.size()) < call.kind) return {};
    return out;
}

namespace bot {
namespace {

// Weakness order: plain before trump, no points before points, then by rank.
bool Weaker(CardValue a, CardValue b, const TrumpSettings& t) {
    const auto key = [&](CardValue v) {
        return std::tuple(IsTrump(v, t) ? 1 : 0, CardPoints(v) > 0 ? 1 : 0, CardRank(v, t), ind(v));
    };
    return key(a) < key(b);
}

Cards Sorted(Cards c, const TrumpSettings& t) {
    std::sort(c.begin(), c.end(), [&](CardValue a, CardValue b) { return Weaker(a, b, t); });
    return c;
}

Cards OfClass(const Cards& hand, int cls, const TrumpSettings& t) {
    Cards out;
    for (CardValue v : hand)
        if (CardClass(v, t) == cls) out.push_back(v);
    return out;
}

// Takes the weakest n cards of `pool` that are not in `taken`, appending to `taken`.
void TakeWeakest(Cards& taken, const Cards& pool, std::size_t n, const TrumpSettings& t) {
    for (CardValue v : Sorted(pool, t)) {
        if (taken.size() >= n) return;
        if (std::find(taken.begin(), taken.end(), v) == taken.end()) taken.push_back(v);
    }
}

// The pairs of a set, weakest first.
std::vector<Cards> PairsOf(const Cards& cards, const TrumpSettings& t) {
    std::vector<Cards> pairs;
    Cards s = Sorted(cards, t);
    for (std::size_t i = 0; i + 1 < s.size(); ++i)
        if (SameCard(s[i], s[i + 1])) {
            pairs.push_back({s[i], s[i + 1]});
            ++i;
        }
    return pairs;
}

}  // namespace

std::optional<Call> ChooseCall(const Cards& hand, int trumpRank, const std::optional<Call>& standing, bool pairsOnly) {
    for (int suit : {10, 9, 8, 4, 2, 1}) {
        const Call c{2, suit};
        if (CallBeats(c, standing) && !CallCards(hand, c, trumpRank).empty()) return c;
    }
    if (pairsOnly || standing) return std::nullopt;
    int total = 0, bestSuit = 0, bestCount = 0;
    for (int suit : {8, 4, 2, 1}) {
        int n = 0;
        for (CardValue v : hand)
            if (pm(v) != trumpRank && hs(v) == suit && !IsJoker(v)) ++n;
        const bool holds = !CallCards(hand, Call{1, suit}, trumpRank).empty();
        if (holds) ++total;
        if (holds && n >= bestCount) {
            bestCount = n;
            bestSuit = suit;
        }
    }
    if (total >= 2 && bestSuit) return Call{1, bestSuit};
    return std::nullopt;
}

Cards ChooseBury(const Cards& hand, const TrumpSettings& t) {
    Cards s = Sorted(hand, t);
    s.resize(std::min<std::size_t>(8, s.size()));
    return s;
}

Cards ChooseLead(const Cards& hand, const std::vector<Cards>& others, const TrumpSettings& t) {
    std::optional<Part> best;
    for (int cls : {0, 1, 2, 4, 8}) {
        const Cards mine = OfClass(hand, cls, t);
        if (mine.empty()) continue;
        for (const Part& p : PartsOf(mine, t)) {
            bool beaten = false;
            for (const Cards& o : others) beaten = beaten || Beats(o, p, cls, t);
            if (beaten) continue;
            // Plain sure parts before trump ones (trumps are kept for taking tricks).
            const auto key = [&](const Part& x) { return std::tuple(CardClass(x.cards[0], t) != 0, x.size, x.high); };
            if (!best || key(p) > key(*best)) best = p;
        }
    }
    if (best) return best->cards;
    return {Sorted(hand, t).front()};
}

Cards ChooseFollow(const Cards& hand, const Cards& lead, const LeadRecord& record, const Cards& best,
                   bool partnerWinning, int trickPoints, const TrumpSettings& t) {
    const std::size_t n = lead.size();
    Cards follow = OfClass(hand, record.formerZhu ? 0 : record.formerHS, t);
    if (follow.size() <= n) {
        Cards play = follow;
        Cards rest;
        for (CardValue v : hand)
            if (std::find(play.begin(), play.end(), v) == play.end()) rest.push_back(v);
        TakeWeakest(play, rest, n, t);
        return play;
    }
    const std::vector<Part> leadParts = PartsOf(lead, t);
    const bool singleOrPair = leadParts.size() == 1 && leadParts[0].size <= 2;
    // Try to take a trick with points from the other side with the cheapest winning play.
    if (trickPoints > 0 && !partnerWinning && singleOrPair) {
        const int size = leadParts[0].size;
        std::vector<Cards> candidates;
        if (size == 1)
            for (CardValue v : Sorted(follow, t)) candidates.push_back({v});
        else
            candidates = PairsOf(follow, t);
        for (const Cards& c : candidates)
            if (FollowBeats(c, best, lead, t)) return c;
    }
    // Lowest legal cards, keeping pairs for pair parts of the lead.
    Cards play;
    int pairsWanted = 0;
    for (const Part& p : leadParts) pairsWanted += p.size / 2;
    for (const Cards& pr : PairsOf(follow, t)) {
        if (pairsWanted == 0 || play.size() + 2 > n) break;
        play.insert(play.end(), pr.begin(), pr.end());
        --pairsWanted;
    }
    TakeWeakest(play, follow, n, t);
    return play;
}

}  // namespace bot
}  // namespace zorvan::server
