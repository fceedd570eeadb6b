#include "round/trump.h"

#include <cmath>

#include "core/client.h"
#include "media/effects.h"
#include "round/bottom.h"
#include "round/calling.h"
#include "round/deal.h"
#include "round/view.h"
#include "rules/card.h"
#include "table/seats.h"

namespace zorvan {
namespace {

// The call card picture: suit 9 the small joker, 10 the big joker, else the face of the suit.
int CallCardPicture(int suit, int face) {
    if (suit == 9) return 16;
    if (suit == 10) return 17;
    return 16 * rules::BitIndex(suit) + (face == 2 ? 15 : face);
}

// The position of a seat mask, -1 when the mask names no seat.
int PositionOf(const Client& c, int byte) {
    int bit = byte & 15;
    return bit == 0 ? -1 : ScreenPosition(c, bit);
}

// Lays out the face-down bottom stack (visibility unchanged) with the card back.
void LayOutBottomStack(Client& c) {
    auto& f = c.main;
    bool full = FullLayout(c);
    double w = f.imgDiPai[0].Width;
    double left0 = full ? SY(c, 402) + SX(c, 48) : SY(c, 390) + SX(c, 22);
    double top = SX(c, 310) - SY(c, 20);
    for (int i = 0; i < 8; ++i) {
        auto& img = f.imgDiPai[i];
        img.Left = left0 + i * (full ? 0.03 : 0.02) * w;
        img.Top = top;
        SetGif(c, img, rules::kCardBackCode);
        img.ZOrder(0);
    }
}

// The snapshot of the stack in Picture1 and the stack picture in Img_dyn (first decision only).
void SnapshotBottomStack(Client& c) {
    auto& f = c.main;
    double left0 = f.imgDiPai[0].Left, left7 = f.imgDiPai[7].Left;
    f.Picture1.Width = f.imgDiPai[7].Width + std::abs(left0 - left7);
    f.Picture1.Height = f.imgDiPai[0].Height;
    f.Picture1.painted.clear();
    for (int i = 0; i < 8; ++i) {
        const auto& img = f.imgDiPai[i];
        f.Picture1.painted.push_back({img.picture, img.Left - left0, 0, img.Width, img.Height});
    }
    SetGif(c, f.Img_dyn, 605);
    f.Img_dyn.ZOrder(0);
    f.Img_dyn.Width = f.Picture1.Width;
    f.Img_dyn.Height = f.Picture1.Height;
    f.Img_dyn.Stretch = true;
    c.round.g_BottomStackLeft = std::nearbyint(left0);
    c.round.g_BottomStackTop = std::nearbyint(f.imgDiPai[0].Top);
}

void ShowBottomStack(Client& c) {
    for (int i = 0; i < 8; ++i) {
        c.main.imgDiPai[i].ZOrder(0);
        c.main.imgDiPai[i].Visible = true;
    }
}

// The taker's hand still holds the eight bottom cards: they leave the hand again.
void TakeBottomOutOfHand(Client& c) {
    auto& r = c.round;
    auto& hand = c.seats.player[0].hand;
    for (auto v : r.g_BottomCards) {
        for (int i = 0; i < hand.count; ++i) {
            if (hand.card[static_cast<std::size_t>(i)].value != v) continue;
            auto& img = SlotImage(c, i);
            img.Visible = false;
            img.Top = c.table.g_HandTop;
            hand.Remove(i);
            break;
        }
    }
    r.g_MustBury = false;
    r.g_IAmBurying = false;
    c.pump.g_BuryTimer = false;
    c.main.ImageGaiPai.Visible = false;
    for (int i = 0; i < hand.count; ++i) SlotImage(c, i).Top = c.table.g_HandTop;
    RedisplayHand(c);
}

// Brings the bottom back from the side that took it. False when the table went away meanwhile.
bool ReturnBottom(Client& c) {
    auto& r = c.round;
    auto& f = c.main;
    r.g_BottomAway = false;
    if (EffectsOn(c)) {
        PlayEffect(c, "\\..\\common\\pk\\sys070.wav", false);
        SetEffectVolume(c, 3000);
    }
    if (r.g_MustBury) TakeBottomOutOfHand(c);
    int side = r.g_BottomSide;
    if (side < 1 || side > 3) {
        ShowBottomStack(c);
        return true;
    }
    ui::Control& mover = c.layout.g_ScaleX >= 1 ? static_cast<ui::Control&>(f.Picture1) : f.Img_dyn;
    const double sx = c.layout.g_ScaleX;
    if (side == 1) mover.Move(90 * sx, r.g_BottomStackTop);
    if (side == 2) mover.Move(r.g_BottomStackLeft, 150 * sx);
    if (side == 3) mover.Move(735 * sx, r.g_BottomStackTop);
    mover.Visible = true;
    mover.ZOrder(0);
    for (int k = 0; k < 200; ++k) {
        bool arrived = (side == 1 && mover.Left >= r.g_BottomStackLeft) || (side == 2 && mover.Top >= r.g_BottomStackTop) ||
                       (side == 3 && mover.Left <= f.imgDiPai[0].Left);
        if (arrived) {
            mover.Visible = false;
            ShowBottomStack(c);
            return true;
        }
        if (side == 1) mover.Left += 10 * sx;
        if (side == 2) mover.Top += 5 * sx;
        if (side == 3) mover.Left -= 10 * sx;
        if (!WaitMs(c, 5)) return false;
    }
    return true;
}

void PlaceClockAtCaller(Client& c, int p) {
    auto& f = c.main;
    bool full = FullLayout(c);
    double w = f.Time_Img.Width;
    double left = 0, top = 0;
    if (p == 1) {
        left = (full ? 0.2 : 0.18) * w;
        top = full ? SY(c, 200) : SX(c, 175);
    } else if (p == 2) {
        left = full ? 585 : 455;
        top = full ? 90 : 80;
    } else if (p == 3) {
        left = full ? SX(c, 1024) - 1.2 * w : SX(c, 925);
        top = full ? SY(c, 390) : SX(c, 355);
    }
    ShowClockAt(c, left, top);
}

void ShowOwnCallClock(Client& c) {
    bool full = FullLayout(c);
    ShowClockAt(c, SX(c, full ? 825 : 865), SY(c, full ? 600 : 550));
}

void OfferCallFrame(Client& c) {
    auto& f = c.main;
    ui::Image& frame = c.round.g_CallStanding ? f.Imgfanzhu : f.imgBaopaiKuang;
    frame.ZOrder(0);
    frame.Visible = true;
}

void CallTurn(Client& c, const Packet& p) {
    auto& r = c.round;
    auto& f = c.main;
    r.g_PlayEnabled = false;
    c.pump.g_BuryTimer = false;
    r.g_PlayLocked = false;
    r.g_MyTurn = false;
    c.pump.g_CounterTimer = false;
    c.pump.g_CounterPassTimer = false;
    c.pump.g_CallTimer = false;
    c.pump.g_SecondTicks = 0;
    r.trump.g_zhuhuase = U8(p, 12);
    int caller = PositionOf(c, U8(p, 14));
    if (caller >= 0) r.frmMingXi->lbMingXi[5].Caption = PositionName(c, caller);
    int pos = ScreenPosition(c, U8(p, 9) & 15);
    c.pump.g_Countdown = static_cast<std::int16_t>(AwaySeconds(c, 10));
    if (pos == 0) {
        r.g_CallAnswered = false;
        OfferCallFrame(c);
        f.ImageGuo.ZOrder(0);
        f.ImageGuo.Visible = true;
        jiaopai(c, c.seats.player[0].hand.count);
        r.g_MayCall = true;
        c.pump.g_CounterPassTimer = true;
        f.ImageGuo.Enabled = true;
        ShowOwnCallClock(c);
    } else {
        c.pump.g_CounterTimer = true;
        PlaceClockAtCaller(c, pos);
    }
}

void ShowCallCards(Client& c, const Packet& p, int caller) {
    auto& f = c.main;
    auto& r = c.round;
    int kind = U8(p, 8);
    int suit = U8(p, 12);
    const double sx = c.layout.g_ScaleX;
    if (kind == 1) {
        SetGif(c, f.imgXianShiDiPai[0], CallCardPicture(suit, U8(p, 9)));
        if (caller < 0) return;
        const double at[4][2] = {{100, 550}, {235, 300}, {595, 150}, {750, 300}};
        f.imgXianShiDiPai[0].Move(at[caller][0] * sx, at[caller][1] * sx);
        f.imgXianShiDiPai[0].Visible = true;
        f.imgXianShiDiPai[0].ZOrder(0);
    } else if (kind == 2 || kind == 9) {
        int picture = CallCardPicture(suit, r.trump.g_ZhuPaiMian);
        SetGif(c, f.imgXianShiDiPai[0], picture);
        SetGif(c, f.imgXianShiDiPai[1], picture);
        if (caller < 0) return;
        const double suitAt[4][2] = {{100, 550}, {225, 300}, {590, 150}, {750, 300}};
        const double jokerAt[4][2] = {{110, 550}, {225, 300}, {590, 150}, {750, 300}};
        const auto& at = (suit == 9 || suit == 10) ? jokerAt[caller] : suitAt[caller];
        f.imgXianShiDiPai[0].Move(at[0] * sx, at[1] * sx);
        f.imgXianShiDiPai[1].Move((at[0] + 10) * sx, at[1] * sx);
        for (int i = 0; i < 2; ++i) {
            f.imgXianShiDiPai[i].Visible = true;
            f.imgXianShiDiPai[i].ZOrder(0);
        }
    }
}

void CallResult(Client& c, const Packet& p) {
    auto& r = c.round;
    auto& f = c.main;
    const int kind = U8(p, 8);
    // 1.
    int caller = PositionOf(c, U8(p, 14));
    r.g_CallerSeat = static_cast<std::int16_t>(U8(p, 14) & 15);
    r.g_DealerSeat = static_cast<std::int16_t>(U8(p, 13) & 15);
    r.g_CallerPos = static_cast<std::int16_t>(caller);
    PlaceDealerMarker(c, r.g_DealerSeat);
    // 2-4.
    ClearCallOptions(c);
    for (int i = 0; i < 3; ++i) f.Speak[i].Visible = false;
    f.Img_fan.Visible = false;
    f.imgXianShiDiPai[0].Visible = false;
    f.imgXianShiDiPai[1].Visible = false;
    c.pump.g_ReadyTimer = false;
    c.pump.g_ReadyTicks = 0;
    c.pump.g_Countdown = static_cast<std::int16_t>(AwaySeconds(c, 10));
    c.pump.g_CallTimer = true;
    c.pump.g_SecondTicks = 0;
    if (TishiVisible(c)) HideTishi(c);
    // 5-8.
    r.g_CallFace = U8(p, 9);
    r.trump.g_zhuhuase = U8(p, 12);
    r.trump.g_TrumpThreeMaskA = U8(p, 16);
    r.trump.g_TrumpThreeMaskB = U8(p, 17);
    auto& mx = r.frmMingXi->lbMingXi;
    if (U8(p, 18) != 0) {
        r.g_DefenderPoints += 20;
        mx[2].Caption = std::to_string(r.g_DefenderPoints);
        f.lblDeFen.Caption = std::to_string(r.g_DefenderPoints);
        mx[6].Caption = "无人报主 底牌定主 闲家加20分！";
        mx[6].Visible = true;
    } else {
        mx[6].Visible = false;
    }
    if (r.trump.g_zhuhuase == 9) r.g_CallFace = 15;
    if (r.trump.g_zhuhuase == 10) r.g_CallFace = 16;
    r.g_CallStrength = static_cast<std::int16_t>(kind == 9 ? 2 : kind);
    // 9. Tips.
    const int stage = U8(p, 10);
    if (stage == 1 || stage == 2) {
        if (U8(p, 15) == 9 && stage == 2) {
            if (MainWindowNormal(c)) ShowTishi(c, "无人叫主,默认底牌中第一张花色", "");
        } else if (caller == 0) {
            if (MainWindowNormal(c)) ShowTishi(c, "请等待其他玩家反牌……", "");
            r.g_MayCall = false;
        }
    }
    // 10. Speech bubble and the counter graphic.
    if (caller > 0) {
        const double full[4][2] = {{0, 0}, {50, 275}, {400, 150}, {850, 300}};
        const double small[4][2] = {{0, 0}, {35, 300}, {375, 125}, {850, 275}};
        const auto& at = FullLayout(c) ? full[caller] : small[caller];
        auto& bubble = f.Speak[caller - 1];
        bubble.Move(SX(c, at[0]), SY(c, at[1]));
        bubble.Visible = true;
        bubble.ZOrder(0);
    }
    if (r.g_CallStanding && r.g_CallCount >= 2) {
        SetGif(c, f.Img_fan, 601);
        f.Img_fan.ZOrder(0);
        f.Img_fan.Visible = true;
    }
    // 11.
    ShowCallCards(c, p, caller);
    // 12. Counter offer.
    if (kind != 9 && U8(p, 15) != 9 && stage != 3 && caller > 0) {
        r.g_CallAnswered = false;
        r.g_MayCall = true;
        r.g_CounterOffer = true;
        if (TishiVisible(c)) HideTishi(c);
        ShowOwnCallClock(c);
        if (!r.g_CallingClosed) {
            f.ImageGuo.Visible = true;
            f.ImageGuo.Enabled = true;
            f.ImageGuo.ZOrder(0);
            OfferCallFrame(c);
            jiaopai(c, c.seats.player[0].hand.count);
        }
    }
    // 13.
    mx[3].Caption = std::to_string(U8(p, 26));
    if (caller >= 0) mx[5].Caption = PositionName(c, caller);
}

}  // namespace

void HandleTrumpDecision(Client& c, const Packet& p) {
    auto& r = c.round;
    auto& f = c.main;
    // Common part.
    f.Bank.ZOrder(0);
    for (int i = 0; i < 3; ++i) f.Speak[i].Visible = false;
    f.Img_fan.Visible = false;
    if (TishiVisible(c)) r.frmTishi->Hide();
    LayOutBottomStack(c);
    if (r.g_CallCount == 0) SnapshotBottomStack(c);
    if (r.g_BottomAway && !ReturnBottom(c)) return;
    const int kind = U8(p, 8);
    if (kind == 1 || kind == 2 || kind == 9) {
        ++r.g_CallCount;
        r.g_CallStanding = true;
        int caller = PositionOf(c, U8(p, 14));
        if (caller >= 0) r.frmMingXi->lbMingXi[5].Caption = PositionName(c, caller);
    }
    if (kind == 4) {
        CallTurn(c, p);
    } else {
        CallResult(c, p);
    }
}

}  // namespace zorvan
