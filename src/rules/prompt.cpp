#include "rules/prompt.h"

#include <algorithm>

namespace zorvan::rules {

Baseline AllAtBaseline() {
    Baseline b;
    b.fill(true);
    return b;
}

namespace {

// One call of a hint: the cards raised so far (R) and the candidates that must follow.
struct Hint {
    const Hand& hand;
    Baseline base;
    int count;
    std::vector<int> order;
    int R = 0;
    std::vector<CardValue> hanpai;  // candidates, strongest first
    std::vector<int> hanpaiSlot;    // the hand slot of each candidate
    Analysis a;
    int N = 0;

    Hint(const Hand& h, const Baseline& b) : hand(h), base(b), count(std::clamp<int>(h.count, 0, kHandSlots)) {}

    bool valid(int slot) const { return slot >= 0 && slot < count; }
    bool atBase(int slot) const { return valid(slot) && base[static_cast<std::size_t>(slot)]; }

    void raise(int slot) {
        if (!valid(slot)) return;
        base[static_cast<std::size_t>(slot)] = false;
        if (std::find(order.begin(), order.end(), slot) == order.end()) order.push_back(slot);
        ++R;
    }
    int candSlot(int i) const {
        if (i < 0 || i >= static_cast<int>(hanpaiSlot.size())) return -1;
        return hanpaiSlot[static_cast<std::size_t>(i)];
    }
    void raiseCand(int i) { raise(candSlot(i)); }
    int firstSlot(int r) const { return candSlot(a.row(r).first); }
    int secondSlot(int r) const { return candSlot(a.row(r).second); }
    bool pairAtBase(int r) const { return atBase(firstSlot(r)) && atBase(secondSlot(r)); }
    void raiseRow(int r) {
        raiseCand(a.row(r).first);
        raiseCand(a.row(r).second);
    }

