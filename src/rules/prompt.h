// Play hints of module Prompt: which cards of the sorted hand to raise as a suggested lead
// (`LeadHint`) or follow (`FollowHint`). A fixed rule set, not a search: the suggestion is
// treated like any selection and judgechupai may still refuse it.
//
// The caller lowers every raised card first, passes which slots are at the baseline, and
// raises the returned slots in the order given. Slot 0 is the strongest card.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "rules/hand.h"
#include "rules/play.h"

namespace zorvan::rules {

// The group structure of the current lead, as the round flow counted it from a group list.
struct LeadStructure {
    std::int16_t g_LeadSingles = 0;                // single groups in the lead
    std::int16_t g_LeadRuns = 0;                   // runs of pairs in the lead
    std::array<std::int16_t, 12> g_LeadRunLengths{};  // pairs of each run, in order of arrival
};

using Baseline = std::array<bool, kHandSlots>;  // true: the slot's picture is at g_HandTop
Baseline AllAtBaseline();

std::vector<int> LeadHint(const Hand& hand, const Baseline& atBaseline);
std::vector<int> FollowHint(const Hand& hand, const Baseline& atBaseline, const LeadRecord& lead,
                            const LeadStructure& structure, const TrumpSettings& t);

}  // namespace zorvan::rules
