#include "resources/artwork.h"
#include "resources/layout.h"

#include <QGuiApplication>
#include <QImage>
#include <gtest/gtest.h>

namespace {

namespace layout = pw::layout;

QGuiApplication& app() {
    static int argc = 1;
    static char name[] = "artwork_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication instance(argc, argv);
    return instance;
}

QImage image(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

bool isKey(QRgb c) {
    return qRed(c) == layout::kTransparentKey.r && qGreen(c) == layout::kTransparentKey.g &&
           qBlue(c) == layout::kTransparentKey.b;
}

// A blend of the key colour with the window's body would be strongly magenta-tinted.
bool nearKey(QRgb c) {
    return qRed(c) > 150 && qBlue(c) > 150 && qGreen(c) < qRed(c) / 2;
}

void expectSize(const QPixmap& pixmap, const layout::TwipRect& area) {
    const layout::PixelRect r = layout::toPixels(area);
    ASSERT_FALSE(pixmap.isNull());
    EXPECT_EQ(pixmap.width(), r.width);
    EXPECT_EQ(pixmap.height(), r.height);
}

// A hover or pressed picture must show something other than the resting face beneath it.
void expectDiffersFromFace(const QPixmap& pixmap, const layout::TwipRect& area) {
    const layout::PixelRect r = layout::toPixels(area);
    const QImage rest = image(pw::art::background()).copy(r.x, r.y, r.width, r.height);
    EXPECT_NE(image(pixmap), rest);
}

TEST(Artwork, BackgroundHasAHardKeyColouredOutline) {
    app();
    const QImage face = image(pw::art::background());
    ASSERT_EQ(face.width(), layout::kFormWidth / layout::kTwipsPerPixel);
    ASSERT_EQ(face.height(), layout::kFormHeight / layout::kTwipsPerPixel);
    // Rounded corners are cut out with the key colour; the middle of each side is body.
    for (const QPoint corner : {QPoint(0, 0), QPoint(552, 0), QPoint(0, 370), QPoint(552, 370)})
        EXPECT_TRUE(isKey(face.pixel(corner)));
    for (const QPoint side : {QPoint(276, 0), QPoint(0, 185), QPoint(552, 185), QPoint(276, 370)})
        EXPECT_FALSE(isKey(face.pixel(side)));
    // Each pixel is exactly the key colour or clearly a body colour, and the key colour
    // only fills the four rounded-off corners.
    int keyPixels = 0;
    for (int y = 0; y < face.height(); ++y) {
        for (int x = 0; x < face.width(); ++x) {
            const QRgb c = face.pixel(x, y);
            const bool inCorner =
                (x < 12 || x >= face.width() - 12) && (y < 12 || y >= face.height() - 12);
            if (isKey(c)) {
                ++keyPixels;
                ASSERT_TRUE(inCorner) << "key colour inside the face at " << x << "," << y;
            } else {
                ASSERT_FALSE(nearKey(c)) << "key colour blended at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(keyPixels, 4 * 10);
    EXPECT_LT(keyPixels, 4 * 40);
}

TEST(Artwork, ButtonPicturesMatchTheirAreas) {
    app();
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        expectSize(pw::art::toolbarHover(i), layout::kImgToolbarRects[i]);
        expectSize(pw::art::toolbarPressed(i), layout::kImgToolbarRects[i]);
        expectDiffersFromFace(pw::art::toolbarHover(i), layout::kImgToolbarRects[i]);
        expectDiffersFromFace(pw::art::toolbarPressed(i), layout::kImgToolbarRects[i]);
        EXPECT_NE(image(pw::art::toolbarHover(i)), image(pw::art::toolbarPressed(i)));
    }
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        expectSize(pw::art::menuHover(i), layout::kImgMenuRects[i]);
        expectDiffersFromFace(pw::art::menuHover(i), layout::kImgMenuRects[i]);
    }
    expectSize(pw::art::convertHover(), layout::kImgConvertRect);
    expectDiffersFromFace(pw::art::convertHover(), layout::kImgConvertRect);
    expectSize(pw::art::upHover(), layout::kImgUpRect);
    expectDiffersFromFace(pw::art::upHover(), layout::kImgUpRect);
    expectSize(pw::art::downHover(), layout::kImgDownRect);
    expectDiffersFromFace(pw::art::downHover(), layout::kImgDownRect);
    EXPECT_TRUE(pw::art::toolbarHover(6).isNull());
    EXPECT_TRUE(pw::art::menuHover(-1).isNull());
}

TEST(Artwork, WelcomePanelAndCursor) {
    app();
    expectSize(pw::art::welcomePanel(), {0, 0, 8055, 2715});

    const QImage cursor = pw::art::cursorPixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(cursor.size(), QSize(layout::kCursorSize, layout::kCursorSize));
    EXPECT_EQ(qAlpha(cursor.pixel(0, 31)), 0); // see-through around the hand
    // The hotspot sits on the fingertip: solid just below it, clear just above.
    EXPECT_GT(qAlpha(cursor.pixel(layout::kCursorHotspotX, layout::kCursorHotspotY + 1)), 200);
    EXPECT_EQ(qAlpha(cursor.pixel(layout::kCursorHotspotX, layout::kCursorHotspotY - 2)), 0);
    const QCursor closeCursor = pw::art::closeCursor();
    EXPECT_EQ(closeCursor.hotSpot(), QPoint(layout::kCursorHotspotX, layout::kCursorHotspotY));
}

} // namespace
