#include <gtest/gtest.h>

#include <algorithm>

#include "core/client.h"
#include "shell/shell.h"
#include "shell/skin.h"
#include "sim/sim_platform.h"

namespace zorvan {
namespace {

constexpr const char* kLobby = "Quenlo山庄";

struct ShellTest : ::testing::Test {
    sim::SimLoop loop;
    sim::SimDesktop desk;
    sim::SimPlatform sim{loop, desk};
    Client c{sim.os};
    MainForm& f = c.main;

    ui::Picture pic(const char* name) { return ui::Picture::Named(name); }
    void move(ui::Control& ctl) { ctl.events.MouseMove(ctl, {}); }
    void moveOverWindow() { f.events.MouseMove({}); }
};

TEST_F(ShellTest, SkinPiecesAndCaptionControlsFollowTheWindowSize) {
    f.Width = 15600;
    f.Height = 11940;
    PaintSkin(c);
    struct Want { const char* picture; double x, y, w, h; };
    const Want want[8] = {
        {"skin_top_left", 0, 0, 120, 300},          {"skin_top", 120, 0, 15360, 300},
        {"skin_top_right", 15480, 0, 120, 300},     {"skin_left", 0, 300, 120, 11520},
        {"skin_right", 15480, 300, 120, 11520},     {"skin_bottom_left", 0, 11820, 120, 120},
        {"skin_bottom", 120, 11820, 15360, 120},    {"skin_bottom_right", 15480, 11820, 120, 120},
    };
    for (int i = 0; i < 8; ++i) {
        const auto& p = f.SkinPiece[i];
        EXPECT_EQ(p.picture, pic(want[i].picture));
        EXPECT_TRUE(p.Visible && p.Stretch) << i;
        EXPECT_EQ((std::array<double, 4>{p.Left, p.Top, p.Width, p.Height}),
                  (std::array<double, 4>{want[i].x, want[i].y, want[i].w, want[i].h})) << want[i].picture;
    }
    // 16-pixel caption pictures: 240 twips.
    EXPECT_EQ(f.ImgClose[0].Left, 15600 - 240 - 70);
    EXPECT_EQ(f.ImgClose[0].Top, 25);
    EXPECT_EQ(f.ImgMin[0].Left, 15290 - 240 - 30);
    EXPECT_EQ(f.LbMove.Left, 290);
    EXPECT_EQ(f.LbMove.Width, 15020 - 290);
    EXPECT_EQ(f.LbMove.Height, 240 + 50);
    EXPECT_EQ(f.lcaption.Caption, "Zorvan");
    EXPECT_EQ(f.lcaption.ForeColor, ui::kWhite);
    EXPECT_EQ(f.ImgClose[0].ToolTipText, "关闭");
    EXPECT_EQ(f.ImgMin[0].ToolTipText, "最小化");
}

TEST_F(ShellTest, CaptionButtonsHighlightPressAndReturnToNormal) {
    auto& close = f.ImgClose[0];
    auto& min = f.ImgMin[0];
    EXPECT_EQ(close.picture, pic("ImgClose_normal"));
    EXPECT_TRUE(c.shell.CaptionNormal);

    move(close);
    EXPECT_EQ(close.picture, pic("ImgClose_highlighted"));
    EXPECT_FALSE(c.shell.CaptionNormal);
    // Straight from close to minimise: both lit until the background or the strip is reached.
    move(min);
    EXPECT_EQ(min.picture, pic("ImgMin_highlighted"));
    EXPECT_EQ(close.picture, pic("ImgClose_highlighted"));
    moveOverWindow();
    EXPECT_EQ(close.picture, pic("ImgClose_normal"));
    EXPECT_EQ(min.picture, pic("ImgMin_normal"));
    EXPECT_TRUE(c.shell.CaptionNormal);

    move(min);
    min.events.MouseDown(min, {});
    EXPECT_EQ(min.picture, pic("ImgMin_pressed"));
    move(min);  // moving while pressed keeps it pressed
    EXPECT_EQ(min.picture, pic("ImgMin_pressed"));
    min.events.MouseUp(min, {});
    EXPECT_EQ(min.picture, pic("ImgMin_highlighted"));
    move(f.LbMove);
    EXPECT_EQ(min.picture, pic("ImgMin_normal"));
    // The picture holders never react.
    EXPECT_FALSE(f.ImgClose[2].events.MouseMove);
}

TEST_F(ShellTest, MinimisePictureMinimisesAndRestoreRaises) {
    f.windowState = ui::WindowState::Normal;
    f.ImgMin[0].events.Click(f.ImgMin[0]);
    EXPECT_EQ(f.windowState, ui::WindowState::Minimised);
    EXPECT_FALSE(f.raiseRequested);
    SetMainWindowState(c, ui::WindowState::Normal);
    EXPECT_TRUE(f.raiseRequested);
}

TEST_F(ShellTest, DragStripAsksForAMoveWithTheLeftButtonOnly) {
    ui::MouseEvent right;
    right.button = 2;
    f.LbMove.events.MouseDown(f.LbMove, right);
    EXPECT_FALSE(f.moveRequested);
    f.LbMove.events.MouseDown(f.LbMove, {});
    EXPECT_TRUE(f.moveRequested);
}

TEST_F(ShellTest, ActivateFocusesTheChatBox) {
    f.events.Activate();
    EXPECT_EQ(f.focused, &f.Chat);
}

TEST_F(ShellTest, RestoringMinimisesTheLobbyAndEndsTheAwayState) {
    desk.addRecorder(kLobby);
    c.login.g_LobbyTitle = kLobby;
    struct Case { bool away; bool hiddenAfter; };
    for (Case k : {Case{true, false}, Case{false, true}}) {
        f.windowState = ui::WindowState::Minimised;
        c.table.g_Away = k.away;
        c.login.g_HiddenMode = true;
        c.login.g_ShortTurnTime = 0;
        c.pump.g_TimeoutCount = 3;
        desk.log.clear();
        SetMainWindowState(c, ui::WindowState::Normal);
        loop.runDue();
        EXPECT_EQ(c.login.g_HiddenMode, k.hiddenAfter);
        EXPECT_EQ(c.login.g_ShortTurnTime, k.away ? 1 : 0);
        EXPECT_FALSE(c.table.g_Away);
        EXPECT_EQ(c.pump.g_TimeoutCount, 0);
        auto posted = desk.to(kLobby);
        ASSERT_EQ(posted.size(), 1u);
        EXPECT_EQ(posted[0].msg, 274);
        EXPECT_EQ(posted[0].w, 61472);
    }
}

TEST_F(ShellTest, SecondaryWindowsTranslucentOnlyWhereTheWindowSystemCan) {
    ui::Form w("w");
    struct Case { bool supports; Translucency kind; int opacity; };
    for (Case k : {Case{true, Translucency::Secondary, 200}, Case{false, Translucency::Secondary, 255},
                   Case{true, Translucency::NoticeOrDetails, 255}}) {
        sim.screen.opacity = k.supports;
        w.Opacity = 17;
        MakeTranslucent(c, w, k.kind);
        EXPECT_EQ(w.Opacity, k.opacity);
    }
}

TEST_F(ShellTest, RoomNameIsDrawnOverItsPlateInALightColour) {
    const auto& order = f.children(&f.Pic1);
    auto at = [&](const ui::Control& ctl) { return std::find(order.begin(), order.end(), &ctl) - order.begin(); };
    ASSERT_LT(at(f.imgLocation), static_cast<long>(order.size()));
    EXPECT_GT(at(f.Location), at(f.imgLocation));
    const ui::Rgb col = f.Location.ForeColor;
    EXPECT_GT(col.r + col.g + col.b, 3 * 128) << "dark text on the dark plate";
}

}  // namespace
}  // namespace zorvan
