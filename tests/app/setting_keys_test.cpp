#include "app/output_folder.h"
#include "app/setting_keys.h"
#include "app/settings_file.h"
#include "temp_home.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace pw {
namespace {

// A key as later options add them: a number within 1..100.
const std::vector<app::SettingKey> kQualityKey = {
    {"Quality",
     [](std::string_view value, jobfiles::JobOptions& options) {
         if (value.empty() || value.size() > 3 ||
             value.find_first_not_of("0123456789") != std::string_view::npos)
             return false;
         const int quality = std::stoi(std::string(value));
         if (quality < 1 || quality > 100)
             return false;
         options.quality = quality;
         return true;
     },
     [](const jobfiles::JobOptions& options) { return std::to_string(options.quality); }}};

TEST(SettingLines, KnownKeysReadDamagedFallBackOthersKept) {
    jobfiles::JobOptions options;
    const std::vector<std::string> kept = app::applySettingLines(
        " Quality = 40 \r\nPageSize=A4\r\njunk line\r\n=no key\nFit=fill", kQualityKey, options);
    EXPECT_EQ(options.quality, 40);
    EXPECT_EQ(kept, (std::vector<std::string>{"PageSize=A4", "Fit=fill"}));
    EXPECT_EQ(app::formatSettingLines(kQualityKey, options, kept),
              "Quality=40\r\nPageSize=A4\r\nFit=fill\r\n");

    for (const char* damaged : {"Quality=0", "Quality=101", "Quality=9x", "Quality="}) {
        jobfiles::JobOptions fresh;
        app::applySettingLines(damaged, kQualityKey, fresh);
        EXPECT_EQ(fresh.quality, jobfiles::kDefaultQuality) << damaged;
    }
}

TEST(SettingLines, LaterLinesFollowTheTwoFieldsAndSurviveSave) {
    test::TempHome temp;
    // A quoted folder may span lines; the later lines start after the mode's line, and the
    // rest of a line after a comma is not one of them.
    test::TempHome::write(app::settingsFilePath(),
                          "\"/srv/a\r\nb\"\r\n1,Zoom=2\r\nColour=gray\r\n");
    const app::StoredSettings loaded = app::loadSettings();
    EXPECT_EQ(loaded.outputFolder, "/srv/a\r\nb");
    EXPECT_EQ(loaded.modeIndex, 1);
    EXPECT_EQ(loaded.otherLines, std::vector<std::string>{"Colour=gray"});

    // Save changes folder and mode and keeps the lines it does not know.
    bool written = false;
    app::saveSettings("/srv/pdf", 0, &written);
    ASSERT_TRUE(written);
    EXPECT_EQ(test::TempHome::read(app::settingsFilePath()),
              "/srv/pdf\r\n0\r\nPageSize=picture\r\nOrientation=auto\r\nMargin=0\r\n"
              "Fit=fit\r\nSplitTall=no\r\nOverlap=0\r\nPerSheet=1x1\r\nGap=5\r\nBookmarks="
              "no\r\nPDFA=off\r\nBilevel=jbig2\r\nMaxDpi=off\r\n"
              "TextLanguages=none\r\nAutoRotate=no\r\nKeepColour=no\r\nDeskew=no\r\nFolderPdfs=no\r\n"
              "Quality=100\r\nColour=gray\r\n");
}

TEST(SettingLines, PageLayoutLinesReadBackAndFallBackOneByOne) {
    test::TempHome temp;
    test::TempHome::write(app::settingsFilePath(), "/srv/pdf\r\n1\r\n");
    EXPECT_EQ(app::formatSettingLines(app::settingKeys(), app::loadSettings().options, {}),
              app::formatSettingLines(app::settingKeys(), jobfiles::JobOptions{}, {}));

    jobfiles::JobOptions options;
    options.page.size = jobfiles::PageSize::Custom;
    options.page.customWidthMm = 100;
    options.page.customHeightMm = 150;
    options.page.orientation = jobfiles::Orientation::Landscape;
    options.page.marginMm = 12.5;
    options.page.fit = jobfiles::Fit::Fill;
    options.bookmarks = true;
    options.ocrLanguages = "deu+eng";
    options.autoRotate = true;
    options.keepColour = true;
    options.deskew = true;
    options.folderPdfs = true;
    options.pdfa = jobfiles::PdfaLevel::A1b;
    options.bilevel = jobfiles::BilevelCoding::G4;
    options.maxDpi = 200;
    options.page.splitTall = true;
    options.page.overlapMm = 5;
    options.page.sheetColumns = 3;
    options.page.gapMm = 2.5;
    bool written = false;
    app::saveSettings("/srv/pdf", 1, options, &written);
    ASSERT_TRUE(written);
    EXPECT_EQ(
        test::TempHome::read(app::settingsFilePath()),
        "/srv/pdf\r\n1\r\nPageSize=100x150mm\r\nOrientation=landscape\r\nMargin=12.5\r\n"
        "Fit=fill\r\nSplitTall=yes\r\nOverlap=5\r\nPerSheet=3x1\r\nGap=2.5\r\nBookmarks=yes\r\n"
        "PDFA=1b\r\nBilevel=g4\r\n"
        "MaxDpi=200\r\nTextLanguages=deu+eng\r\nAutoRotate=yes\r\nKeepColour=yes\r\n"
        "Deskew=yes\r\nFolderPdfs=yes\r\nQuality=100\r\n");
    EXPECT_TRUE(app::loadSettings().options.bookmarks);
    EXPECT_EQ(app::loadSettings().options.pdfa, jobfiles::PdfaLevel::A1b);
    EXPECT_EQ(app::loadSettings().options.bilevel, jobfiles::BilevelCoding::G4);
    EXPECT_EQ(app::loadSettings().options.maxDpi, 200);
    EXPECT_EQ(app::loadSettings().options.ocrLanguages, "deu+eng");
    EXPECT_TRUE(app::loadSettings().options.autoRotate);
    EXPECT_TRUE(app::loadSettings().options.keepColour);
    EXPECT_TRUE(app::loadSettings().options.deskew);
    EXPECT_TRUE(app::loadSettings().options.folderPdfs);
    const jobfiles::PageLayout read = app::loadSettings().options.page;
    EXPECT_EQ(read.size, jobfiles::PageSize::Custom);
    EXPECT_EQ(read.customHeightMm, 150);
    EXPECT_EQ(read.orientation, jobfiles::Orientation::Landscape);
    EXPECT_EQ(read.marginMm, 12.5);
    EXPECT_EQ(read.fit, jobfiles::Fit::Fill);
    EXPECT_TRUE(read.splitTall);
    EXPECT_EQ(read.overlapMm, 5);
    EXPECT_EQ(read.sheetColumns * 10 + read.sheetRows, 31);
    EXPECT_EQ(read.gapMm, 2.5);

    // A damaged line costs its own option only.
    test::TempHome::write(
        app::settingsFilePath(),
        "/srv/pdf\r\n1\r\nPageSize=A4\r\nOrientation=upside\r\nMargin=51\r\nFit=fill\r\n"
        "Bookmarks=maybe\r\nPDFA=3a\r\nBilevel=jbig3\r\nMaxDpi=5\r\n");
    const app::StoredSettings damaged = app::loadSettings();
    EXPECT_EQ(damaged.modeIndex, 1);
    EXPECT_EQ(damaged.options.page.size, jobfiles::PageSize::A4);
    EXPECT_EQ(damaged.options.page.orientation, jobfiles::Orientation::Automatic);
    EXPECT_EQ(damaged.options.page.marginMm, 0.0);
    EXPECT_EQ(damaged.options.page.fit, jobfiles::Fit::Fill);
    EXPECT_FALSE(damaged.options.bookmarks);
    EXPECT_EQ(damaged.options.pdfa, jobfiles::PdfaLevel::Off);
    EXPECT_EQ(damaged.options.bilevel, jobfiles::BilevelCoding::Jbig2);
    EXPECT_EQ(damaged.options.maxDpi, 0);
}

TEST(SettingLines, QualityIsANumberOrLossless) {
    const std::pair<const char*, const char*> cases[] = {
        {"Quality=30", "Quality=30\r\n"},   {"Quality= LossLess ", "Quality=lossless\r\n"},
        {"Quality=0", "Quality=100\r\n"},   {"Quality=101", "Quality=100\r\n"},
        {"Quality=50%", "Quality=100\r\n"}, {"Quality=", "Quality=100\r\n"}};
    const std::vector<app::SettingKey> quality = {app::settingKeys().back()};
    for (const auto& [line, written] : cases) {
        jobfiles::JobOptions options;
        app::applySettingLines(line, quality, options);
        EXPECT_EQ(app::formatSettingLines(quality, options, {}), written) << line;
    }
}

TEST(SettingsFile, InstalledProgramKeepsItInTheConfigFolder) {
    test::TempHome temp;
    EXPECT_EQ(app::settingsFilePath(), temp.app + "/setting.dll"); // the build tree: beside it

    const std::string prefix = temp.root + "/usr";
    std::filesystem::create_directories(prefix + "/bin");
    std::filesystem::create_directories(prefix + "/lib/pagewright");
    platform::setApplicationFolder(prefix + "/bin");
    setenv("XDG_CONFIG_HOME", (temp.root + "/config").c_str(), 1);
    EXPECT_EQ(platform::programFilesFolder(), prefix + "/lib/pagewright");
    const std::string path = temp.root + "/config/pagewright/setting.dll";
    EXPECT_EQ(app::settingsFilePath(), path);
    bool written = false;
    EXPECT_TRUE(app::saveSettings("/srv/pdf", 1, &written)); // makes the folder
    EXPECT_TRUE(written);
    EXPECT_EQ(app::loadSettings().outputFolder, "/srv/pdf");
    unsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace pw
