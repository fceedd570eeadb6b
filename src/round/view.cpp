#include "round/view.h"

#include <algorithm>

#include "core/client.h"
#include "core/lobby.h"
#include "media/images.h"
#include "rules/hand.h"

namespace zorvan {

double SX(const Client& c, double px) { return px * c.layout.g_ScaleX; }
double SY(const Client& c, double px) { return px * c.layout.g_ScaleY; }
bool FullLayout(const Client& c) { return c.layout.g_ScaleX == 1.0; }

bool SetGif(Client& c, ui::Image& img, int id) { return LoadGifResource(c, id, "GIF", img) == 1; }

bool MainWindowNormal(const Client& c) { return c.main.windowState == ui::WindowState::Normal; }

void ShowTishi(Client& c, const std::string& line0, const std::string& line1) {
    auto& t = *c.round.frmTishi;
    t.lbTishi[0].Caption = line0;
    t.lbTishi[1].Caption = line1;
    // Centred horizontally on the main window; top at (0.8 x its height - own height) / 2.
    t.Left = c.main.Left + (c.main.Width - t.Width) / 2;
    t.Top = c.main.Top + static_cast<int>((0.8 * c.main.Height - t.Height) / 2);
    t.Topmost = true;
    t.Show();
    ++t.revision;
}

void HideTishi(Client& c) {
    auto& t = *c.round.frmTishi;
    t.lbTishi[0].Caption.clear();
    t.lbTishi[1].Caption.clear();
    t.Hide();
}

bool TishiVisible(const Client& c) { return c.round.frmTishi->Visible; }

void ShowClockAt(Client& c, double left, double top) {
    auto& f = c.main;
    f.Time_Img.Left = left;
    f.Time_Img.Top = top;
    f.Number.Left = left + SX(c, 48);
    f.Number.Top = top + SY(c, 5);
    f.Number.Caption = std::to_string(c.pump.g_Countdown);
    f.Number.ForeColor = ui::kGreen;
    f.Number.Visible = true;
    f.Time_Img.Visible = true;
    f.Time_Img.ZOrder(0);
    f.Number.ZOrder(0);
}

void HideClock(Client& c) {
    c.main.Time_Img.Visible = false;
    c.main.Number.Visible = false;
}

int AwaySeconds(const Client& c, int seconds) { return c.table.g_Away ? 1 : seconds; }

ui::Image& SlotImage(Client& c, int slot) {
    return c.main.cardImage0[c.seats.player[0].hand.card.at(static_cast<std::size_t>(slot)).imgIndex];
}

void ShowCardPicture(Client& c, int position, int imgIndex, int code) {
    if (position < 0 || position > 3) return;
    int row = code / 16;
    bool refused = code > 127 || (code % 16 < 3 && (row == 0 || row == 2 || row == 3 || row == 4 || row == 6 || row == 7));
    if (code < 0 || refused) {
        c.main.windowState = ui::WindowState::Minimised;
        RestoreLobby(c);
        return;
    }
    ui::ControlArray<ui::Image>* arrays[] = {&c.main.cardImage0, &c.main.cardImage1, &c.main.cardImage2,
                                            &c.main.cardImage3};
    // Codes past the card table (rows 4..7) have no picture of their own.
    int id = code < static_cast<int>(c.images.cards.size()) ? c.images.cards[static_cast<std::size_t>(code)] : 0;
    LoadGifResource(c, id, "GIF", (*arrays[position])[imgIndex]);
}

bool IsHandImage(const Client& c, int imgIndex) {
    const auto& h = c.seats.player[0].hand;
    for (int i = 0; i < h.count; ++i)
        if (h.card[static_cast<std::size_t>(i)].imgIndex == imgIndex) return true;
    return false;
}

namespace {
void LocationGroupToFront(Client& c) {
    for (ui::Control* ctl : std::initializer_list<ui::Control*>{&c.main.imgLocation, &c.main.Location, &c.main.imgword1,
                                                                &c.main.imgword2, &c.main.Bank})
        ctl->ZOrder(0);
}
void HideSlots(Client& c, int n) {
    for (int i = 0; i < n; ++i) {
        auto& img = SlotImage(c, i);
        img.Visible = false;
        img.Enabled = false;
    }
}
}  // namespace

void RedrawHand(Client& c, int n) {
    const auto& h = c.seats.player[0].hand;
    for (int i = 0; i < n; ++i) {
        const auto& s = h.card[static_cast<std::size_t>(i)];
        ShowCardPicture(c, 0, s.imgIndex, rules::PictureCode(s.value));
    }
}

void SortHandByHs(Client& c, int n) {
    n = std::clamp(n, 0, rules::kHandSlots);
    HideSlots(c, n);
    rules::sortbyhs(c.seats.player[0].hand, n, c.round.trump);
    RedrawHand(c, n);
    if (n > 10) LocationGroupToFront(c);
}

void SortHandByVal(Client& c, int n) {
    n = std::clamp(n, 0, rules::kHandSlots);
    HideSlots(c, n);
    rules::sortbyval(c.seats.player[0].hand, n, c.round.trump);
    RedrawHand(c, n);
    if (n > 10) LocationGroupToFront(c);
}

int StandardHandOffset(const Client& c) {
    if (!FullLayout(c)) return -100;
    return c.table.g_ScreenWidth > 1024 ? -120 : 0;
}

void ArrangeHandPictures(Client& c, int offset, int n) {
    if (n < 1) return;
    rules::HandLayout layout;
    layout.cardWidth = c.main.cardImage0[c.seats.player[0].hand.card[0].imgIndex].Width;
    // Centred on the screen width; at full size never past a 1280-pixel screen, so that a wide
    // screen does not push the hand past the table's right edge.
    layout.screenWidth = FullLayout(c) ? std::min(c.table.g_ScreenWidth, 1280) : c.table.g_ScreenWidth;
    layout.scaleX = c.layout.g_ScaleX;
    layout.offset = offset;
    auto lefts = rules::ArrangeHand(c.seats.player[0].hand, n, layout, c.round.trump);
    for (int i = 0; i < static_cast<int>(lefts.size()); ++i) SlotImage(c, i).Left = lefts[static_cast<std::size_t>(i)];
    if (n >= 6) LocationGroupToFront(c);
}

void RedisplayHand(Client& c) {
    int n = c.seats.player[0].hand.count;
    SortHandByHs(c, n);
    SortHandByVal(c, n);
    ArrangeHandPictures(c, StandardHandOffset(c), n);
    for (int i = 0; i < n; ++i) {
        auto& img = SlotImage(c, i);
        img.Visible = true;
        img.Enabled = true;
    }
}

bool SlotRaised(const Client& c, int slot) {
    const auto& s = c.seats.player[0].hand.card.at(static_cast<std::size_t>(slot));
    return c.main.cardImage0[s.imgIndex].Top < c.table.g_HandTop;
}

}  // namespace zorvan
