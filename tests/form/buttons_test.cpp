#include "filelist/drop_intake.h"
#include "filelist/file_list.h"
#include "filelist/picture_list_view.h"
#include "form_fixture.h"
#include "platform/paths.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <functional>

namespace pw::test {
namespace {

class FrontButtons : public FormTest {
protected:
    static void hover(QWidget* widget) {
        sendMouse(widget, QEvent::MouseMove, widget->rect().center(), Qt::NoButton, Qt::NoButton);
    }
    static void press(QWidget* widget, Qt::MouseButton button = Qt::LeftButton) {
        sendMouse(widget, QEvent::MouseButtonPress, widget->rect().center(), button, button);
        sendMouse(widget, QEvent::MouseButtonRelease, widget->rect().center(), button,
                  Qt::NoButton);
    }
    static std::vector<std::string> litButtons(const frmMain& front) {
        std::vector<std::string> lit;
        for (const ImageArea* area : front.findChildren<ImageArea*>()) {
            if (area->lit())
                lit.push_back(area->objectName().toStdString());
        }
        return lit;
    }
    static std::vector<std::string> rows(const PictureListView* list) {
        std::vector<std::string> texts;
        for (int i = 0; i < list->count(); ++i)
            texts.push_back(list->text(i).toStdString());
        return texts;
    }
    using Names = std::vector<std::string>;
};

TEST_F(FrontButtons, ExactlyTheButtonUnderThePointerIsLit) {
    frmMain& front = loadFront(15);
    EXPECT_EQ(litButtons(front), Names{});
    hover(front.imgToolbar[2]);
    EXPECT_EQ(litButtons(front), Names{"imgToolbar_2"});
    hover(front.imgToolbar[4]);
    EXPECT_EQ(litButtons(front), Names{"imgToolbar_4"});
    hover(front.imgMenu[1]);
    EXPECT_EQ(litButtons(front), Names{"imgMenu_1"});
    // The labels light their arrows.
    hover(front.lblUp);
    EXPECT_EQ(litButtons(front), Names{"imgUp"});
    hover(front.lblDown);
    EXPECT_EQ(litButtons(front), Names{"imgDown"});
    hover(front.imgConvert);
    EXPECT_EQ(litButtons(front), Names{"imgConvert"});
    // Bare background empties them all.
    sendMouse(&front, QEvent::MouseMove, bareBackground(front), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(litButtons(front), Names{});
}

TEST_F(FrontButtons, AnyMouseButtonActsAndTheRelayRunsTheCommand) {
    frmPrinting& engine = startProgram();
    frmMain& front = *engine.front();
    ASSERT_FALSE(front.picDoor->isHidden());

    press(front.imgToolbar[0], Qt::RightButton);
    EXPECT_TRUE(front.picDoor->isHidden());
    EXPECT_EQ(prompts_.openRequests.size(), 1u); // "Add" reached the open dialog
    EXPECT_EQ(engine.txtMsg->text(), QString());
    EXPECT_EQ(litButtons(front), Names{"imgToolbar_0"}); // pressed picture

    press(front.imgToolbar[0], Qt::MiddleButton);
    EXPECT_EQ(prompts_.openRequests.size(), 2u);

    press(front.imgToolbar[2], Qt::RightButton);
    EXPECT_EQ(prompts_.browsePrompts.size(), 1u); // "Add Folder"

    // Convert with an empty list: the job's own message.
    press(front.imgConvert, Qt::RightButton);
    EXPECT_TRUE(prompts_.shown("Please add a file"));
    EXPECT_EQ(engine.txtMsg->text(), QString());
}

TEST_F(FrontButtons, SettingsWindowIsModalAndLeavesNoButtonLit) {
    frmPrinting& engine = startProgram();
    frmMain& front = *engine.front();
    engine.txtTitle->setText(QStringLiteral("Kept"));
    bool shownModal = false;
    bool pressedWhileOpen = false;
    whenShown(engine, [&] {
        shownModal = engine.isVisible() && engine.isModal() &&
                     engine.windowTitle() == QStringLiteral("Setting");
        pressedWhileOpen = front.imgToolbar[3]->lit();
        hover(front.imgMenu[2]);
        engine.close(); // its close box
    });
    press(front.imgToolbar[3]);
    EXPECT_TRUE(shownModal);
    EXPECT_TRUE(pressedWhileOpen);
    EXPECT_FALSE(engine.isVisible());
    EXPECT_EQ(litButtons(front), Names{});
    // Shown again, it has the values it had.
    whenShown(engine, [&] { engine.close(); });
    press(front.imgToolbar[3]);
    EXPECT_EQ(engine.txtTitle->text(), QStringLiteral("Kept"));
}

TEST_F(FrontButtons, TheWelcomePanelGivesWayToTheListWhateverAddsToIt) {
    frmPrinting& engine = startProgram();
    frmMain& front = *engine.front();
    const QString picture = dir_.path() + QStringLiteral("/a.png");
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(picture));
    QAction* addFile = engine.menuFile->findChild<QAction*>(QStringLiteral("menuAdd"));
    ASSERT_NE(addFile, nullptr);

    // File > "Add a File".
    ASSERT_FALSE(front.picDoor->isHidden());
    prompts_.openNext(picture.toStdString());
    addFile->trigger();
    EXPECT_EQ(front.fileList().count(), 1);
    EXPECT_TRUE(front.picDoor->isHidden());

    // A drop on the engine form's panel.
    front.picDoor->show();
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(picture)});
    front.dropIntake().EnginePicDoor_OLEDragDrop(&dropped);
    EXPECT_EQ(front.fileList().count(), 2);
    EXPECT_TRUE(front.picDoor->isHidden());

