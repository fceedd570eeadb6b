#include "rules/play.h"

#include <algorithm>

namespace zorvan::rules {

bool FollowsLead(CardValue v, const LeadRecord& lead, const TrumpSettings& t) {
    if (lead.formerZhu) return IsTrump(v, t);
    return !IsTrump(v, t) && hs(v) == lead.formerHS;
}

namespace {

// Writes bytes into the packet, refusing anything past its end.
struct Writer {
    Packet& p;
    bool overflow = false;
    void put(int off, int value) {
        if (off < 0 || off >= kPacketSize) {
            overflow = true;
            return;
        }
        p[static_cast<std::size_t>(off)] = static_cast<std::uint8_t>(value);
    }
};

}  // namespace

int FormatSend(Packet& packet, CardList list, const Analysis& a, int topRank, int firstOffset,
               const TrumpSettings& t) {
    Writer out{packet};
    std::vector<bool> written(list.size(), false);
    auto idOf = [&](int i) -> int {
        if (i < 0 || static_cast<std::size_t>(i) >= list.size()) return 0;
        written[static_cast<std::size_t>(i)] = true;
        return ind(list[static_cast<std::size_t>(i)]);
    };
    auto single = [&](int& k, const PaiRow& x) {
        out.put(k, 1);
        out.put(k + 1, idOf(x.first));
        out.put(k + 2, 0);
        k += 3;
    };
    auto pair = [&](int& k, const PaiRow& x) {
        out.put(k, 2);
        out.put(k + 1, idOf(x.first));
        out.put(k + 2, idOf(x.second));
        out.put(k + 3, 0);
        k += 4;
    };

    topRank = std::min(topRank, kLastRow);
    int k = firstOffset;
    int r = kFirstRow;
    while (r <= topRank) {
        const PaiRow& x = a.row(r);
        if (x.count == 2 && x.kind >= 4) {
            const int n = x.kind;
            out.put(k, 4);
            const int header = k + 1;
            int w = k + 2;
            int collected = 0;
            bool noted = false;
            int s = r;
            while (s <= topRank && collected < n) {
                if (s == t.g_ZhuPaiMian) {
                    ++s;
                    continue;
                }
                const PaiRow& y = a.row(s);
                if (y.count == 2 && y.kind == n) {
                    out.put(w, idOf(y.first));
                    out.put(w + 1, idOf(y.second));
                    w += 2;
                    collected += 2;
                } else if ((y.count == 2 && y.kind == 2) || y.count == 1) {
                    noted = true;
                }
                ++s;
            }
            const int h = s;
            out.put(header, collected / 2);  // the pairs actually written
            out.put(w, 0);
            k = w + 1;
            if (noted) {
                for (int q = r; q < h; ++q) {
                    const PaiRow& y = a.row(q);
                    if (y.count == 1) single(k, y);
                    else if (y.count == 2 && y.kind == 2) pair(k, y);
                }
            }
            r = h;
            continue;
        }
        if (x.count == 2) pair(k, x);
        else if (x.count == 1) single(k, x);
        ++r;
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == 0 || written[i]) continue;
        PaiRow lone;
        lone.count = 1;
        lone.first = static_cast<std::int16_t>(i);
        single(k, lone);
    }
    return out.overflow ? -1 : k;
}

namespace {

constexpr int kMaxPlay = 25;  // a play list holds at most 25 cards

void Flat(Packet& p, const std::vector<CardValue>& list, int& end) {
    int k = 22;
    for (CardValue v : list) p[static_cast<std::size_t>(k++)] = static_cast<std::uint8_t>(ind(v));
    end = k;
}

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }

}  // namespace

JudgeResult judgechupai(const Hand& hand, const std::array<bool, kHandSlots>& raised, bool leading,
                        const LeadRecord& lead, const TrumpSettings& t) {
    JudgeResult res;
    const int count = std::clamp<int>(hand.count, 0, kHandSlots);
    for (int i = 0; i < count; ++i)
        if (raised[static_cast<std::size_t>(i)]) {
            res.slots.push_back(i);
            res.cards.push_back(hand.card[static_cast<std::size_t>(i)].value);
        }
    const std::vector<CardValue>& list = res.cards;
    const int N = static_cast<int>(list.size());
    if (N == 0) return res;
    res.outcome = JudgeResult::Outcome::Refuse;
    if (N > kMaxPlay) return res;

    const int T = PlayType(list, t);
    Packet& p = res.packet;
    if (!leading) {
        p[15] = 1;
        if (N != lead.formerNum) return res;
        int A = 0, B = 0;
        for (int i = 0; i < count; ++i)
            if (FollowsLead(hand.card[static_cast<std::size_t>(i)].value, lead, t)) ++A;
        for (CardValue v : list)
            if (FollowsLead(v, lead, t)) ++B;
        if (!((A >= N && B == N) || (A < N && B == A))) return res;
        const int S = PlaySuit(list, t);
        p[17] = Byte(N);
        p[19] = Byte(S);
        p[20] = S == t.g_zhuhuase ? 1 : 0;
        if (S == kMixedSuit) {
            p[18] = kThrow;
            p[21] = 0;
            Flat(p, list, res.end);
        } else {
            p[18] = Byte(T);
            if (T == kThrow) {
                const Analysis a = AnalyzePlay(list, S, t);
                p[21] = Byte(a.m_KindMask);
                res.end = FormatSend(p, list, a, 23, 22, t);
                if (res.end < 0) return res;
            } else {
                p[21] = 0;
                Flat(p, list, res.end);
            }
        }
        res.outcome = JudgeResult::Outcome::Send;
        return res;
    }

    p[15] = 2;
    const int S = PlaySuit(list, t);
    switch (T) {
        case kSingle:
        case kPair:
            p[17] = Byte(T);
            p[18] = Byte(T);
            p[19] = Byte(S);
            p[20] = IsTrump(list[0], t) ? 1 : 0;
            p[21] = 0;
            Flat(p, list, res.end);
            break;
        case kThrow: {
            if (S == kMixedSuit) return res;
            const bool trumps = S == t.g_zhuhuase;
            const Analysis a = trumps ? AnalyzePlay(list, S, t) : newchupaidetail(list, S, t);
            p[17] = Byte(N);
            p[18] = kThrow;
            p[19] = Byte(S);
            p[20] = trumps ? 1 : 0;
            p[21] = Byte(a.m_KindMask);
            res.end = FormatSend(p, list, a, trumps ? 23 : 14, 22, t);
            if (res.end < 0) return res;
            break;
        }
        default: {
            if (S > 8) return res;
            const Analysis a = newchupaidetail(list, S, t);
            if (N != a.m_LDlength) return res;
            p[17] = Byte(N);
            p[18] = kRun;
            p[19] = Byte(S);
            p[20] = S == t.g_zhuhuase ? 1 : 0;
            p[21] = Byte(a.m_KindMask);
            Flat(p, list, res.end);
            break;
        }
    }
    res.outcome = JudgeResult::Outcome::Send;
    return res;
}

std::vector<std::uint8_t> EncodeThrow(CardList list, const TrumpSettings& t) {
    const int S = PlaySuit(list, t);
    if (S == kMixedSuit || list.empty()) return {};
    const bool trumps = S == t.g_zhuhuase;
    const Analysis a = trumps ? AnalyzePlay(list, S, t) : newchupaidetail(list, S, t);
    Packet p{};
    const int end = FormatSend(p, list, a, trumps ? 23 : 14, 22, t);
    if (end < 22) return {};
    return {p.begin() + 22, p.begin() + end};
}

}  // namespace zorvan::rules
