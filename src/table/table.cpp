#include "table/table.h"

#include "core/client.h"
#include "core/packets.h"
#include "core/pump.h"
#include "core/trace.h"
#include "props/plugin.h"
#include "props/roster.h"
#include "records/boards.h"
#include "round/calling.h"
#include "round/view.h"
#include "social/memory.h"
#include "table/leave.h"
#include "table/seats.h"

namespace zorvan {
namespace {

void Place(Client& c, ui::Control& ctl, double left, double top, double width, double height) {
    ctl.Move(SX(c, left), SY(c, top), SX(c, width), SY(c, height));
}

// The round's anchors: the hand's base line, the deal's first left, the call grid and the
// played-card anchors of the four positions.
void SetAnchors(Client& c) {
    auto& t = c.table;
    t.g_HandTop = Round16(SY(c, 565));
    t.g_DealLeft = FullLayout(c) ? 160 : Round16(SX(c, 180));
    t.g_CallGridLeft = Round16(SX(c, 275));
    t.g_CallGridTop = Round16(t.g_HandTop - SY(c, 90));
    const double anchor[4][2] = {{500, 430}, {170, 300}, {300, 165}, {550, 300}};
    for (int p = 0; p < 4; ++p) {
        auto& rec = c.seats.player[static_cast<std::size_t>(p)];
        rec.anchorX = Round16(SX(c, anchor[p][0]));
        rec.anchorY = Round16(SY(c, anchor[p][1]));
    }
}

// The call options: one suit a row (single, pair, pair), spades at the bottom row; the two joker
// pairs in the top row, so the images of a pair always sit side by side.
void LayOutCallOptions(Client& c) {
    auto& f = c.main;
    for (int i = 0; i < 16; ++i) {
        int row = i < 12 ? i / 3 : 4;
        int k = i < 12 ? i % 3 : i - 12;
        auto& img = f.imgJiaoZhu[i];
        img.Move(c.table.g_CallGridLeft + SX(c, 22 * k), c.table.g_CallGridTop - SY(c, 65 * row), SX(c, 45), SY(c, 60));
        img.Stretch = true;
        img.Visible = false;
        img.Enabled = false;
    }
    c.round.g_CallOptions.fill(false);
}

void ClearPositionSeat(Client& c, int pos) {
    auto& f = c.main;
    auto& u = c.seats.info[static_cast<std::size_t>(pos)];
    u.voiceCode.clear();
    ClearPositionControls(c, pos);
    f.Sysmsg[0].Clear();
    c.seats.player[static_cast<std::size_t>(pos)].name.clear();
    ClearChatMemory(c, pos);
    u = UserInfo{};
    ClearBoardPlayer(c, pos);
    if (PluginLoaded(c)) PluginClearUser(c, pos);
}

void ShowWealth(Client& c, std::int32_t value) {
    c.main.lbwealth.Caption = std::to_string(value);
    c.main.lbwealth.FontSize = value < 100 ? 18 : 13;
    c.main.Imgwealth.Visible = true;
    c.main.lbwealth.Visible = true;
}

}  // namespace

void ResetTable(Client& c) {
    auto& f = c.main;
    auto& r = c.round;
    bool full = FullLayout(c);
    // 1.
    for (int i = 0; i < 3; ++i) f.Speak[i].Visible = false;
    HideChatHistory(c);
    // 2.
    SetAnchors(c);
    // 3. Score-point marks.
    for (int i = 0; i < 24; ++i) {
        Place(c, f.imgDeFen[i], 10 + 16 * i, 100, 45, 60);
        f.imgDeFen[i].Stretch = true;
        f.imgDeFen[i].Visible = false;
    }
    f.lblDeFen.Caption.clear();
    // 4. Card pictures, the fans, card counts.
    for (auto* a : {&f.cardImage0, &f.cardImage1, &f.cardImage2, &f.cardImage3})
        for (int i = 0; i <= 32; ++i) (*a)[i].Visible = false;
    for (int i = 0; i <= 32; ++i) {
        f.cardImage0[i].Enabled = false;
        f.cardImage0[i].Width = SX(c, 90);
        f.cardImage0[i].Height = SY(c, 120);
    }
    for (int i = 0; i < 3; ++i) f.shanImage[i].Visible = false;
    PlaceFans(c);
    for (auto& rec : c.seats.player) rec.hand.count = 0;
    // 5.
    c.pump.g_CallTimer = false;
    c.pump.g_SecondTicks = 0;
    r.lead = rules::LeadRecord{};
    r.g_LeadSingles = 0;
    r.g_LeadRuns = 0;
    r.g_LeadRunLengths.fill(0);
    r.g_ChuPaiQuan = false;
    r.g_MyTurn = false;
    r.g_PlayLocked = false;
    // 6. Play buttons.
    for (int i = 0; i < 2; ++i) {
        f.Operation[i].Visible = false;
        f.Operation[i].Enabled = false;
    }
    for (int i = 2; i < 5; ++i) {
        f.Operation[i].Visible = true;
        f.Operation[i].Enabled = false;
        f.Operation[i].ZOrder(0);
    }
    Place(c, f.imgKanDiPai, 942, 515, 52, 25);
    f.imgKanDiPai.Stretch = true;
    // 7.
    LayOutCallOptions(c);
    // 8. The clock, the bottom, the markers and the frames, hidden and placed.
    HideClock(c);
    for (int i = 0; i < 8; ++i) f.imgDiPai[i].Visible = false;
    for (int i = 0; i < 2; ++i) f.imgXianShiDiPai[i].Visible = false;
    for (ui::Image* img : {&f.ImageZhuangJia, &f.imgBaopai, &f.imgBaopaiKuang, &f.ImageGuo, &f.ImageGaiPai, &f.Imgfanzhu})
        img->Visible = false;
    Place(c, f.ImageGuo, 420, 475, 60, 30);
    Place(c, f.imgBaopaiKuang, 265, 205, 150, 340);
    Place(c, f.Imgfanzhu, 265, 205, 150, 340);
    f.imgBaopaiKuang.Stretch = f.Imgfanzhu.Stretch = true;
    Place(c, f.imgBaopai, 900, 430, 122, 190);
    Place(c, f.ImageGaiPai, 450, 450, 66, 32);
    Place(c, f.ImageZhuangJia, full ? 110 : 110, full ? 475 : 465, 40, 50);
    for (int i = 0; i < 2; ++i) {
        f.imgXianShiDiPai[i].Width = SX(c, 90);
        f.imgXianShiDiPai[i].Height = SY(c, 120);
        f.imgXianShiDiPai[i].Stretch = true;
    }
    // 9. Round details and the per-round arrays.
    for (int i = 0; i < 7; ++i) r.frmMingXi->lbMingXi[i].Caption.clear();
    // 10. Reconnect counters and the round flags (the arrays of step 9 are part of this reset).
    ResetReconnectCounters(c);
    ResetRoundState(r);
    c.pump.g_CallTimer = false;
    r.g_StopDeal = true;
    r.g_DealStep = 0;
}

void SendReady(Client& c) {
    Packet p = MakePacket(16);
    p[6] = static_cast<std::uint8_t>(OwnSeatBit(c));
    p[15] = 1;
    SendPacket(c, p);
}

void PlayerGetsReady(Client& c, bool queueReady) {
    if (!c.table.g_TableReset) {
        ResetTable(c);
        ResetForNextRound(c);
        c.table.g_TableReset = true;
    }
    if (queueReady) SendReady(c);
    if (c.table.g_ShufflePending && c.table.g_SeatShuffle) StartRandomSeatDisplay(c);
}

void StartRandomSeatDisplay(Client& c) {
    auto& f = c.main;
    f.ImgShuffle.Visible = true;
    f.ImgShuffle.ZOrder(0);
    f.LblShuffle.Visible = true;
    f.LblShuffle.ZOrder(0);
    c.pump.g_ShuffleIndex = 0;
    TimerShuffleTick(c);
    if (f.TimerShuffle) {
        f.TimerShuffle->setInterval(300);
        f.TimerShuffle->setEnabled(true);
    }
    c.login.WebBrowser2.url = c.login.g_AdPage;
    c.login.WebBrowser2.Visible = true;
    c.table.g_ShuffleShown = true;
    c.table.g_ShufflePending = false;
}

void StopRandomSeatDisplay(Client& c) {
    if (c.main.TimerShuffle) c.main.TimerShuffle->setEnabled(false);
    c.main.ImgShuffle.Visible = false;
    c.main.LblShuffle.Visible = false;
    c.login.WebBrowser2.Visible = false;
    c.table.g_ShufflePending = false;
    c.table.g_ShuffleShown = false;
}

void TimerShuffleTick(Client& c) {
    auto& n = c.pump.g_ShuffleIndex;
    if (n < 0 || n > 3) n = 0;
    c.main.LblShuffle.Caption = c.pump.g_ShuffleTexts[static_cast<std::size_t>(n)];
    n = (n + 1) % 4;
}

void HandleTableAnnounce(Client& c, const Packet& p) {
    auto& f = c.main;
    int kind = U8(p, 15);
    if (kind == 0) {
        if (c.table.g_TableOpen) {
            c.table.g_TableOpen = false;
            if (!c.login.g_Spectator) {
                if (U8(p, 11) == 1) c.table.g_SeatShuffle = true;
                // The countdown and the random-seat display beside the multiplier image.
                f.Time_Img.Left = f.Imgwealth.Left + f.Imgwealth.Width - 50;
                f.Time_Img.Top = f.Imgwealth.Top - 120;
                f.Number.Left = f.Time_Img.Left + 48;
                f.Number.Top = f.Time_Img.Top + 5;
                f.ImgShuffle.Left = f.Time_Img.Left + f.Time_Img.Width + 6;
                f.ImgShuffle.Top = f.Number.Top + 2;
                f.LblShuffle.Left = f.ImgShuffle.Left;
                f.LblShuffle.Top = f.ImgShuffle.Top + 6;
                auto& web = c.login.WebBrowser2;
                web.Left = f.ImgShuffle.Left;
                web.Top = f.ImgShuffle.Top + f.ImgShuffle.Height;
                c.table.g_ShufflePending = true;
                if (U8(p, 13) == 1) StartRandomSeatDisplay(c);
            }
        }
        if (U8(p, 13) != 1 && c.seats.g_WealthMultiplier != 0) {
            c.seats.g_WealthMultiplier = I32LE(p, 16);
            ShowWealth(c, c.seats.g_WealthMultiplier);
        } else {
            f.Imgwealth.Visible = false;
            f.lbwealth.Visible = false;
        }
        return;
    }
    if (kind == 1 || kind == 2) return;
    // Players without enough coins, in seat order.
    int seats = U8(p, 6);
    for (int bit : {1, 2, 4, 8}) {
        if (!(seats & bit)) continue;
        int pos = ScreenPosition(c, bit);
        f.Sysmsg[0].Clear();
        f.Sysmsg[0].AddItem("玩家" + PositionName(c, pos) + "金币不够，退出游戏！");
        c.table.g_TableReset = false;
        c.round.g_GameInProgress = false;
        if (pos != 0) continue;
        ShowScoreBoardCentred(c);
        std::string why = (U8(p, 11) & OwnSeatBit(c)) != 0 ? "您的金币不够，请更换房间或充值后继续游戏！"
                                                             : "您的金币不够，请领取低保或充值后继续游戏！";
        if (MainWindowNormal(c)) ShowOtherExit(c, why);
        for (int other = 1; other <= 3; ++other)
            if (!c.seats.player[static_cast<std::size_t>(other)].name.empty()) ClearPositionSeat(c, other);
        StopKeepAlive(c);
        StopGameAndCloseTable(c);
        SendLeavePacket(c);
        if (PluginEndDisplayActive(c)) {
            PluginMarkEndDisplayClose(c);
        } else if (PluginLoaded(c)) {
            PluginShutdown(c, 0);
        }
    }
    if (c.login.g_Spectator) {
        ShowMessageBox(c, "有用户退出，旁观结束！", "提示");
        c.os.EndProgram();
    }
}

}  // namespace zorvan
