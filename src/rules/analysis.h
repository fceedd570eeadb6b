// Play analysis: which suit a set of cards belongs to, whether it is a single, a pair, a run
// of pairs or a throw, and rank by rank how many cards it holds and which form pairs and runs.
//
// The legality check, the encoding, the hints and the server all read the result, an
// Analysis value: the rank table `m_PaiInfo` (rows 2..23, one per strength rank),
// `m_KindMask` and `m_LDlength`. The client glue stores it where its round state keeps it.
// A card list is the cards in hand order; a value 0 is an empty place and is skipped.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "rules/card.h"

namespace zorvan::rules {

inline constexpr int kFirstRow = 2;
inline constexpr int kLastRow = 23;
inline constexpr int kMixedSuit = 9;  // PlaySuit of cards of several suits

// Play types (`PlayType`, byte 18 of a play).
inline constexpr int kSingle = 1;
inline constexpr int kPair = 2;
inline constexpr int kThrow = 3;
inline constexpr int kRun = 4;

struct PaiRow {
    std::int16_t count = 0;   // cards of this rank, normally 0..2
    std::int16_t first = 0;   // list index of the first such card
    std::int16_t second = 0;  // list index of the second such card
    std::int16_t kind = 0;    // 0 none, 1 single, 2 lone pair, 4+ part of a run of that many cards
    friend bool operator==(const PaiRow&, const PaiRow&) = default;
};

struct Analysis {
    std::array<PaiRow, kLastRow + 1> m_PaiInfo{};  // rows 0 and 1 are never used
    std::int16_t m_KindMask = 0;                   // 1 singles, 2 pairs, 4 runs, or-ed
    std::int16_t m_LDlength = 0;                   // cards of the run of pairs the rules report

    const PaiRow& row(int r) const { return m_PaiInfo.at(static_cast<std::size_t>(r)); }
    PaiRow& row(int r) { return m_PaiInfo.at(static_cast<std::size_t>(r)); }
};

using CardList = std::span<const CardValue>;

// `g_zhuhuase` when every card is trump, the suit bit when all are plain cards of one suit,
// kMixedSuit otherwise.
int PlaySuit(CardList list, const TrumpSettings& t);
// n is 2 and cards i and i+1 are copies of one card.
bool IsPair(CardList list, int i);
// 1 single, 2 pair, 3 throw, 4 run of pairs.
int PlayType(CardList list, const TrumpSettings& t);

// The table of a set analysed as the suit `chuPaiHS`, without the own ranks of the red
// fives and the trump 3s (they share rows 5 and 3 with the trump suit's 5 and 3).
Analysis newchupaidetail(CardList list, int chuPaiHS, const TrumpSettings& t);
// Like newchupaidetail, and puts the red fives on row 23, the 3s of mask B on row 19 and
// those of mask A on row 20.
Analysis AnalyzePlay(CardList list, int chuPaiHS, const TrumpSettings& t);

}  // namespace zorvan::rules
