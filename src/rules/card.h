// Card model: the 32-bit card value the server sends, the round's trump settings, the trump
// rule, the strength rank and the picture code, plus the small helpers every card rule uses.
//
// A card value carries the suit bit `hs` in the low four bits of byte 0, the face `pm` in
// byte 1 and the server's identifier `ind` in byte 3. Everything here is a pure function of
// its arguments; the round state keeps one TrumpSettings and passes it in.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zorvan::rules {

using CardValue = std::int32_t;

// Suit bits (`hs`).
inline constexpr int kDiamonds = 1;
inline constexpr int kClubs = 2;
inline constexpr int kHearts = 4;
inline constexpr int kSpades = 8;

// Faces (`pm`): 2..10, J 11, Q 12, K 13, A 14, jokers 15 and 16.
inline constexpr int kSmallJoker = 15;
inline constexpr int kBigJoker = 16;

// Field extraction. For every value a real card can have (identifier below 128) these equal
// the arithmetic extraction (modulo 16, /256 modulo 256, /16777216); they read bytes, so a
// value with a bad identifier byte never yields a negative suit or face.
constexpr int hs(CardValue v) { return static_cast<int>(static_cast<std::uint32_t>(v) & 0x0Fu); }
constexpr int pm(CardValue v) { return static_cast<int>((static_cast<std::uint32_t>(v) >> 8) & 0xFFu); }
constexpr int ind(CardValue v) { return static_cast<int>((static_cast<std::uint32_t>(v) >> 24) & 0xFFu); }

// A card from its four packet bytes (byte 0 first) and back.
CardValue CardFromBytes(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);
std::array<std::uint8_t, 4> CardToBytes(CardValue v);
// A card from suit bit, face and identifier (the server and the tests build cards this way).
CardValue MakeCard(int suit, int face, int id = 0);

constexpr bool IsJoker(CardValue v) { return pm(v) == kSmallJoker || pm(v) == kBigJoker; }
constexpr bool IsRedFive(CardValue v) { return pm(v) == 5 && hs(v) == kHearts; }
// Two cards are copies of one card (a pair): same face and suit; jokers by face alone.
bool SameCard(CardValue a, CardValue b);

// The round's trump settings. A deal sets the trump rank and clears the trump suit; the two
// trump-three masks keep their values from the previous round until the trump decision sets
// them again, so a new deal starts from ForNewDeal of the old settings.
struct TrumpSettings {
    std::int16_t g_ZhuPaiMian = 2;       // trump rank, face 2..14
    std::int16_t g_zhuhuase = 0;         // trump suit bit, 0 = none
    std::int16_t g_TrumpThreeMaskA = 0;  // suit bits whose 3s are trumps of rank 20
    std::int16_t g_TrumpThreeMaskB = 0;  // suit bits whose 3s are trumps of rank 19

    TrumpSettings ForNewDeal(std::int16_t trumpRank) const {
        TrumpSettings t = *this;
        t.g_ZhuPaiMian = trumpRank;
        t.g_zhuhuase = 0;
        return t;
    }
    friend bool operator==(const TrumpSettings&, const TrumpSettings&) = default;
};

bool IsMaskAThree(CardValue v, const TrumpSettings& t);
bool IsMaskBThree(CardValue v, const TrumpSettings& t);

// The trump rule: red five, joker, trump rank, 3 of mask A, 3 of mask B, trump suit.
bool IsTrump(CardValue v, const TrumpSettings& t);

// The strength rank 2..23 of one card: the row the play analysis gives it when it is analysed
// alone (a plain card ranks by face, a trump as a trump set). 0 for a value that is no card.
int CardRank(CardValue v, const TrumpSettings& t);

// Picture code: BitIndex(suit) x 16 + face slot (15 for a 2, 16/17 for the jokers whatever
// their suit field). 18 is the card back.
int PictureCode(CardValue v);
inline constexpr int kCardBackCode = 18;
// The refusal rule of ShowCardPicture: codes it must not draw (the client then gives up the
// table). A code that passes but is above 63 simply draws nothing.
bool PictureCodeRefused(int code);

// Times a bit value can be halved while above 1: 1->0, 2->1, 4->2, 8->3, and 0 -> 0.
std::uint8_t BitIndex(int bits);
// 2 to the power n, 16-bit.
std::int16_t PowerOfTwo(int n);
// The text followed by spaces up to `width` characters (UTF-8 characters are counted once).
std::string PadRight(const std::string& text, int width);

}  // namespace zorvan::rules
