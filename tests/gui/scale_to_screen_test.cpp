#include "gui/scale_to_screen.h"
#include "resources/layout.h"

#include <gtest/gtest.h>

namespace pw::gui::form {
namespace {

TEST(ScaleToScreen, DesignKeepsItsPixelSizeAt12And15TwipsPerPixel) {
    EXPECT_DOUBLE_EQ(gui::twipsPerPixel(96), 15.0);
    EXPECT_DOUBLE_EQ(gui::twipsPerPixel(120), 12.0);

    const gui::TwipsRect window{0, 0, layout::kFormWidth, layout::kFormHeight};
    const gui::TwipsRect convert{6190, 3840, 1845, 945};
    for (const double tpp : {15.0, 12.0}) {
        const gui::ScreenScale scale{tpp, tpp};
        const gui::PixelRect w = gui::designToPixels(window, scale);
        EXPECT_EQ(w.width, 553) << tpp;
        EXPECT_EQ(w.height, 371) << tpp;
        const gui::PixelRect c = gui::designToPixels(convert, scale);
        EXPECT_EQ(c.x, 413) << tpp;
        EXPECT_EQ(c.y, 256) << tpp;
        EXPECT_EQ(c.width, 123) << tpp;
        EXPECT_EQ(c.height, 63) << tpp;
    }

    // At 12 twips per pixel the twips values and font sizes become 80 %.
    const gui::ScreenScale small{12, 12};
    EXPECT_DOUBLE_EQ(gui::ScaleToScreen(convert, small).left, 4952);
    EXPECT_DOUBLE_EQ(gui::ScaleToScreen(convert, small).height, 756);
    EXPECT_DOUBLE_EQ(gui::ScaleToScreen(9.0, small), 7.2);
    EXPECT_DOUBLE_EQ(gui::ScaleToScreen(9.0, gui::ScreenScale{}), 9.0);
}

} // namespace
} // namespace pw::gui::form
