// Small builders for the rules tests: cards in short notation, trump settings, hands.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/card.h"
#include "rules/hand.h"
#include "rules/notation.h"

namespace zorvan::rules::test {

// Cards in short notation; a card without "#N" gets identifier position + 1, so that every
// card of a list can be told apart in an encoding.
inline std::vector<CardValue> Cards(const std::string& text) {
    auto parsed = ParseCards(text);
    EXPECT_TRUE(parsed.has_value()) << text;
    std::vector<CardValue> out = parsed.value_or(std::vector<CardValue>{});
    for (std::size_t i = 0; i < out.size(); ++i)
        if (ind(out[i]) == 0) out[i] = MakeCard(hs(out[i]), pm(out[i]), static_cast<int>(i) + 1);
    return out;
}

inline CardValue Card(const std::string& text) { return Cards(text).at(0); }

inline TrumpSettings Trump(int rank, int suit = 0, int maskA = 0, int maskB = 0) {
    TrumpSettings t;
    t.g_ZhuPaiMian = static_cast<std::int16_t>(rank);
    t.g_zhuhuase = static_cast<std::int16_t>(suit);
    t.g_TrumpThreeMaskA = static_cast<std::int16_t>(maskA);
    t.g_TrumpThreeMaskB = static_cast<std::int16_t>(maskB);
    return t;
}

inline Hand HandOf(const std::string& text) { return Hand::Dealt(Cards(text)); }

inline std::string Names(const std::vector<CardValue>& cards) {
    std::string s;
    for (CardValue v : cards) s += (s.empty() ? "" : " ") + CardName(v);
    return s;
}

}  // namespace zorvan::rules::test
