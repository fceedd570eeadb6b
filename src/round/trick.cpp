#include "round/trick.h"

#include <algorithm>

#include "core/client.h"
#include "core/packets.h"
#include "media/effects.h"
#include "round/bottom.h"
#include "round/calling.h"
#include "round/view.h"
#include "rules/card.h"
#include "rules/play.h"
#include "rules/prompt.h"
#include "table/buttons.h"
#include "table/seats.h"
#include "text/gbk.h"

namespace zorvan {
namespace {

constexpr int kKeyF1 = 112;

using Table = TrickTable;
std::int32_t& Count(Table& t, int q) { return t[static_cast<std::size_t>(q)][27]; }
std::int32_t& At(Table& t, int q, int k) { return t[static_cast<std::size_t>(q)][static_cast<std::size_t>(k)]; }

ui::ControlArray<ui::Image>& CardArray(Client& c, int q) {
    switch (q) {
    case 0: return c.main.cardImage0;
    case 1: return c.main.cardImage1;
    case 2: return c.main.cardImage2;
    default: return c.main.cardImage3;
    }
}

void HideEntries(Client& c, Table& t, int limit) {
    for (int q = 0; q < 4; ++q)
        for (int k = 0; k < Count(t, q) && k < 27; ++k) {
            int e = At(t, q, k);
            if (e >= 0 && e < limit) CardArray(c, q)[e].Visible = false;
        }
}

void ShiftHistories(RoundState& r) {
    r.g_TrickHist2 = r.g_TrickHist1;
    r.g_TrickHist1 = r.g_TrickHist0;
    for (int q = 0; q < 4; ++q) Count(r.g_TrickHist0, q) = 0;
}

void ClearTable(Client& c) {
    auto& r = c.round;
    ShiftHistories(r);
    HideEntries(c, r.g_TablePics, 25);
    r.g_TrickPlays = 0;
}

double CardStep(const Client& c) { return FullLayout(c) ? 0.22 : 0.19; }

// The cards of a play: a plain list, or the groups of a throw.
std::vector<rules::CardValue> DecodeCards(RoundState& r, const Packet& p, bool lead, bool grouped) {
    std::vector<rules::CardValue> out;
    const int n = p[17];
    auto card = [&](std::size_t at) { return rules::MakeCard(p.at(at + 1), p.at(at)); };
    if (!grouped) {
        for (int j = 0; j < n && 23 + 2 * static_cast<std::size_t>(j) < kPacketSize; ++j) out.push_back(card(22 + 2 * static_cast<std::size_t>(j)));
        return out;
    }
    std::size_t at = 22;
    while (static_cast<int>(out.size()) < n && at < kPacketSize) {
        int type = p[at];
        if (type == 1 && at + 3 < kPacketSize) {
            out.push_back(card(at + 1));
            if (lead) ++r.g_LeadSingles;
            at += 4;
        } else if (type == 2 && at + 5 < kPacketSize) {
            out.push_back(card(at + 1));
            out.push_back(card(at + 3));
            at += 6;
        } else if (type == 4 && at + 1 < kPacketSize) {
            int l = p[at + 1];
            if (at + 4 * static_cast<std::size_t>(l) + 3 > kPacketSize) break;
            for (int k = 0; k < 2 * l; ++k) out.push_back(card(at + 2 + 2 * static_cast<std::size_t>(k)));
            if (lead && r.g_LeadRuns < 12) r.g_LeadRunLengths[static_cast<std::size_t>(r.g_LeadRuns)] = static_cast<std::int16_t>(l);
            if (lead) ++r.g_LeadRuns;
            at += 4 * static_cast<std::size_t>(l) + 3;
        } else {
            break;  // an unknown group cannot be stepped over: the rest is not decoded
        }
    }
    if (static_cast<int>(out.size()) > n) out.resize(static_cast<std::size_t>(n));
    return out;
}

bool IsPointFace(int face) { return face == 5 || face == 10 || face == 13; }

// The turn clock at the position that plays next (full and small layouts).
// One effect, when the effects switch is on, at the full volume every effect uses.
void Effect(Client& c, const std::string& path) {
    if (!EffectsOn(c)) return;
    PlayEffect(c, path, false);
    SetEffectVolume(c, 3000);
}

void ShowEntries(Client& c, Table& t) {
    for (int q = 0; q < 4; ++q)
        for (int k = 0; k < Count(t, q) && k < 27; ++k) {
            int e = At(t, q, k);
            if (e < 0 || e >= 33) continue;
            CardArray(c, q)[e].Visible = true;
            CardArray(c, q)[e].ZOrder(0);
        }
}

void PlaceTurnClock(Client& c, int p) {
    auto& t = c.main.Time_Img;
    const bool full = FullLayout(c);
    double x = 0, y = 0;
    switch (p) {
    case 0: x = full ? 825 : 865, y = full ? 600 : 550; break;
    case 1: x = (full ? 0.2 : 0.18) * t.Width, y = full ? SY(c, 200) : SX(c, 175); break;
    case 2: x = full ? 585 : 455, y = full ? 90 : 80; break;
    default:
        if (full) x = SX(c, 1024) - 1.2 * t.Width, y = SY(c, 390);
        else x = SX(c, 925), y = SX(c, 355);
    }
    t.Move(x, y);
    c.main.Number.Move(x + SX(c, 48), y + SY(c, 5));
    if (p == 0) {
        t.ZOrder(0);
        c.main.Number.ZOrder(0);
    }
}

}  // namespace

namespace {
// The play spot of another position for a play of n cards (stored in its record).
void PlaceOpponentSpot(Client& c, int s, int n) {
    auto& rec = c.seats.player[static_cast<std::size_t>(s)];
    double x = rec.anchorX, y = rec.anchorY;
    if (s == 1) x = SX(c, n <= 5 ? 300 : n <= 9 ? 320 : 390), y = SY(c, 310);
    if (s == 2) x = SX(c, 500);
    if (s == 3) x = SX(c, n <= 5 ? 700 : n <= 9 ? 680 : 750), y = SY(c, 310);
    rec.anchorX = Round16(x);
    rec.anchorY = Round16(y);
}

// Shows cards in a row at position s's spot on the given pictures; false when a picture index
// is out of range (the caller stops).
bool ShowRow(Client& c, int s, const std::vector<int>& pics, const std::vector<rules::CardValue>& cards) {
    auto& rec = c.seats.player[static_cast<std::size_t>(s)];
    auto& arr = CardArray(c, s);
    const int n = static_cast<int>(cards.size());
    for (int k = 0; k < n && k < static_cast<int>(pics.size()); ++k) {
        int m = pics[static_cast<std::size_t>(k)];
        if (m < 0 || m > 25 || !arr.exists(m)) return false;
        ShowCardPicture(c, s, m, rules::PictureCode(cards[static_cast<std::size_t>(k)]));
        auto& img = arr[m];
        img.Left = rec.anchorX - (0.11 * n + 0.39) * SX(c, 90) + k * CardStep(c) * arr[0].Width;
        img.Top = s == 2 ? rec.anchorY + SX(c, 20) : rec.anchorY;
        img.Visible = true;
        img.ZOrder(0);
    }
    return true;
}

std::vector<int> OpponentPics(Client& c, int s, int n) {
    std::vector<int> out;
    const auto& rec = c.seats.player[static_cast<std::size_t>(s)];
    const int b = c.round.g_OppPlayedCount[static_cast<std::size_t>(s - 1)];
    for (int k = b; k < b + n && k < rules::kHandSlots; ++k) out.push_back(k > 25 ? 99 : rec.hand.card[static_cast<std::size_t>(k)].imgIndex);
    return out;
}

void AppendPlayed(RoundState& r, int s, const std::vector<rules::CardValue>& cards) {
    for (auto v : cards) {
        int k = Count(r.g_PlayedPm, s);
        if (k >= 27) break;
        At(r.g_PlayedPm, s, k) = rules::pm(v);
        At(r.g_PlayedHs, s, k) = rules::hs(v);
        Count(r.g_PlayedPm, s) = Count(r.g_PlayedHs, s) = k + 1;
    }
}
}  // namespace

void DaPaiFail(Client& c, const Packet& p) {
    auto& r = c.round;
    auto& f = c.main;
    const int s = ScreenPosition(c, p[6] & 15);
    if (s < 0 || s > 3) return;
    Effect(c, "\\..\\common\\pk\\sys070.wav");
    // The attempt, shown while the notice is up.
    const int before = Count(r.g_PlayedPm, s);
    RoundState scratch;  // the attempt's groups are not the lead's structure
    auto attempt = DecodeCards(scratch, p, false, p[18] == 3);
    AppendPlayed(r, s, attempt);
    const int n = static_cast<int>(attempt.size());
    std::vector<int> pics = s == 0 ? r.g_MySelPics : OpponentPics(c, s, n);
    if (s != 0) PlaceOpponentSpot(c, s, n);
    if (!ShowRow(c, s, pics, attempt)) return;
    if (MainWindowNormal(c)) {
        std::string who = s == 0 ? "您" : text::LeftChars(PositionName(c, s), 8);
        ShowTishi(c, who + "甩牌失败！", "自动出小!");
    }
    if (!WaitMs(c, 2000)) return;
    HideTishi(c);
    if (s != 0)
        for (int m : pics)
            if (CardArray(c, s).exists(m)) CardArray(c, s)[m].Visible = false;
    Count(r.g_PlayedPm, s) = Count(r.g_PlayedHs, s) = before;
    // The forced play becomes the lead of the trick.
    const int forced = std::min<int>(p[144], n);
    r.lead.formerNum = static_cast<std::int16_t>(forced);
    r.lead.formerType = p[145];
    r.lead.formerHS = p[146] > 8 ? r.trump.g_zhuhuase : p[146];
    r.lead.formerZhu = p[147] == 1;
    std::vector<rules::CardValue> cards;
    for (int k = 0; k < forced; ++k) cards.push_back(rules::MakeCard(p[149 + 2 * static_cast<std::size_t>(k)], p[148 + 2 * static_cast<std::size_t>(k)]));
    AppendPlayed(r, s, cards);
    std::vector<int> forcedPics(pics.begin(), pics.begin() + std::min<std::size_t>(pics.size(), static_cast<std::size_t>(forced)));
    if (s != 0) PlaceOpponentSpot(c, s, forced);
    if (!ShowRow(c, s, forcedPics, cards)) return;
    for (int k = 0; k < static_cast<int>(forcedPics.size()); ++k) {
        At(r.g_TablePics, s, k) = forcedPics[static_cast<std::size_t>(k)];
        At(r.g_TrickHist0, s, k) = forcedPics[static_cast<std::size_t>(k)];
    }
    Count(r.g_TablePics, s) = Count(r.g_TrickHist0, s) = forced;
    auto& rec = c.seats.player[static_cast<std::size_t>(s)];
    if (s != 0) {
        rec.hand.count = static_cast<std::int16_t>(std::max(0, rec.hand.count - forced));
        if (rec.hand.count == 0) r.g_HandRunOut = true;
        r.g_OppPlayedCount[static_cast<std::size_t>(s - 1)] = static_cast<std::int16_t>(r.g_OppPlayedCount[static_cast<std::size_t>(s - 1)] + forced);
        ShowFans(c);
    } else {
        // The cards that were not played go back into the hand on their own pictures.
        auto& hand = rec.hand;
        for (int k = 0; k < n - forced; ++k) {
            std::size_t at = 149 + 2 * static_cast<std::size_t>(p[144]) + 4 * static_cast<std::size_t>(k);
            if (at + 3 >= kPacketSize || hand.count >= rules::kHandSlots) break;
            if (static_cast<std::size_t>(forced + k) >= pics.size()) break;
            auto v = static_cast<rules::CardValue>((static_cast<std::uint32_t>(p[at]) << 24) | (static_cast<std::uint32_t>(p[at + 1]) << 16) |
                                                   (static_cast<std::uint32_t>(p[at + 2]) << 8) | p[at + 3]);
            int m = pics[static_cast<std::size_t>(forced + k)];
            hand.card[static_cast<std::size_t>(hand.count)] = {v, static_cast<std::int16_t>(m)};
            ShowCardPicture(c, 0, m, rules::PictureCode(v));
            f.cardImage0[m].Top = c.table.g_HandTop;
            f.cardImage0[m].Enabled = true;
            f.cardImage0[m].Visible = false;
            ++hand.count;
        }
        for (int i = 0; i < hand.count; ++i) {
            auto& img = SlotImage(c, i);
            img.Top = c.table.g_HandTop;
            img.Left = i * 0.22 * f.cardImage0[0].Width + 250;
            img.Visible = false;
            img.ZOrder(0);
        }
        RedisplayHand(c);
        r.g_MySelPics.clear();
    }
    if (p[145] == 4 && SetGif(c, f.Img_fan, 604)) {
        f.Img_fan.Stretch = true;
        f.Img_fan.ZOrder(0);
        f.Img_fan.Visible = true;
    }
}

void LowerHand(Client& c) {
    auto& hand = c.seats.player[0].hand;
    for (int i = 0; i < hand.count; ++i) SlotImage(c, i).Top = c.table.g_HandTop;
}

void ToggleRaise(Client& c, int imgIndex) {
    if (!IsHandImage(c, imgIndex)) return;
    auto& img = c.main.cardImage0[imgIndex];
    if (img.Top >= c.table.g_HandTop) {
        img.Top = c.table.g_HandTop - img.Height / 5;
        Effect(c, "\\..\\common\\pk\\sys020.wav");
    } else {
        img.Top = c.table.g_HandTop;
        Effect(c, "\\..\\common\\pk\\sys030.wav");
    }
}

void ShowHint(Client& c) {
    auto& r = c.round;
    auto& hand = c.seats.player[0].hand;
    LowerHand(c);
    if (r.g_PlayLocked) return;
    rules::LeadStructure st;
    st.g_LeadSingles = r.g_LeadSingles;
    st.g_LeadRuns = r.g_LeadRuns;
    std::copy_n(r.g_LeadRunLengths.begin(), 12, st.g_LeadRunLengths.begin());
    auto slots = r.g_ChuPaiQuan ? rules::LeadHint(hand, rules::AllAtBaseline())
                                : rules::FollowHint(hand, rules::AllAtBaseline(), r.lead, st, r.trump);
    for (int s : slots)
        if (s >= 0 && s < hand.count) SlotImage(c, s).Top = c.table.g_HandTop - SlotImage(c, s).Height / 5;
}

void judgechupai(Client& c) {
    auto& r = c.round;
    auto& f = c.main;
    auto& rec = c.seats.player[0];
    auto& hand = rec.hand;
    std::array<bool, rules::kHandSlots> raised{};
    for (int i = 0; i < hand.count; ++i) raised[static_cast<std::size_t>(i)] = SlotRaised(c, i);
    auto res = rules::judgechupai(hand, raised, r.g_ChuPaiQuan, r.lead, r.trump);
    if (res.outcome == rules::JudgeResult::Outcome::Nothing) return;
    if (res.outcome == rules::JudgeResult::Outcome::Refuse) {
        ShowChuPai(c);
        return;
    }
    Packet p = res.packet;
    p[3] = 7;
    p[6] = static_cast<std::uint8_t>(OwnSeatBit(c));
    r.g_MySelPics.clear();
    for (int s : res.slots) r.g_MySelPics.push_back(hand.card[static_cast<std::size_t>(s)].imgIndex);
    SendPacket(c, p);
    // The played pictures wait hidden at the own play spot for the server's echo.
    for (std::size_t k = 0; k < r.g_MySelPics.size(); ++k) {
        auto& img = f.cardImage0[r.g_MySelPics[k]];
        img.Visible = false;
        img.Top = rec.anchorY;
        img.Left = rec.anchorX + static_cast<double>(k) * 0.22 * img.Width * c.layout.g_ScaleX;
        At(r.g_TablePics, 0, static_cast<int>(k)) = r.g_MySelPics[k];
    }
    Count(r.g_TablePics, 0) = static_cast<int>(r.g_MySelPics.size());
    for (auto it = res.slots.rbegin(); it != res.slots.rend(); ++it) hand.Remove(*it);
    for (int i = 0; i < hand.count; ++i) {
        SlotImage(c, i).Visible = false;
        SlotImage(c, i).Enabled = false;
    }
    int offset = StandardHandOffset(c);
    if (!FullLayout(c)) offset = -80;
    ArrangeHandPictures(c, offset, hand.count);
    for (int i = 0; i < hand.count; ++i) {
        SlotImage(c, i).Top = c.table.g_HandTop;
        SlotImage(c, i).Visible = SlotImage(c, i).Enabled = true;
    }
    for (int i = 0; i < 2; ++i) f.Operation[i].Visible = f.Operation[i].Enabled = false;
    r.g_PlayLocked = true;
    r.g_PlayEnabled = false;
}

void AutoPlay(Client& c) {
    auto& r = c.round;
    ShowHint(c);
    judgechupai(c);
    if (r.ChuPai) r.ChuPai->Hide();
    r.g_PlayLocked = true;
    r.g_MyTurn = false;
}

void ShowChuPai(Client& c) {
    auto& w = *c.round.ChuPai;
    w.Left = c.main.Left + (c.main.Width - w.Width) / 2;
    w.Top = c.main.Top + (c.main.Height - w.Height) / 2;
    w.Show();
}

void PlayAttempt(Client& c) {
    auto& r = c.round;
    c.pump.g_TimeoutCount = 0;
    if (r.g_PlayLocked) return;
    judgechupai(c);
    c.pump.g_TimeoutCount = 0;
    c.table.g_TimeoutMark = false;
}

void ClickOperation(Client& c, int index) {
    auto& r = c.round;
    if (!c.login.g_Online) return;
    if (r.ChuPai) r.ChuPai->Hide();
    switch (index) {
    case 0: PlayAttempt(c); break;
    case 1: Effect(c, "\\..\\common\\pk\\sys110.wav"); ShowHint(c); break;
    case 2:
        if (!r.g_SortAllowed) return;
        r.g_SortAllowed = false;
        RedisplayHand(c);
        break;
    case 4:
        if (c.seats.player[0].hand.count > 0 && r.g_GameInProgress) LowerHand(c);
        break;
    case 3:
        if (!r.g_FormerViewIdle) {
            EndFormerView(c);
            return;
        }
        if (!r.g_GameInProgress) return;
        r.g_FormerViewIdle = false;
        HideEntries(c, r.g_TrickHist0, 33);
        HideEntries(c, r.g_TrickHist1, 33);
        HideEntries(c, r.g_TrickHist2, 33);
        ShowEntries(c, r.g_TrickHist1);
        c.main.Operation[0].ZOrder(0);
        c.main.Operation[1].ZOrder(0);
        if (r.Timerformer) r.Timerformer->setEnabled(true);
        break;
    default: break;
    }
}

void EndFormerView(Client& c) {
    auto& r = c.round;
    if (r.Timerformer) r.Timerformer->setEnabled(false);
    HideEntries(c, r.g_TrickHist2, 33);
    HideEntries(c, r.g_TrickHist1, 33);
    ShowEntries(c, r.g_TrickHist0);
    r.g_FormerViewIdle = true;
}

// The hover picture of Operation(index) (index 5: ImageGaiPai), once until the mouse is back on the table.
void OperationMouseMove(Client& c, int index) {
    auto& hover = c.round.g_OperationHover;
    if (index < 0 || index > 5 || hover[static_cast<std::size_t>(index)]) return;
    hover[static_cast<std::size_t>(index)] = true;
    if (index == 5) SetGif(c, c.main.ImageGaiPai, 194);
    else SetGif(c, c.main.Operation[index], c.images.operations[static_cast<std::size_t>(2 * index + 1)]);
}

void RestoreOperationPictures(Client& c) {
    auto& hover = c.round.g_OperationHover;
    for (int i = 0; i < 6; ++i) {
        if (!hover[static_cast<std::size_t>(i)]) continue;
        hover[static_cast<std::size_t>(i)] = false;
        if (i == 5) SetGif(c, c.main.ImageGaiPai, 193);
        else SetGif(c, c.main.Operation[i], c.images.operations[static_cast<std::size_t>(2 * i)]);
    }
}

void TableMouseDown(Client& c, int button) {
    auto& r = c.round;
    HideTishi(c);
    if (r.ChuPai) r.ChuPai->Hide();
    if (button != 2) return;
    if (r.g_SelectEnabled && r.g_PlayEnabled && c.login.g_Online) PlayAttempt(c);
    if (c.main.ImageGaiPai.Visible && c.login.g_Online) BuryRaised(c);
}

void BuildPlayControls(Client& c) {
    auto& f = c.main;
    auto& r = c.round;
    if (!r.ChuPai) {
        r.ChuPai = std::make_unique<ChuPaiForm>();
        r.ChuPai->Caption = "出牌非法";
        r.ChuPai->Width = 2670;
        r.ChuPai->Height = 945;
        r.ChuPai->Visible = false;
        r.ChuPai->Topmost = true;
        r.ChuPai->picture = ui::Picture::Named("ChuPai");
        auto& w = *r.ChuPai;
        w.add(w.Label2, "Label2");
        w.Label2.Caption = "不符合规则！";
        w.Label2.ForeColor = ui::Rgb{255, 255, 0};
        w.Label2.FontBold = true;
        w.Label2.Move(20 * 15, 20 * 15, 140 * 15, 20 * 15);
        w.add(w.Label1, "Label1");
        w.Label1.Caption = "×";
        w.Label1.Move(w.Width - 16 * 15, 0, 16 * 15, 16 * 15);
        w.Label1.events.Click = [&w](ui::Control&) { w.Hide(); };
        c.forms.push_back(r.ChuPai.get());
    }
    if (!r.Timerformer) {
        r.Timerformer = c.os.loop.makeTimer(Guarded(c, [&c] { EndFormerView(c); }));
        r.Timerformer->setInterval(1500);
    }
    f.Pic1.events.MouseDown = [&c](ui::Control&, const ui::MouseEvent& e) { RunGuarded(c, [&] { TableMouseDown(c, e.button); }); };
    f.Pic2.events.MouseDown = [&c](ui::Control&, const ui::MouseEvent& e) {
        RunGuarded(c, [&] {
            auto& r = c.round;
            if (r.ChuPai) r.ChuPai->Hide();
            if (e.button == 2 && r.g_SelectEnabled && r.g_PlayEnabled && !r.g_PlayLocked) PlayAttempt(c);
        });
    };
    for (int i = 0; i < 5 && f.Operation.exists(i); ++i) {
        f.Operation[i].events.Click = [&c](ui::Control& ctl) { RunGuarded(c, [&] { ClickOperation(c, ctl.Index()); }); };
        f.Operation[i].events.MouseMove = [&c](ui::Control& ctl, const ui::MouseEvent&) {
            RunGuarded(c, [&] { OperationMouseMove(c, ctl.Index()); });
        };
    }
    f.ImageGaiPai.events.MouseMove = [&c](ui::Control&, const ui::MouseEvent&) { RunGuarded(c, [&] { OperationMouseMove(c, 5); }); };
    for (int i = 0; i <= 32 && f.cardImage0.exists(i); ++i)
        f.cardImage0[i].events.MouseDown = [&c](ui::Control& ctl, const ui::MouseEvent& e) {
            RunGuarded(c, [&] {
                if (e.button == 1) ToggleRaise(c, ctl.Index());
                else if (e.button == 2 && c.round.g_SelectEnabled && c.round.g_PlayEnabled && c.login.g_Online) PlayAttempt(c);
            });
        };
}

// An own play the client did not send (the server played for a player who ran out of time):
// its cards are taken out of the hand, matched by face and suit, and their pictures used.
void TakeServedPlay(Client& c, int c0, int n) {
    auto& r = c.round;
    auto& hand = c.seats.player[0].hand;
    r.g_MySelPics.clear();
    for (int i = 0; i < n && c0 + i < 27; ++i) {
        const int face = At(r.g_PlayedPm, 0, c0 + i), suit = At(r.g_PlayedHs, 0, c0 + i);
        for (int s = 0; s < hand.count; ++s) {
            auto v = hand.card[static_cast<std::size_t>(s)].value;
            if (rules::pm(v) != face || rules::hs(v) != suit) continue;
            r.g_MySelPics.push_back(hand.card[static_cast<std::size_t>(s)].imgIndex);
            hand.Remove(s);
            break;
        }
    }
    for (int i = 0; i < hand.count; ++i) SlotImage(c, i).Top = c.table.g_HandTop;
    RedisplayHand(c);
}

void DaPai(Client& c, const Packet& p) {
    auto& r = c.round;
    auto& f = c.main;
    const int s = ScreenPosition(c, p[6] & 15);
    if (s < 0 || s > 3) return;
    const int n = p[17];
    const int c0 = Count(r.g_PlayedPm, s);
    if (p[11] != 0) HideClock(c);
    const bool lead = r.g_TrickMsgCount == 2;
    if (lead) {
        r.lead.formerNum = static_cast<std::int16_t>(n);
        r.lead.formerType = p[18];
        r.lead.formerHS = p[19];
        r.lead.formerKind = p[21];
        r.lead.formerZhu = p[20] == 1;
        r.g_LeadSingles = r.g_LeadRuns = 0;
        r.g_LeadRunLengths.fill(0);
    }
    if (r.lead.formerHS >= 9) r.lead.formerHS = r.trump.g_zhuhuase;
    if (p[15] == 2) {
        DaPaiFail(c, p);
        return;
    }
    Effect(c, "\\..\\common\\pk\\sys070.wav");
    for (auto v : DecodeCards(r, p, lead, p[18] == 3 && p[19] != 9)) {
        int k = Count(r.g_PlayedPm, s);
        if (k >= 27) break;
        At(r.g_PlayedPm, s, k) = rules::pm(v);
        At(r.g_PlayedHs, s, k) = rules::hs(v);
        Count(r.g_PlayedPm, s) = Count(r.g_PlayedHs, s) = k + 1;
    }
    if (p[10] != 0) {
        for (int q = 0; q < 4; ++q)
            for (int k = c0; k < Count(r.g_PlayedPm, q); ++k) {
                int face = At(r.g_PlayedPm, q, k);
                if (IsPointFace(face) && r.g_PointCardCount <= 23) {
                    auto& img = f.imgDeFen[r.g_PointCardCount];
                    SetGif(c, img, 16 * rules::BitIndex(At(r.g_PlayedHs, q, k)) + face);
                    img.Visible = true;
                    img.ZOrder(0);
                    ++r.g_PointCardCount;
                }
                if (face == 5) r.g_DefenderPoints = static_cast<std::int16_t>(r.g_DefenderPoints + 5);
                if (face == 10 || face == 13) r.g_DefenderPoints = static_cast<std::int16_t>(r.g_DefenderPoints + 10);
            }
        f.lblDeFen.Caption = std::to_string(r.g_DefenderPoints);
        if (r.frmMingXi->lbMingXi.exists(2)) r.frmMingXi->lbMingXi[2].Caption = std::to_string(r.g_DefenderPoints);
    }
    auto& rec = c.seats.player[static_cast<std::size_t>(s)];
    const double w90 = SX(c, 90);
    if (s != 0) {
        Count(r.g_TrickHist0, s) = Count(r.g_TablePics, s) = n;
        double x = rec.anchorX, y = rec.anchorY;
        if (s == 1) x = SX(c, n <= 5 ? 300 : n <= 9 ? 320 : 390), y = SY(c, 310);
        if (s == 2) x = SX(c, 500);
        if (s == 3) x = SX(c, n <= 5 ? 700 : n <= 9 ? 680 : 750), y = SY(c, 310);
        rec.anchorX = Round16(x);
        rec.anchorY = Round16(y);
        auto& arr = CardArray(c, s);
        const int b = r.g_OppPlayedCount[static_cast<std::size_t>(s - 1)];
        for (int k = b; k < b + n; ++k) {
            int j = k - b;
            if (k > 25) return;
            auto v = rules::MakeCard(At(r.g_PlayedHs, s, k), At(r.g_PlayedPm, s, k));
            int m = rec.hand.card[static_cast<std::size_t>(k)].imgIndex;
            ShowCardPicture(c, s, m, rules::PictureCode(v));
            auto& img = arr[m];
            img.Left = x - (0.11 * n + 0.39) * w90 + j * CardStep(c) * arr[0].Width;
            img.Top = s == 2 ? y + SX(c, 20) : y;
            img.Width = w90;
            img.Height = SY(c, 120);
            img.Stretch = true;
            img.Visible = true;
            img.ZOrder(0);
            At(r.g_TablePics, s, j) = m;
            At(r.g_TrickHist0, s, j) = m;
        }
        rec.hand.count = static_cast<std::int16_t>(std::max(0, rec.hand.count - n));
        if (rec.hand.count == 0) r.g_HandRunOut = true;
        r.g_OppPlayedCount[static_cast<std::size_t>(s - 1)] = static_cast<std::int16_t>(b + n);
        ShowFans(c);
    } else {
        if (static_cast<int>(r.g_MySelPics.size()) < n) TakeServedPlay(c, c0, n);
        const int num = std::min<int>(r.lead.formerNum, static_cast<int>(r.g_MySelPics.size()));
        const double cw = f.cardImage0[0].Width;
        for (int i = 0; i < n && i < num; ++i) {
            int k = c0 + i;
            if (k >= 27) break;
            int m = r.g_MySelPics[static_cast<std::size_t>(i)];
            auto v = rules::MakeCard(At(r.g_PlayedHs, 0, k), At(r.g_PlayedPm, 0, k));
            ShowCardPicture(c, 0, m, rules::PictureCode(v));
            auto& img = f.cardImage0[m];
            img.Top = rec.anchorY;
            img.Left = rec.anchorX - (0.11 * num + 0.39) * w90 + i * CardStep(c) * cw;
            At(r.g_TrickHist0, 0, i) = m;
        }
        for (int i = 0; i < n && i < num; ++i) {
            auto& img = f.cardImage0[r.g_MySelPics[static_cast<std::size_t>(i)]];
            img.Visible = true;
            img.ZOrder(0);
        }
        Count(r.g_TablePics, 0) = Count(r.g_TrickHist0, 0) = n;
        r.g_MySelPics.clear();  // used up: a later play the server makes for the player finds its own
    }
    if (p[18] == 4 && lead && SetGif(c, f.Img_fan, 604)) {
        f.Img_fan.ZOrder(0);
        f.Img_fan.Stretch = true;
        f.Img_fan.Visible = true;
    }
    if (s != 0 && p[11] != 0) {
        f.Img_fan.Move(SX(c, 341), SY(c, 324));
        HideClock(c);
        SetGif(c, f.Img_fan, 602);
        f.Img_fan.ZOrder(0);
        f.Img_fan.Visible = true;
    }
}

void HandlePlay(Client& c, const Packet& p) {
    auto& r = c.round;
    auto& f = c.main;
    // Whatever the earlier phases left on the table goes.
    HideTishi(c);
    if (r.trump.g_zhuhuase >= 9) r.trump.g_zhuhuase = 0;
    f.imgBaopaiKuang.Visible = f.ImageGuo.Visible = f.Imgfanzhu.Visible = f.Img_fan.Visible = false;
    ClearCallOptions(c);
    for (int i = 0; i < 8; ++i) f.imgDiPai[i].Visible = false;
    HideClock(c);
    c.pump.g_CounterTimer = c.pump.g_CounterPassTimer = c.pump.g_BuryTimer = false;
    r.g_SelectEnabled = r.g_MyTurn = r.g_PlayEnabled = false;
    r.g_PlayLocked = true;
    r.g_ChuPaiQuan = false;
    if (p[15] == 1) {
        r.g_ChuPaiQuan = true;
        r.g_TrickMsgCount = 0;
    }
    ++r.g_TrickMsgCount;
    const int next = ScreenPosition(c, p[8] & 15);
    if (next == 0) r.g_SortAllowed = true;
    PlaceTurnClock(c, next);
    if (next == 0) {
        r.g_MyTurn = r.g_SelectEnabled = true;
    } else {
        // Buttons of an earlier turn the player let pass are not left on the table.
        for (int i = 0; i < 2; ++i) f.Operation[i].Visible = f.Operation[i].Enabled = false;
    }
    HideEntries(c, r.g_TrickHist2, 33);
    HideEntries(c, r.g_TrickHist1, 33);
    if (r.g_TrickPlays == 4) ClearTable(c);
    if (p[17] != 0) {
        DaPai(c, p);
        ++r.g_TrickPlays;
    }
    if ((p[8] & 15) == OwnSeatBit(c)) {
        if (r.g_TrickPlays >= 4) {
            if (!WaitMs(c, 1000)) return;
            ClearTable(c);
        }
        if (p[15] < 10) {
            for (int i = 0; i < 2; ++i) {
                f.Operation[i].Visible = f.Operation[i].Enabled = true;
                f.Operation[i].ZOrder(0);
            }
            r.g_PlayEnabled = true;
            r.g_PlayLocked = false;
        }
    }
    c.pump.g_Countdown = static_cast<std::int16_t>(AwaySeconds(c, p[215] < 2 ? c.login.g_ShortTurnTime : p[215]));
    c.pump.g_PlayTimer = true;
    c.pump.g_PlayTicks = 0;
    if (p[15] == 10) return;
    ShowClockAt(c, f.Time_Img.Left, f.Time_Img.Top);
}

bool PlayCountdownAutoPlay(Client& c) {
    auto& r = c.round;
    if (!(r.g_HandRunOut && r.g_MyTurn && !r.g_PlayLocked)) return false;
    AutoPlay(c);
    return true;
}

// The prompt switch of the sound settings has no state yet: the warning follows the effects switch.
void PlayCountdownWarning(Client& c) { Effect(c, "\\..\\common\\music\\tishi.wav"); }

void OnPlayCountdownEnd(Client& c) {
    auto& r = c.round;
    auto& f = c.main;
    for (int i = 0; i < 2; ++i) f.Operation[i].Visible = f.Operation[i].Enabled = false;
    if (r.g_MyTurn) {
        if (!c.table.g_TimeoutMark) {
            ++c.pump.g_TimeoutCount;
            // Too many turns let run out: the table goes away as with F1.
            if (c.pump.g_TimeoutLimit > 0 && c.pump.g_TimeoutCount >= c.pump.g_TimeoutLimit) OnTableKeyDown(c, kKeyF1, 0);
        }
        if (!r.g_PlayLocked) AutoPlay(c);
        r.g_MyTurn = false;
    }
    if (r.ChuPai) r.ChuPai->Hide();
    HideClock(c);
}
}  // namespace zorvan
