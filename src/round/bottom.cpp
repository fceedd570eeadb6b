#include "round/bottom.h"

#include "core/client.h"
#include "core/packets.h"
#include "media/effects.h"
#include "round/calling.h"
#include "round/deal.h"
#include "round/view.h"
#include "rules/card.h"
#include "table/seats.h"
#include "text/gbk.h"

namespace zorvan {
namespace {

// The trump indication: a pair call with suit 9 or 10 the joker, a single call with no suit
// the small joker, else the trump-rank card of the trump suit.
int TrumpPicture(const Client& c) {
    const auto& t = c.round.trump;
    int suit = t.g_zhuhuase;
    if (c.round.g_CallStrength == 2) {
        if (suit == 9) return 16;
        if (suit == 10) return 17;
    }
    if (c.round.g_CallStrength == 1 && (suit >= 9 || suit < 1)) return 16;
    return 16 * rules::BitIndex(suit) + (t.g_ZhuPaiMian == 2 ? 15 : t.g_ZhuPaiMian);
}

// Waits until the deal animation has placed every card, at most n x 400 ms + 5 s; then it is
// stopped. False when the table went away meanwhile.
bool WaitForDealAnimation(Client& c) {
    auto& r = c.round;
    const std::int64_t limit = static_cast<std::int64_t>(r.g_DealCount) * 400 + 5000;
    const std::int64_t start = c.os.loop.nowMs();
    while (r.g_DealAnimating && c.os.loop.nowMs() - start < limit)
        if (!WaitMs(c, 10)) return false;
    if (r.g_DealAnimating) {
        r.g_StopDeal = true;
        r.g_DealAnimating = false;
    }
    return true;
}

// The stack moves from the middle of the table to the taker. False when the table went away.
bool TakeBottomAway(Client& c, int taker) {
    auto& f = c.main;
    auto& r = c.round;
    for (int i = 0; i < 8; ++i) f.imgDiPai[i].Visible = false;
    if (taker < 1 || taker > 3) return true;
    ui::Control& mover = c.layout.g_ScaleX >= 1 ? static_cast<ui::Control&>(f.Picture1) : f.Img_dyn;
    const double sx = c.layout.g_ScaleX;
    mover.Move(r.g_BottomStackLeft, r.g_BottomStackTop);
    mover.Visible = true;
    mover.ZOrder(0);
    for (int k = 0; k < 200; ++k) {
        if (taker == 1) mover.Left -= 10 * sx;
        if (taker == 2) mover.Top -= 5 * sx;
        if (taker == 3) mover.Left += 10 * sx;
        if (!WaitMs(c, 5)) return false;
        if ((taker == 1 && mover.Left <= 90 * sx) || (taker == 2 && mover.Top <= 150 * sx) ||
            (taker == 3 && mover.Left >= 735 * sx))
            break;
    }
    mover.Visible = false;
    return true;
}

void ShowTrumpBox(Client& c) {
    auto& f = c.main;
    bool full = FullLayout(c);
    const double sx = c.layout.g_ScaleX;
    int picture = TrumpPicture(c);
    if (c.round.g_CallStrength == 1) {
        auto& img = f.imgXianShiDiPai[0];
        img.Move(f.imgBaopai.Left + (full ? 15 : 20) * sx, f.imgBaopai.Top + (full ? 57 : 80) * sx);
        SetGif(c, img, picture);
        img.Visible = true;
        img.ZOrder(0);
    } else if (c.round.g_CallStrength == 2) {
        const double dx[2] = {full ? 11.0 : 15.0, full ? 21.0 : 25.0};
        for (int i = 0; i < 2; ++i) {
            auto& img = f.imgXianShiDiPai[i];
            img.Move(f.imgBaopai.Left + dx[i] * sx, f.imgBaopai.Top + (full ? 60 : 80) * sx);
            SetGif(c, img, picture);
            img.Enabled = false;
            img.Visible = true;
        }
        f.imgXianShiDiPai[0].ZOrder(0);
        f.imgXianShiDiPai[1].ZOrder(0);
    }
}

void PlaceClockAtTaker(Client& c, int t) {
    auto& f = c.main;
    bool full = FullLayout(c);
    double w = f.Time_Img.Width;
    if (t == 1) {
        f.Time_Img.Move(0.2 * w, SY(c, full ? 200 : 175));
    } else if (t == 2) {
        f.Time_Img.Move(full ? 575 : 455, full ? 90 : 80);
    } else if (t == 3) {
        f.Time_Img.Move(SX(c, 1024) - 1.2 * w, SY(c, full ? 390 : 325));
    } else {
        f.Time_Img.Move(SX(c, full ? 930 : 935), SY(c, full ? 525 : 500));
    }
}

}  // namespace

int CardPoints(int face) {
    if (face == 5) return 5;
    if (face == 10 || face == 13) return 10;
    return 0;
}

void HandleBottom(Client& c, const Packet& p) {
    auto& f = c.main;
    auto& r = c.round;
    auto& hand = c.seats.player[0].hand;
    // 1-3.
    f.Bank.ZOrder(0);
    if (!WaitForDealAnimation(c)) return;
    if (TishiVisible(c)) HideTishi(c);
    f.imgBaopaiKuang.Visible = false;
    f.ImageGuo.Visible = false;
    f.Imgfanzhu.Visible = false;
    // 4-5.
    r.g_BottomAway = true;
    if (EffectsOn(c)) {
        PlayEffect(c, "\\..\\common\\pk\\sys200.wav", false);
        SetEffectVolume(c, 3000);
    }
    const int takerBit = U8(p, 6) & 15;
    const int t = ScreenPosition(c, takerBit);
    if (!TakeBottomAway(c, t)) return;
    // 6-9.
    if (t != 0) {
        f.imgKanDiPai.Visible = false;
        f.imgKanDiPai.Enabled = false;
    }
    f.imgBaopaiKuang.Visible = false;
    f.ImageGuo.Enabled = false;
    f.ImageGuo.Visible = false;
    c.pump.g_CallTimer = false;
    r.g_CallingClosed = true;
    if (r.g_RoundCount == 1) {
        r.g_DealerSeat = static_cast<std::int16_t>(takerBit);
        r.frmMingXi->lbMingXi[4].Caption = PositionName(c, t);
    }
    ClearCallOptions(c);
    for (int i = 0; i < 3; ++i) f.Speak[i].Visible = false;
    f.Img_fan.Visible = false;
    // 10-11.
    ShowTrumpBox(c);
    r.g_BottomSide = static_cast<std::int16_t>(t);
    r.g_IAmBurying = false;
    c.pump.g_Countdown = static_cast<std::int16_t>(AwaySeconds(c, U8(p, 12)));
    c.pump.g_BuryTimer = true;
    c.pump.g_SecondTicks = 0;
    PlaceClockAtTaker(c, t);
    if (t != 0) {
        // 12. Another seat buries.
        if (MainWindowNormal(c))
            ShowTishi(c, text::LeftChars(PositionName(c, t), 14) + "正在埋底牌", "请等待.....");
        f.ImageZhuangJia.Visible = true;
    } else {
        // 13. The own seat takes the bottom: slots after the hand, raised.
        r.g_MustBury = true;
        r.g_IAmBurying = true;
        f.ImageZhuangJia.Visible = true;
        f.ImageZhuangJia.ZOrder(0);
        const int m = std::min<int>(U8(p, 8), 8);
        const double step = c.layout.g_ScaleY == 1 ? 0.22 : 0.19;
        for (int i = 0; i < m && hand.count < rules::kHandSlots; ++i) {
            rules::CardValue v = ReadCard(p, 16 + 4 * static_cast<std::size_t>(i));
            int slot = hand.count;
            hand.card[static_cast<std::size_t>(slot)] = {v, static_cast<std::int16_t>(slot)};
            r.g_BottomCards[static_cast<std::size_t>(i)] = v;
            ShowCardPicture(c, 0, slot, rules::PictureCode(v));
            auto& img = f.cardImage0[slot];
            img.Stretch = true;
            img.Left = c.table.g_DealLeft + hand.count * step * f.cardImage0[0].Width;
            img.Top = c.table.g_HandTop - 0.2 * img.Height;
            img.Visible = true;
            img.ZOrder(0);
            ++hand.count;
        }
        f.ImageGaiPai.Move(SX(c, 450), SY(c, 450));
        SetGif(c, f.ImageGaiPai, 193);
        f.ImageGaiPai.Visible = true;
        f.ImageGaiPai.ZOrder(0);
    }
    // 14-16.
    if (r.trump.g_zhuhuase == 0 || r.trump.g_zhuhuase >= 9) r.trump.g_zhuhuase = 0;
    const int n = hand.count;
    if (!r.g_DealAnimating) {
        SortHandByHs(c, n);
        SortHandByVal(c, n);
    }
    ArrangeHandPictures(c, StandardHandOffset(c), n);
    for (int i = 0; i < n; ++i) {
        auto& img = SlotImage(c, i);
        img.Top = c.table.g_HandTop;
        if (t == 0) {
            auto v = hand.card[static_cast<std::size_t>(i)].value;
            for (auto b : r.g_BottomCards)
                if (b == v) img.Top = c.table.g_HandTop - 0.2 * img.Height;
        }
        img.Visible = true;
        img.Enabled = true;
    }
    // 17-18.
    ShowClockAt(c, f.Time_Img.Left, f.Time_Img.Top);
    c.pump.g_ReadyTimer = false;
    c.pump.g_CounterPassTimer = false;
    c.pump.g_CounterTimer = false;
    c.pump.g_CallTimer = false;
    c.pump.g_PlayTimer = false;
    r.g_BottomDone = true;
}

void BuryRaised(Client& c) {
    auto& r = c.round;
    auto& f = c.main;
    auto& hand = c.seats.player[0].hand;
    if (!r.g_MustBury || !c.login.g_Online) return;
    int selected = 0;
    for (int i = 0; i < hand.count; ++i)
        if (SlotRaised(c, i)) ++selected;
    if (selected != 8) {
        ShowTishi(c, "您埋的底牌是 " + std::to_string(selected) + " 张!", "请重新埋底牌!");
        if (!WaitMs(c, 1000)) return;
        HideTishi(c);
        return;
    }
    // 4.1-4.3: the packet names the buried cards in hand order.
    f.ImageGaiPai.Visible = false;
    for (int i = 0; i <= 32; ++i) f.cardImage0[i].Enabled = false;
    std::array<bool, rules::kHandSlots> raised{};
    for (int i = 0; i < hand.count; ++i) raised[static_cast<std::size_t>(i)] = SlotRaised(c, i);
    Packet p = MakePacket(4);
    p[6] = static_cast<std::uint8_t>(OwnSeatBit(c));
    int points = 0, k = 0;
    for (int i = 0; i < hand.count; ++i) {
        if (!raised[static_cast<std::size_t>(i)]) continue;
        SlotImage(c, i).Visible = false;
        auto v = hand.card[static_cast<std::size_t>(i)].value;
        r.g_BuriedCards[static_cast<std::size_t>(k)] = v;
        p[16 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(rules::ind(v));
        points += CardPoints(rules::pm(v));
        ++k;
    }
    p[12] = static_cast<std::uint8_t>(points);
    r.g_MustBury = false;
    r.g_IAmBurying = false;
    SendPacket(c, p);
    // 4.4-4.5: compaction; every kept slot gets the picture of its new place.
    int w = 0, removed = 0;
    for (int i = 0; i < hand.count; ++i) {
        auto slot = hand.card[static_cast<std::size_t>(i)];
        if (raised[static_cast<std::size_t>(i)] && removed < 8) {
            ++removed;
            auto& img = f.cardImage0[slot.imgIndex];
            img.Visible = false;
            img.Enabled = false;
            continue;
        }
        hand.card[static_cast<std::size_t>(w)] = {slot.value, static_cast<std::int16_t>(w)};
        f.cardImage0[w].Top = c.table.g_HandTop;
        ++w;
    }
    for (int i = 0; i <= 32; ++i) f.cardImage0[i].Visible = false;
    hand.count = static_cast<std::int16_t>(hand.count - 8);
    for (int i = 0; i < hand.count; ++i) {
        ShowCardPicture(c, 0, i, rules::PictureCode(hand.card[static_cast<std::size_t>(i)].value));
        f.cardImage0[i].Stretch = true;
        f.cardImage0[i].Top = c.table.g_HandTop;
    }
    // 4.6-4.7.
    f.imgKanDiPai.Visible = true;
    f.imgKanDiPai.Enabled = true;
    RedisplayHand(c);
}

void ViewBottom(Client& c) {
    auto& r = c.round;
    auto& f = c.main;
    for (int i = 0; i < 8; ++i) f.imgDiPai[i].Visible = false;
    if (r.g_ShowingBottom) {
        r.g_ShowingBottom = false;
        return;
    }
    r.g_ShowingBottom = true;
    bool full = FullLayout(c);
    double left0 = SX(c, full ? 402 : 390), top = SY(c, full ? 310 : 300);
    double w = f.imgDiPai[0].Width;
    for (int i = 0; i < 8; ++i) {
        auto& img = f.imgDiPai[i];
        img.Move(left0 + i * (full ? 0.25 : 0.18) * w, top);
        SetGif(c, img, rules::PictureCode(r.g_BuriedCards[static_cast<std::size_t>(i)]));
        img.Stretch = true;
        img.ZOrder(0);
    }
    for (int i = 0; i < 8; ++i) f.imgDiPai[i].Visible = true;
    if (!WaitMs(c, 3000)) return;
    for (int i = 0; i < 8; ++i) f.imgDiPai[i].Visible = false;
    r.g_ShowingBottom = false;
}

void OnBuryCountdownEnd(Client& c) {
    auto& r = c.round;
    // Only while the bury is still owed: after a bury the slots past the hand hold stale pictures.
    if (!r.g_IAmBurying || !r.g_MustBury) return;
    auto& hand = c.seats.player[0].hand;
    for (int i = 0; i < hand.count; ++i) SlotImage(c, i).Top = c.table.g_HandTop;
    for (int i = hand.count - 1; i >= hand.count - 8 && i >= 0; --i) SlotImage(c, i).Top = c.table.g_HandTop - 20;
    BuryRaised(c);
}

}  // namespace zorvan
