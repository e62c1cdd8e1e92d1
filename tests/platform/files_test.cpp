#include "folder_entries.h"
#include "platform/files.h"
#include "temp_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace pw::os;
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
    ASSERT_TRUE(makeFolder(path("dir")));
    fs::create_directory_symlink(path("dir"), path("dirlink"));
    fs::create_symlink(path("missing"), path("dangling"));

    EXPECT_EQ(attributes(path("plain.txt")), AttrArchive);
    EXPECT_EQ(attributes(path(".hidden")), AttrArchive | AttrHidden);
    EXPECT_EQ(attributes(path("readonly.txt")), AttrArchive | AttrReadOnly);
    EXPECT_EQ(attributes(path("dir")), AttrDirectory);
    EXPECT_EQ(attributes(path("dirlink")), AttrReparsePoint); // not followed
    EXPECT_EQ(attributes(path("missing")), -1);

    EXPECT_TRUE(isDirectory(path("dir")));
    EXPECT_FALSE(isDirectory(path("dirlink")));
    EXPECT_TRUE(fileExists(path("readonly.txt")));
    EXPECT_FALSE(fileExists(path("dir")));
    EXPECT_FALSE(fileExists(path("dangling")));
    EXPECT_TRUE(pathExists(path("dangling")));

    EXPECT_TRUE(setNormalAttributes(path("readonly.txt")));
    EXPECT_EQ(attributes(path("readonly.txt")), AttrArchive);
}

TEST_F(FilesTest, ListingGivesDotsFirstThenEveryEntry) {
    write("a.jpg", "x");
    write(".b", "x");
    ASSERT_TRUE(makeFolder(path("sub")));
    fs::create_symlink(path("a.jpg"), path("link.jpg"));

    FolderListing listing(root);
    ASSERT_TRUE(listing.ok());
    std::vector<DirEntry> all;
    DirEntry entry;
    while (listing.next(entry))
        all.push_back(entry);
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[0].name, ".");
    EXPECT_EQ(all[0].attributes, AttrDirectory);
    EXPECT_EQ(all[1].name, "..");

    std::map<std::string, std::uint32_t> found;
    for (const DirEntry& item : pw::test::folderEntries(root))
        found[item.name] = item.attributes;
    const std::map<std::string, std::uint32_t> expected{{"a.jpg", AttrArchive},
                                                        {".b", AttrArchive | AttrHidden},
                                                        {"sub", AttrDirectory},
                                                        {"link.jpg", AttrReparsePoint}};
    EXPECT_EQ(found, expected);
    EXPECT_FALSE(FolderListing(path("missing")).ok());
}

TEST_F(FilesTest, ListingComesInNameOrderIgnoringLetterCase) {
    for (const char* name : {"b.jpg", "C.png", "A.jpg", "a2.gif", "B10.bmp", "B2.bmp"})
        write(name, "x");
    std::vector<std::string> names;
    for (const DirEntry& item : pw::test::folderEntries(root))
        names.push_back(item.name);
    const std::vector<std::string> expected{"A.jpg",   "a2.gif", "b.jpg",
                                            "B10.bmp", "B2.bmp", "C.png"};
    EXPECT_EQ(names, expected);
}

TEST_F(FilesTest, PatternSearchLooksInTheLastComponentOnly) {
    write("page1.jpg", "x");
    ASSERT_TRUE(makeFolder(path("x.png")));

    EXPECT_TRUE(patternExists(path("*.jpg")));
    EXPECT_TRUE(patternExists(path("page?.jpg")));
    EXPECT_TRUE(patternExists(path("*.png"))); // folders match too
    EXPECT_FALSE(patternExists(path("*.gif")));
    EXPECT_FALSE(patternExists(path("page?.jpeg")));
    EXPECT_TRUE(patternExists(path("page1.jpg")));
    EXPECT_FALSE(patternExists(path("missing/*.jpg")));
}

TEST_F(FilesTest, CopyReplacesOrRefusesAndLeavesNoHalfWrittenFile) {
    const std::string big(300000, 'q');
    write("source", big);
    write("existing", "old");

    EXPECT_FALSE(copyFile(path("source"), path("existing"), true));
    EXPECT_EQ(read("existing"), "old");
    EXPECT_TRUE(copyFile(path("source"), path("existing"), false));
    EXPECT_EQ(read("existing"), big);
    EXPECT_TRUE(copyFile(path("source"), path("new"), true));
    EXPECT_EQ(read("new"), big);

    EXPECT_FALSE(copyFile(path("missing"), path("other"), false));
    EXPECT_FALSE(copyFile(path("source"), path("nofolder/target"), false));
    EXPECT_FALSE(pathExists(path("other")));
    EXPECT_EQ(pw::test::folderEntries(root).size(), 3u); // no temporary copies left behind
}

TEST_F(FilesTest, RemovalNeverFollowsOrTakesFolders) {
    ASSERT_TRUE(makeFolder(path("dir")));
    write("dir/kept", "x");
    fs::create_directory_symlink(path("dir"), path("dirlink"));

    EXPECT_FALSE(makeFolder(path("dir")));
    EXPECT_FALSE(removeFile(path("dir")));
    EXPECT_TRUE(removeFile(path("dirlink")));
    EXPECT_TRUE(pathExists(path("dir/kept")));
    EXPECT_FALSE(removeFolder(path("dir")));
    EXPECT_TRUE(renameFile(path("dir/kept"), path("moved")));
    EXPECT_TRUE(removeFolder(path("dir")));
}

} // namespace
