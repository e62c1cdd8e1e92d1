#include "app/picture_names.h"
#include "app/tool_commands.h"
#include "jobfiles/job_options.h"
#include "pictures/bitmap.h"
#include "pictures/picture_kinds.h"
#include "staging/picture_staging.h"
#include "temp_folder.h"

#include <FreeImage.h>
#include <fstream>
#include <gtest/gtest.h>

using namespace pw;

namespace {

// A kind added in the table alone is taken by intake, offered by the open dialog and staged.
TEST(PictureKinds, AKindAddedToTheTableIsTakenEverywhere) {
    pictures::PictureKind made;
    made.name = "XYZ";
    made.extensions = {"xyz"};
    made.labels = {"XYZ Files(*.xyz)"};
    made.signature = [](const std::uint8_t* head, std::size_t size) {
        return size >= 4 && std::equal(head, head + 4, "XYZ!");
    };
    made.decoder = pictures::Decoder::Own;
    made.decode = [](const std::string&) -> pictures::Decoded {
        return pictures::Bitmap(FreeImage_Allocate(2, 3, 24));
    };
    EXPECT_FALSE(app::hasPictureExtension("scan.xyz"));
    pictures::addPictureKind(made);

    EXPECT_TRUE(app::hasPictureExtension("scan.XYZ"));
    const std::string filter = app::addFilter();
    EXPECT_NE(filter.find(";*.xyz|"), std::string::npos) << filter;
    EXPECT_NE(filter.find("|XYZ Files(*.xyz)|*.xyz|All Files(*.*)|*.*"), std::string::npos);

    const test::TempFolder temp("pw-kinds");
    ASSERT_TRUE(temp.ok());
    // Found by its first bytes whatever its name.
    const std::string picture = temp / "scan.dat";
    std::ofstream(picture, std::ios::binary) << "XYZ!and the rest";
    ASSERT_NE(pictures::kindOfFile(picture), nullptr);
    EXPECT_EQ(pictures::kindOfFile(picture)->name, "XYZ");
    staging::initialiseFreeImage();
    std::string problem;
    const std::string staged =
        staging::stageForJob(picture, temp / "00001", jobfiles::JobOptions{}, &problem);
    ASSERT_FALSE(staged.empty()) << problem;
    const pictures::Bitmap back(
        FreeImage_Load(FreeImage_GetFileType(staged.c_str(), 0), staged.c_str(), 0));
    ASSERT_TRUE(back);
    EXPECT_EQ(FreeImage_GetWidth(back.get()), 2u);
    EXPECT_EQ(FreeImage_GetHeight(back.get()), 3u);
}

} // namespace
