// The main window (MainForm) and its controls, named as the client names them.
// Pic1 is the table: a pixel container; everything else on the form is in twips.
// Each subsystem declares here the controls it uses and registers them in BuildMainForm.
#pragma once
#include <memory>

#include "platform/platform.h"
#include "ui/controls.h"

namespace zorvan {

struct MainForm : ui::Form {
    MainForm() : ui::Form("MainForm") {}

    ui::PictureBox Pic1;  // the table
    ui::PictureBox Pic2;  // the smaller table background, painted into Pic1 on small screens

    // Client core
    ui::ControlArray<ui::ListBox> Sysmsg;  // 0: system messages, 1: chat ticker
    ui::Label Number;                      // countdown seconds
    ui::Image Time_Img;                    // the clock behind Number
    ui::Label Location;                    // room name
    ui::ControlArray<ui::Image> AnNiu;     // main buttons; 0 sends chat
    ui::TextBox Chat;                      // chat input

    // Window shell
    ui::Image imgDilan, imgDinglan;        // bottom and top bars
    ui::ControlArray<ui::Image> ImgClose, ImgMin;  // caption buttons; 1, 2, 3 hold normal, highlighted, pressed
    ui::Label LbMove;                      // the drag strip
    ui::Label lcaption;                    // the caption text
    ui::Image ImgIcon;                     // the window's icon
    ui::Image Skin;                        // hidden: the frame pieces
    ui::ControlArray<ui::Image> SkinPiece; // the frame as painted: 0..7 corners and edges

    // Table and round (src/table, src/round), registered by BuildTableControls
    ui::ControlArray<ui::Image> Tou, OK;                   // avatars, ready marks by position
    ui::ControlArray<ui::Label> Nid, Cash, Level;          // name, coins, level by position
    ui::Label lbwealth;                                    // the table's coin multiplier
    ui::Image Imgwealth;
    ui::ControlArray<ui::Label> lbfont;                    // table rules 1, 2
    ui::Label LblShuffle;                                  // random-seat caption
    ui::Image ImgShuffle;
    ui::ControlArray<ui::Image> cardImage0, cardImage1, cardImage2, cardImage3;
    ui::ControlArray<ui::Image> imgDiPai;                  // the bottom cards (0..7)
    ui::ControlArray<ui::Image> imgJiaoZhu;                // trump-call options (0..15)
    ui::ControlArray<ui::Image> Operation;                 // play buttons (0..4)
    ui::ControlArray<ui::Image> Speak;                     // speech bubbles of positions 1..3
    ui::ControlArray<ui::Image> imgDeFen;                  // point cards taken (0..23)
    ui::Label lblDeFen;                                    // the defenders' points
    ui::ControlArray<ui::Image> shanImage;                 // face-down fans of positions 1..3
    ui::ControlArray<ui::Image> imgXianShiDiPai;           // call cards (0, 1)
    ui::Image imgLocation, imgword1, imgword2, Bank, Img_fan, Img_dyn;
    ui::Image imgKanDiPai, ImageZhuangJia, imgBaopai, imgBaopaiKuang, ImageGuo, ImageGaiPai, Imgfanzhu;
    ui::PictureBox Picture1;                               // snapshot of the bottom stack
    ui::Image imgJishu;                                    // round details (src/records, registered there)
    std::unique_ptr<platform::Timer> tmrJiePai;            // the deal animation

    // Timers of the main window
    std::unique_ptr<platform::Timer> TimerBong, TimerKeepAlive, TimerChat, TimerMusic, TimerShuffle;
};

struct Client;
// Registers the controls of the main window (design-time layout, before start-up runs).
void BuildMainForm(Client& c);
// Registers the table's and the round's controls (src/table/layout.cpp).
void BuildTableControls(Client& c);
// Registers the window shell's controls and events (src/shell/shell.cpp).
void BuildShellControls(Client& c);
// Gives every image of the design that shows its picture at natural size (no Stretch) and has no
// size yet the size of its picture, as the window designer does.
void SizeDesignPictures(Client& c);

}  // namespace zorvan
