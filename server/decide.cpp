#include "server/decide.h"

#include <algorithm>

#include "rules/hand.h"

namespace zorvan::server {

using namespace zorvan::rules;

CardValue CardOfId(int id) {
    if (id < 0 || id >= kPackSize) return 0;
    if (id >= 104) return MakeCard(0, id < 106 ? kSmallJoker : kBigJoker, id);
    const int within = id % 52;
    return MakeCard(1 << (within / 13), 2 + within % 13, id);
}

int CardPoints(CardValue v) {
    const int f = pm(v);
    if (f == 5) return 5;
    if (f == 10 || f == 13) return 10;
    return 0;
}

int PointsOf(const Cards& cards) {
    int s = 0;
    for (CardValue v : cards) s += CardPoints(v);
    return s;
}

int CardClass(CardValue v, const TrumpSettings& t) { return IsTrump(v, t) ? 0 : hs(v); }

int SetClass(const Cards& cards, const TrumpSettings& t) {
    if (cards.empty()) return -1;
    const int c = CardClass(cards[0], t);
    for (CardValue v : cards)
        if (CardClass(v, t) != c) return -1;
    return c;
}

namespace {

CardValue FindId(const Cards& cards, int id) {
    for (CardValue v : cards)
        if (ind(v) == id) return v;
    return 0;
}

Cards ClassCards(const Cards& hand, int cls, const TrumpSettings& t) {
    Cards out;
    for (CardValue v : hand)
        if (CardClass(v, t) == cls) out.push_back(v);
    return out;
}

// Ranks of the pairs (two copies of one card) in a set.
std::vector<int> PairRanks(const Cards& cards, const TrumpSettings& t) {
    std::vector<int> ranks;
    for (std::size_t i = 0; i < cards.size(); ++i)
        for (std::size_t j = i + 1; j < cards.size(); ++j)
            if (SameCard(cards[i], cards[j])) ranks.push_back(CardRank(cards[i], t));
    return ranks;
}

std::vector<int> Shape(const std::vector<Part>& parts) {
    std::vector<int> s;
    for (const Part& p : parts) s.push_back(p.size);
    std::sort(s.begin(), s.end());
    return s;
}

// The strongest part among the largest ones: what decides between two plays of one shape.
const Part* Leading(const std::vector<Part>& parts) {
    const Part* best = nullptr;
    for (const Part& p : parts)
        if (!best || p.size > best->size || (p.size == best->size && p.high > best->high)) best = &p;
    return best;
}

}  // namespace

std::vector<Part> PartsOf(const Cards& cards, const TrumpSettings& t) {
    std::vector<Part> parts;
    if (SetClass(cards, t) < 0) return parts;
    const std::vector<std::uint8_t> g = EncodeThrow(cards, t);
    std::size_t i = 0;
    auto card = [&](std::size_t k) { return k < g.size() ? FindId(cards, g[k]) : CardValue{0}; };
    while (i < g.size() && g[i] != 0) {
        Part p;
        const int type = g[i];
        if (type == 1) {
            p.cards = {card(i + 1)};
            i += 3;
        } else if (type == 2) {
            p.cards = {card(i + 1), card(i + 2)};
            i += 4;
        } else if (type == 4 && i + 1 < g.size()) {
            const int pairs = g[i + 1];
            for (int k = 0; k < 2 * pairs; ++k) p.cards.push_back(card(i + 2 + static_cast<std::size_t>(k)));
            i += 3 + 2 * static_cast<std::size_t>(pairs);
        } else {
            break;
        }
        p.size = static_cast<int>(p.cards.size());
        p.low = 99;
        p.high = 0;
        for (CardValue v : p.cards) {
            p.low = std::min(p.low, CardRank(v, t));
            p.high = std::max(p.high, CardRank(v, t));
        }
        parts.push_back(p);
    }
    std::stable_sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) {
        return a.size != b.size ? a.size < b.size : a.low < b.low;
    });
    return parts;
}

