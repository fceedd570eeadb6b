// State of the round in progress: trump, bottom, points, phase flags and trick bookkeeping.
// Everything lives between packets; a full deal's table reset clears exactly the values listed in
// ResetRoundState and leaves the rest as the round commands last set them.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "rules/card.h"
#include "rules/play.h"
#include "platform/platform.h"
#include "ui/controls.h"

namespace zorvan {

// The round details window: seven labels after the titles on its picture.
struct MingXiForm : ui::Form {
    MingXiForm() : ui::Form("frmMingXi") {}
    ui::ControlArray<ui::Label> lbMingXi;  // 0..6
};

// The notice window ("提示") with its two lines.
struct TishiForm : ui::Form {
    TishiForm() : ui::Form("frmTishi") {}
    ui::ControlArray<ui::Label> lbTishi;  // 0, 1
};

// Trick tables indexed (position, k); entry 27 holds the count.
using TrickTable = std::array<std::array<std::int32_t, 28>, 4>;

// The refusal window shown for a play the rules do not allow.
struct ChuPaiForm : ui::Form {
    ChuPaiForm() : ui::Form("ChuPai") {}
    ui::Label Label1, Label2;  // the close mark in the top right corner, the message
};

struct RoundState {
    // A. Round identity and trump (g_zhuhuase, g_ZhuPaiMian and the two trump-three masks).
    rules::TrumpSettings trump;
    std::int16_t g_DealerSeat = 0;
    std::int16_t g_CallerSeat = 0;
    std::int16_t g_CallerPos = 0;
    std::int16_t g_CallStrength = 0;
    std::int16_t g_CallFace = 0;
    std::int16_t g_CallCount = 0;
    bool g_CallStanding = false;
    int g_RoundDealt = 0;  // 0 or 1
    bool g_GameInProgress = false;
    std::int16_t g_RoundCount = 0;
    std::int16_t g_RoundCountB = 0;
    std::int32_t g_ResumeKey = 0;
    std::string g_FeeCaption;
    bool g_FeeCaptionOnly = false;
    // The wealth-multiple text settlement shows.
    std::string g_WealthText;

    // B. Bottom cards.
    std::array<rules::CardValue, 8> g_BottomCards{};
    double g_BottomStackLeft = 0, g_BottomStackTop = 0;
    bool g_BottomAway = false;
    std::int16_t g_BottomSide = 0;
    bool g_MustBury = false;
    bool g_IAmBurying = false;
    bool g_BottomDone = false;
    std::array<rules::CardValue, 8> g_BuriedCards{};
    bool g_ShowingBottom = false;

    // C. Points.
    std::int16_t g_DefenderPoints = 0;
    std::int16_t g_PointCardCount = 0;

    // D. Phase and permission flags.
    bool g_DealAnimating = false;
    bool g_CallingClosed = false;
    bool g_MayCall = false;
    bool g_CounterOffer = false;
    bool g_CallAnswered = false;
    bool g_MyTurn = false;
    bool g_PlayEnabled = false;
    bool g_SelectEnabled = false;
    bool g_PlayLocked = false;
    bool g_SortAllowed = false;
    bool g_ChuPaiQuan = false;
    bool g_HandRunOut = false;
    bool g_FormerViewIdle = false;

    // Deal animation: slots laid out so far, the abort flag, and the generation of the deal the
    // running animation belongs to (a newer deal or a table reset stops an older run).
    std::int16_t g_DealStep = 0;
    bool g_StopDeal = false;
    std::uint32_t g_DealGeneration = 0;
    std::int16_t g_DealCount = 0;  // cards of the last deal (the animation's n)

    // The 16 call options (true = offered).
    std::array<bool, 16> g_CallOptions{};

    // F. Trick bookkeeping.
    TrickTable g_PlayedPm{}, g_PlayedHs{}, g_TablePics{}, g_TrickHist0{}, g_TrickHist1{}, g_TrickHist2{};
    std::int16_t g_TrickMsgCount = 0;
    std::int16_t g_TrickPlays = 0;
    std::array<std::int16_t, 3> g_OppPlayedCount{};
    rules::LeadRecord lead;
    std::int16_t g_LeadSingles = 0;
    std::int16_t g_LeadRuns = 0;
    std::array<std::int16_t, 13> g_LeadRunLengths{};
    std::array<bool, 6> g_OperationHover{};  // Operation 0..4 and ImageGaiPai show their hover picture
    std::vector<int> g_MySelPics;  // pictures of the cards of the own last play, in list order
    std::unique_ptr<ChuPaiForm> ChuPai;
    std::unique_ptr<platform::Timer> Timerformer;  // ends the previous-trick view

    // Windows of the round.
    std::unique_ptr<MingXiForm> frmMingXi = std::make_unique<MingXiForm>();
    std::unique_ptr<TishiForm> frmTishi = std::make_unique<TishiForm>();
};

// The reset a full deal's table reset applies (nothing else changes).
void ResetRoundState(RoundState& r);

}  // namespace zorvan
