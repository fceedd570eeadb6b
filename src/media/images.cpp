#include "media/images.h"

#include <cstring>

#include "core/client.h"

namespace zorvan {

ImageTables MakeImageTables(double scaleX) {
    const bool full = scaleX == 1.0;
    ImageTables t;
    for (int suit = 0; suit < 4; ++suit) {
        for (int v = 3; v <= 15; ++v) {
            int index = 16 * suit + v;
            if (full) t.cards[index] = index;
            // Reduced set: 13 ids a suit from 301 + 13 x suit, in the order ace, two, three ... king.
            else if (v <= 13) t.cards[index] = v + 13 * suit + 300;
            else t.cards[index] = v + 13 * suit + 287;
        }
    }
    // Jokers and the back live at indexes 16..18 (suit 0, values 16, 17, 18).
    t.cards[16] = full ? 16 : 353;
    t.cards[17] = full ? 17 : 354;
    t.cards[18] = 18;
    for (int i = 0; i < 4; ++i) {
        t.backs[0][i] = 400 + i;
        t.backs[1][i] = 410 + i;
        t.backs[2][i] = 420 + i;
    }
    for (int i = 0; i < 20; ++i) t.buttons[i] = (full || i < 2) ? 150 + i : 281 + i;
    for (int i = 0; i < 8; ++i) t.dialogButtons[i] = 170 + i;
    t.operations = {178, 179, 181, 182, 187, 188, 189, 190, 191, 192};
    for (int i = 0; i < 20; ++i) t.avatars[i] = 240 + i;
    t.readyMarks = {280, 281, 282, 280};
    return t;
}

void InitImageTables(Client& c) { c.images = MakeImageTables(c.layout.g_ScaleX); }

namespace {
bool LooksLikeGif(std::span<const std::uint8_t> b) {
    return b.size() >= 6 && (std::memcmp(b.data(), "GIF87a", 6) == 0 || std::memcmp(b.data(), "GIF89a", 6) == 0);
}
}  // namespace

int LoadGifResource(Client& c, int id, const std::string& type, ui::Control& control) {
    if (type != "GIF" || id <= 0) return 0;
    auto bytes = c.os.resources.gif(id);
    if (!LooksLikeGif(bytes)) return 0;
    if (auto* img = dynamic_cast<ui::Image*>(&control)) {
        img->picture = ui::Picture::Gif(id);
        return 1;
    }
    if (auto* box = dynamic_cast<ui::PictureBox*>(&control)) {
        box->picture = ui::Picture::Gif(id);
        return 1;
    }
    return 0;
}

PixelSize PictureSize(Client& c, const ui::Picture& picture) {
    std::span<const std::uint8_t> b;
    if (picture.gifId > 0) b = c.os.resources.gif(picture.gifId);
    else if (!picture.named.empty()) b = c.os.resources.named(picture.named);
    if (!LooksLikeGif(b) || b.size() < 10) return {};
    // The logical screen size follows the signature, 16-bit little-endian.
    return {b[6] | (b[7] << 8), b[8] | (b[9] << 8)};
}

}  // namespace zorvan
