// Pictures stored as program resources: the loader that puts a GIF resource into a control, and the
// lookup tables that map cards, buttons, avatars and ready marks to resource ids.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "ui/controls.h"

namespace zorvan {
struct Client;

// Built once at start-up by InitImageTables from the layout scale; every entry is a resource id
// (0: no picture).
struct ImageTables {
    std::array<int, 64> cards{};                  // index 16 x suit + value (value 14 ace, 15 two,
                                                  // 16/17 the jokers, 18 the back)
    std::array<std::array<int, 4>, 3> backs{};    // the three fan-of-backs sets, one per hand-size band
    std::array<int, 20> buttons{};                // AnNiu: normal and hover picture per button
    std::array<int, 8> dialogButtons{};           // 0 confirm, 2 cancel, 4 switch on, 5 off, 6/7 backgrounds
    std::array<int, 10> operations{};             // Operation: normal, hover per button
    std::array<int, 20> avatars{};
    std::array<int, 4> readyMarks{};              // OK by screen position
};

// Fills c.images for the current layout (c.layout.g_ScaleX exactly 1.0 or the reduced layout).
void InitImageTables(Client& c);
// The tables for a layout, without a client (the reduced layout is any scale other than 1.0).
ImageTables MakeImageTables(double scaleX);

// Puts GIF resource `id` of type `type` ("GIF") into a picture-bearing control (an image or a
// picture box). Returns 1 on success; 0 when there is no such resource, the type is not "GIF", the
// data is not a GIF or the control holds no picture: the control is then left as it was.
// The data is read from memory: no file is written.
int LoadGifResource(Client& c, int id, const std::string& type, ui::Control& control);

struct PixelSize { int width = 0, height = 0; };
// The size of a picture in pixels, read from its GIF header ({0, 0} when there is none).
PixelSize PictureSize(Client& c, const ui::Picture& picture);

}  // namespace zorvan
