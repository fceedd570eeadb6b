#include "rules/analysis.h"

#include <algorithm>
#include <vector>

namespace zorvan::rules {

namespace {

constexpr int kPlainKind = 1;  // analysed as cards of a plain suit
constexpr int kTrumpKind = 2;  // analysed as trumps of the trump suit
constexpr int kNoSuitKind = 3; // the round has no trump suit

// Builds one rank table. Runs remember their rows in chain order, so that the trump-three
// break can re-derive what remains of a run it cuts.
struct Builder {
    Analysis a;
    const TrumpSettings& t;
    int chuPaiKind;
    bool zhuFlag;
    std::vector<std::vector<int>> runs;

    Builder(const TrumpSettings& ts, int chuPaiHS) : t(ts) {
        zhuFlag = chuPaiHS == t.g_zhuhuase;
        if (t.g_zhuhuase == 0) chuPaiKind = kNoSuitKind;
        else chuPaiKind = zhuFlag ? kTrumpKind : kPlainKind;
    }

    PaiRow& row(int r) { return a.row(r); }
    bool pair(int r) { return row(r).count == 2; }
    bool trumpRule() const { return chuPaiKind == kTrumpKind; }

    // Row 2..20 of a card before the jokers move up, or -1 for a value that is no card.
    int RowOf(CardValue v) const {
        const int face = pm(v);
        if (face < 2 || face > kBigJoker) return -1;
        if (chuPaiKind == kPlainKind) return face;
        if (face == kSmallJoker) return 19;
        if (face == kBigJoker) return 20;
        if (face == t.g_ZhuPaiMian) return 15 + BitIndex(hs(v));
        return face;
    }

