#include "folder_entries.h"
#include "platform/files.h"
#include "temp_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace pw::platform;
using namespace pw;
namespace fs = std::filesystem;

namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.ok());
        root = temp.path();
    }
    void TearDown() override { ::chmod(path("readonly.txt").c_str(), 0644); }
    std::string path(const std::string& name) const { return root + "/" + name; }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    pw::test::TempFolder temp{"pw-files"};
    std::string root;
};

TEST_F(FilesTest, AttributesFollowTheWindowsBits) {
    write("plain.txt", "x");
    write(".hidden", "x");
    write("readonly.txt", "x");
    ASSERT_EQ(::chmod(path("readonly.txt").c_str(), 0444), 0);
    ASSERT_TRUE(pw::platform::makeFolder(path("dir")));
    fs::create_directory_symlink(path("dir"), path("dirlink"));
    fs::create_symlink(path("missing"), path("dangling"));

    EXPECT_EQ(platform::attributes(path("plain.txt")), platform::AttrArchive);
    EXPECT_EQ(platform::attributes(path(".hidden")), platform::AttrArchive | platform::AttrHidden);
    EXPECT_EQ(platform::attributes(path("readonly.txt")),
              platform::AttrArchive | platform::AttrReadOnly);
    EXPECT_EQ(platform::attributes(path("dir")), platform::AttrDirectory);
    EXPECT_EQ(platform::attributes(path("dirlink")), platform::AttrReparsePoint); // not followed
    EXPECT_EQ(platform::attributes(path("missing")), -1);

    EXPECT_TRUE(pw::platform::isDirectory(path("dir")));
    EXPECT_FALSE(pw::platform::isDirectory(path("dirlink")));
    EXPECT_TRUE(pw::platform::fileExists(path("readonly.txt")));
    EXPECT_FALSE(pw::platform::fileExists(path("dir")));
    EXPECT_FALSE(pw::platform::fileExists(path("dangling")));
    EXPECT_TRUE(pw::platform::pathExists(path("dangling")));

    EXPECT_TRUE(pw::platform::setNormalAttributes(path("readonly.txt")));
    EXPECT_EQ(platform::attributes(path("readonly.txt")), platform::AttrArchive);
}

TEST_F(FilesTest, ListingGivesDotsFirstThenEveryEntry) {
    write("a.jpg", "x");
    write(".b", "x");
    ASSERT_TRUE(pw::platform::makeFolder(path("sub")));
    fs::create_symlink(path("a.jpg"), path("link.jpg"));

    platform::FolderListing listing(root);
    ASSERT_TRUE(listing.ok());
    std::vector<pw::platform::DirEntry> all;
    platform::DirEntry entry;
    while (listing.next(entry))
        all.push_back(entry);
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[0].name, ".");
    EXPECT_EQ(all[0].attributes, platform::AttrDirectory);
    EXPECT_EQ(all[1].name, "..");

    std::map<std::string, std::uint32_t> found;
    for (const platform::DirEntry& item : pw::test::folderEntries(root))
        found[item.name] = item.attributes;
    const std::map<std::string, std::uint32_t> expected{
        {"a.jpg", platform::AttrArchive},
        {".b", platform::AttrArchive | platform::AttrHidden},
        {"sub", platform::AttrDirectory},
        {"link.jpg", platform::AttrReparsePoint}};
    EXPECT_EQ(found, expected);
    EXPECT_FALSE(pw::platform::FolderListing(path("missing")).ok());
}

TEST_F(FilesTest, ListingComesInNameOrderIgnoringLetterCase) {
    for (const char* name : {"b.jpg", "C.png", "A.jpg", "a2.gif", "B10.bmp", "B2.bmp"})
        write(name, "x");
    std::vector<std::string> names;
    for (const platform::DirEntry& item : pw::test::folderEntries(root))
        names.push_back(item.name);
    const std::vector<std::string> expected{"A.jpg",   "a2.gif", "b.jpg",
                                            "B10.bmp", "B2.bmp", "C.png"};
    EXPECT_EQ(names, expected);
}

TEST_F(FilesTest, PatternSearchLooksInTheLastComponentOnly) {
    write("page1.jpg", "x");
    ASSERT_TRUE(pw::platform::makeFolder(path("x.png")));

    EXPECT_TRUE(pw::platform::patternExists(path("*.jpg")));
    EXPECT_TRUE(pw::platform::patternExists(path("page?.jpg")));
    EXPECT_TRUE(pw::platform::patternExists(path("*.png"))); // folders match too
    EXPECT_FALSE(pw::platform::patternExists(path("*.gif")));
    EXPECT_FALSE(pw::platform::patternExists(path("page?.jpeg")));
    EXPECT_TRUE(pw::platform::patternExists(path("page1.jpg")));
    EXPECT_FALSE(pw::platform::patternExists(path("missing/*.jpg")));
}

TEST_F(FilesTest, CopyReplacesOrRefusesAndLeavesNoHalfWrittenFile) {
    const std::string big(300000, 'q');
    write("source", big);
    write("existing", "old");

    EXPECT_FALSE(pw::platform::copyFile(path("source"), path("existing"), true));
    EXPECT_EQ(read("existing"), "old");
    EXPECT_TRUE(pw::platform::copyFile(path("source"), path("existing"), false));
    EXPECT_EQ(read("existing"), big);
    EXPECT_TRUE(pw::platform::copyFile(path("source"), path("new"), true));
    EXPECT_EQ(read("new"), big);

    EXPECT_FALSE(pw::platform::copyFile(path("missing"), path("other"), false));
    EXPECT_FALSE(pw::platform::copyFile(path("source"), path("nofolder/target"), false));
    EXPECT_FALSE(pw::platform::pathExists(path("other")));
    EXPECT_EQ(pw::test::folderEntries(root).size(), 3u); // no temporary copies left behind
}

TEST_F(FilesTest, RemovalNeverFollowsOrTakesFolders) {
    ASSERT_TRUE(pw::platform::makeFolder(path("dir")));
    write("dir/kept", "x");
    fs::create_directory_symlink(path("dir"), path("dirlink"));

    EXPECT_FALSE(pw::platform::makeFolder(path("dir")));
    EXPECT_FALSE(pw::platform::removeFile(path("dir")));
    EXPECT_TRUE(pw::platform::removeFile(path("dirlink")));
    EXPECT_TRUE(pw::platform::pathExists(path("dir/kept")));
    EXPECT_FALSE(pw::platform::removeFolder(path("dir")));
    EXPECT_TRUE(pw::platform::renameFile(path("dir/kept"), path("moved")));
    EXPECT_TRUE(pw::platform::removeFolder(path("dir")));
}

} // namespace
