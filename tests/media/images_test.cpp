#include <gtest/gtest.h>

#include "core/client.h"
#include "media/images.h"
#include "sim/sim_platform.h"

namespace zorvan {
namespace {

struct MediaTest : ::testing::Test {
    sim::SimLoop loop;
    sim::SimDesktop desk;
    sim::SimPlatform sim{loop, desk};
    Client c{sim.os};
};

constexpr double kReduced = 0.78125;

struct CardCase { double scale; int suit, value, id; };

TEST(ImageTables, CardPicturesAtBothScales) {
    const CardCase cases[] = {
        {1.0, 0, 3, 3},     {1.0, 0, 14, 14},   {1.0, 0, 15, 15},   {1.0, 1, 3, 19},  {1.0, 3, 15, 63},
        {1.0, 0, 16, 16},   {1.0, 0, 17, 17},   {1.0, 0, 18, 18},   {1.0, 2, 0, 0},   {1.0, 3, 2, 0},
        {kReduced, 0, 3, 303},  {kReduced, 0, 13, 313}, {kReduced, 0, 14, 301}, {kReduced, 0, 15, 302},
        {kReduced, 2, 14, 327}, {kReduced, 3, 13, 352}, {kReduced, 3, 15, 341}, {kReduced, 1, 3, 316},
        {kReduced, 0, 16, 353}, {kReduced, 0, 17, 354}, {kReduced, 0, 18, 18},  {kReduced, 2, 1, 0},
    };
    for (const auto& k : cases) {
        auto t = MakeImageTables(k.scale);
        EXPECT_EQ(t.cards[16 * k.suit + k.value], k.id) << "scale " << k.scale << " suit " << k.suit << " value " << k.value;
    }
}

TEST(ImageTables, OtherTablesAtBothScales) {
    auto full = MakeImageTables(1.0), small = MakeImageTables(kReduced);
    for (const auto* t : {&full, &small}) {
        EXPECT_EQ(t->backs[0][0], 400);
        EXPECT_EQ(t->backs[1][3], 413);
        EXPECT_EQ(t->backs[2][2], 422);
        EXPECT_EQ(t->dialogButtons[0], 170);
        EXPECT_EQ(t->dialogButtons[7], 177);
        EXPECT_EQ(t->operations, (std::array<int, 10>{178, 179, 181, 182, 187, 188, 189, 190, 191, 192}));
        EXPECT_EQ(t->avatars[19], 259);
        EXPECT_EQ(t->readyMarks, (std::array<int, 4>{280, 281, 282, 280}));
        EXPECT_EQ(t->buttons[0], 150);
        EXPECT_EQ(t->buttons[1], 151);
    }
    EXPECT_EQ(full.buttons[2], 152);
    EXPECT_EQ(full.buttons[19], 169);
    EXPECT_EQ(small.buttons[2], 283);
    EXPECT_EQ(small.buttons[19], 300);
}

// Every id a table names must be a picture the program carries.
TEST_F(MediaTest, EveryTableEntryIsAnEmbeddedPicture) {
    for (double scale : {1.0, kReduced}) {
        auto t = MakeImageTables(scale);
        std::vector<int> ids(t.cards.begin(), t.cards.end());
        for (const auto& b : t.backs) ids.insert(ids.end(), b.begin(), b.end());
        for (const auto* a : {&t.buttons, &t.avatars}) ids.insert(ids.end(), a->begin(), a->end());
        ids.insert(ids.end(), t.dialogButtons.begin(), t.dialogButtons.end());
        ids.insert(ids.end(), t.operations.begin(), t.operations.end());
        ids.insert(ids.end(), t.readyMarks.begin(), t.readyMarks.end());
        for (int id : ids)
            if (id != 0) { EXPECT_FALSE(sim.resources.gif(id).empty()) << "id " << id << " at scale " << scale; }
    }
}

TEST_F(MediaTest, InitImageTablesFollowsTheLayout) {
    c.layout.g_ScaleX = kReduced;
    InitImageTables(c);
    EXPECT_EQ(c.images.cards[16 * 2 + 14], 327);
    c.layout.g_ScaleX = 1.0;
    InitImageTables(c);
    EXPECT_EQ(c.images.cards[16 * 2 + 14], 46);
}

TEST_F(MediaTest, LoadGifResourceSetsThePictureOfImagesAndPictureBoxes) {
    ui::Image img;
    EXPECT_EQ(LoadGifResource(c, 240, "GIF", img), 1);
    EXPECT_EQ(img.picture, ui::Picture::Gif(240));
    ui::PictureBox box;
    EXPECT_EQ(LoadGifResource(c, 605, "GIF", box), 1);
    EXPECT_EQ(box.picture, ui::Picture::Gif(605));
}

TEST_F(MediaTest, LoadGifResourceFailureLeavesTheControlAsItWas) {
    ui::Image img;
    img.picture = ui::Picture::Gif(18);
    for (int id : {215, 0, -3, 32, 99999}) {
        EXPECT_EQ(LoadGifResource(c, id, "GIF", img), 0) << id;
        EXPECT_EQ(img.picture, ui::Picture::Gif(18)) << id;
    }
    EXPECT_EQ(LoadGifResource(c, 240, "BMP", img), 0);
    EXPECT_EQ(img.picture, ui::Picture::Gif(18));
    ui::Label label;
    label.Caption = "x";
    EXPECT_EQ(LoadGifResource(c, 240, "GIF", label), 0);
    EXPECT_EQ(label.Caption, "x");
}

TEST_F(MediaTest, PictureSizeReadsTheGifHeader) {
    auto card = PictureSize(c, ui::Picture::Gif(3));
    EXPECT_EQ(card.width, 90);
    EXPECT_EQ(card.height, 120);
    auto skin = PictureSize(c, ui::Picture::Named("Skin"));
    EXPECT_EQ(skin.width, 46);
    EXPECT_EQ(skin.height, 220);
    EXPECT_EQ(PictureSize(c, ui::Picture::Gif(215)).width, 0);
    EXPECT_EQ(PictureSize(c, {}).height, 0);
}

}  // namespace
}  // namespace zorvan