    void Tabulate(CardList list) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i] == 0) continue;
            const int r = RowOf(list[i]);
            if (r < 0) continue;
            PaiRow& x = row(r);
            if (x.count == 0) x.first = static_cast<std::int16_t>(i);
            else if (x.count == 1) x.second = static_cast<std::int16_t>(i);
            ++x.count;
        }
        if (chuPaiKind != kPlainKind) {
            const int bi = BitIndex(t.g_zhuhuase);
            if (bi < 3) std::swap(row(15 + bi), row(18));
        }
    }

    int NextRow(int r) const {
        ++r;
        if (r == t.g_ZhuPaiMian) ++r;
        return r;
    }

    // A chain of pairs becomes a run (two or more pairs) or a lone pair.
    void Finish(const std::vector<int>& rows) {
        if (rows.empty()) return;
        const int len = static_cast<int>(rows.size()) * 2;
        if (rows.size() >= 2) {
            for (int r : rows) row(r).kind = static_cast<std::int16_t>(len);
            runs.push_back(rows);
            if (trumpRule()) a.m_LDlength = std::max<std::int16_t>(a.m_LDlength, static_cast<std::int16_t>(len));
            else a.m_LDlength = static_cast<std::int16_t>(len);
        } else {
            row(rows[0]).kind = 2;
            if (trumpRule()) a.m_LDlength = std::max<std::int16_t>(a.m_LDlength, 2);
        }
    }

    // Rows 2..14 (the trump rank stepped over). Returns the chain that reaches the top row of
    // the suit without finishing it, for the trump rule's upper block.
    std::vector<int> SuitRuns() {
        const int topRow = t.g_ZhuPaiMian == 14 ? 13 : 14;
        std::vector<int> carry;
        int r = 2;
        while (r <= 14) {
            if (r == t.g_ZhuPaiMian || !pair(r)) {
                ++r;
                continue;
            }
            std::vector<int> rows{r};
            int nx = NextRow(r);
            while (nx <= 14 && pair(nx)) {
                rows.push_back(nx);
                nx = NextRow(nx);
            }
            if (nx <= 14 && row(nx).count == 1) row(nx).kind = 1;
            if (trumpRule() && rows.back() == topRow) carry = rows;
            else Finish(rows);
            r = nx;
        }
        return carry;
    }

    void KindByCount(int r) { row(r).kind = row(r).count; }

    // The trump chain above the trump suit: one pair of off-suit trump-rank cards (rows
    // 15..17), the trump suit's trump-rank pair (18), small jokers (19), big jokers (20).
    void UpperBlock(std::vector<int> chain) {
        bool anyPair = false;
        for (int r = 15; r <= 20; ++r) anyPair = anyPair || pair(r);
        if (chain.empty() && !anyPair) return;
        std::vector<int> offs;
        for (int r = 15; r <= 17; ++r)
            if (pair(r)) offs.push_back(r);
        // Of two or three off-suit pairs only the highest joins; the others stay lone pairs.
        for (std::size_t i = 0; i + 1 < offs.size(); ++i) row(offs[i]).kind = 2;
        const bool hasOff = !offs.empty();

        if (pair(18)) {
            if (!hasOff) {
                Finish(chain);
                chain.clear();
            } else {
                chain.push_back(offs.back());
            }
            chain.push_back(18);
            if (pair(19)) {
                chain.push_back(19);
                if (pair(20)) chain.push_back(20);
            }
            Finish(chain);
            for (int r = 19; r <= 20; ++r)
                if (std::find(chain.begin(), chain.end(), r) == chain.end()) KindByCount(r);
        } else {
            if (hasOff) chain.push_back(offs.back());
            Finish(chain);
            KindByCount(18);
            if (pair(19) && pair(20)) Finish({19, 20});
            else {
                KindByCount(19);
                KindByCount(20);
            }
        }
    }

    void Runs() {
        std::vector<int> carry = SuitRuns();
        if (trumpRule()) {
            UpperBlock(carry);
            return;
        }
        if (chuPaiKind == kNoSuitKind && zhuFlag) {
            if (pair(19) && pair(20)) {
                row(19).kind = 4;
                row(20).kind = 4;
                runs.push_back({19, 20});
                a.m_LDlength = 4;
                for (int r = 2; r <= 18; ++r) KindByCount(r);
            } else {
                // Trump pairs above the suit rows are lone pairs, so that the kind mask shows them.
                for (int r = 15; r <= 20; ++r)
                    if (pair(r)) row(r).kind = 2;
            }
        }
    }

    // A 3 of mask A never belongs to a run: cut row 3 out of its run and re-derive what
    // remains of it on either side, and the longest run that is left.
    void TrumpThreeBreak(CardList list) {
        if (t.g_zhuhuase == 0 || row(3).kind < 4) return;
        const bool hasA3 = std::any_of(list.begin(), list.end(),
                                       [&](CardValue v) { return v != 0 && IsMaskAThree(v, t); });
        if (!hasA3) return;
        row(3).kind = 2;
        std::vector<std::vector<int>> kept;
        for (const auto& run : runs) {
            if (std::find(run.begin(), run.end(), 3) == run.end()) {
                kept.push_back(run);
                continue;
            }
            std::vector<int> seg;
            auto flush = [&] {
                if (seg.size() >= 2) {
                    for (int r : seg) row(r).kind = static_cast<std::int16_t>(seg.size() * 2);
                    kept.push_back(seg);
                } else if (seg.size() == 1) {
                    row(seg[0]).kind = 2;
                }
                seg.clear();
            };
            for (int r : run) {
                if (r == 3) flush();
                else seg.push_back(r);
            }
            flush();
        }
        runs = kept;
        std::int16_t longest = 0;
        for (const auto& run : runs) longest = std::max<std::int16_t>(longest, static_cast<std::int16_t>(run.size() * 2));
        if (longest == 0 && trumpRule()) {
            for (int r = 2; r <= 20; ++r)
                if (pair(r)) longest = 2;
        }
        a.m_LDlength = longest;
    }

    void Complete(CardList list) {
        for (int r = 2; r <= 20; ++r)
            if (row(r).count == 1) row(r).kind = 1;
        TrumpThreeBreak(list);
        std::int16_t mask = 0;
        for (int r = 2; r <= 20; ++r) {
            const int k = row(r).kind;
            if (k >= 3) mask |= 4;
            else if (k == 2) mask |= 2;
            else if (k == 1) mask |= 1;
        }
        a.m_KindMask = mask;
        row(21) = row(19);
        row(22) = row(20);
        row(19) = PaiRow{};
        row(20) = PaiRow{};
    }
};

PaiRow RowOfCards(const std::vector<int>& idx) {
    PaiRow x;
    x.count = static_cast<std::int16_t>(idx.size());
    if (!idx.empty()) x.first = static_cast<std::int16_t>(idx[0]);
    if (idx.size() >= 2) x.second = static_cast<std::int16_t>(idx[1]);
    x.kind = x.count;
    return x;
}

std::int16_t KindBit(std::size_t count) { return count == 1 ? 1 : count >= 2 ? 2 : 0; }

}  // namespace

