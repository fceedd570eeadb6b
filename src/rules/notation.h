// Short card notation for tools, logs and tests: rank 2-9, T, J, Q, K, A and suit S H C D
// ("TS", "AC"); jokers "SJ" and "BJ"; an optional "#N" gives the identifier ("AC#42").
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "rules/card.h"

namespace zorvan::rules {

std::optional<CardValue> ParseCard(const std::string& text);
// Parses cards separated by spaces or commas; nullopt when any of them is not a card.
std::optional<std::vector<CardValue>> ParseCards(const std::string& text);
// The notation of a card, without the identifier.
std::string CardName(CardValue v);
// Suit bit of a suit letter S H C D, 0 for anything else.
int SuitOfLetter(char c);
// Face of a rank letter 2-9 T J Q K A, 0 for anything else.
int FaceOfLetter(char c);

}  // namespace zorvan::rules
