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

    // Timers of the main window
    std::unique_ptr<platform::Timer> TimerBong, TimerKeepAlive, TimerChat, TimerMusic, TimerShuffle;
};

struct Client;
// Registers the controls of the main window (design-time layout, before start-up runs).
void BuildMainForm(Client& c);

}  // namespace zorvan
