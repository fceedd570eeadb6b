// The bots' choices: pure functions of a seat's cards and what is on the table. Every play a bot
// makes is one the client's own judgechupai accepts (the table checks it before using it).
#pragma once

#include <optional>

#include "server/decide.h"

namespace zorvan::server {

// A trump call as it travels in command 2: kind 1 single, 2 pair; suit code 1/2/4/8, 9 small
// jokers, 10 big jokers.
struct Call {
    int kind = 0;
    int suit = 0;
    friend bool operator==(const Call&, const Call&) = default;
};
// `a` beats the standing call `b`: any pair beats a single, pairs by suit code.
bool CallBeats(const Call& a, const std::optional<Call>& b);
// The cards of `hand` that show the call (empty when the hand cannot make it).
Cards CallCards(const Cards& hand, const Call& call, int trumpRank);
// The face byte of a call: the trump rank, 15 or 16 for the joker pairs.
int CallFace(const Call& call, int trumpRank);

namespace bot {

// A pair that beats the standing call when it holds one; without a standing call, a single of
// the suit it holds most trump-rank cards of when it holds two or more trump-rank cards.
std::optional<Call> ChooseCall(const Cards& hand, int trumpRank, const std::optional<Call>& standing, bool pairsOnly);
// The 8 weakest cards, non-point plain cards first.
Cards ChooseBury(const Cards& hand, const TrumpSettings& t);
// Its strongest part that no other hand beats, else its weakest single.
Cards ChooseLead(const Cards& hand, const std::vector<Cards>& others, const TrumpSettings& t);
// The lowest legal cards, unless it can take a trick holding points from the other side.
Cards ChooseFollow(const Cards& hand, const Cards& lead, const rules::LeadRecord& record, const Cards& best,
                   bool partnerWinning, int trickPoints, const TrumpSettings& t);

}  // namespace bot
}  // namespace zorvan::server