std::optional<JudgeResult> JudgePlay(const Cards& hand, const Cards& cards, bool leading, const LeadRecord& lead,
                                     const TrumpSettings& t) {
    if (hand.size() > static_cast<std::size_t>(kHandSlots) || cards.empty()) return std::nullopt;
    Hand h = Hand::Dealt(hand);
    std::array<bool, kHandSlots> raised{};
    for (CardValue v : cards) {
        auto it = std::find(hand.begin(), hand.end(), v);
        if (it == hand.end()) return std::nullopt;
        const auto i = static_cast<std::size_t>(it - hand.begin());
        if (raised[i]) return std::nullopt;
        raised[i] = true;
    }
    JudgeResult r = judgechupai(h, raised, leading, lead, t);
    if (r.outcome != JudgeResult::Outcome::Send) return std::nullopt;
    return r;
}

bool Beats(const Cards& hand, const Part& part, int cls, const TrumpSettings& t) {
    const Cards mine = ClassCards(hand, cls, t);
    if (part.size == 1) {
        for (CardValue v : mine)
            if (CardRank(v, t) > part.low) return true;
        return false;
    }
    if (part.size == 2) {
        for (int r : PairRanks(mine, t))
            if (r > part.low) return true;
        return false;
    }
    const int k = part.size / 2;
    for (const Part& p : PartsOf(mine, t)) {
        if (p.size < part.size || p.size < 4) continue;
        std::vector<int> ranks;
        for (std::size_t i = 0; i < p.cards.size(); i += 2) ranks.push_back(CardRank(p.cards[i], t));
        std::sort(ranks.begin(), ranks.end());
        if (ranks[ranks.size() - static_cast<std::size_t>(k)] > part.low) return true;
    }
    return false;
}

std::optional<Part> FailedThrow(const Cards& thrown, const std::vector<Cards>& others, const TrumpSettings& t) {
    const int cls = SetClass(thrown, t);
    const std::vector<Part> parts = PartsOf(thrown, t);
    if (cls < 0 || parts.size() < 2) return std::nullopt;
    std::optional<Part> forced;
    for (const Part& p : parts) {
        bool beaten = false;
        for (const Cards& o : others) beaten = beaten || Beats(o, p, cls, t);
        if (!beaten) continue;
        // Parts come sorted by size then strength: the first beatable one is the forced play.
        if (!forced) forced = p;
    }
    return forced;
}

bool FollowBeats(const Cards& follow, const Cards& best, const Cards& lead, const TrumpSettings& t) {
    const int fc = SetClass(follow, t), bc = SetClass(best, t), lc = SetClass(lead, t);
    if (fc < 0 || lc < 0 || follow.size() != lead.size()) return false;
    if (fc != lc && fc != 0) return false;
    const std::vector<Part> fp = PartsOf(follow, t), lp = PartsOf(lead, t);
    if (Shape(fp) != Shape(lp)) return false;
    if (fc == 0 && bc != 0) return true;  // the first trumps against a plain lead
    if (fc != bc) return false;
    const std::vector<Part> bp = PartsOf(best, t);
    const Part* f = Leading(fp);
    const Part* b = Leading(bp);
    return f && b && f->high > b->high;
}

int LargestPart(const Cards& play, const TrumpSettings& t) {
    int m = 1;
    for (const Part& p : PartsOf(play, t)) m = std::max(m, p.size);
    return m;
}

LeadRecord LeadRecordOf(const Cards& lead, const TrumpSettings& t) {
    LeadRecord r;
    r.formerNum = static_cast<std::int16_t>(lead.size());
    r.formerType = static_cast<std::int16_t>(PlayType(lead, t));
    const int s = PlaySuit(lead, t);
    r.formerZhu = s == t.g_zhuhuase;
    r.formerHS = static_cast<std::int16_t>(s);
    r.formerKind = AnalyzePlay(lead, s, t).m_KindMask;
    return r;
}

}  // namespace zorvan::server
