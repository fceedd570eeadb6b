// The skinned frame of the main window.
#pragma once

namespace zorvan {
struct Client;
// Paints the frame pieces around the window's edges and places the caption controls for the
// window's current size.
void PaintSkin(Client& c);
}  // namespace zorvan