int PlaySuit(CardList list, const TrumpSettings& t) {
    std::size_t i = 0;
    while (i < list.size() && IsTrump(list[i], t)) ++i;
    if (i == list.size()) return t.g_zhuhuase;
    const int s = hs(list[i]);
    for (CardValue v : list) {
        if (IsJoker(v) || hs(v) != s || IsTrump(v, t)) return kMixedSuit;
    }
    return s;
}

bool IsPair(CardList list, int i) {
    if (list.size() != 2 || i < 0 || i + 1 >= static_cast<int>(list.size())) return false;
    return SameCard(list[i], list[i + 1]);
}

int PlayType(CardList list, const TrumpSettings& t) {
    const std::size_t n = list.size();
    if (n == 1) return kSingle;
    if (n == 2) return IsPair(list, 0) ? kPair : kThrow;
    if (n % 2 == 1 || n < 4) return kThrow;
    const Analysis a = AnalyzePlay(list, PlaySuit(list, t), t);
    return static_cast<std::size_t>(a.m_LDlength) == n ? kRun : kThrow;
}

Analysis newchupaidetail(CardList list, int chuPaiHS, const TrumpSettings& t) {
    Builder b(t, chuPaiHS);
    b.Tabulate(list);
    b.Runs();
    b.Complete(list);
    return b.a;
}

Analysis AnalyzePlay(CardList list, int chuPaiHS, const TrumpSettings& t) {
    std::vector<int> red, b3, a3;
    int f5 = 0, t3 = 0;
    const bool noSuit = t.g_zhuhuase == 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const CardValue v = list[i];
        if (v == 0) continue;
        const int idx = static_cast<int>(i);
        if (IsRedFive(v)) red.push_back(idx);
        else if (IsMaskAThree(v, t)) {
            // Without a trump suit the diamond and club 3s of mask A rank with mask B.
            if (noSuit && (hs(v) == kDiamonds || hs(v) == kClubs)) b3.push_back(idx);
            else a3.push_back(idx);
        } else if (IsMaskBThree(v, t)) b3.push_back(idx);
        else if (!noSuit && pm(v) == 5 && hs(v) == t.g_zhuhuase) ++f5;
        else if (!noSuit && pm(v) == 3 && hs(v) == t.g_zhuhuase && t.g_ZhuPaiMian != 3) ++t3;
    }
    const std::size_t R = red.size(), B3 = b3.size(), A3 = a3.size();
    // A trump-suit 3 outside the masks keeps row 3; the mask 3s then rank on their own rows.
    const bool ownThrees = t3 >= 1 && (A3 + B3) >= 1;

    std::vector<CardValue> work(list.begin(), list.end());
    const bool special = (R >= 1 && f5 >= 1) || (A3 >= 1 && B3 >= 1) || R == 2 || B3 >= 2;
    if (special) {
        for (int i : red) work[i] = 0;
        for (int i : b3) work[i] = 0;
        if (ownThrees)
            for (int i : a3) work[i] = 0;
        Analysis a = newchupaidetail(work, chuPaiHS, t);
        if (!ownThrees) {
            a.row(20) = a.row(3);
            a.row(3) = PaiRow{};
        } else {
            a.row(20) = A3 ? RowOfCards(a3) : PaiRow{};
            a.m_KindMask |= KindBit(A3);
        }
        a.row(23) = R ? RowOfCards(red) : PaiRow{};
        a.row(19) = B3 ? RowOfCards(b3) : PaiRow{};
        if (R == 1 || B3 == 1) a.m_KindMask |= 1;
        if (R == 2 || B3 >= 2) a.m_KindMask |= 2;
        return a;
    }
    if (ownThrees) {
        for (int i : a3) work[i] = 0;
        for (int i : b3) work[i] = 0;
    }
    Analysis a = newchupaidetail(work, chuPaiHS, t);
    if (R == 1) {
        a.row(23) = a.row(5);
        a.row(5) = PaiRow{};
    }
    if (!ownThrees) {
        if (B3 == 1) {
            a.row(19) = a.row(3);
            a.row(3) = PaiRow{};
        }
        if (A3 >= 1) {
            a.row(20) = a.row(3);
            a.row(3) = PaiRow{};
        }
    } else {
        if (B3) a.row(19) = RowOfCards(b3);
        if (A3) a.row(20) = RowOfCards(a3);
        a.m_KindMask |= KindBit(A3) | KindBit(B3);
    }
    return a;
}

}  // namespace zorvan::rules
