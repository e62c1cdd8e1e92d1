#include "settings/file_filter.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(FileFilter, PipeListBecomesQtNameFilters) {
    EXPECT_EQ(qtNameFilters("All files (*.*)|*.*"), std::vector<std::string>{"All files (*)"});
    EXPECT_EQ(qtNameFilters("Pictures|*.jpg;*.png|Bitmaps (*.bmp)|*.bmp"),
              (std::vector<std::string>{"Pictures (*.jpg *.png)", "Bitmaps (*.bmp)"}));
    EXPECT_EQ(qtNameFilters("JPEG (*.jpg;*.jpeg)|*.jpg; *.jpeg|Odd"),
              std::vector<std::string>{"JPEG (*.jpg *.jpeg)"});
    EXPECT_EQ(qtNameFilters(""), std::vector<std::string>{"(*)"});

    EXPECT_EQ(selectedFilterPosition(2, 3), 1u);
    EXPECT_EQ(selectedFilterPosition(0, 3), 0u);
    EXPECT_EQ(selectedFilterPosition(4, 3), 0u);
}

} // namespace
} // namespace pw
