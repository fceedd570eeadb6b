// Play legality and encoding: `judgechupai` decides whether the raised cards of the hand are
// an acceptable lead or follow and builds the body of the play packet (command 7);
// `FormatSend` writes the cards of a throw as groups (singles, pairs, runs of pairs).
//
// The client glue collects the raised slots from the card pictures, calls judgechupai, and on
// Send sets bytes 3 and 6 of the packet, queues it and takes the played slots out of the hand;
// on Refuse it shows the refusal window. The server uses the same decision to check follows.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "rules/analysis.h"
#include "rules/hand.h"

namespace zorvan::rules {

inline constexpr int kPacketSize = 272;
using Packet = std::array<std::uint8_t, kPacketSize>;

// The first play of the current trick, as the round flow recorded it.
struct LeadRecord {
    std::int16_t formerNum = 0;   // cards led
    std::int16_t formerType = 0;  // 1 single, 2 pair, 3 throw, 4 run of pairs
    std::int16_t formerHS = 0;    // suit of the lead (the trump suit for a trump lead)
    bool formerZhu = false;       // the lead was trump
    std::int16_t formerKind = 0;  // m_KindMask of the lead
};

// A card counts as following a lead: a trump after a trump lead, else a non-trump card of the
// led suit (a joker never is).
bool FollowsLead(CardValue v, const LeadRecord& lead, const TrumpSettings& t);

// Writes the groups of a throw from `firstOffset`, ranks 2..topRank of the table, low to high.
// Returns the offset after the last byte written (the terminating 0 of the last group).
// Every card of the list is written once: a card the table did not place in a group (a rank
// holding more than two cards) follows as a single group. Nothing is written at or past
// byte 272; a throw that would not fit returns -1.
int FormatSend(Packet& packet, CardList list, const Analysis& a, int topRank, int firstOffset,
               const TrumpSettings& t);

struct JudgeResult {
    enum class Outcome { Nothing, Refuse, Send };
    Outcome outcome = Outcome::Nothing;
    Packet packet{};         // bytes 15 and 17 onward; bytes 3 and 6 are the caller's
    int end = 0;             // offset after the last byte written for the cards
    std::vector<int> slots;  // the played slots, in slot order (the list order of the play)
    std::vector<CardValue> cards;
};

// `leading` is g_ChuPaiQuan: the player opens the trick (the lead record is then not read).
// raised[i] marks slot i of the hand as raised.
JudgeResult judgechupai(const Hand& hand, const std::array<bool, kHandSlots>& raised, bool leading,
                        const LeadRecord& lead, const TrumpSettings& t);

// The groups of a set led as a throw, exactly as judgechupai encodes such a lead: analysis by
// PlaySuit (trumps with AnalyzePlay up to rank 23, a plain suit with newchupaidetail up to 14).
// Returns the bytes from offset 22 up to the last one written; empty for cards of mixed suits.
std::vector<std::uint8_t> EncodeThrow(CardList list, const TrumpSettings& t);

}  // namespace zorvan::rules
