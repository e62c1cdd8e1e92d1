// The front window by keyboard alone, and the list's undo history as the windows share it.
#include "filelist/file_list.h"
#include "filelist/picture_list_view.h"
#include "form/pages_window.h"
#include "form_fixture.h"
#include "resources/theme.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <functional>

namespace pw::test {
namespace {

class FrontKeys : public FormTest {
protected:
    frmMain& start() {
        frmMain& front = *startProgram().front();
        QApplication::setActiveWindow(&front);
        return front;
    }
    // A key pressed where the keyboard focus is in `window`, as a user presses it.
    static void key(QWidget& window, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = window.focusWidget() != nullptr ? window.focusWidget() : &window;
        QKeyEvent press(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(target, &press);
    }
    std::string file(const QString& name) {
        const QString path = dir_.path() + QLatin1Char('/') + name;
        QFile(path).open(QIODevice::WriteOnly);
        return path.toStdString();
    }
    // Every row as "working path @ quarter turns".
    std::vector<std::string> rows() const {
        std::vector<std::string> texts;
        const PictureListModel& model = app_->fileList()->model();
        for (int row = 0; row < model.count(); ++row) {
            const int turns = model.index(row).data(PictureListModel::RotationRole).toInt();
            texts.push_back(model.workingPath(row) + " @" + std::to_string(turns));
        }
        return texts;
    }
    QAction* item(const char* name) const {
        return engine_->menuBar->findChild<QAction*>(QString::fromUtf8(name));
    }
};

TEST_F(FrontKeys, TabVisitsTheControlsInOrderShowsItsMarkAndSpaceOrEnterPresses) {
    frmMain& front = start();
    for (const char* name : {"/k/a.jpg", "/k/b.jpg", "/k/c.jpg"})
        front.fileList().append(name, name);
    front.picDoor->show(); // as at start, over the list
    front.List2->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), front.List2);

    std::vector<QWidget*> expected = {front.imgUp, front.imgDown, front.imgConvert};
    expected.insert(expected.end(), front.imgToolbar.begin(), front.imgToolbar.end());
    expected.insert(expected.end(), front.imgMenu.begin(), front.imgMenu.end());
    expected.push_back(front.List2);
    for (QWidget* next : expected) {
        key(front, Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
        // The welcome panel gives way to the controls under it once the keyboard is there.
        EXPECT_TRUE(front.picDoor->isHidden());
    }
    key(front, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), front.imgMenu[3]);
    key(front, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), front.imgMenu[2]);

    // The focused control is traced in the artwork's accent, a button inside its area, the
    // list around it; the same places without the focus show the artwork.
    const QRect button = front.imgConvert->geometry();
    const QRect list = front.List2->geometry().adjusted(-4, -4, 4, 4);
    const QPoint buttonEdge(1, button.height() / 2);
    const QPoint listEdge(2, list.height() / 2);
    const QColor accent = QColor::fromRgb(theme::kAccent);
    front.imgConvert->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(front.grab(button).toImage().pixelColor(buttonEdge), accent);
    EXPECT_NE(front.grab(list).toImage().pixelColor(listEdge), accent);
    front.List2->setFocus(Qt::TabFocusReason);
    EXPECT_NE(front.grab(button).toImage().pixelColor(buttonEdge), accent);
    EXPECT_EQ(front.grab(list).toImage().pixelColor(listEdge), accent);
    front.imgUp->setFocus(Qt::TabFocusReason);
    front.List2->setFocus(Qt::MouseFocusReason); // a click marks nothing
    EXPECT_NE(front.grab(list).toImage().pixelColor(listEdge), accent);

    // Space presses the focused button, Enter too.
    front.fileList().select(2);
    front.imgUp->setFocus(Qt::TabFocusReason);
    key(front, Qt::Key_Space);
    EXPECT_EQ(front.fileList().workingPath(1), "/k/c.jpg");
    EXPECT_EQ(front.lblPage->text(), QStringLiteral("Page Number: 2 of 3"));
    front.imgToolbar[0]->setFocus(Qt::TabFocusReason);
    key(front, Qt::Key_Return); // Add: the open dialog, cancelled
    EXPECT_EQ(prompts_.openRequests.size(), 1u);
    EXPECT_EQ(QApplication::focusWidget(), front.imgToolbar[0]);
}