    void fillFromRight(int T) {
        for (int s = count - 1; s >= 0 && R < T; --s)
            if (atBase(s)) raise(s);
    }
    void raiseAllCandidates() {
        for (std::size_t i = 0; i < hanpai.size(); ++i) raiseCand(static_cast<int>(i));
    }
    // skipRaised: a row whose cards are already up is left alone (used after the run walk).
    void pairsUntil(int T, bool skipRaised = false) {
        for (int r = 2; r <= 20 && R < T; ++r)
            if (a.row(r).count == 2 && (!skipRaised || pairAtBase(r))) raiseRow(r);
    }
    void singles(bool skipRaised = false) {
        for (int r = 2; r <= 20 && R < N; ++r)
            if (a.row(r).count == 1 && (!skipRaised || atBase(firstSlot(r)))) raiseCand(a.row(r).first);
    }
    void cardFill(int lastRow, bool second) {
        for (int r = 2; r <= lastRow && R < N; ++r) {
            const int slot = second ? secondSlot(r) : firstSlot(r);
            if (atBase(slot)) raise(slot);
        }
    }
    void runPairs() {
        for (int r = 2; r <= 20 && R < N; ++r)
            if (a.row(r).count == 2 && a.row(r).kind >= 4) raiseRow(r);
    }
    void plainPairs(bool bounded) {
        for (int r = 2; r <= 20 && R < N; ++r) {
            if (a.row(r).count != 2 || a.row(r).kind != 2) continue;
            if (bounded && R + 2 > N) return;
            raiseRow(r);
        }
    }
    // For every recorded lead run: the pairs of runs at least as long (pass A), else the
    // pairs of shorter runs (pass B), never more than N cards.
    void runStage(const LeadStructure& ls) {
        const int runs = std::clamp<int>(ls.g_LeadRuns, 0, static_cast<int>(ls.g_LeadRunLengths.size()));
        for (int i = 0; i < runs && R < N; ++i) {
            const int L = ls.g_LeadRunLengths[static_cast<std::size_t>(i)];
            bool any = false;
            for (int r = 2; r <= 20; ++r) {
                const PaiRow& x = a.row(r);
                if (x.count != 2 || x.kind < 2 * L || !pairAtBase(r)) continue;
                any = true;
                if (R + 2 > N) break;
                raiseRow(r);
            }
            if (any) continue;
            for (int r = 2; r <= 20; ++r) {
                const PaiRow& x = a.row(r);
                if (x.count != 2 || x.kind < 4 || x.kind >= 2 * L || !pairAtBase(r)) continue;
                if (R + 2 > N) break;
                raiseRow(r);
            }
        }
    }
};

}  // namespace

std::vector<int> LeadHint(const Hand& hand, const Baseline& atBaseline) {
    Hint h(hand, atBaseline);
    const int count = h.count;
    if (count >= 3) {
        if (SameCard(hand.card[count - 2].value, hand.card[count - 1].value)) {
            h.raise(count - 2);
            h.raise(count - 1);
        } else {
            h.raise(count - 1);
        }
    } else if (count >= 1) {
        h.raise(0);
    }
    return h.order;
}

std::vector<int> FollowHint(const Hand& hand, const Baseline& atBaseline, const LeadRecord& lead,
                            const LeadStructure& ls, const TrumpSettings& t) {
    Hint h(hand, atBaseline);
    const int N = lead.formerNum;
    h.N = N;
    const int count = h.count;
    if (count == N) {
        for (int s = 0; s < count; ++s)
            if (h.atBase(s)) h.raise(s);
        return h.order;
    }
    for (int s = 0; s < count; ++s) {
        const CardValue v = hand.card[static_cast<std::size_t>(s)].value;
        if (FollowsLead(v, lead, t)) {
            h.hanpai.push_back(v);
            h.hanpaiSlot.push_back(s);
        }
    }
    const int n = static_cast<int>(h.hanpai.size());
    switch (lead.formerType) {
        case kSingle:
            if (n >= 1) h.raiseCand(0);
            else h.raise(count - 1);
            break;
        case kPair:
            if (n == 0) {
                h.fillFromRight(2);
            } else if (n == 1) {
                h.raiseCand(0);
                h.raise(h.candSlot(0) == count - 1 ? count - 2 : count - 1);
            } else if (n == 2) {
                h.raiseCand(0);
                h.raiseCand(1);
            } else {
                h.a = newchupaidetail(h.hanpai, lead.formerHS, t);
                for (int r = 2; r <= 20; ++r)
                    if (h.a.row(r).count == 2) {
                        h.raiseRow(r);
                        return h.order;
                    }
                h.raiseCand(0);
                h.raiseCand(1);
            }
            break;
        case kThrow:
            if (n < N) {
                h.raiseAllCandidates();
                h.fillFromRight(N);
            } else if (n == N) {
                h.raiseAllCandidates();
            } else {
                const int kind = lead.formerKind;
                if (kind < 1 || kind > 7) break;
                if (kind == 1) {
                    for (int i = 0; i < N; ++i) h.raiseCand(i);
                    break;
                }
                h.a = AnalyzePlay(h.hanpai, lead.formerHS, t);
                switch (kind) {
                    case 2:
                        h.pairsUntil(N);
                        h.singles();
                        break;
                    case 3:
                        h.pairsUntil(N - ls.g_LeadSingles);
                        h.singles();
                        h.cardFill(16, false);
                        h.cardFill(16, true);
                        break;
                    case 4:
                    case 6:
                        h.runPairs();
                        h.plainPairs(false);
                        h.singles();
                        break;
                    default:  // 5, 7
                        h.runStage(ls);
                        h.plainPairs(true);
                        h.singles();
                        h.cardFill(20, false);
                        h.cardFill(20, true);
                        break;
                }
            }
            break;
        case kRun:
            if (n < 4) {
                h.raiseAllCandidates();
                h.fillFromRight(N);
            } else if (n == N) {
                h.raiseAllCandidates();
            } else {
                h.a = newchupaidetail(h.hanpai, lead.formerHS, t);
                int r0 = -1;
                if (h.a.m_LDlength == N)
                    for (int r = 2; r <= 20; ++r)
                        if (h.a.row(r).kind >= N) {
                            r0 = r;
                            break;
                        }
                if (r0 >= 0) {
                    const int K = h.a.row(r0).kind;
                    for (int r = r0; r <= kLastRow && h.R < N; ++r)
                        if (h.a.row(r).kind == K && h.a.row(r).count == 2) h.raiseRow(r);
                    if (h.R >= N) break;
                    // The rows ran out (a run cut by the trump-three break): go on as below.
                }
                const bool after = r0 >= 0;
                h.pairsUntil(N, after);
                h.singles(after);
                h.fillFromRight(N);
            }
            break;
        default:
            break;
    }
    return h.order;
}

}  // namespace zorvan::rules
