// The command relay, the drop handlers, the drop event filter and the selection labels.
#include "filelist/command_relay.h"
#include "filelist/drop_intake.h"
#include "filelist/drop_target.h"
#include "filelist/folder_scan.h"
#include "filelist/tool_commands.h"
#include "filelist_fixture.h"
#include "platform/files.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace pw::test {
namespace {

using Paths = std::vector<std::string>;

std::unique_ptr<QMimeData> filesData(const Paths& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const std::string& path : paths)
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
    data->setUrls(urls);
    return data;
}

TEST_F(FileListTest, RelayRunsExactWordsOnlyAndAlwaysClearsTheText) {
    QLineEdit txtMsg;
    std::vector<QString> seen;
    QObject::connect(&txtMsg, &QLineEdit::textChanged,
                     [&](const QString& t) { seen.push_back(t); });
    CommandTable table; // the tool commands, Convert counted
    bindToolCommands(table, commands, engine);
    table.bind(Command::Convert, [this] { ++engine.converts; });
    CommandRelay relay(&txtMsg, table); // after the recorder: it sees each change first

    for (const char* word : {"add", "Add ", "REMOVE", "convert", "Add folder", "Sort", " Add"}) {
        txtMsg.setText(word);
        EXPECT_EQ(txtMsg.text(), "") << word;
    }
    EXPECT_TRUE(prompts.openRequests.empty());
    EXPECT_TRUE(prompts.browsePrompts.empty());
    EXPECT_EQ(engine.removeMenus + engine.converts, 0);

    seen.clear();
    txtMsg.setText("Add");
    EXPECT_EQ(prompts.openRequests.size(), 1u);
    EXPECT_EQ(seen, (std::vector<QString>{"Add", ""})); // cleared once, no further change
    txtMsg.setText("Remove");
    EXPECT_EQ(engine.removeMenus, 1);
    txtMsg.setText("Add Folder");
    EXPECT_EQ(prompts.browsePrompts.size(), 1u);
    txtMsg.setText("Convert");
    EXPECT_EQ(engine.converts, 1);
    EXPECT_EQ(txtMsg.text(), "");
}

TEST_F(FileListTest, PictureOnlyDropsOnTheHintBoxAndTheEngineDropPanel) {
    DropIntake drops(list, front, engine, pump);
    const auto data = filesData({"/in/a.jpg", "/in/b.TXT", "/in/c.TIFF"}); // need not exist
    drops.picText_OLEDragDrop(data.get());
    EXPECT_EQ(working(), (Paths{"/in/a.jpg", "/in/c.TIFF"}));
    EXPECT_EQ(shown(), working());
    EXPECT_FALSE(front.hintVisible);

    list.clear();
    front.hintVisible = true;
    drops.EnginePicDoor_OLEDragDrop(filesData({"/in/b.TXT", "/in/folder"}).get());
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(front.hintVisible);
    EXPECT_EQ(engine.dropPanelHides, 1);
    drops.EnginePicDoor_OLEDragDrop(data.get());
    EXPECT_EQ(working(), (Paths{"/in/a.jpg", "/in/c.TIFF"}));
    EXPECT_FALSE(front.hintVisible);

    QMimeData text;
    text.setText("/in/a.jpg");
    drops.picText_OLEDragDrop(&text);
    EXPECT_EQ(list.count(), 2);

    // A name that is not valid UTF-8 keeps its bytes.
    QMimeData latin1;
    latin1.setUrls({QUrl::fromEncoded("file:///in/caf%E9%20bar.jpg")});
    drops.picText_OLEDragDrop(&latin1);
    EXPECT_EQ(working().back(), "/in/caf\xE9 bar.jpg");
}

TEST_F(FileListTest, ListDropsAddEveryFileInDropOrder) {
    DropIntake drops(list, front, engine, pump);
    const Paths files = {file("a.jpg"), file("b.TXT"), file("c.TIFF")};
    drops.picDoor_OLEDragDrop(filesData(files).get());
    EXPECT_TRUE(front.welcomeHidden);
    EXPECT_EQ(working(), files);
    EXPECT_EQ(shown(), files);
    EXPECT_FALSE(front.hintVisible);
}

