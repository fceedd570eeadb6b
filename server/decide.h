// What only the server decides about cards: the pack and its identifiers, card points, the parts
// of a play, whether a throw holds, the forced play of a failed throw, and who wins a trick.
// Everything the client also decides (trump rule, ranks, play types, legality, encoding) comes
// from zorvan_rules and is only called from here.
#pragma once

#include <optional>
#include <vector>

#include "rules/analysis.h"
#include "rules/card.h"
#include "rules/play.h"

namespace zorvan::server {

using rules::CardValue;
using rules::TrumpSettings;
using Cards = std::vector<CardValue>;

inline constexpr int kPackSize = 108;

// Identifier 0..107 -> card: 0..103 are two decks of 52 (13 faces of diamonds, clubs, hearts,
// spades), 104 and 105 the small jokers, 106 and 107 the big jokers (suit field 0).
CardValue CardOfId(int id);
int CardPoints(CardValue v);  // 5 -> 5, 10 and K -> 10
int PointsOf(const Cards& cards);

// The class a card belongs to when following: 0 for trumps, else its plain suit bit.
int CardClass(CardValue v, const TrumpSettings& t);
// The class of a set: 0 all trumps, a suit bit for one plain suit, -1 mixed.
int SetClass(const Cards& cards, const TrumpSettings& t);

// One part of a play as the client's encoding groups it: a single, a pair or a run of pairs.
struct Part {
    int size = 0;      // 1, 2 or 2k
    int low = 0;       // strength rank of the lowest card / pair
    int high = 0;      // strength rank of the highest card / pair
    Cards cards;       // the part's cards
};
// The parts of a set of one class, lowest first within each kind (empty for a mixed set).
std::vector<Part> PartsOf(const Cards& cards, const TrumpSettings& t);

// The play as the client's judgechupai would send it from `hand` with `cards` raised. nullopt
// when the client would refuse it (or a card is not in the hand).
std::optional<rules::JudgeResult> JudgePlay(const Cards& hand, const Cards& cards, bool leading,
                                            const rules::LeadRecord& lead, const TrumpSettings& t);

// A throw checked against the other hands: nullopt when every part holds, else the forced play
// (the weakest beatable part: lowest single before lowest pair before lowest run).
std::optional<Part> FailedThrow(const Cards& thrown, const std::vector<Cards>& others, const TrumpSettings& t);
// A part of class `cls` that some card set beats.
bool Beats(const Cards& hand, const Part& part, int cls, const TrumpSettings& t);

// A follow beats the best play so far: same shape, stronger, all in the led class or all trumps
// against a plain lead. `lead` is the trick's (forced) lead; `best` the current best play.
bool FollowBeats(const Cards& follow, const Cards& best, const Cards& lead, const TrumpSettings& t);
// The size of the largest part of a play (single 1, pair 2, run of k pairs 2k).
int LargestPart(const Cards& play, const TrumpSettings& t);

// The lead record the client builds from a play message (also after a failed throw).
rules::LeadRecord LeadRecordOf(const Cards& lead, const TrumpSettings& t);

}  // namespace zorvan::server
