// Add Folder: the browser flow and the recursive search.
#include "app/folder_scan.h"
#include "app/opened_paths.h"
#include "filelist_fixture.h"
#include "folder_entries.h"
#include "platform/files.h"
#include "shown_text.h"
#include "test_pdfs.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace pw::test {
namespace {

using Paths = std::vector<std::string>;

class FolderScanTest : public FileListTest {
protected:
    std::string folder(const std::string& relative) {
        const std::string path = root() + "/" + relative;
        EXPECT_TRUE(QDir().mkpath(QString::fromStdString(path)));
        return path;
    }
    // The names of a folder in listing order, "." and ".." left out.
    static Paths listed(const std::string& path, bool pictures) {
        Paths names;
        for (const platform::DirEntry& entry : test::folderEntries(path)) {
            if ((entry.attributes == platform::AttrDirectory) != pictures)
                names.push_back(path + "/" + entry.name);
        }
        return names;
    }
};

TEST_F(FolderScanTest, AcceptsEveryPictureEndingInAnyCase) {
    const std::string top = folder("pics");
    for (const char* name : {"a.JPG", "b.jpeg", "c.Tif", "d.tiff", "e.png", "f.gif", "g.bmp",
                             "h.jpe", "i.dib", "j.ico", "jpg", "k.jpg.txt", "l.HEIC", "m.heif",
                             "n.avif", "o.WebP", "p.jxl", "q.jxl.bak", "r.PDF"})
        writeFile(top + "/" + name);
    prompts.browseNext(top);
    commands.CmdToolsBar_Click(app::ToolCommands::AddFolder);
    Paths got = working();
    std::sort(got.begin(), got.end());
    Paths pictures{top + "/a.JPG",  top + "/b.jpeg", top + "/c.Tif",  top + "/d.tiff",
                   top + "/e.png",  top + "/f.gif",  top + "/g.bmp",  top + "/l.HEIC",
                   top + "/m.heif", top + "/n.avif", top + "/o.WebP", top + "/p.jxl"};
    EXPECT_EQ(got, pictures);
    EXPECT_EQ(shown(), working());
    EXPECT_EQ(prompts.browsePrompts, (Paths{"Please select a folder:"}));

    // PDFs only when the setting says so.
    list.clear();
    commands.folderPdfs = [] { return true; };
    prompts.browseNext(top);
    commands.CmdToolsBar_Click(app::ToolCommands::AddFolder);
    got = working();
    std::sort(got.begin(), got.end());
    pictures.push_back(top + "/r.PDF");
    EXPECT_EQ(got, pictures);
}

// A PDF shows its page count beside its name; a file only named .pdf does not.
TEST_F(FolderScanTest, APdfShowsItsPageCount) {
    const std::string letter = root() + "/letter.pdf";
    const std::string one = root() + "/one.PDF";
    ASSERT_TRUE(writeTestPdf(letter, {.pages = 3}));
    ASSERT_TRUE(writeTestPdf(one, {.pages = 1}));
    const std::string named = file("named.pdf");
    list.append(letter, letter);
    list.append(one, "shown one.PDF");
    list.append(named, named);
    // Counted off the window's thread.
    EXPECT_EQ(test::shownTextCounted(*list2_, 0), letter + " (3 pages)");
    EXPECT_EQ(test::shownTextCounted(*list2_, 1), "shown one.PDF (1 page)");
    EXPECT_EQ(test::shownTextCounted(*list2_, 2), named);
    EXPECT_EQ(list2_->text(0).toStdString(), letter);
}

TEST_F(FolderScanTest, WalksDepthFirstWithEachFoldersOwnPicturesFirst) {
    const std::string top = folder("top");
    for (const char* sub : {"a", "b", "a/deep"})
        folder(std::string("top/") + sub);
    for (const char* name : {"top/z.jpg", "top/y.png", "top/a/1.jpg", "top/a/2.jpg",
                             "top/a/deep/3.jpg", "top/b/4.jpg"})
        writeFile(root() + "/" + name);

    app::SearchFolder(top, list, pump);

    // Expected: the walk rebuilt from the listing order of each folder.
    Paths expected;
    std::function<void(const std::string&)> walk = [&](const std::string& path) {
        for (const std::string& picture : listed(path, true))
            expected.push_back(picture);
        for (const std::string& sub : listed(path, false))
            walk(sub);
    };
    walk(top);
    ASSERT_EQ(expected.size(), 6u);
    EXPECT_EQ(working(), expected);
    EXPECT_EQ(pump.pumps % 2, 0);
    EXPECT_GT(pump.pumps, 0);

    // A trailing separator joins without doubling it.
    list.clear();
    app::SearchFolder(top + "/", list, pump);
    EXPECT_EQ(working(), expected);
}

TEST_F(FolderScanTest, SearchesReadOnlyFoldersButNotHiddenOrLinkedOnes) {
    const std::string top = folder("top");
    writeFile(folder("top/plain") + "/in.jpg");
    writeFile(folder("top/plain") + "/caf\xE9.jpg"); // not valid UTF-8: kept byte for byte
    writeFile(folder("top/.hidden") + "/in.jpg");
    writeFile(folder("top/locked") + "/in.jpg");
    writeFile(folder("elsewhere") + "/in.jpg");
    const std::string lockedJpg = folder("top/shut.jpg");
    ASSERT_EQ(::symlink((root() + "/elsewhere").c_str(), (top + "/link").c_str()), 0);
    ASSERT_EQ(::symlink((root() + "/elsewhere").c_str(), (top + "/linked.jpg").c_str()), 0);
    ASSERT_EQ(::chmod((top + "/locked").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(lockedJpg.c_str(), 0555), 0);

    app::SearchFolder(top, list, pump);
    Paths got = working();
    std::sort(got.begin(), got.end());
    // A folder that is not searched is judged by its name like a file; folders without write
    // permission (an archive, a camera card) are searched.
    EXPECT_EQ(got, (Paths{top + "/linked.jpg", top + "/locked/in.jpg", top + "/plain/caf\xE9.jpg",
                          top + "/plain/in.jpg"}));

    ::chmod((top + "/locked").c_str(), 0755);
    ::chmod(lockedJpg.c_str(), 0755);
}

TEST_F(FolderScanTest, SearchesOnlyTheFirstTwoHundredSubfolders) {
    const std::string top = folder("many");
    for (int i = 0; i < app::kMaxSubfolders + 1; ++i)
        writeFile(folder("many/s" + std::to_string(i)) + "/p.jpg");
    app::SearchFolder(top, list, pump);
    const Paths subfolders = listed(top, false);
    ASSERT_EQ(subfolders.size(), 201u);
    ASSERT_EQ(list.count(), app::kMaxSubfolders);
    EXPECT_EQ(list.workingPath(199), subfolders[199] + "/p.jpg");
    const Paths got = working();
    EXPECT_EQ(std::find(got.begin(), got.end(), subfolders[200] + "/p.jpg"), got.end());
}

TEST_F(FolderScanTest, LocksTheFrontWhileSearchingAndRestoresTheHint) {
    const std::string top = folder("top");
    writeFile(top + "/a.jpg");
    std::vector<bool> lockedWhilePumping;
    std::vector<std::string> hintWhilePumping;
    pump.onMessage = [&] {
        lockedWhilePumping.push_back(front.locked);
        hintWhilePumping.push_back(front.hintText);
    };
    writeFile(top + "/b.jpg");
    prompts.browseNext(top);
    commands.CmdToolsBar_Click(app::ToolCommands::AddFolder);
    ASSERT_GE(lockedWhilePumping.size(), 3u);
    EXPECT_TRUE(lockedWhilePumping[1]);
    EXPECT_EQ(hintWhilePumping[1], app::kSearchingText);
    EXPECT_FALSE(front.locked);
    EXPECT_EQ(front.hintText, app::kDropHintText);
    EXPECT_FALSE(front.hintVisible);
    EXPECT_EQ(list.count(), 2);
    EXPECT_TRUE(list2_->updatesEnabled()); // repainting resumes after the search

    // A folder handed over by a second start is searched under the same lock.
    list.clear();
    lockedWhilePumping.clear();
    app::addOpenedPaths({top}, list, front, pump);
    ASSERT_FALSE(lockedWhilePumping.empty());
    EXPECT_TRUE(lockedWhilePumping.front());
    EXPECT_FALSE(front.locked);
    EXPECT_EQ(front.hintText, app::kDropHintText);
    EXPECT_EQ(list.count(), 2);

    // An empty folder or a cancelled browser on an empty list shows the hint again.
    list.clear();
    prompts.browseNext(folder("empty"));
    commands.CmdToolsBar_Click(app::ToolCommands::AddFolder);
    EXPECT_TRUE(front.hintVisible);
    prompts.cancelNextBrowse();
    commands.CmdToolsBar_Click(app::ToolCommands::AddFolder);
    EXPECT_TRUE(front.hintVisible);
    EXPECT_FALSE(front.locked);
    EXPECT_EQ(front.hintText, app::kDropHintText);
    EXPECT_EQ(list.count(), 0);
}

} // namespace
} // namespace pw::test
