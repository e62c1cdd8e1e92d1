#include "app/file_filter.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(FileFilter, PipeListBecomesQtNameFilters) {
    EXPECT_EQ(app::qtNameFilters("All files (*.*)|*.*"), std::vector<std::string>{"All files (*)"});
    EXPECT_EQ(app::qtNameFilters("Pictures|*.jpg;*.png|Bitmaps (*.bmp)|*.bmp"),
              (std::vector<std::string>{"Pictures (*.jpg *.png)", "Bitmaps (*.bmp)"}));
    EXPECT_EQ(app::qtNameFilters("JPEG (*.jpg;*.jpeg)|*.jpg; *.jpeg|Odd"),
              std::vector<std::string>{"JPEG (*.jpg *.jpeg)"});
    EXPECT_EQ(app::qtNameFilters(""), std::vector<std::string>{"(*)"});

    EXPECT_EQ(app::selectedFilterPosition(2, 3), 1u);
    EXPECT_EQ(app::selectedFilterPosition(0, 3), 0u);
    EXPECT_EQ(app::selectedFilterPosition(4, 3), 0u);
}

} // namespace
} // namespace pw
