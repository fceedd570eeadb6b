#include "round/deal.h"

#include "core/client.h"
#include "core/lobby.h"
#include "core/packets.h"
#include "core/pump.h"
#include "props/plugin.h"
#include "props/roster.h"
#include "round/view.h"
#include "table/leave.h"
#include "table/seats.h"
#include "table/table.h"
#include "text/gbk.h"

namespace zorvan {

std::string LevelText(int level) {
    switch (level) {
    case 11: return "J";
    case 12: return "Q";
    case 13: return "K";
    case 14: return "A";
    default: return std::to_string(level);
    }
}

std::string ReadFeeCaption(const Packet& p) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 117; i < 137 && p[i] != 0;) {
        if (p[i] >= 128) {
            bytes.push_back(p[i]);
            bytes.push_back(U8(p, i + 1));
            i += 2;
        } else {
            bytes.push_back(p[i]);
            i += 1;
        }
    }
    return text::GbkToUtf8(std::span<const std::uint8_t>(bytes));
}

rules::CardValue ReadCard(const Packet& p, std::size_t off) {
    rules::CardValue v = I32LE(p, off);
    // The identifier byte must stay below 128, or the value does not fit a card.
    if (v < 0) throw ProtocolError("card value at " + std::to_string(off) + " out of range");
    return v;
}

void PlaceDealerMarker(Client& c, int dealerBit) {
    if (dealerBit == 0) return;
    const double full[4][2] = {{110, 475}, {25, 100}, {345, 90}, {845, 90}};
    const double small[4][2] = {{110, 465}, {10, 90}, {325, 90}, {815, 90}};
    int p = ScreenPosition(c, dealerBit);
    const auto& at = FullLayout(c) ? full[p] : small[p];
    c.main.ImageZhuangJia.Left = SX(c, at[0]);
    c.main.ImageZhuangJia.Top = SY(c, at[1]);
}

void StoreDealtCards(Client& c, const Packet& p) {
    int n = U8(p, 8);
    if (n > rules::kHandSlots) throw ProtocolError("deal of " + std::to_string(n) + " cards");
    auto& own = c.seats.player[0].hand;
    own.count = 0;
    for (int i = 0; i < n; ++i) {
        auto slot = static_cast<std::size_t>(i);
        own.card[slot].value = ReadCard(p, 16 + 4 * slot);
        for (auto& rec : c.seats.player) rec.hand.card[slot].imgIndex = static_cast<std::int16_t>(i);
        c.main.cardImage0[i].Stretch = true;
        ++own.count;
    }
    for (int pos = 1; pos <= 3; ++pos) c.seats.player[static_cast<std::size_t>(pos)].hand.count = static_cast<std::int16_t>(n);
    // A new generation: an animation of an earlier deal still waiting stops at its next step.
    auto& r = c.round;
    r.g_DealCount = static_cast<std::int16_t>(n);
    ++r.g_DealGeneration;
    r.g_DealStep = 0;
    r.g_StopDeal = false;
    if (c.main.tmrJiePai) {
        c.main.tmrJiePai->setInterval(350);
        c.main.tmrJiePai->setEnabled(true);
    }
    c.main.imgBaopaiKuang.Visible = true;
}

void HandleDeal(Client& c, const Packet& p) {
    auto& f = c.main;
    auto& r = c.round;
    auto& s = c.seats;
    // 1-2.
    ReleaseSettleHold(c);
    c.net.g_SettleHold = false;
    r.g_RoundDealt = 1;
    c.table.g_SeatShuffle = false;
    c.net.g_HoldB.armed = false;
    r.g_SortAllowed = false;
    // 3.
    if (s.g_WealthMultiplier != 0) {
        r.g_WealthText = f.lbwealth.Caption;
        f.Imgwealth.Visible = true;
        f.lbwealth.Visible = true;
    } else {
        f.Imgwealth.Visible = false;
        f.lbwealth.Visible = false;
    }
    // 4-6.
    r.g_DealAnimating = true;
    ++r.g_RoundCount;
    r.g_CallingClosed = false;
    s.g_InfoCount = 0;
    r.g_SelectEnabled = false;
    const int n = U8(p, 8);
    if (n == 25) {
        ResetTable(c);
        if (PluginLoaded(c)) PropsNewDeal(c);
    }
    ++r.g_RoundCountB;
    // 7-9.
    const int dealerByte = U8(p, 13);
    r.g_DealerSeat = static_cast<std::int16_t>(dealerByte);
    if ((dealerByte & 15) != 0) r.frmMingXi->lbMingXi[4].Caption = PositionName(c, ScreenPosition(c, dealerByte & 15));
    r.frmMingXi->lbMingXi[0].Caption = LevelText(U8(p, 10));
    r.frmMingXi->lbMingXi[1].Caption = LevelText(U8(p, 11));
    PlaceDealerMarker(c, dealerByte & 15);
    // 10-11.
    PostToLobby(c, 1127);
    if (!MainWindowNormal(c) && !c.table.g_Away) {
        f.windowState = ui::WindowState::Normal;
        MinimizeLobby(c);
        ++f.revision;
    }
    // 12-16.
    r.g_ResumeKey = I32LE(p, 268);
    if (r.g_ResumeKey < 0) throw ProtocolError("resume key out of range");
    c.table.g_TableOpen = true;
    StopKeepAlive(c);
    UnloadExitConfirm(c);
    c.pump.g_ReadyTimer = false;
    c.pump.g_ReadyTicks = 0;
    c.pump.g_PlayTimer = false;
    c.table.g_ButtonPressed[2] = true;
    for (int i = 0; i < 4; ++i) f.OK[i].Visible = false;
    // 17-19.
    r.trump.g_ZhuPaiMian = U8(p, 12);
    r.g_DealerSeat = static_cast<std::int16_t>(dealerByte & 15);
    r.g_MayCall = true;
    c.pump.g_Countdown = static_cast<std::int16_t>(c.table.g_Away ? 10 : U8(p, 9));
    r.g_FeeCaptionOnly = U8(p, 116) == 1;
    r.g_FeeCaption = ReadFeeCaption(p);
    // 20-22.
    StoreDealtCards(c, p);
    c.pump.g_CallTimer = true;
    c.pump.g_SecondTicks = 0;
    r.g_GameInProgress = true;
    r.g_FormerViewIdle = true;
    r.g_SelectEnabled = false;
    r.g_WealthText = "0";
    if (s.g_WealthMultiplier != 0) r.g_WealthText = f.lbwealth.Caption;
    // 23-25.
    for (int i = 2; i < 5; ++i) {
        f.Operation[i].Visible = true;
        f.Operation[i].Enabled = true;
    }
    f.imgKanDiPai.Visible = false;
    f.imgKanDiPai.Enabled = false;
    f.imgBaopai.Visible = true;
    ShowClockAt(c, SX(c, 800), SY(c, 550));
    r.g_CallCount = 0;
    f.Bank.ZOrder(0);
}

}  // namespace zorvan
