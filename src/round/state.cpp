#include "round/state.h"

namespace zorvan {

void ResetRoundState(RoundState& r) {
    r.trump.g_zhuhuase = 0;
    r.trump.g_ZhuPaiMian = 0;
    r.g_DealerSeat = 0;
    r.g_CallerSeat = 0;
    r.g_CallerPos = 0;
    r.g_CallStrength = 0;
    r.g_CallCount = 0;
    r.g_CallStanding = false;
    r.g_BottomCards.fill(0);
    r.g_BottomAway = false;
    r.g_BottomSide = 0;
    r.g_MustBury = false;
    r.g_BottomDone = false;
    r.g_DefenderPoints = 0;
    r.g_PointCardCount = 0;
    r.g_CounterOffer = false;
    r.g_CallAnswered = false;
    r.g_PlayEnabled = false;
    r.g_HandRunOut = false;
    r.g_TrickMsgCount = 0;
    r.g_TrickPlays = 0;
    r.g_OppPlayedCount.fill(0);
    for (auto* t : {&r.g_PlayedPm, &r.g_PlayedHs, &r.g_TrickHist0, &r.g_TrickHist1, &r.g_TrickHist2})
        for (auto& row : *t) row.fill(0);
    r.g_MayCall = true;
    for (auto& row : r.g_TablePics) row.fill(-1);
}

}  // namespace zorvan
