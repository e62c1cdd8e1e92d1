#include "app/file_list.h"
#include "form_fixture.h"
#include "gui/pages_window.h"
#include "gui/picture_list_view.h"
#include "jpeg_maker.h"
#include "shown_text.h"
#include "test_pdfs.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <memory>

namespace pw::test {
namespace {

class PagesWindowTest : public FormTest {
protected:
    std::string picture(const char* name) const {
        return (dir_.path() + QLatin1Char('/') + QLatin1String(name)).toStdString();
    }

    void list(gui::frmMain& front, const std::vector<std::string>& paths) {
        for (const std::string& path : paths)
            ASSERT_TRUE(front.fileList().append(path, path));
    }

    // Opens the window from the Control menu, or by a double-click on List2's first row, and
    // waits for every tile's thumbnail.
    gui::PagesWindow* openPages(bool doubleClick = false) {
        if (doubleClick) {
            gui::PictureListView* list = engine_->front()->List2;
            QCoreApplication::processEvents();
            const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
            QWidget* viewport = list->viewport();
            sendMouse(viewport, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
            sendMouse(viewport, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
            sendMouse(viewport, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
            sendMouse(viewport, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        } else {
            QAction* item = engine_->menuContrl->findChild<QAction*>(QStringLiteral("menuPages"));
            EXPECT_NE(item, nullptr);
            if (item != nullptr)
                item->trigger();
        }
        gui::PagesWindow* pages = app_->pagesWindow();
        if (pages == nullptr || !pages->isVisible()) {
            ADD_FAILURE() << "the Pages window did not open";
            return nullptr;
        }
        QTimer guard;
        guard.start(20000);
        const int rows = pages->view()->model()->rowCount();
        const auto allReady = [pages, rows] {
            for (int row = 0; row < rows; ++row) {
                if (!pages->tileReady(row))
                    return false;
            }
            return true;
        };
        while (!allReady() && guard.isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        EXPECT_TRUE(allReady()) << "thumbnails not made";
        return pages;
    }

    static void dropOn(gui::PagesWindow& pages, QPoint pos) {
        QWidget* viewport = pages.view()->viewport();
        const std::unique_ptr<QMimeData> payload(pages.dragPayload());
        QDragEnterEvent enter(pos, Qt::MoveAction, payload.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDragMoveEvent move(pos, Qt::MoveAction, payload.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QDropEvent drop(QPointF(pos), Qt::MoveAction, payload.get(), Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        ASSERT_TRUE(drop.isAccepted());
    }

    static bool reddish(QRgb pixel) {
        return qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
    }
};

TEST_F(PagesWindowTest, TurnsAndMovesPagesAndTheFrontListFollows) {
    gui::frmMain& front = loadFront(15.0);
    front.show();
    QImage wide(120, 80, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    ASSERT_TRUE(wide.save(QString::fromStdString(picture("wide.jpg")), "JPEG"));
    QImage tall(60, 90, QImage::Format_RGB32);
    tall.fill(Qt::green);
    ASSERT_TRUE(tall.save(QString::fromStdString(picture("tall.png")), "PNG"));
    // Stored 64 x 48 with a red block top left; the camera says it shows turned right.
    ASSERT_TRUE(pdftool::test::writeJpeg(picture("upright.jpg"), {.exifOrientation = 6}));
    list(front, {picture("wide.jpg"), picture("tall.png"), picture("upright.jpg")});

    gui::PagesWindow* opened = openPages();
    ASSERT_NE(opened, nullptr);
    gui::PagesWindow& pages = *opened;
    EXPECT_EQ(pages.windowTitle(), QStringLiteral("Pages"));
    EXPECT_EQ(pages.caption(1), QStringLiteral("2  tall.png"));
    EXPECT_EQ(pages.shownPicture(0).size(), QSize(120, 80));
    EXPECT_EQ(pages.shownPicture(1).size(), QSize(60, 90));
    QImage shown = pages.shownPicture(2);
    ASSERT_EQ(shown.size(), QSize(48, 64));
    EXPECT_TRUE(reddish(shown.pixel(44, 3)));
    EXPECT_FALSE(reddish(shown.pixel(3, 3)));

    // Rotate Right turns the selected page on top of its EXIF turn, for the PDF as well.
    front.fileList().select(2);
    pages.cmdRotateRight->click();
    EXPECT_EQ(app_->rotation(2), 90);
    shown = pages.shownPicture(2);
    ASSERT_EQ(shown.size(), QSize(64, 48));
    EXPECT_TRUE(reddish(shown.pixel(60, 44)));

    // The first page dragged onto the right half of the last one goes to the end.
    front.fileList().select(0);
    const QRect last = pages.view()->visualRect(pages.view()->model()->index(2, 0));
    dropOn(pages, last.center() + QPoint(last.width() / 4, 0));
    const std::vector<std::string> order = {picture("tall.png"), picture("upright.jpg"),
                                            picture("wide.jpg")};
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(front.List2->text(row).toStdString(), order[static_cast<std::size_t>(row)]);
    EXPECT_EQ(app_->workingPath(2), picture("wide.jpg"));
    EXPECT_EQ(app_->rotation(1), 90);
    EXPECT_EQ(app_->rotation(2), 0);
    EXPECT_EQ(front.List2->highlightedRow(), 2);
    EXPECT_EQ(front.lblPage->text().toStdString(), "Page Number: 3 of 3");

    // The program's keys work in this window too: Ctrl+Up moves the page back.
    QApplication::setActiveWindow(&pages);
    const auto key = [&pages](int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(pages.view(), &press);
    };
    key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(app_->workingPath(1), picture("wide.jpg"));
    key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(app_->workingPath(2), picture("wide.jpg"));

    // Delete removes every selected page; the front window shows no selection.
    pages.view()->selectionModel()->select(pages.view()->model()->index(0, 0),
                                           QItemSelectionModel::Select);
    ASSERT_EQ(pages.selectedRows(), (std::vector<int>{0, 2}));
    key(Qt::Key_Delete);
    ASSERT_EQ(front.fileList().count(), 1);
    EXPECT_EQ(front.fileList().workingPath(0), picture("upright.jpg"));
    EXPECT_EQ(front.lblPage->text().toStdString(), "Page Number: 0 of 1");
}

// A PDF shows a tile per page, drawn by Poppler as its /Rotate shows it. Turning one page
// splits its row into runs and turns that page only; undo makes it one row again.
TEST_F(PagesWindowTest, APdfShowsEachPageAndOnePageTurnsAlone) {
    gui::frmMain& front = loadFront(15.0);
    front.show();
    ASSERT_TRUE(test::writeTestPdf(picture("letter.pdf"), {.pages = 3, .rotate = 90}));
    list(front, {picture("letter.pdf")});
    EXPECT_EQ(test::shownTextCounted(*front.List2, 0), picture("letter.pdf") + " (3 pages)");

    gui::PagesWindow* opened = openPages();
    ASSERT_NE(opened, nullptr);
    gui::PagesWindow& pages = *opened;
    ASSERT_EQ(pages.view()->model()->rowCount(), 3);
    EXPECT_EQ(pages.caption(1), QStringLiteral("2  letter.pdf (page 2)"));
    const int edge = pages.thumbnails().edge();
    const QSize upright = QSize(300, 400).scaled(edge, edge, Qt::KeepAspectRatio);
    EXPECT_EQ(pages.shownPicture(0).size(), upright);
    EXPECT_EQ(pages.shownPicture(1).size(), upright.transposed());
    // The page's text is drawn: dark pixels on white.
    const QImage first = pages.shownPicture(0).convertToFormat(QImage::Format_Grayscale8);
    int dark = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x)
            dark += qGray(first.pixel(x, y)) < 100 ? 1 : 0;
    EXPECT_GT(dark, 20);
    EXPECT_LT(dark, first.width() * first.height() / 4);

    pages.view()->selectionModel()->select(pages.view()->model()->index(1, 0),
                                           QItemSelectionModel::ClearAndSelect);
    pages.cmdRotateRight->click();
    ASSERT_EQ(front.fileList().count(), 3);
    ASSERT_EQ(pages.view()->model()->rowCount(), 3);
    const std::vector<int> turns = {app_->rotation(0), app_->rotation(1), app_->rotation(2)};
    EXPECT_EQ(turns, (std::vector<int>{0, 90, 0}));
    EXPECT_EQ(app_->pdfPages(1), std::vector<int>{2});
    EXPECT_EQ(front.List2->shownText(0).toStdString(), picture("letter.pdf") + " (page 1)");
    EXPECT_EQ(front.List2->shownText(1).toStdString(), picture("letter.pdf") + " (page 2)");
    EXPECT_EQ(pages.selectedTiles(), std::vector<int>{1});
    EXPECT_EQ(pages.shownPicture(0).size(), upright);
    EXPECT_EQ(pages.shownPicture(1).size(), upright);
    EXPECT_EQ(pages.shownPicture(2).size(), upright);

    // Page 1 moved to the end: 2 | 3 | 1, page 2 still turned.
    pages.view()->selectionModel()->select(pages.view()->model()->index(0, 0),
                                           QItemSelectionModel::ClearAndSelect);
    pages.moveSelected(3);
    EXPECT_EQ(app_->pdfPages(0), std::vector<int>{2});
    EXPECT_EQ(app_->rotation(0), 90);
    EXPECT_EQ(app_->pdfPages(2), std::vector<int>{1});

    ASSERT_TRUE(front.fileList().model().undo());
    ASSERT_TRUE(front.fileList().model().undo());
    ASSERT_EQ(front.fileList().count(), 1);
    EXPECT_EQ(test::shownTextCounted(*front.List2, 0), picture("letter.pdf") + " (3 pages)");
    EXPECT_EQ(app_->rotation(0), 0);
    EXPECT_EQ(pages.view()->model()->rowCount(), 3);
    EXPECT_EQ(pages.shownPicture(1).size(), upright.transposed());
}

TEST_F(PagesWindowTest, APictureThatCannotBeReadSaysWhy) {
    gui::frmMain& front = loadFront(15.0);
    front.show();
    ASSERT_TRUE(pdftool::test::writeJpeg(picture("whole.jpg"), {.width = 320, .height = 240}));
    QFile whole(QString::fromStdString(picture("whole.jpg")));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile cut(QString::fromStdString(picture("cut.jpg")));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    const QByteArray bytes = whole.readAll();
    cut.write(bytes.left(bytes.indexOf("\xFF\xDA"))); // the header without the picture's data
    cut.close();
    list(front, {picture("cut.jpg"), picture("whole.jpg")});

    gui::PagesWindow* opened = openPages(true);
    ASSERT_NE(opened, nullptr);
    gui::PagesWindow& pages = *opened;
    EXPECT_TRUE(pages.shownPicture(0).isNull());
    // The reason a conversion gives.
    const QString why = pages.problem(0);
    EXPECT_EQ(why.toStdString(), "damaged (JPEG data ends early)");
    EXPECT_EQ(pages.tileToolTip(0).toStdString(), why.toStdString());
    EXPECT_FALSE(pages.shownPicture(1).isNull());
    EXPECT_TRUE(pages.problem(1).isEmpty());
    EXPECT_EQ(pages.tileToolTip(1).toStdString(), picture("whole.jpg"));

    // Closing the program while thumbnails are being made waits for the workers.
    for (int i = 0; i < 12; ++i) {
        const QString copy = dir_.path() + QStringLiteral("/copy%1.jpg").arg(i);
        ASSERT_TRUE(QFile::copy(QString::fromStdString(picture("whole.jpg")), copy));
        list(front, {copy.toStdString()});
    }
    pages.view()->doItemsLayout();
    pages.view()->viewport()->repaint(); // the tiles ask for their thumbnails
    EXPECT_GT(pages.thumbnails().outstanding(), 0);
    endProgram();
}

// Resting the pointer on a row of the front list shows the picture over its path; one that
// cannot be read says why.
TEST_F(PagesWindowTest, TheListsToolTipShowsThePicture) {
    gui::frmMain& front = loadFront(15.0);
    front.show();
    QImage wide(120, 80, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    ASSERT_TRUE(wide.save(QString::fromStdString(picture("wide.png")), "PNG"));
    QFile cut(QString::fromStdString(picture("cut.png")));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write("\x89PNG\r\n\x1a\n");
    cut.close();
    list(front, {picture("wide.png"), picture("cut.png")});
    gui::PictureListView& shown = *front.List2;
    const auto tipOf = [&shown](int row) {
        const QPoint at = shown.visualRect(shown.model()->index(row, 0)).center();
        QTimer guard;
        guard.start(20000);
        QString text;
        do {
            QHelpEvent help(QEvent::ToolTip, at, shown.viewport()->mapToGlobal(at));
            QApplication::sendEvent(shown.viewport(), &help);
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            text = QToolTip::text();
        } while (!text.contains(QLatin1String("<img")) && !text.contains(QLatin1String("<i>")) &&
                 guard.isActive());
        return text;
    };
    const QString picture0 = tipOf(0);
    EXPECT_TRUE(picture0.startsWith(QLatin1String("<img src=\"data:image/png;base64,")))
        << picture0.toStdString();
    EXPECT_TRUE(picture0.endsWith(QString::fromStdString(picture("wide.png"))));
    const QString damaged = tipOf(1);
    EXPECT_FALSE(damaged.contains(QLatin1String("<img")));
    EXPECT_TRUE(damaged.contains(QLatin1String("<i>"))) << damaged.toStdString();
    QToolTip::hideText();
}

} // namespace
} // namespace pw::test
