#include "shell/shell.h"

#include <algorithm>
#include <string>

#include "core/client.h"
#include "core/lobby.h"
#include "media/images.h"
#include "props/plugin.h"
#include "records/settle.h"
#include "shell/skin.h"
#include "social/bubbles.h"
#include "social/memory.h"
#include "social/phrases.h"
#include "table/buttons.h"

namespace zorvan {
namespace {

constexpr int kTwips = 15;
constexpr int kNormal = 1, kHighlighted = 2, kPressed = 3;

// Gives an image a named picture at the picture's own size (twips on the form).
void SetNamedPicture(Client& c, ui::Image& img, const char* name) {
    img.picture = ui::Picture::Named(name);
    auto size = PictureSize(c, img.picture);
    img.Width = size.width * kTwips;
    img.Height = size.height * kTwips;
}

void ShowState(ui::ControlArray<ui::Image>& button, int element) {
    if (button.exists(element)) button[0].picture = button[element].picture;
}

void BuildCaptionButton(Client& c, ui::ControlArray<ui::Image>& button, const char* name,
                        const char* tooltip) {
    MainForm& f = c.main;
    static const char* const kStates[] = {"normal", "normal", "highlighted", "pressed"};
    for (int i = 0; i <= 3; ++i) {
        auto& img = f.addArrayElement(button, name, i);
        SetNamedPicture(c, img, (std::string(name) + "_" + kStates[i]).c_str());
        img.Visible = i == 0;
    }
    button[0].ToolTipText = tooltip;
    auto& b = button;
    button[0].events.MouseMove = [&c, &b](ui::Control&, const ui::MouseEvent&) { CaptionButtonMouseMove(c, b); };
    button[0].events.MouseDown = [&c, &b](ui::Control&, const ui::MouseEvent&) { CaptionButtonMouseDown(c, b); };
    button[0].events.MouseUp = [&c, &b](ui::Control&, const ui::MouseEvent&) { CaptionButtonMouseUp(c, b); };
}

void ExitButtonAction(Client& c) {
    // The close picture does what the exit button (AnNiu 8) does.
    auto& a = c.main.AnNiu;
    if (a.exists(8) && a[8].events.Click) a[8].events.Click(a[8]);
}

}  // namespace

void BuildShellControls(Client& c) {
    MainForm& f = c.main;
    // The frame pieces first, so that everything else of the frame lies in front of them.
    for (int i = 0; i < 8; ++i) {
        auto& piece = f.addArrayElement(f.SkinPiece, "SkinPiece", i);
        piece.Stretch = true;
        piece.Visible = false;
    }
    f.add(f.Skin, "Skin");
    SetNamedPicture(c, f.Skin, "Skin");
    f.Skin.Visible = false;

    f.add(f.ImgIcon, "ImgIcon");
    f.ImgIcon.picture = ui::Picture::Named("ImgIcon");
    f.ImgIcon.Stretch = true;
    f.ImgIcon.Move(50, 50, 240, 240);

    f.add(f.lcaption, "lcaption");
    f.lcaption.Caption = "Zorvan";
    f.lcaption.ForeColor = ui::kWhite;
    f.lcaption.BackTransparent = true;
    f.lcaption.FontSize = 9;
    f.lcaption.FontBold = true;
    f.lcaption.Move(300, 25, 1800, 240);

    // The drag strip lies over the caption text, so the whole strip drags.
    f.add(f.LbMove, "LbMove");
    f.LbMove.BackTransparent = true;
    f.LbMove.events.MouseDown = [&c](ui::Control&, const ui::MouseEvent& e) { DragStripMouseDown(c, e.button); };
    f.LbMove.events.MouseMove = [&c](ui::Control&, const ui::MouseEvent&) { CaptionToNormal(c); };

    BuildCaptionButton(c, f.ImgClose, "ImgClose", "关闭");
    BuildCaptionButton(c, f.ImgMin, "ImgMin", "最小化");
    f.ImgClose[0].events.Click = [&c](ui::Control&) { ExitButtonAction(c); };
    f.ImgMin[0].events.Click = [&c](ui::Control&) { MinimizeMainWindow(c); };

    f.events.MouseMove = [&c](const ui::MouseEvent&) { CaptionToNormal(c); };
    f.events.Resize = [&c] { OnMainResize(c); };
    f.events.Activate = [&c] { OnMainActivate(c); };

    // Design-time place of the caption controls: the frame of the large window.
    f.Width = kMainWidthTwips;
    f.Height = kMainHeightTwips;
    PaintSkin(c);
    for (int i = 0; i < 8; ++i) f.SkinPiece[i].Visible = false;
}

void SizeDesignPictures(Client& c) {
    for (ui::Control* ctl : c.main.allControls()) {
        auto* img = dynamic_cast<ui::Image*>(ctl);
        if (!img || img->Stretch || img->picture.empty() || img->Width > 0 || img->Height > 0) continue;
        auto size = PictureSize(c, img->picture);
        auto* box = dynamic_cast<ui::PictureBox*>(ctl->container());
        const double unit = box && box->ScalePixels ? 1 : kTwips;
        img->Width = size.width * unit;
        img->Height = size.height * unit;
    }
}

void PaintSkin(Client& c) {
    MainForm& f = c.main;
    const double w = f.Width, h = f.Height;
    struct Piece { const char* name; double x, y, w, h; };
    // Corners at their own size, edges stretched between them (twips).
    const Piece pieces[8] = {
        {"skin_top_left", 0, 0, 120, 300},
        {"skin_top", 120, 0, w - 240, 300},
        {"skin_top_right", w - 120, 0, 120, 300},
        {"skin_left", 0, 300, 120, h - 420},
        {"skin_right", w - 120, 300, 120, h - 420},
        {"skin_bottom_left", 0, h - 120, 120, 120},
        {"skin_bottom", 120, h - 120, w - 240, 120},
        {"skin_bottom_right", w - 120, h - 120, 120, 120},
    };
    for (int i = 0; i < 8; ++i) {
        auto& img = f.SkinPiece[i];
        img.picture = ui::Picture::Named(pieces[i].name);
        img.Move(pieces[i].x, pieces[i].y, pieces[i].w, pieces[i].h);
        img.Visible = true;
    }
    auto& close = f.ImgClose[0];
    close.Move(w - close.Width - 70, 25);
    auto& min = f.ImgMin[0];
    min.Move(close.Left - min.Width - 30, 25);
    f.LbMove.Move(290, 0, std::max(0.0, min.Left - 290), close.Height + 50);
    f.lcaption.Move(300, 25);
    ++f.revision;
}

void SetMainWindowState(Client& c, ui::WindowState state) {
    if (c.main.windowState == state) return;
    c.main.windowState = state;
    ++c.main.revision;
    if (c.main.events.Resize) c.main.events.Resize();
}

void MinimizeMainWindow(Client& c) { SetMainWindowState(c, ui::WindowState::Minimised); }

void OnMainResize(Client& c) {
    MainForm& f = c.main;
    if (f.windowState == ui::WindowState::Minimised) {
        HideSpeechBubbles(c);
        return;
    }
    f.raiseRequested = true;
    MinimizeLobby(c);
    if (c.table.g_Away) {
        c.login.g_HiddenMode = false;
        c.table.g_Away = false;
        c.login.g_ShortTurnTime = 1;
        ClearTimeoutMark(c);
    }
    c.pump.g_TimeoutCount = 0;
    if (SettledRounds(c) > 0 || c.round.g_GameInProgress) ResetSpeechBubbles(c);
    if (PluginLoaded(c)) PluginFixBuffPos(c);
}

void OnMainActivate(Client& c) { c.main.Chat.SetFocus(); }

void CaptionButtonMouseMove(Client& c, ui::ControlArray<ui::Image>& button) {
    // A button still showing its normal picture lights up even when the other one is lit, so that
    // moving straight from one to the other lights both; a pressed button stays pressed.
    bool normal = button.exists(kNormal) && button[0].picture == button[kNormal].picture;
    if (c.shell.CaptionNormal || normal) {
        ShowState(button, kHighlighted);
        c.shell.CaptionNormal = false;
    }
}

void CaptionButtonMouseDown(Client& c, ui::ControlArray<ui::Image>& button) { ShowState(button, kPressed); }
void CaptionButtonMouseUp(Client& c, ui::ControlArray<ui::Image>& button) { ShowState(button, kHighlighted); }

void CaptionToNormal(Client& c) {
    if (c.shell.CaptionNormal) return;
    ShowState(c.main.ImgClose, kNormal);
    ShowState(c.main.ImgMin, kNormal);
    c.shell.CaptionNormal = true;
}

void DragStripMouseDown(Client& c, int button) {
    if (button != static_cast<int>(ui::MouseButton::Left)) return;
    HideChatHistory(c);
    HidePhraseWindow(c);
    c.main.moveRequested = true;
}

void MakeTranslucent(Client& c, ui::Form& form, Translucency kind) {
    form.Opacity = (kind == Translucency::Secondary && c.os.screen.supportsOpacity()) ? 200 : 255;
    ++form.revision;
}

}  // namespace zorvan
