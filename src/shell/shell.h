// The window shell: caption buttons, the drag strip, the main window's resize and activate events,
// and the semi-transparency of secondary windows.
#pragma once
#include "ui/controls.h"

namespace zorvan {
struct Client;

// Sizes of the design: the main window on a large screen and the frame strip, in twips.
constexpr int kMainWidthTwips = 15600;
constexpr int kMainHeightTwips = 11940;

// Sets the main window's state the way assigning WindowState does: the resize event runs.
void SetMainWindowState(Client& c, ui::WindowState state);
void MinimizeMainWindow(Client& c);

// The main window's resize and activate events.
void OnMainResize(Client& c);
void OnMainActivate(Client& c);

// Caption buttons (element 0 of ImgClose / ImgMin reacts; the others only hold pictures).
void CaptionButtonMouseMove(Client& c, ui::ControlArray<ui::Image>& button);
void CaptionButtonMouseDown(Client& c, ui::ControlArray<ui::Image>& button);
void CaptionButtonMouseUp(Client& c, ui::ControlArray<ui::Image>& button);
// Mouse over the window background or the drag strip: both buttons back to normal.
void CaptionToNormal(Client& c);
// Mouse down on the drag strip: the window follows the mouse (left button only).
void DragStripMouseDown(Client& c, int button);

// Which secondary windows turn semi-transparent: most of them wherever the window system can show
// translucent windows; the notice and round-details windows never (they did only on the oldest systems
// of the original's era).
enum class Translucency { Secondary, NoticeOrDetails };
// Called when a secondary window is created: opacity 200 of 255 where it applies, else opaque.
void MakeTranslucent(Client& c, ui::Form& form, Translucency kind = Translucency::Secondary);

}  // namespace zorvan