    // A menu press, even one that adds nothing.
    front.picDoor->show();
    whenShown(*engine.menuR, [&engine] { engine.menuR->close(); });
    press(front.imgMenu[1]);
    EXPECT_TRUE(front.picDoor->isHidden());
    EXPECT_EQ(front.fileList().count(), 2);

    // A cancelled Add leaves the panel where it is.
    front.fileList().clear();
    front.picDoor->show();
    addFile->trigger();
    EXPECT_FALSE(front.picDoor->isHidden());
}

TEST_F(FrontButtons, AddAndAddFolderStartWhereEitherWasLastUsedAcrossStarts) {
    const std::string pics = dir_.path().toStdString() + "/pics";
    const std::string scans = dir_.path().toStdString() + "/scans";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(pics)));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(scans)));
    const auto fire = [this](Command command) { app_->commands().fire(command); };

    frmPrinting& engine = startProgram();
    engine.txtPath->setText(QStringLiteral("/unsaved/edit")); // never saved
    prompts_.openNext(pics + "/a.png");
    fire(Command::Add);
    endProgram();

    startProgram();
    fire(Command::AddFolder); // cancelled
    ASSERT_EQ(prompts_.browseStarts.size(), 1u);
    EXPECT_EQ(prompts_.browseStarts[0], pics);
    prompts_.browseNext(scans);
    fire(Command::AddFolder);
    endProgram();
    QFile file(dir_.path() + QStringLiteral("/app/setting.dll"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("/unsaved/edit"));

    startProgram();
    fire(Command::Add);
    EXPECT_EQ(prompts_.openRequests.back().initialDir, scans);
    endProgram();

    // A folder that is gone leaves the dialogs where they start without one.
    ASSERT_TRUE(QDir(QString::fromStdString(scans)).removeRecursively());
    startProgram();
    fire(Command::Add);
    fire(Command::AddFolder);
    EXPECT_EQ(prompts_.openRequests.back().initialDir, "");
    EXPECT_EQ(prompts_.browseStarts.back(), "");
}

TEST_F(FrontButtons, WhatCannotBeOpenedIsNamedInAMessage) {
    frmPrinting& engine = startProgram();
    std::vector<QUrl> tried;
    engine.urlOpener = [&tried](const QUrl& url) {
        tried.push_back(url);
        return false;
    };
    app_->openFolder("/srv/out put"); // as the end of a job does
    app_->commands().fire(Command::Help);
    ASSERT_EQ(tried.size(), 2u);
    EXPECT_EQ(prompts_.messageTexts(),
              (Names{"The folder could not be opened.\r\nThe PDFs are in /srv/out put",
                     "The help page could not be opened in a browser.\r\nYou will find it at " +
                         os::programFilesFolder() + "/help/tutorial.html"}));
}

