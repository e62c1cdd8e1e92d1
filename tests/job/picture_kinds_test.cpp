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
    jobfiles::JobOptions options;
    options.bilevel = jobfiles::BilevelCoding::G4; // its black page as a TIFF FreeImage reads
    const std::string staged = staging::stageForJob(picture, temp / "00001", options, &problem);
    ASSERT_FALSE(staged.empty()) << problem;
    const pictures::Bitmap back(
        FreeImage_Load(FreeImage_GetFileType(staged.c_str(), 0), staged.c_str(), 0));
    ASSERT_TRUE(back);
    EXPECT_EQ(FreeImage_GetWidth(back.get()), 2u);
    EXPECT_EQ(FreeImage_GetHeight(back.get()), 3u);
}

// A PDF is the table's last kind: its mark may follow up to 1024 bytes of anything, and a
// picture whose first bytes happen to hold it stays a picture.
TEST(PictureKinds, PdfsAreFoundByTheirMarkAfterAnyPictureKind) {
    EXPECT_TRUE(app::hasPictureExtension("letter.PDF"));
    EXPECT_NE(app::addFilter().find("|PDF Files(*.pdf)|*.pdf|"), std::string::npos);
    const test::TempFolder temp("pw-kinds");
    ASSERT_TRUE(temp.ok());
    const std::string late = temp / "late.jpg";
    std::ofstream(late, std::ios::binary) << std::string(1000, 'x') << "%PDF-1.7\n";
    const std::string tooLate = temp / "tooLate.pdf";
    std::ofstream(tooLate, std::ios::binary) << std::string(1020, 'x') << "%PDF-1.7\n";
    const std::string jpeg = temp / "mark.pdf";
    std::ofstream(jpeg, std::ios::binary) << "\xFF\xD8\xFF\xE0 %PDF-1.4";
    EXPECT_TRUE(pictures::isPdfFile(late));
    EXPECT_FALSE(pictures::isPdfFile(tooLate));
    EXPECT_FALSE(pictures::isPdfFile(jpeg));
}

} // namespace
