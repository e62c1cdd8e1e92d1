#include "form/scale_to_screen.h"
#include "resources/layout.h"

#include <gtest/gtest.h>

namespace pw::form {
namespace {

TEST(ScaleToScreen, TwipsPerPixelFollowsTheLogicalDpi) {
    EXPECT_DOUBLE_EQ(twipsPerPixel(96), 15.0);
    EXPECT_DOUBLE_EQ(twipsPerPixel(120), 12.0);
    EXPECT_DOUBLE_EQ(twipsPerPixel(0), 15.0);
}

TEST(ScaleToScreen, DesignKeepsItsPixelSizeAt12And15TwipsPerPixel) {
    const TwipsRect window{0, 0, layout::kFormWidth, layout::kFormHeight};
    const TwipsRect convert{6190, 3840, 1845, 945};
    for (const double tpp : {15.0, 12.0}) {
        const ScreenScale scale{tpp, tpp};
        const PixelRect w = designToPixels(window, scale);
        EXPECT_EQ(w.width, 553) << tpp;
        EXPECT_EQ(w.height, 371) << tpp;
        const PixelRect c = designToPixels(convert, scale);
        EXPECT_EQ(c.x, 413) << tpp;
        EXPECT_EQ(c.y, 256) << tpp;
        EXPECT_EQ(c.width, 123) << tpp;
        EXPECT_EQ(c.height, 63) << tpp;
    }
}

TEST(ScaleToScreen, At12TwipsPerPixelEveryValueBecomes80Percent) {
    const ScreenScale scale{12, 12};
    const TwipsRect scaled = ScaleToScreen(TwipsRect{150, 2070, 5865, 2340}, scale);
    EXPECT_DOUBLE_EQ(scaled.left, 120);
    EXPECT_DOUBLE_EQ(scaled.top, 1656);
    EXPECT_DOUBLE_EQ(scaled.width, 4692);
    EXPECT_DOUBLE_EQ(scaled.height, 1872);
    EXPECT_DOUBLE_EQ(ScaleToScreen(9.0, scale), 7.2);
    EXPECT_DOUBLE_EQ(ScaleToScreen(9.0, ScreenScale{}), 9.0);
}

} // namespace
} // namespace pw::form
