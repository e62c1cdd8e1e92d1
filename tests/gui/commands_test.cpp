// The CmdToolsBar commands and Sort on real list widgets.
#include "app/file_filter.h"
#include "app/help_pages.h"
#include "app/narrow_files.h"
#include "filelist_fixture.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QUrl>
#include <algorithm>

namespace pw::test {
namespace {

using Paths = std::vector<std::string>;

TEST_F(FileListTest, RemoveTakesTheSelectedEntryAndEmptiesCleanly) {
    commands.CmdToolsBar_Click(app::ToolCommands::Remove); // empty list: nothing happens
    EXPECT_EQ(list.count(), 0);
    EXPECT_GE(engine.dropPanelHides, 1);

    fill({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"});
    front.hintVisible = false;
    commands.CmdToolsBar_Click(app::ToolCommands::Remove); // nothing selected
    EXPECT_EQ(list.count(), 3);

    list.select(1);
    EXPECT_EQ(front.pageText, "Page Number: 2 of 3");
    commands.CmdToolsBar_Click(app::ToolCommands::Remove);
    EXPECT_EQ(working(), (Paths{"/p/a.jpg", "/p/c.jpg"}));
    EXPECT_EQ(shown(), (Paths{"shown:/p/a.jpg", "shown:/p/c.jpg"}));
    EXPECT_EQ(list.selected(), -1);
    EXPECT_EQ(front.pageText, "Page Number: 0 of 2");
    EXPECT_FALSE(front.hintVisible);

    list.select(0);
    commands.CmdToolsBar_Click(app::ToolCommands::Remove);
    list.select(0);
    commands.CmdToolsBar_Click(app::ToolCommands::Remove);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list2_->count(), 0);
    EXPECT_TRUE(front.hintVisible);
    EXPECT_EQ(front.pageText, app::kNoPageText);
    EXPECT_EQ(front.filenameText, "");
}

TEST_F(FileListTest, CleanEmptiesBothListsAndShowsTheHint) {
    fill({"/p/a.jpg", "/p/b.jpg"});
    list.select(1);
    front.hintVisible = false;
    commands.CmdToolsBar_Click(app::ToolCommands::Clean);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list2_->count(), 0);
    EXPECT_TRUE(front.hintVisible);
    EXPECT_EQ(front.pageText, app::kNoPageText);
    commands.CmdToolsBar_Click(app::ToolCommands::Clean);
    EXPECT_TRUE(front.hintVisible);
}

TEST_F(FileListTest, MovingKeepsPairsAndSelectionAndStopsAtTheEnds) {
    fill({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"});
    commands.CmdToolsBar_Click(app::ToolCommands::MoveDown); // nothing selected
    commands.CmdToolsBar_Click(app::ToolCommands::MoveUp);
    EXPECT_EQ(working(), (Paths{"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}));

    list.select(0);
    commands.CmdToolsBar_Click(app::ToolCommands::MoveUp); // first entry
    EXPECT_EQ(working(), (Paths{"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}));
    EXPECT_EQ(list.selected(), 0);

    commands.CmdToolsBar_Click(app::ToolCommands::MoveDown);
    commands.CmdToolsBar_Click(app::ToolCommands::MoveDown);
    EXPECT_EQ(working(), (Paths{"/p/b.jpg", "/p/c.jpg", "/p/a.jpg"}));
    EXPECT_EQ(shown(), (Paths{"shown:/p/b.jpg", "shown:/p/c.jpg", "shown:/p/a.jpg"}));
    EXPECT_EQ(list.selected(), 2);
    EXPECT_EQ(list1_->currentRow(), 2);
    // The labels show the visible list's row, as a click on it would.
    EXPECT_EQ(front.pageText, "Page Number: 3 of 3");
    EXPECT_EQ(front.filenameText, "shown:/p/a.jpg");

    commands.CmdToolsBar_Click(app::ToolCommands::MoveDown); // last entry
    EXPECT_EQ(working(), (Paths{"/p/b.jpg", "/p/c.jpg", "/p/a.jpg"}));

    commands.CmdToolsBar_Click(app::ToolCommands::MoveUp);
    EXPECT_EQ(working(), (Paths{"/p/b.jpg", "/p/a.jpg", "/p/c.jpg"}));
    EXPECT_EQ(shown(), (Paths{"shown:/p/b.jpg", "shown:/p/a.jpg", "shown:/p/c.jpg"}));
    EXPECT_EQ(list.selected(), 1);
    EXPECT_EQ(front.pageText, "Page Number: 2 of 3");
}

TEST_F(FileListTest, ARowWhoseHighlightIsClearedIsNotSelected) {
    fill({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"});
    list2_->resize(300, 200);
    list2_->show();
    const QPoint row1 = list2_->visualRect(list2_->model()->index(1, 0)).center();
    for (const Qt::KeyboardModifiers modifiers : {Qt::NoModifier, Qt::ControlModifier}) {
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent click(type, row1, list2_->viewport()->mapToGlobal(row1), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              modifiers);
            QCoreApplication::sendEvent(list2_->viewport(), &click);
        }
        if (modifiers == Qt::NoModifier) {
            EXPECT_EQ(front.pageText, "Page Number: 2 of 3");
        }
    }
    ASSERT_EQ(list2_->currentRow(), 1); // Qt keeps the row current, without the highlight
    EXPECT_EQ(list.selected(), -1);
    EXPECT_EQ(front.pageText, "Page Number: 0 of 3");
    EXPECT_EQ(front.filenameText, "");
    commands.CmdToolsBar_Click(app::ToolCommands::MoveUp);
    commands.CmdToolsBar_Click(app::ToolCommands::MoveDown);
    commands.CmdToolsBar_Click(app::ToolCommands::Remove);
    EXPECT_EQ(working(), (Paths{"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}));
}

TEST_F(FileListTest, SortByLocaleIgnoringCaseWithNumbersByValueKeepingPairs) {
    fill({"c:/C/a.jpg", "/z.jpg", "C:/b/x.jpg", "/Y.jpg"});
    list.select(2);
    commands.menuSort_Click();
    EXPECT_EQ(working(), (Paths{"/Y.jpg", "/z.jpg", "C:/b/x.jpg", "c:/C/a.jpg"}));
    EXPECT_EQ(shown(),
              (Paths{"shown:/Y.jpg", "shown:/z.jpg", "shown:C:/b/x.jpg", "shown:c:/C/a.jpg"}));
    EXPECT_EQ(list.selected(), -1);
    EXPECT_EQ(list.model().index(0).data().toString(), list2_->text(0));

    list.clear();
    fill({"/p/Zoo.jpg", "/p/IMG_10.jpg",
          "/p/\xC3\xA9"
          "clair.jpg",
          "/p/IMG_2.jpg", "/p/eclair.jpg"});
    commands.menuSort_Click();
    EXPECT_EQ(working(), (Paths{"/p/eclair.jpg",
                                "/p/\xC3\xA9"
                                "clair.jpg",
                                "/p/IMG_2.jpg", "/p/IMG_10.jpg", "/p/Zoo.jpg"}));
}

// The sort is one step: no message (a drop, a second start's pictures) runs in its middle.
TEST_F(FileListTest, SortRunsNoMessagesMeanwhile) {
    fill({"/b.jpg", "/a.jpg"});
    pump.onMessage = [this] { list.append("/dropped.jpg", "/dropped.jpg"); };
    commands.menuSort_Click();
    EXPECT_EQ(working(), (Paths{"/a.jpg", "/b.jpg"}));
    EXPECT_EQ(pump.pumps, 0);
}

TEST_F(FileListTest, AddAppendsThePickedFileEachTimeItIsPicked) {
    const std::string picked = file("a.jpg");
    prompts.openNext(picked);
    prompts.openNext(picked);
    commands.CmdToolsBar_Click(app::ToolCommands::Add);
    commands.CmdToolsBar_Click(app::ToolCommands::Add);
    ASSERT_EQ(prompts.openRequests.size(), 2u);
    EXPECT_EQ(prompts.openRequests[0].filter,
              "All Pictures|*.jpg;*.jpeg;*.tif;*.tiff;*.bmp;*.gif;*.png;*.heic;*.heif;*.avif;"
              "*.webp;*.jxl;*.pdf|JPG Files(*.jpg)|*.jpg|JPEG Files(*.jpeg)|*.jpeg|TIF "
              "Files(*.tif)|*.tif|TIFF Files(*.tiff)|*.tiff|BMP Files(*.BMP)|*.bmp|GIF "
              "Files(*.gif)|*.gif|PNG Files(*.png)|*.png|HEIC Files(*.heic)|*.heic|HEIF "
              "Files(*.heif)|*.heif|AVIF Files(*.avif)|*.avif|WebP Files(*.webp)|*.webp|JPEG XL "
              "Files(*.jxl)|*.jxl|PDF Files(*.pdf)|*.pdf|All Files(*.*)|*.*");
    // The first entry, picked unless the user picks another, shows every picture type.
    const std::vector<std::string> filters = app::qtNameFilters(app::addFilter());
    ASSERT_FALSE(filters.empty());
    EXPECT_EQ(filters.front(), "All Pictures (*.jpg *.jpeg *.tif *.tiff *.bmp *.gif *.png *.heic "
                               "*.heif *.avif *.webp *.jxl *.pdf)");
    for (const char* type : {"*.heic", "*.heif", "*.avif", "*.webp", "*.jxl"}) {
        EXPECT_TRUE(std::any_of(filters.begin() + 1, filters.end(), [type](const std::string& f) {
            return f.find(type) != std::string::npos;
        })) << type;
    }
    EXPECT_EQ(prompts.openRequests[0].caption, "");
    EXPECT_EQ(working(), (Paths{picked, picked}));
    EXPECT_EQ(shown(), (Paths{picked, picked}));
    EXPECT_FALSE(front.hintVisible);
    EXPECT_EQ(prompts.openRequests[1].fileName, ""); // the name box starts empty again
    EXPECT_TRUE(platform::isDirectory(scratch()));

    prompts.cancelNextOpen();
    commands.CmdToolsBar_Click(app::ToolCommands::Add);
    EXPECT_EQ(list.count(), 2);
}

TEST_F(FileListTest, AddCopiesNamesTheNarrowEncodingCannotExpress) {
    platform::setNarrowCodec(platform::NarrowCodec::Latin1);
    const std::string photo = file("fo\xC5\xBE.jpeg"); // "fož.jpeg"
    const std::string scan = file("\xC5\xBEx.jpg");
    prompts.openNext(photo);
    prompts.openNext(scan);
    prompts.openNext(photo);
    commands.CmdToolsBar_Click(app::ToolCommands::Add);
    commands.CmdToolsBar_Click(app::ToolCommands::Add);
    commands.CmdToolsBar_Click(app::ToolCommands::Add);
    EXPECT_EQ(working(), (Paths{scratch() + "/1.peg", scratch() + "/1.jpg", scratch() + "/2.peg"}));
    EXPECT_EQ(shown(), (Paths{photo, scan, photo}));
    EXPECT_TRUE(platform::fileExists(scratch() + "/2.peg"));
    // A '?' substitute must not find another file as a wildcard.
    EXPECT_FALSE(app::NarrowFileExists(root() + "/fo\xC5\xBE.jpeg"));
}

TEST_F(FileListTest, AddTakesSeveralPicturesInTheDialogsOrderEachAsASinglePickIs) {
    platform::setNarrowCodec(platform::NarrowCodec::Latin1);
    const std::string c = file("c.jpg");
    const std::string odd = file("\xC5\xBE.jpg"); // "ž.jpg": copied, as a single pick is
    const std::string a = file("a.png");
    prompts.openNext(root() + '\0' + "c.jpg" + '\0' + "\xC5\xBE.jpg" + '\0' + "a.png", 0x200);
    commands.CmdToolsBar_Click(app::ToolCommands::Add);
    ASSERT_EQ(prompts.openRequests.size(), 1u);
    EXPECT_EQ(prompts.openRequests[0].flags & 0x200u, 0x200u);
    EXPECT_EQ(working(), (Paths{c, scratch() + "/1.jpg", a}));
    EXPECT_EQ(shown(), (Paths{c, odd, a}));
    EXPECT_FALSE(front.hintVisible);
    EXPECT_EQ(list.selected(), -1);
}

TEST_F(FileListTest, TheListRefusesEntriesBeyondItsSixteenBitCount) {
    for (int i = 0; i < app::FileList::kMaxEntries; ++i)
        ASSERT_TRUE(list.append("/a.jpg", "/a.jpg"));
    EXPECT_FALSE(list.append("/b.jpg", "/b.jpg"));
    EXPECT_EQ(list.count(), app::FileList::kMaxEntries);
    EXPECT_EQ(list2_->count(), app::FileList::kMaxEntries);
}

TEST_F(FileListTest, ExitWebsiteAndUnknownIndices) {
    commands.CmdToolsBar_Click(7);
    commands.CmdToolsBar_Click(-1);
    EXPECT_EQ(engine.exits, 0);
    commands.CmdToolsBar_Click(app::ToolCommands::Exit);
    EXPECT_EQ(engine.exits, 1);

    commands.menuWeb_Click();
    ASSERT_EQ(engine.urls.size(), 1u);
    EXPECT_EQ(engine.urls[0], app::productPageUrl());
}

TEST(HelpPages, AreInstalledBesideTheProgram) {
    platform::setApplicationFolder(PW_TEST_APP_DIR);
    for (const std::string& url : {app::productPageUrl(), app::tutorialPageUrl()}) {
        ASSERT_EQ(url.rfind("file://", 0), 0u) << url;
        const QString path = QUrl(QString::fromStdString(url)).toLocalFile();
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(QString(PW_TEST_APP_DIR) + "/help/style.css"));
    platform::setApplicationFolder("");
}

} // namespace
} // namespace pw::test