TEST_F(FileListTest, DroppedFoldersAddTheirPicturesAsAddFolderDoesWhereTheyStand) {
    const std::string before = file("before.jpg");
    const std::string after = file("after.TXT");
    const std::string top = root() + "/top";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(top + "/sub")));
    for (const char* name : {"/b.png", "/a.jpg", "/notes.txt", "/sub/c.tif"})
        writeFile(top + name);
    Paths searched; // Add Folder's order
    SearchFolder(
        top, [&searched](const std::string& path) { searched.push_back(path); }, pump);
    ASSERT_EQ(searched.size(), 3u);

    DropIntake drops(list, front, engine, pump);
    drops.List2_OLEDragDrop(filesData({before, top, after}).get());
    Paths expected = {before};
    expected.insert(expected.end(), searched.begin(), searched.end());
    expected.push_back(after);
    EXPECT_EQ(working(), expected);
    EXPECT_EQ(shown(), expected);
    EXPECT_FALSE(front.hintVisible);
    EXPECT_FALSE(front.locked); // locked only while searching
    EXPECT_EQ(front.hintText, kDropHintText);

    // The hint box too, pictures only.
    list.clear();
    drops.picText_OLEDragDrop(filesData({top, after, before}).get());
    expected = searched;
    expected.push_back(before);
    EXPECT_EQ(working(), expected);
}

TEST_F(FileListTest, ListDropsCopyNamesTheNarrowEncodingCannotExpress) {
    os::setNarrowCodec(os::NarrowCodec::Latin1);
    DropIntake drops(list, front, engine, pump);
    const std::string first = file("\xC5\xBE"
                                   "a.jpg"); // "ža.jpg"
    const std::string second = file("\xC5\xBE"
                                    "b.jpg"); // "žb.jpg"
    const std::string plain = file("plain.jpeg");
    drops.List2_OLEDragDrop(filesData({first, plain, second}).get());
    EXPECT_EQ(working(), (Paths{scratch() + "/1.jpg", plain, scratch() + "/2.jpg"}));
    EXPECT_EQ(shown(), (Paths{root() + "/?a.jpg", plain, root() + "/?b.jpg"}));
    EXPECT_TRUE(os::fileExists(scratch() + "/1.jpg"));
    EXPECT_TRUE(os::fileExists(scratch() + "/2.jpg"));
}

TEST_F(FileListTest, DropEventsReachTheListThroughItsViewport) {
    DropIntake drops(list, front, engine, pump);
    DropTarget::install(
        list2_.get(), [&](const QMimeData* d) { drops.List2_OLEDragDrop(d); },
        [&] { drops.List2_OLEDragOver(); });
    QWidget* viewport = list2_->viewport();
    const Paths files = {file("x.png"), file("y.doc")};
    const auto data = filesData(files);
    const QPointF at(5, 5);

    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    EXPECT_FALSE(front.hintVisible);

    QDragMoveEvent move(at.toPoint(), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    EXPECT_TRUE(move.isAccepted());

    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(working(), files);

    QMimeData text;
    text.setText("hello");
    QDragEnterEvent refused(at.toPoint(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(FileListTest, SelectionLabelsShowPageAndShortenedName) {
    const std::string forty(40, 'a');
    const std::string fortyOne = "b" + forty;
    const std::string wide = "\xC5\xBE" + forty; // 41 characters, 42 bytes
    list.append("/w1", forty);
    list.append("/w2", fortyOne);
    list.append("/w3", wide);

    list2_->setCurrentRow(0); // as a click does
    EXPECT_EQ(front.pageText, "Page Number: 1 of 3");
    EXPECT_EQ(front.filenameText, forty);
    list.select(1);
    EXPECT_EQ(front.pageText, "Page Number: 2 of 3");
    EXPECT_EQ(front.filenameText, "..." + forty);
    EXPECT_EQ(front.filenameToolTip, fortyOne);
    list.select(2);
    EXPECT_EQ(front.pageText, "Page Number: 3 of 3");
    EXPECT_EQ(front.filenameText, "..." + forty);
    list.select(-1); // the count stays in sight
    EXPECT_EQ(front.pageText, "Page Number: 0 of 3");
    EXPECT_EQ(front.filenameText, "");
}

} // namespace
} // namespace pw::test
