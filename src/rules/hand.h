// The player's hand and its display order: `sortbyhs` (fixed group order, usable before a
// trump suit is known), `sortbyval` (moves the trump suit forward) and `ArrangeHand` (the
// Left of every card picture, with a gap between groups).
//
// The sorts move card values between slots; each slot keeps its `imgIndex` (its picture
// control), so the caller redraws every slot with the picture of its new card afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "rules/card.h"

namespace zorvan::rules {

inline constexpr int kHandSlots = 33;

struct Slot {
    CardValue value = 0;
    std::int16_t imgIndex = 0;
    friend bool operator==(const Slot&, const Slot&) = default;
};

struct Hand {
    std::array<Slot, kHandSlots> card{};
    std::int16_t count = 0;

    // Slots 0..n-1 get the cards with imgIndex = slot, as a deal stores them.
    static Hand Dealt(const std::vector<CardValue>& cards);
    std::vector<CardValue> values() const;
    // Removes slot i: the following slots (value and imgIndex) shift down by one.
    void Remove(int i);
};

// Both sorts work on slots 0..n-1 (n is clamped to 0..33).
void sortbyhs(Hand& hand, int n, const TrumpSettings& t);
void sortbyval(Hand& hand, int n, const TrumpSettings& t);

// Layout inputs of ArrangeHand. Full size is a layout factor of exactly 1.0.
struct HandLayout {
    double cardWidth = 90;     // width of the picture of slot 0
    double screenWidth = 1024; // screen width in pixels
    double scaleX = 1.0;       // g_ScaleX
    double offset = 0;         // horizontal offset in pixels
};
// The Left of each of the pictures of slots 0..n-1 (empty for n < 1).
std::vector<double> ArrangeHand(const Hand& hand, int n, const HandLayout& layout, const TrumpSettings& t);

}  // namespace zorvan::rules
