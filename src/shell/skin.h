// The skinned frame of the main window.
#pragma once

namespace zorvan {
struct Client;
void PaintSkin(Client& c);  // paints the frame pieces around the window's edges
}  // namespace zorvan
