// The table's controls: their registration on the main window, the control arrays loaded at
// start-up and their places (table pixels times the layout factors).
#include <string>

#include "core/client.h"
#include "round/bottom.h"
#include "round/calling.h"
#include "round/trump.h"
#include "round/trick.h"
#include "round/view.h"
#include "table/buttons.h"
#include "table/table.h"

namespace zorvan {
namespace {

void Place(Client& c, ui::Control& ctl, double left, double top, double width, double height) {
    ctl.Move(SX(c, left), SY(c, top), SX(c, width), SY(c, height));
}

template <class T>
void LoadArray(ui::ControlArray<T>& a, int upTo) {
    for (int i = 1; i <= upTo; ++i) a.Load(i);
}

void BuildMingXi(Client& c) {
    auto& m = *c.round.frmMingXi;
    m.Caption = "本局明细";
    m.picture = ui::Picture::Named("frmMingXi");
    m.Width = 240 * 15;
    m.Height = 230 * 15;
    for (int i = 0; i < 7; ++i) {
        auto& l = m.addArrayElement(m.lbMingXi, "lbMingXi", i);
        l.Move(110 * 15, (40 + 26 * i) * 15, 120 * 15, 20 * 15);
    }
    m.lbMingXi[6].Move(20 * 15, 40 * 15 + 26 * 6 * 15, 210 * 15, 20 * 15);
    m.lbMingXi[6].Visible = false;
    const char* start[] = {"2", "2", "0", "0"};
    for (int i = 0; i < 4; ++i) m.lbMingXi[i].Caption = start[i];
}

void BuildTishi(Client& c) {
    auto& t = *c.round.frmTishi;
    t.Caption = "提示";
    t.picture = ui::Picture::Named("frmTishi");
    t.Width = 320 * 15;
    t.Height = 96 * 15;
    for (int i = 0; i < 2; ++i) {
        auto& l = t.addArrayElement(t.lbTishi, "lbTishi", i);
        l.Move(20 * 15, (24 + 28 * i) * 15, 280 * 15, 20 * 15);
        l.alignment = ui::Alignment::Center;
        l.events.Click = [&t](ui::Control&) { t.Hide(); };
    }
    t.events.MouseDown = [&t](const ui::MouseEvent&) { t.Hide(); };
}

}  // namespace

void BuildTableControls(Client& c) {
    MainForm& f = c.main;
    ui::Control* pic = &f.Pic1;
    f.addArrayElement(f.Tou, "Tou", 0, pic);
    f.addArrayElement(f.OK, "OK", 0, pic).Visible = false;
    f.addArrayElement(f.Nid, "Nid", 0, pic);
    f.addArrayElement(f.Cash, "Cash", 0, pic);
    f.addArrayElement(f.Level, "Level", 0, pic);
    for (int i = 0; i < 3; ++i) f.addArrayElement(f.lbfont, "lbfont", i, pic).Visible = false;
    f.lbfont[1].Caption = "最少金币定倍数";
    f.lbfont[2].Caption = "个人金币数封顶";
    f.add(f.Imgwealth, "Imgwealth", pic);
    f.Imgwealth.picture = ui::Picture::Named("Imgwealth");
    f.Imgwealth.Visible = false;
    f.add(f.lbwealth, "lbwealth", pic);
    f.lbwealth.Visible = false;
    f.add(f.ImgShuffle, "ImgShuffle", pic);
    f.ImgShuffle.picture = ui::Picture::Named("ImgShuffle");
    f.ImgShuffle.Visible = false;
    f.add(f.LblShuffle, "LblShuffle", pic);
    f.LblShuffle.Visible = false;
    f.addArrayElement(f.cardImage0, "cardImage0", 0, pic).Visible = false;
    f.addArrayElement(f.cardImage1, "cardImage1", 0, pic).Visible = false;
    f.addArrayElement(f.cardImage2, "cardImage2", 0, pic).Visible = false;
    f.addArrayElement(f.cardImage3, "cardImage3", 0, pic).Visible = false;
    f.addArrayElement(f.imgDiPai, "imgDiPai", 0, pic).Visible = false;
    f.addArrayElement(f.imgJiaoZhu, "imgJiaoZhu", 0, pic).Visible = false;
    f.addArrayElement(f.Operation, "Operation", 0, pic).Visible = false;
    for (int i = 0; i < 3; ++i) {
        auto& s = f.addArrayElement(f.Speak, "Speak", i, pic);
        s.picture = ui::Picture::Named("Speak");
        s.Visible = false;
    }
    f.addArrayElement(f.imgDeFen, "imgDeFen", 0, pic).Visible = false;
    f.add(f.lblDeFen, "lblDeFen", pic);
    for (int i = 0; i < 3; ++i) f.addArrayElement(f.shanImage, "shanImage", i, pic).Visible = false;
    for (int i = 0; i < 2; ++i) f.addArrayElement(f.imgXianShiDiPai, "imgXianShiDiPai", i, pic).Visible = false;
    struct Single { ui::Image* img; const char* name; bool named; bool visible; };
    for (auto [img, name, named, visible] : {
             Single{&f.imgLocation, "imgLocation", true, true}, Single{&f.imgword1, "imgword1", false, true},
             Single{&f.imgword2, "imgword2", false, true}, Single{&f.Bank, "Bank", false, true},
             Single{&f.Img_fan, "Img_fan", false, false}, Single{&f.Img_dyn, "Img_dyn", false, false},
             Single{&f.imgKanDiPai, "imgKanDiPai", true, false}, Single{&f.ImageZhuangJia, "ImageZhuangJia", true, false},
             Single{&f.imgBaopai, "imgBaopai", true, false}, Single{&f.imgBaopaiKuang, "imgBaopaiKuang", true, false},
             Single{&f.ImageGuo, "ImageGuo", true, false}, Single{&f.ImageGaiPai, "ImageGaiPai", false, false},
             Single{&f.Imgfanzhu, "Imgfanzhu", true, false}}) {
        f.add(*img, name, pic);
        if (named) img->picture = ui::Picture::Named(name);
        img->Visible = visible;
    }
    f.add(f.Picture1, "Picture1", pic);
    f.Picture1.Visible = false;
    f.Picture1.picture = {};
    if (!f.tmrJiePai) {
        f.tmrJiePai = c.os.loop.makeTimer(Guarded(c, [&c] { OnDealTimer(c); }));
        f.tmrJiePai->setInterval(350);
    }
    // The player's clicks on the call options, the pass, the bury and the bottom view.
    f.imgJiaoZhu[0].events.Click = [&c](ui::Control& ctl) { RunGuarded(c, [&] { ClickCall(c, ctl.Index()); }); };
    f.ImageGuo.events.Click = [&c](ui::Control&) { RunGuarded(c, [&] { ClickPass(c); }); };
    f.ImageGaiPai.events.Click = [&c](ui::Control&) { RunGuarded(c, [&] { BuryRaised(c); }); };
    f.imgKanDiPai.events.Click = [&c](ui::Control&) { RunGuarded(c, [&] { ViewBottom(c); }); };
    BuildMingXi(c);
    BuildTishi(c);
    c.forms.push_back(c.round.frmMingXi.get());
    c.forms.push_back(c.round.frmTishi.get());
}

void CreateTableControls(Client& c) {
    MainForm& f = c.main;
    bool full = FullLayout(c);
    c.table.g_ScreenWidth = c.os.screen.widthPx();
    // Avatars, names, coins, levels and ready marks by position.
    LoadArray(f.Tou, 3);
    LoadArray(f.OK, 3);
    LoadArray(f.Nid, 3);
    LoadArray(f.Cash, 3);
    LoadArray(f.Level, 3);
    Place(c, f.Tou[0], 10, 668, 85, 90);
    const double touLeft[] = {0, 7, 350, 693};
    for (int p = 1; p <= 3; ++p) {
        Place(c, f.Tou[p], touLeft[p], 15, 70, 62);
        f.Tou[p].Visible = true;
    }
    for (int p = 0; p < 4; ++p) f.Tou[p].Stretch = true;
    const double nameLeft[] = {181, 165, 509, 852};
    for (int p = 0; p < 4; ++p) {
        bool own = p == 0;
        Place(c, f.Nid[p], nameLeft[p], own ? 700 : 15, 160, 20);
        Place(c, f.Cash[p], nameLeft[p], own ? 724 : 40, 160, 20);
        Place(c, f.Level[p], nameLeft[p], own ? 744 : 64, 160, 20);
        f.Nid[p].Visible = f.Cash[p].Visible = f.Level[p].Visible = true;
        if (!full) f.Cash[p].FontSize = f.Level[p].FontSize = 8;
    }
    const double okPlace[4][2] = {{460, 630}, {60, 280}, {460, 88}, {900, 280}};
    for (int p = 0; p < 4; ++p) {
        Place(c, f.OK[p], okPlace[p][0], okPlace[p][1], 60, 40);
        f.OK[p].Visible = false;
    }
    CreateMainButtons(c);
    // Bottom cards, hands, call options, play buttons.
    LoadArray(f.imgDiPai, 7);
    for (int i = 0; i < 8; ++i) {
        Place(c, f.imgDiPai[i], 402, 310, 90, 120);
        f.imgDiPai[i].Stretch = true;
    }
    for (auto* a : {&f.cardImage0, &f.cardImage1, &f.cardImage2, &f.cardImage3}) {
        LoadArray(*a, 32);
        bool own = a == &f.cardImage0;
        for (int i = 0; i <= 32; ++i) {
            (*a)[i].Width = SX(c, own ? 90 : 80);
            (*a)[i].Height = SY(c, own ? 120 : 108);
            (*a)[i].Stretch = true;
            (*a)[i].Visible = false;
        }
    }
    LoadArray(f.imgJiaoZhu, 15);
    LoadArray(f.Operation, 4);
    for (int i = 0; i < 5; ++i) {
        Place(c, f.Operation[i], 330 + 80 * i, 525, 66, 32);
        f.Operation[i].Visible = false;
    }
    LoadArray(f.imgDeFen, 23);
}

void CreateTableControls2(Client& c) {
    MainForm& f = c.main;
    BuildPlayControls(c);
    // The two message lines and the chat box sit in the bottom bar, below the hand, between the player's panel
    // and the room plate: light text on the bar's dark brown, so system lines can be read.
    const ui::Rgb bar{0x37, 0x21, 0x0F};
    for (int i = 0; i < 2; ++i) {
        auto& list = f.Sysmsg[i];
        Place(c, list, 366, 682 + 23 * i, 262, 22);
        list.BackColor = bar;
        list.ForeColor = i == 0 ? ui::Rgb{255, 255, 0} : ui::kWhite;
        list.Visible = true;
    }
    Place(c, f.Chat, 376, 730, 186, 24);
    f.Chat.BackColor = bar;
    f.Chat.ForeColor = ui::kWhite;
    Place(c, f.Location, 760, 668, 250, 20);
    Place(c, f.imgLocation, 632, 654, 394, 39);
    Place(c, f.imgword1, 640, 659, 57, 13);
    Place(c, f.imgword2, 640, 675, 57, 13);
    SetGif(c, f.imgword1, 516);
    SetGif(c, f.imgword2, 517);
    Place(c, f.Bank, 698, 659, 56, 30);
    SetGif(c, f.Bank, 450);
    Place(c, f.Img_fan, 341, 324, 250, 108);
    f.Img_fan.Stretch = true;
    Place(c, f.Imgwealth, 20, 560, 110, 40);
    Place(c, f.lbwealth, 60, 568, 60, 30);
    f.lbwealth.ForeColor = ui::kRed;
    for (int i = 0; i < 3; ++i) Place(c, f.lbfont[i], 20, 610 + 18 * i, 120, 16);
    Place(c, f.ImgShuffle, 140, 440, 200, 32);
    Place(c, f.LblShuffle, 140, 446, 200, 20);
    Place(c, f.lblDeFen, 10, 165, 120, 20);
    f.lblDeFen.ForeColor = ui::kWhite;
    f.lblDeFen.FontSize = 12;
}

}  // namespace zorvan
