#include <QImage>
#include <gtest/gtest.h>

#include <zorvan/assets.h>

#include "qt_platform.h"
#include "renderer.h"

namespace zorvan::qt {
namespace {

// A small form: a pixel picture box at (10, 10) px holding a card, a stretched card and labels.
struct SmallForm : ui::Form {
    SmallForm() : ui::Form("Small") {
        Width = 300 * 15;
        Height = 200 * 15;
        BackColor = {0, 0, 80};
        add(box, "box");
        box.Move(150, 150, 280 * 15, 180 * 15);
        box.BackColor = {0, 120, 0};
        add(card, "card", &box);
        card.Move(5, 5, 1, 1);  // natural size: the picture's 90 x 120
        card.picture = ui::Picture::Gif(3);
        add(small, "small", &box);
        small.Move(150, 5, 45, 60);
        small.Stretch = true;
        small.picture = ui::Picture::Gif(3);
        add(text, "text", &box);
        text.Move(100, 140, 170, 30);
        text.ForeColor = ui::kWhite;
        text.FontSize = 12;
    }
    ui::PictureBox box;
    ui::Image card, small;
    ui::Label text;
};

QImage Card3() {
    const auto* b = assets::gif(3);
    return QImage::fromData(QByteArray(reinterpret_cast<const char*>(b->data), static_cast<qsizetype>(b->size)), "GIF")
        .convertToFormat(QImage::Format_RGB32);
}

// Columns in which the label painted anything white.
int InkWidth(const QImage& img, QRect area) {
    int left = area.right(), right = area.left() - 1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(img.pixel(x, y)) > 160) { left = std::min(left, x); right = std::max(right, x); }
    return right >= left ? right - left + 1 : 0;
}

TEST(Render, PicturesLandInPixelsOfTheirContainer) {
    QtResources res;
    SmallForm f;
    QImage img = RenderFormToImage(f, res).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(img.size(), QSize(300, 200));
    EXPECT_EQ(img.pixel(2, 2), qRgb(0, 0, 80));         // the form
    EXPECT_EQ(img.pixel(12, 190 - 3), qRgb(0, 120, 0));  // the box, 10 px in
    QImage card = Card3();
    // The card at its own size at box (5, 5) = form (15, 15).
    for (QPoint p : {QPoint(20, 20), QPoint(45, 60), QPoint(70, 100), QPoint(10, 100)})
        EXPECT_EQ(img.pixel(p + QPoint(15, 15)), card.pixel(p)) << p.x() << "," << p.y();
    // Its rounded corners are transparent: the box shows through.
    EXPECT_EQ(img.pixel(15, 15), qRgb(0, 120, 0));
    // Stretched to 45 x 60: its centre matches the card's centre, and it stops at its size.
    QColor mid(img.pixel(160 + 22, 15 + 30)), cardMid(card.pixel(45, 60));
    EXPECT_NEAR(mid.red(), cardMid.red(), 40);
    EXPECT_EQ(img.pixel(160 + 46, 15 + 61), qRgb(0, 120, 0));
}

TEST(Render, LabelTextIsNeverRichText) {
    QtResources res;
    SmallForm plain, markup;
    plain.text.Caption = "AB";
    markup.text.Caption = "<b>AB</b>";
    QRect area(110, 150, 170, 30);
    int plainWidth = InkWidth(RenderFormToImage(plain, res), area);
    int markupWidth = InkWidth(RenderFormToImage(markup, res), area);
    ASSERT_GT(plainWidth, 0);
    // The tags show as characters: far wider than the two letters alone.
    EXPECT_GT(markupWidth, plainWidth * 3);
}

TEST(Render, HiddenControlsAndTheirChildrenDoNotShow) {
    QtResources res;
    SmallForm f;
    f.box.Visible = false;
    QImage img = RenderFormToImage(f, res).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(img.pixel(15 + 45, 15 + 60), qRgb(0, 0, 80));
}

}  // namespace
}  // namespace zorvan::qt