TEST_F(FrontButtons, ArrowsAndLabelsMoveTheSelectedEntryKeepingItsPair) {
    frmMain& front = loadFront(15);
    FileList& list = front.fileList();
    list.append("/w/a.jpg", "A");
    list.append("/w/b.jpg", "B");
    list.append("/w/c.jpg", "C");

    // Nothing selected: nothing moves.
    list.select(-1);
    for (QWidget* button :
         {static_cast<QWidget*>(front.imgUp), static_cast<QWidget*>(front.imgDown),
          static_cast<QWidget*>(front.lblUp), static_cast<QWidget*>(front.lblDown)})
        press(button);
    EXPECT_EQ(rows(front.List1), (Names{"/w/a.jpg", "/w/b.jpg", "/w/c.jpg"}));
    EXPECT_EQ(rows(front.List2), (Names{"A", "B", "C"}));

    // Row 2 of three, up twice: on top and selected.
    list.select(1);
    press(front.imgUp);
    press(front.imgUp);
    EXPECT_EQ(rows(front.List1), (Names{"/w/b.jpg", "/w/a.jpg", "/w/c.jpg"}));
    EXPECT_EQ(rows(front.List2), (Names{"B", "A", "C"}));
    EXPECT_EQ(list.selected(), 0);
    EXPECT_EQ(front.List1->currentRow(), 0);
    EXPECT_EQ(front.lblPage->text(), QStringLiteral("Page Number: 1 of 3"));

    // The labels act like the arrows, and stop at the ends.
    press(front.lblDown);
    press(front.lblDown);
    press(front.lblDown);
    EXPECT_EQ(rows(front.List1), (Names{"/w/a.jpg", "/w/c.jpg", "/w/b.jpg"}));
    EXPECT_EQ(rows(front.List2), (Names{"A", "C", "B"}));
    EXPECT_EQ(list.selected(), 2);
    press(front.lblUp);
    EXPECT_EQ(rows(front.List2), (Names{"A", "B", "C"}));
    EXPECT_EQ(rows(front.List1), (Names{"/w/a.jpg", "/w/b.jpg", "/w/c.jpg"}));
    EXPECT_EQ(list.selected(), 1);
}

// The keys, pressed in the front window as a user presses them, and the list's context menu.
TEST_F(FrontButtons, KeysRunTheirCommands) {
    frmPrinting& engine = startProgram();
    frmMain& front = *engine.front();
    const std::vector<QUrl>& opened = openedUrls_;
    for (const char* name : {"/k/a.jpg", "/k/b.jpg", "/k/c.jpg"})
        front.fileList().append(name, name);
    QApplication::setActiveWindow(&front);
    front.List2->setFocus();
    const auto key = [&front](int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(front.List2, &press);
    };

    front.fileList().select(2);
    key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(rows(front.List1), (Names{"/k/a.jpg", "/k/c.jpg", "/k/b.jpg"}));
    EXPECT_EQ(front.lblPage->text(), QStringLiteral("Page Number: 2 of 3"));
    key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(rows(front.List1), (Names{"/k/a.jpg", "/k/b.jpg", "/k/c.jpg"}));
    front.fileList().select(0);
    key(Qt::Key_Delete);
    EXPECT_EQ(rows(front.List1), (Names{"/k/b.jpg", "/k/c.jpg"}));

    key(Qt::Key_O, Qt::ControlModifier);                     // the open dialog, cancelled
    key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier); // the folder browser, cancelled
    EXPECT_EQ(prompts_.openRequests.size(), 1u);
    EXPECT_EQ(prompts_.browsePrompts.size(), 1u);
    key(Qt::Key_F1);
    EXPECT_EQ(opened.size(), 1u);
    key(Qt::Key_Escape); // no job: nothing to stop
    EXPECT_EQ(rows(front.List1).size(), 2u);

    QStringList menu;
    for (const QAction* action : front.List2->actions())
        menu << action->text();
    EXPECT_EQ(menu,
              (QStringList{"Add a File", "Add Folder", "Remove a File", "Move Up", "Move Down",
                           "Sort by File Path and Name", "Pages...", "Undo", "Redo", "Convert"}));
}

} // namespace
} // namespace pw::test
