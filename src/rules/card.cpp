#include "rules/card.h"

#include "rules/analysis.h"

namespace zorvan::rules {

CardValue CardFromBytes(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    const std::uint32_t u = std::uint32_t{b0} | (std::uint32_t{b1} << 8) | (std::uint32_t{b2} << 16) |
                            (std::uint32_t{b3} << 24);
    return static_cast<CardValue>(u);
}

std::array<std::uint8_t, 4> CardToBytes(CardValue v) {
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<std::uint8_t>(u & 0xFF), static_cast<std::uint8_t>((u >> 8) & 0xFF),
            static_cast<std::uint8_t>((u >> 16) & 0xFF), static_cast<std::uint8_t>((u >> 24) & 0xFF)};
}

CardValue MakeCard(int suit, int face, int id) {
    return CardFromBytes(static_cast<std::uint8_t>(suit & 0x0F), static_cast<std::uint8_t>(face), 0,
                         static_cast<std::uint8_t>(id));
}

bool SameCard(CardValue a, CardValue b) {
    if (pm(a) != pm(b)) return false;
    return IsJoker(a) || hs(a) == hs(b);
}

namespace {
bool SuitIn(int suit, int mask) { return suit != 0 && (suit & mask) == suit; }
}  // namespace

bool IsMaskAThree(CardValue v, const TrumpSettings& t) { return pm(v) == 3 && SuitIn(hs(v), t.g_TrumpThreeMaskA); }
bool IsMaskBThree(CardValue v, const TrumpSettings& t) { return pm(v) == 3 && SuitIn(hs(v), t.g_TrumpThreeMaskB); }

bool IsTrump(CardValue v, const TrumpSettings& t) {
    if (IsRedFive(v)) return true;
    if (pm(v) > 14) return true;
    if (pm(v) == t.g_ZhuPaiMian) return true;
    if (IsMaskAThree(v, t)) return true;
    if (IsMaskBThree(v, t)) return true;
    return t.g_zhuhuase != 0 && hs(v) == t.g_zhuhuase;
}

int CardRank(CardValue v, const TrumpSettings& t) {
    const int face = pm(v);
    if (face < 2 || face > kBigJoker) return 0;
    if (!IsTrump(v, t)) return face <= 14 ? face : 0;
    const CardValue one[1] = {v};
    const Analysis a = AnalyzePlay(one, t.g_zhuhuase, t);
    for (int r = kFirstRow; r <= kLastRow; ++r)
        if (a.row(r).count > 0) return r;
    return 0;
}

int PictureCode(CardValue v) {
    const int face = pm(v);
    if (face == kSmallJoker) return 16;
    if (face == kBigJoker) return 17;
    const int slot = face == 2 ? 15 : face;
    return BitIndex(hs(v)) * 16 + slot;
}

bool PictureCodeRefused(int code) {
    if (code > 127) return true;
    if (code < 0) return true;  // no such picture; the arithmetic rule would let it through
    const int row = code / 16;
    if (code % 16 < 3) {
        switch (row) {
            case 0: case 2: case 3: case 4: case 6: case 7: return true;
            default: break;
        }
    }
    return false;
}

std::uint8_t BitIndex(int bits) {
    std::uint8_t n = 0;
    while (bits > 1) {
        bits /= 2;
        ++n;
    }
    return n;
}

std::int16_t PowerOfTwo(int n) {
    if (n < 0 || n > 14) return 0;
    return static_cast<std::int16_t>(1 << n);
}

std::string PadRight(const std::string& text, int width) {
    int chars = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++chars;
    std::string out = text;
    if (chars < width) out.append(static_cast<std::size_t>(width - chars), ' ');
    return out;
}

}  // namespace zorvan::rules
