#include "app/output_folder.h"
#include "app/settings_file.h"
#include "temp_home.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw {
namespace {

TEST(SettingsFile, MissingOrAbnormalFileGivesDefaults) {
    test::TempHome temp;
    const app::StoredSettings none = app::loadSettings();
    EXPECT_EQ(none.outputFolder, temp.home + "/Output");
    EXPECT_EQ(none.modeIndex, 0);

    // A hidden file does not count, nor does a directory or a fifo under the right name.
    const std::string hidden = temp.app + "/.setting.dll";
    test::TempHome::write(hidden, "/srv/pdf\r\n1\r\n");
    EXPECT_EQ(app::loadSettingsFrom(hidden).modeIndex, 0);
    EXPECT_EQ(app::loadSettingsFrom(hidden).outputFolder, temp.home + "/Output");

    ASSERT_TRUE(std::filesystem::create_directory(app::settingsFilePath()));
    EXPECT_EQ(app::loadSettings().outputFolder, temp.home + "/Output");
    std::filesystem::remove(app::settingsFilePath());
    ASSERT_EQ(mkfifo(app::settingsFilePath().c_str(), 0600), 0);
    EXPECT_EQ(app::loadSettings().modeIndex, 0); // must not block on the fifo
}

TEST(SettingsFile, ReadsFolderAndModeFromAnOlderFile) {
    test::TempHome temp;
    test::TempHome::write(app::settingsFilePath(), "C:\\Output\r\n1\r\n");
    const app::StoredSettings loaded = app::loadSettings();
    EXPECT_EQ(loaded.outputFolder, "C:\\Output");
    EXPECT_EQ(loaded.modeIndex, 1);
    EXPECT_TRUE(app::onePdfPerPicture(loaded.modeIndex));

    // Leading blanks skipped, trailing spaces dropped, LF-only lines, extra lines ignored.
    test::TempHome::write(app::settingsFilePath(), " \t/data/out  \n 1 \nrest,of\nfile\n");
    EXPECT_EQ(app::loadSettings().outputFolder, "/data/out");
    EXPECT_EQ(app::loadSettings().modeIndex, 1);

    // An unquoted comma ends the folder; the rest of the line becomes the mode field.
    test::TempHome::write(app::settingsFilePath(), "/a,b\r\n1\r\n");
    EXPECT_EQ(app::loadSettings().outputFolder, "/a");
    EXPECT_EQ(app::loadSettings().modeIndex, 0);
}

TEST(SettingsFile, BadModeFieldLeavesTheMode) {
    for (const char* text : {"/f\r\nx\r\n", "/f\r\n2\r\n", "/f\r\n-1\r\n", "/f\r\n1.5\r\n",
                             "/f\r\n\r\n", "/f", "/f\r\n99999999999999\r\n"}) {
        app::StoredSettings settings{"/old", 1, {}, {}, {}};
        app::applySettingsText(text, settings);
        EXPECT_EQ(settings.outputFolder, "/f") << text;
        EXPECT_EQ(settings.modeIndex, 1) << text;
    }
    app::StoredSettings empty{"/old", 1, {}, {}, {}};
    app::applySettingsText("", empty);
    EXPECT_EQ(empty.outputFolder, "/old");
}

TEST(SettingsFile, SaveWritesBothLinesAndLoadReadsThemBack) {
    test::TempHome temp;
    EXPECT_TRUE(app::saveSettings("/srv/pdf out", 1));
    EXPECT_EQ(test::TempHome::read(app::settingsFilePath()).rfind("/srv/pdf out\r\n1\r\n", 0), 0u);
    EXPECT_EQ(app::loadSettings().outputFolder, "/srv/pdf out");
    EXPECT_EQ(app::loadSettings().modeIndex, 1);

    bool written = false;
    EXPECT_FALSE(app::saveSettings("/srv/pdf", 0, &written));
    EXPECT_TRUE(written);
    EXPECT_EQ(app::loadSettings().modeIndex, 0);

    // A folder the reading rule would cut is stored so that it comes back whole.
    for (const std::string folder :
         {"/srv/a,b", "  /srv/blanks  ", "\t/srv/tab", "/srv/say \"hi\"", "\"/srv/q\"x",
          "/srv/line\r\nbreak", "/srv/\xC3\xA9t\xC3\xA9, \"\""}) {
        ASSERT_TRUE(app::writeSettingsFile(app::settingsFilePath(), folder, 1));
        const app::StoredSettings loaded = app::loadSettings();
        EXPECT_EQ(loaded.outputFolder, folder);
        EXPECT_EQ(loaded.modeIndex, 1) << folder;
    }
    EXPECT_EQ(app::formatField("/srv/say \"hi\""), "\"/srv/say \"\"hi\"\"\"");
}

TEST(SettingsFile, LastFolderIsTheLineAfterTheOptionsAndSaveKeepsIt) {
    test::TempHome temp;
    const std::string path = app::settingsFilePath();
    ASSERT_TRUE(app::writeLastFolder(path, "/pics")); // no file yet: the defaults with it
    EXPECT_EQ(
        test::TempHome::read(path),
        temp.home +
            "/Output\r\n0\r\nPageSize=picture\r\nOrientation=auto\r\n"
            "Margin=0\r\nFit=fit\r\nSplitTall=no\r\nOverlap=0\r\nPerSheet=1x1\r\n"
            "Gap=5\r\nBookmarks=no\r\nPDFA=off\r\nBilevel=jbig2\r\n"
            "MaxDpi=off\r\nTextLanguages=none\r\nAutoRotate=no\r\nKeepColour=no\r\nDeskew=no\r\nFolderPdfs=no\r\n"
            "Quality=100\r\nLastFolder=/pics\r\n");

    test::TempHome::write(path, "/srv/pdf\r\n1\r\nQuality=40\r\nZoom=2\r\n");
    ASSERT_TRUE(app::writeLastFolder(path, "/scans, 2026 "));
    EXPECT_EQ(test::TempHome::read(path),
              "/srv/pdf\r\n1\r\nPageSize=picture\r\nOrientation=auto\r\nMargin=0\r\n"
              "Fit=fit\r\nSplitTall=no\r\nOverlap=0\r\nPerSheet=1x1\r\nGap=5\r\n"
              "Bookmarks=no\r\nPDFA=off\r\nBilevel=jbig2\r\nMaxDpi=off\r\n"
              "TextLanguages=none\r\nAutoRotate=no\r\nKeepColour=no\r\nDeskew=no\r\nFolderPdfs=no\r\n"
              "Quality=40\r\nLastFolder=\"/scans, 2026 \"\r\nZoom=2\r\n");
    EXPECT_EQ(app::loadSettings().lastFolder, "/scans, 2026 ");
    EXPECT_EQ(app::loadSettings().otherLines, std::vector<std::string>{"Zoom=2"});

    bool written = false;
    app::saveSettings("/srv/other", 0, jobfiles::JobOptions{}, &written);
    ASSERT_TRUE(written);
    EXPECT_EQ(app::loadSettings().outputFolder, "/srv/other");
    EXPECT_EQ(app::loadSettings().lastFolder, "/scans, 2026 ");

    // A file that is there but no normal file is left alone (a fifo would block the write).
    std::filesystem::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(app::writeLastFolder(path, "/pics"));
}

TEST(SettingsFile, SaveIntoAnUnwritableFolderStillGivesTheMode) {
    test::TempHome temp;
    ASSERT_TRUE(std::filesystem::create_directory(app::settingsFilePath())); // cannot be a file
    bool written = true;
    EXPECT_TRUE(app::saveSettings("/srv/pdf", 1, &written));
    EXPECT_FALSE(written);
}

// A save that cannot be written in full (the disk fills up: here a file size limit) leaves the
// old file as it was; a link to the file stays a link.
TEST(SettingsFile, FailedSaveKeepsTheOldFile) {
    test::TempHome temp;
    const std::string real = temp.home + "/dotfiles-setting.dll";
    ASSERT_TRUE(app::writeSettingsFile(real, "/srv/old", 1));
    ASSERT_EQ(symlink(real.c_str(), app::settingsFilePath().c_str()), 0);
    const std::string before = test::TempHome::read(real);

    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{before.size(), limit.rlim_max};
    const auto oversize = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = app::writeSettingsFile(app::settingsFilePath(), std::string(4000, 'x'), 0);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oversize);
    EXPECT_FALSE(written);
    EXPECT_EQ(test::TempHome::read(real), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.home),
                            std::filesystem::directory_iterator()),
              1); // nothing left beside it

    ASSERT_TRUE(app::writeSettingsFile(app::settingsFilePath(), "/srv/new", 0));
    EXPECT_TRUE(std::filesystem::is_symlink(app::settingsFilePath()));
    EXPECT_EQ(app::loadSettingsFrom(real).outputFolder, "/srv/new");
}

} // namespace
} // namespace pw
