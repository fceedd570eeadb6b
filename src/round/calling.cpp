#include "round/calling.h"

#include <cstring>

#include "core/client.h"
#include "core/packets.h"
#include "round/trump.h"
#include "round/view.h"
#include "rules/card.h"
#include "table/seats.h"

namespace zorvan {
namespace {

struct CallOption {
    int first;   // image index of the option (a pair uses first and first + 1)
    bool pair;
    int suit;    // byte 12 of the call
};

// Option of an image: spades 0 / 1-2, hearts 3 / 4-5, clubs 6 / 7-8, diamonds 9 / 10-11,
// big jokers 12-13, small jokers 14-15.
CallOption OptionOf(int index) {
    if (index >= 14) return {14, true, 9};
    if (index >= 12) return {12, true, 10};
    int row = index / 3;
    int suit = rules::PowerOfTwo(3 - row);
    if (index % 3 == 0) return {index, false, suit};
    return {row * 3 + 1, true, suit};
}

int SuitRow(int suit) { return 3 - rules::BitIndex(suit); }

int OptionPicture(const Client& c, const CallOption& o) {
    if (o.suit == 9) return 16;
    if (o.suit == 10) return 17;
    int rank = c.round.trump.g_ZhuPaiMian;
    return rules::BitIndex(o.suit) * 16 + (rank == 2 ? 15 : rank);
}

void Offer(Client& c, int first, bool pair) {
    CallOption o = OptionOf(first);
    for (int i = o.first; i <= o.first + (pair ? 1 : 0); ++i) {
        auto& img = c.main.imgJiaoZhu[i];
        SetGif(c, img, OptionPicture(c, o));
        img.Visible = true;
        img.Enabled = true;
        c.round.g_CallOptions[static_cast<std::size_t>(i)] = true;
    }
}

void OfferSingle(Client& c, int suit) { Offer(c, SuitRow(suit) * 3, false); }
void OfferPair(Client& c, int suit) { Offer(c, SuitRow(suit) * 3 + 1, true); }

// Image GIF size (its logical screen) of a resource, or 0 x 0.
std::pair<int, int> GifSize(const Client& c, int id) {
    auto bytes = c.os.resources.gif(id);
    if (bytes.size() < 10) return {0, 0};
    return {bytes[6] | (bytes[7] << 8), bytes[8] | (bytes[9] << 8)};
}

void HideCallFrames(Client& c) {
    c.main.imgBaopaiKuang.Visible = false;
    c.main.Imgfanzhu.Visible = false;
    HideClock(c);
}

}  // namespace

void ClearCallOptions(Client& c) {
    for (int i = 0; i < 16; ++i) {
        c.main.imgJiaoZhu[i].Visible = false;
        c.main.imgJiaoZhu[i].Enabled = false;
    }
    c.round.g_CallOptions.fill(false);
}

void jiaopai(Client& c, int n) {
    auto& r = c.round;
    const int rank = r.trump.g_ZhuPaiMian;
    const int trumpSuit = r.trump.g_zhuhuase;
    std::array<int, 4> seen{};  // trump-rank cards per suit row
    int small = 0, big = 0;
    ClearCallOptions(c);
    const auto& hand = c.seats.player[0].hand;
    n = std::min(n, static_cast<int>(rules::kHandSlots));
    for (int i = 0; i < n; ++i) {
        rules::CardValue v = hand.card[static_cast<std::size_t>(i)].value;
        int f = rules::pm(v), s = rules::hs(v);
        bool rankCard = f == rank && f <= 14 && (s == 1 || s == 2 || s == 4 || s == 8);
        if (trumpSuit != 0) {
            if (r.g_CallerPos == 0) continue;
            if (r.g_CallStrength == 1) {
                if (rankCard && ++seen[static_cast<std::size_t>(SuitRow(s))] == 2) OfferPair(c, s);
                if (f == rules::kSmallJoker && ++small == 2) Offer(c, 14, true);
                if (f == rules::kBigJoker && ++big == 2) Offer(c, 12, true);
            } else if (r.g_CallStrength == 2) {
                if (f == rules::kSmallJoker) {
                    if (++small == 2 && r.g_CallFace < 16) Offer(c, 14, true);
                } else if (f == rules::kBigJoker) {
                    if (++big == 2) Offer(c, 12, true);
                } else if (s > trumpSuit && rankCard) {
                    if (++seen[static_cast<std::size_t>(SuitRow(s))] == 2) OfferPair(c, s);
                }
            }
        } else {
            if (f == rules::kSmallJoker) {
                if (++small == 2) Offer(c, 14, true);
            } else if (f == rules::kBigJoker) {
                if (++big == 2) Offer(c, 12, true);
            } else if (rankCard) {
                int k = ++seen[static_cast<std::size_t>(SuitRow(s))];
                if (k == 1) OfferSingle(c, s);
                if (k == 2) OfferPair(c, s);
            }
        }
    }
}

void ClickCall(Client& c, int index) {
    auto& r = c.round;
    if (index < 0 || index > 15) return;
    if (!r.g_MayCall || !r.g_CallOptions[static_cast<std::size_t>(index)]) return;
    c.pump.g_CallTimer = false;
    CallOption o = OptionOf(index);
    int own = OwnSeatBit(c);
    Packet p = MakePacket(2);
    p[6] = static_cast<std::uint8_t>(own);
    p[8] = o.pair ? 2 : 1;
    p[9] = static_cast<std::uint8_t>(o.suit == 9 ? 15 : o.suit == 10 ? 16 : r.trump.g_ZhuPaiMian);
    p[10] = (o.pair && r.g_CounterOffer) ? 2 : 1;
    p[11] = 0;
    p[12] = static_cast<std::uint8_t>(o.suit);
    int dealer = r.g_DealerSeat != 0 ? r.g_DealerSeat : own;
    if (o.pair && r.g_RoundCountB == 1) dealer = own;
    p[13] = static_cast<std::uint8_t>(dealer);
    p[14] = static_cast<std::uint8_t>(own);
    SendPacket(c, p);
    r.g_CallOptions[static_cast<std::size_t>(o.first)] = false;
    if (o.pair) r.g_CallOptions[static_cast<std::size_t>(o.first + 1)] = false;
    r.g_MayCall = false;
    r.g_CallAnswered = true;
    for (int i = 0; i < 16; ++i) {
        c.main.imgJiaoZhu[i].Visible = false;
        c.main.imgJiaoZhu[i].Enabled = false;
    }
    c.main.ImageGuo.Visible = false;
    c.main.ImageGuo.Enabled = false;
    HideCallFrames(c);
}

void ClickPass(Client& c) {
    auto& r = c.round;
    c.pump.g_CallTimer = false;
    c.main.ImageGuo.Enabled = false;
    c.main.ImageGuo.Visible = false;
    HideCallFrames(c);
    r.g_CallAnswered = true;
    for (int i = 0; i < 16; ++i) {
        if (!r.g_CallOptions[static_cast<std::size_t>(i)]) continue;
        c.main.imgJiaoZhu[i].Visible = false;
        c.main.imgJiaoZhu[i].Enabled = false;
    }
    Packet p = MakePacket(2);
    p[6] = static_cast<std::uint8_t>(OwnSeatBit(c));
    p[8] = 0;
    p[10] = 0;
    p[11] = static_cast<std::uint8_t>(r.trump.g_zhuhuase != 0 ? r.g_CallerSeat : 0);
    p[12] = 0;
    p[13] = static_cast<std::uint8_t>(r.g_DealerSeat);
    p[14] = static_cast<std::uint8_t>(r.g_CallerSeat);
    SendPacket(c, p);
}

void OnCallCountdownEnd(Client& c) {
    ClearCallOptions(c);
    c.main.ImageGuo.Visible = false;
    HideClock(c);
    if (!c.round.g_CallAnswered) ClickPass(c);
    c.main.ImageGuo.Visible = false;
    c.main.ImageGuo.Enabled = false;
}

void PlaceFans(Client& c) {
    auto& f = c.main;
    const int ids[3] = {403, 413, 423};
    const double pic1Width = f.Pic1.Width / 15.0;
    const double bottom = f.imgDilan.Top + f.imgDilan.Height;
    for (int i = 0; i < 3; ++i) {
        auto& img = f.shanImage[i];
        SetGif(c, img, ids[i]);
        auto [w, h] = GifSize(c, ids[i]);
        img.Width = SX(c, w);
        img.Height = SY(c, h);
        img.Stretch = true;
    }
    double side = ((bottom - f.shanImage[0].Height) / 2 - (FullLayout(c) ? 30 : 70)) / c.layout.g_ScaleY;
    f.shanImage[0].Move(0, side);
    f.shanImage[1].Move((pic1Width - f.shanImage[1].Width) / 2, f.imgDinglan.Top + f.imgDinglan.Height);
    f.shanImage[2].Move(pic1Width - f.shanImage[2].Width, side);
}

void ShowFans(Client& c) {
    PlaceFans(c);
    for (int i = 0; i < 3; ++i) {
        c.main.shanImage[i].ZOrder(0);
        c.main.shanImage[i].Visible = true;
    }
}

void OnDealTimer(Client& c) { firstfapai(c, c.round.g_DealCount); }

void firstfapai(Client& c, int n) {
    auto& r = c.round;
    auto& f = c.main;
    if (f.tmrJiePai) f.tmrJiePai->setEnabled(false);
    const std::uint32_t generation = r.g_DealGeneration;
    auto stopped = [&] { return r.g_StopDeal || generation != r.g_DealGeneration; };
    ShowFans(c);
    auto& hand = c.seats.player[0].hand;
    n = std::clamp(n, 0, static_cast<int>(rules::kHandSlots));
    const double step = FullLayout(c) ? 0.22 : 0.19;
    for (int i = 0; i < n && !stopped(); ++i) {
        if (i > 0 && i % 3 == 0) {
            SortHandByHs(c, i);
            for (int k = 0; k < i; ++k) SlotImage(c, k).Visible = true;
        }
        if (!WaitMs(c, 400)) return;
        if (stopped()) break;
        auto& img = SlotImage(c, i);
        img.Visible = false;
        img.Left = c.table.g_DealLeft + r.g_DealStep * step * f.cardImage0[0].Width;
        img.Top = c.table.g_HandTop;
        ShowCardPicture(c, 0, hand.card[static_cast<std::size_t>(i)].imgIndex,
                        rules::PictureCode(hand.card[static_cast<std::size_t>(i)].value));
        if (stopped()) break;
        img.Visible = true;
        img.ZOrder(0);
        // The options are evaluated on the cards before this one.
        jiaopai(c, i);
        if (stopped()) break;
        ++r.g_DealStep;
    }
    if (stopped()) {
        // A newer deal or a table reset took over: only the current generation's run is done.
        if (generation == r.g_DealGeneration) r.g_DealAnimating = false;
        return;
    }
    int count = hand.count;
    jiaopai(c, count);
    SortHandByHs(c, count);
    if (r.g_BottomDone) {
        SortHandByVal(c, count);
        ArrangeHandPictures(c, StandardHandOffset(c), count);
    }
    for (int i = 0; i < count; ++i) {
        SlotImage(c, i).Visible = true;
        SlotImage(c, i).Enabled = true;
    }
    for (int p = 1; p <= 3; ++p) c.seats.player[static_cast<std::size_t>(p)].hand.count = static_cast<std::int16_t>(n);
    c.pump.g_CallTimer = true;
    if (!r.g_CallAnswered) {
        f.ImageGuo.Visible = true;
        f.ImageGuo.Enabled = true;
    }
    r.g_DealAnimating = false;
}

}  // namespace zorvan