TEST_F(FrontKeys, CtrlPOpensThePagesAndTheMenusShowTheirKeys) {
    frmMain& front = start();
    front.fileList().append("/k/a.jpg", "/k/a.jpg");
    front.List2->setFocus();
    key(front, Qt::Key_P, Qt::ControlModifier);
    PagesWindow* pages = app_->pagesWindow();
    ASSERT_NE(pages, nullptr);
    EXPECT_TRUE(pages->isVisible());
    pages->close();
    item("menuPages")->trigger();
    EXPECT_TRUE(pages->isVisible());

    const std::pair<const char*, const char*> keys[] = {
        {"menuAdd", "Ctrl+O"},   {"menuFolder", "Ctrl+Shift+O"}, {"menuExit", "Ctrl+Q"},
        {"menuRemove", "Del"},   {"menuUp", "Ctrl+Up"},          {"menuDown", "Ctrl+Down"},
        {"menuPages", "Ctrl+P"}, {"menuUndo", "Ctrl+Z"},         {"menuRedo", "Ctrl+Shift+Z"},
    };
    for (const auto& [name, shortcut] : keys)
        EXPECT_EQ(item(name)->shortcut(), QKeySequence(QString::fromUtf8(shortcut))) << name;
    EXPECT_TRUE(item("menuSort")->shortcut().isEmpty());
}

// Each kind of change, from wherever it is made, goes back with Ctrl+Z and comes again with
// Ctrl+Shift+Z, in the front window and in the Pages window alike; the menu's entries follow.
TEST_F(FrontKeys, EveryChangeToTheListIsUndoneAndRedone) {
    frmMain& front = start();
    QAction* undo = item("menuUndo");
    QAction* redo = item("menuRedo");
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    const std::string a = file(QStringLiteral("a.jpg"));
    const std::string b = file(QStringLiteral("b.jpg"));
    QDir().mkpath(dir_.path() + QStringLiteral("/folder"));
    const std::string c = file(QStringLiteral("folder/c.jpg"));
    const std::string d = file(QStringLiteral("folder/d.jpg"));
    const std::string e = file(QStringLiteral("e.jpg"));
    front.List2->setFocus();

    const auto check = [&](const char* what, QWidget& window, const std::function<void()>& change) {
        SCOPED_TRACE(what);
        const std::vector<std::string> before = rows();
        change();
        const std::vector<std::string> after = rows();
        ASSERT_NE(after, before);
        EXPECT_TRUE(undo->isEnabled());
        key(window, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(rows(), before);
        EXPECT_TRUE(redo->isEnabled());
        key(window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(rows(), after);
        EXPECT_FALSE(redo->isEnabled());
    };

    check("Add, two pictures at once", front, [&] {
        prompts_.openNext(dir_.path().toStdString() + '\0' + "a.jpg" + '\0' + "b.jpg");
        front.imgToolbar[0]->setFocus(Qt::TabFocusReason);
        key(front, Qt::Key_Space);
        front.List2->setFocus();
    });
    key(front, Qt::Key_Z, Qt::ControlModifier); // back to an empty list: the hint shows
    EXPECT_FALSE(front.picText->isHidden());
    EXPECT_EQ(front.lblPage->text(), QStringLiteral("Page Number: 0"));
    key(front, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(front.picText->isHidden());
    check("Add Folder", front, [&] {
        prompts_.browseNext(dir_.path().toStdString() + "/folder");
        item("menuFolder")->trigger();
    });
    check("a drop", front, [&] {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(e)),
                      QUrl::fromLocalFile(QString::fromStdString(a))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(front.List2->viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(front.List2->viewport(), &drop);
    });
    ASSERT_EQ(rows().size(), 6u);
    check("Move Up", front, [&] {
        front.fileList().select(3);
        key(front, Qt::Key_Up, Qt::ControlModifier);
    });
    check("Move Down", front, [&] {
        front.fileList().select(0);
        item("menuDown")->trigger();
    });
    EXPECT_EQ(front.fileList().selected(), 1); // the moved picture, where it went again
    check("Remove", front, [&] {
        front.fileList().select(4);
        key(front, Qt::Key_Delete);
    });
    check("Sort", front, [&] { item("menuSort")->trigger(); });
    check("Remove All", front, [&] { item("menuRemoveAll")->trigger(); });
    key(front, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(front.List2->count(), 5);
    EXPECT_EQ(front.List2->highlightedRow(), 0); // every picture back, and selected
    EXPECT_EQ(front.lblPage->text(), QStringLiteral("Page Number: 1 of 5"));

    key(front, Qt::Key_P, Qt::ControlModifier);
    PagesWindow& pages = *app_->pagesWindow();
    QApplication::setActiveWindow(&pages);
    pages.view()->setFocus();
    check("Rotate Right in the Pages", pages, [&] {
        front.fileList().select(1);
        pages.cmdRotateRight->click();
    });
    check("a drag in the Pages", pages, [&] {
        front.fileList().select(0);
        pages.moveSelected(5);
    });
    check("Delete in the Pages", pages, [&] {
        front.fileList().select(2);
        key(pages, Qt::Key_Delete);
    });
    EXPECT_EQ(front.List2->count(), 4); // the front window follows the Pages window's redo
    QApplication::setActiveWindow(&front);
    key(front, Qt::Key_Z, Qt::ControlModifier); // one history for both windows
    EXPECT_EQ(front.List2->count(), 5);
}

} // namespace
} // namespace pw::test
