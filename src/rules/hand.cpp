#include "rules/hand.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace zorvan::rules {

Hand Hand::Dealt(const std::vector<CardValue>& cards) {
    Hand h;
    const int n = std::min<int>(static_cast<int>(cards.size()), kHandSlots);
    for (int i = 0; i < n; ++i) h.card[i] = Slot{cards[i], static_cast<std::int16_t>(i)};
    h.count = static_cast<std::int16_t>(n);
    return h;
}

std::vector<CardValue> Hand::values() const {
    std::vector<CardValue> v;
    for (int i = 0; i < count && i < kHandSlots; ++i) v.push_back(card[i].value);
    return v;
}

void Hand::Remove(int i) {
    if (i < 0 || i >= count || count > kHandSlots) return;
    for (int k = i; k + 1 < count; ++k) card[k] = card[k + 1];
    card[count - 1] = Slot{};
    --count;
}

namespace {

int Clamp(int n) { return std::clamp(n, 0, kHandSlots); }

// One scan of the front zone: every matching card from slot p on is exchanged into slot p.
// With a limit, the scan ends after any examined slot once p has reached it.
void FrontScan(Hand& h, int n, int& p, const std::function<bool(CardValue)>& match, int limit = -1) {
    for (int i = p; i < n; ++i) {
        if (match(h.card[i].value)) {
            std::swap(h.card[i].value, h.card[p].value);
            ++p;
        }
        if (limit >= 0 && p == limit) break;
    }
}

}  // namespace

void sortbyhs(Hand& h, int n, const TrumpSettings& t) {
    n = Clamp(n);
    int p = 0;
    FrontScan(h, n, p, IsRedFive, 2);
    FrontScan(h, n, p, [](CardValue v) { return pm(v) == kBigJoker; }, 4);
    FrontScan(h, n, p, [](CardValue v) { return pm(v) == kSmallJoker; }, 6);
    FrontScan(h, n, p, [&](CardValue v) { return IsMaskAThree(v, t); });
    FrontScan(h, n, p, [&](CardValue v) { return IsMaskBThree(v, t); }, 10);
    for (int k = 0; k < 4; ++k) {
        const int suit = PowerOfTwo(3 - k);
        FrontScan(h, n, p, [&](CardValue v) { return pm(v) == t.g_ZhuPaiMian && hs(v) == suit && !IsJoker(v); });
    }
    int start = p;
    std::array<int, 4> groupCount{};
    for (int k = 0; k < 4; ++k) {
        const int suit = PowerOfTwo(3 - k);
        const int before = p;
        FrontScan(h, n, p, [&](CardValue v) { return hs(v) == suit && pm(v) != t.g_ZhuPaiMian && !IsJoker(v); });
        groupCount[k] = p - before;
    }
    for (int k = 0; k < 4; ++k) {
        const int end = start + groupCount[k];
        for (int u = start; u < end; ++u)
            for (int j = u + 1; j < end; ++j)
                if (pm(h.card[u].value) < pm(h.card[j].value)) std::swap(h.card[u].value, h.card[j].value);
        start = end;
    }
}

void sortbyval(Hand& h, int n, const TrumpSettings& t) {
    n = Clamp(n);
    if (t.g_zhuhuase == 0) return;
    std::vector<CardValue> list;
    for (int i = 0; i < n; ++i) list.push_back(h.card[i].value);

    int R = 0, J = 0, T = 0, L = 0;
    for (CardValue v : list)
        if (IsRedFive(v)) ++R;
    for (int i = R; i < n; ++i)
        if (pm(list[i]) > 14) ++J;
    for (CardValue v : list)
        if (IsMaskAThree(v, t) || IsMaskBThree(v, t)) ++T;
    for (int i = R + J + T; i < n; ++i)
        if (pm(list[i]) == t.g_ZhuPaiMian) ++L;
    int z = std::min(R + J + T, n);
    int e = std::min(R + J + T + L, n);

    auto moveTo = [&](int from, int to) {
        const CardValue v = list[from];
        list.erase(list.begin() + from);
        list.insert(list.begin() + to, v);
    };
    for (int m = z; m < e; ++m)
        if (pm(list[m]) == t.g_ZhuPaiMian && hs(list[m]) == t.g_zhuhuase) moveTo(m, z++);
    for (int k = e; k < n; ++k)
        if (hs(list[k]) == t.g_zhuhuase && !IsJoker(list[k])) moveTo(k, e++);

    for (int i = 0; i < n; ++i) h.card[i].value = list[i];
}

std::vector<double> ArrangeHand(const Hand& h, int n, const HandLayout& lay, const TrumpSettings& t) {
    n = Clamp(n);
    std::vector<double> left;
    if (n < 1) return left;
    const bool full = lay.scaleX == 1.0;
    // At full size the table is centred for at most 1280 pixels of screen.
    const double S = full ? std::min(lay.screenWidth, 1280.0) : lay.screenWidth;
    if (n == 1) {
        left.push_back((full ? lay.offset : 0.0) + S / 2 - 60);
        return left;
    }
    std::vector<int> ends;  // at most 5 group ends: the trumps and four suits
    auto addEnd = [&](int i) {
        if (ends.size() < 5 && std::find(ends.begin(), ends.end(), i) == ends.end()) ends.push_back(i);
    };
    int firstPlain = 0;
    int lastTrump = -1;
    for (int i = 0; i < n; ++i)
        if (IsTrump(h.card[i].value, t)) lastTrump = i;
    if (lastTrump >= 0) {
        addEnd(lastTrump);
        firstPlain = n;
        for (int i = 0; i < n; ++i)
            if (!IsTrump(h.card[i].value, t)) {
                firstPlain = i;
                break;
            }
    }
    for (int i = firstPlain; i <= n - 2; ++i) {
        const CardValue v = h.card[i].value;
        if (pm(v) == t.g_ZhuPaiMian) continue;
        if (hs(v) != hs(h.card[i + 1].value)) addEnd(i);
    }
    addEnd(n - 1);

    const double f = full ? 0.22 : 0.19;
    const double t_ = n + static_cast<double>(ends.size());
    const double x0 = lay.offset + (S - std::nearbyint(t_ * lay.cardWidth * f * lay.scaleX)) / 2;
    for (int s = 0; s < n; ++s) {
        int b = 0;
        for (int e : ends)
            if (e < s) ++b;
        left.push_back(x0 + 0.22 * lay.cardWidth * (s + b));
    }
    return left;
}

}  // namespace zorvan::rules
