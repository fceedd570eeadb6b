// Small display helpers shared by the table and round code: layout scaling, pictures, the notice
// window, the countdown clock and the hand's card pictures.
#pragma once
#include <cmath>
#include <string>

#include "rules/card.h"
#include "ui/controls.h"

namespace zorvan {
struct Client;

// Table pixels times the layout factors.
double SX(const Client& c, double px);
double SY(const Client& c, double px);
// The full layout (g_ScaleX exactly 1.0) or the reduced one.
bool FullLayout(const Client& c);
// A 16-bit value from a scaled position, rounded half to even.
inline std::int16_t Round16(double v) { return static_cast<std::int16_t>(std::nearbyint(v)); }

// Loads GIF resource `id` into the image (LoadGifResource); an id without a resource leaves it unchanged.
bool SetGif(Client& c, ui::Image& img, int id);

// The notice window frmTishi: sets both lines, centres it over the main window and shows it.
void ShowTishi(Client& c, const std::string& line0, const std::string& line1);
// Empties both lines and hides it.
void HideTishi(Client& c);
bool TishiVisible(const Client& c);
// Whether the main window is in the normal (not minimised) state.
bool MainWindowNormal(const Client& c);

// The countdown label beside the clock image: (Time_Img + 48, + 5) scaled, showing g_Countdown
// in green, both visible, Time_Img then Number in front.
void ShowClockAt(Client& c, double left, double top);
void HideClock(Client& c);
// Seconds of a countdown the round starts: 1 while the player is away.
int AwaySeconds(const Client& c, int seconds);

// Hand display of position 0.
// Refuses bad codes (minimises the window and restores the lobby) and sets the picture of image
// imgIndex of cardImage0..3 for the position from the card table c.images.cards.
void ShowCardPicture(Client& c, int position, int imgIndex, int code);
// A slot 0..count-1 of the own hand uses this picture index.
bool IsHandImage(const Client& c, int imgIndex);
// Redraws the pictures of slots 0..n-1 from their cards.
void RedrawHand(Client& c, int n);
// The standard offset of ArrangeHand: 0, -120 on screens wider than 1024 at full size, -100 reduced.
int StandardHandOffset(const Client& c);
// Sets the Left of the pictures of slots 0..n-1 (ArrangeHand of the rules) and brings the
// location group to the front for n of 6 or more.
void ArrangeHandPictures(Client& c, int offset, int n);
// sortbyhs on slots 0..n-1 and the redraw (the location group to the front for n above 10).
void SortHandByHs(Client& c, int n);
void SortHandByVal(Client& c, int n);
// The standard redisplay: sortbyhs, sortbyval, ArrangeHand, then every slot shown and enabled.
void RedisplayHand(Client& c);
// The picture of slot i of the own hand is raised (its top above g_HandTop).
bool SlotRaised(const Client& c, int slot);
ui::Image& SlotImage(Client& c, int slot);

}  // namespace zorvan
