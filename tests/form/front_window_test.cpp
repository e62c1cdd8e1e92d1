#include "filelist/file_list.h"
#include "filelist/picture_list_view.h"
#include "filelist/selection_display.h"
#include "form_fixture.h"
#include "platform/paths.h"
#include "resources/artwork.h"

#include <QBitmap>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QScreen>
#include <QTimer>

namespace pw::test {
namespace {

class FrontWindow : public FormTest {};

TEST_F(FrontWindow, Is553By371PixelsAt12And15TwipsPerPixel) {
    for (const double tpp : {15.0, 12.0}) {
        frmMain& front = loadFront(tpp);
        EXPECT_EQ(front.width(), 553) << tpp;
        EXPECT_EQ(front.height(), 371) << tpp;
        // Controls keep their pixel places too; List2 lies exactly over the hidden List1.
        EXPECT_EQ(front.imgConvert->geometry(), QRect(413, 256, 123, 63)) << tpp;
        EXPECT_EQ(front.List2->geometry(), front.List1->geometry());
        EXPECT_TRUE(front.List1->isHidden());
        EXPECT_FALSE(front.List2->isHidden());
        // The progress display shows at start, so its track never passes for a text field.
        EXPECT_FALSE(front.PicPB->isHidden());
        EXPECT_FALSE(front.lblPB->isHidden());
        EXPECT_EQ(front.lblPB->text(), QStringLiteral("0%"));
        endProgram();
    }
}

TEST_F(FrontWindow, TheSelectedNameFitsItsLabelAndKeepsItsExtension) {
    frmMain& front = loadFront(15.0);
    const QString path = QStringLiteral("/home/someone/Pictures/Holidays 2026/Mountains/"
                                        "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW.jpeg");
    front.fileList().append(path.toStdString(), path.toStdString());
    front.fileList().select(0);
    const QString shown = front.lblFilename->text();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("WW.jpeg"))) << shown.toStdString();
    EXPECT_LE(QFontMetrics(front.lblFilename->font()).horizontalAdvance(shown),
              front.lblFilename->contentsRect().width());
    EXPECT_GE(front.lblFilename->font().pointSizeF(), 7.0);
    EXPECT_EQ(front.lblFilename->toolTip(), path);
}

// The count under the list: "0 of N" without a selection, room for 100,000 pictures, and the
// name beside it never over it; the progress label shows whole beside the welcome panel.
TEST_F(FrontWindow, TheCountShowsPageOfTotalInItsRoomBesideTheName) {
    frmMain& front = loadFront(15.0);
    ASSERT_FALSE(front.picDoor->isHidden());
    EXPECT_FALSE(front.picDoor->geometry().intersects(front.lblPB->geometry()));
    EXPECT_FALSE(front.picDoor->geometry().intersects(front.PicPB->geometry()));

    const std::string path = "/home/someone/Pictures/Holidays 2026/Mountains/IMG_0001.jpeg";
    for (int i = 0; i < 12; ++i)
        front.fileList().append(path, path);
    EXPECT_EQ(front.lblPage->text(), QStringLiteral("Page Number: 0 of 12"));
    front.fileList().select(2);
    EXPECT_EQ(front.lblPage->text(), QStringLiteral("Page Number: 3 of 12"));

    const auto fits = [&front](const QString& count) {
        SCOPED_TRACE(count.toStdString());
        EXPECT_EQ(front.lblPage->text(), count);
        EXPECT_LE(QFontMetrics(front.lblPage->font()).horizontalAdvance(count),
                  front.lblPage->contentsRect().width());
        EXPECT_FALSE(front.lblPage->geometry().intersects(front.lblFilename->geometry()));
        EXPECT_EQ(front.lblFilename->geometry().right(), front.List2->geometry().right());
        const QString name = front.lblFilename->text();
        EXPECT_TRUE(name.endsWith(QStringLiteral(".jpeg"))) << name.toStdString();
        EXPECT_LE(QFontMetrics(front.lblFilename->font()).horizontalAdvance(name),
                  front.lblFilename->contentsRect().width());
    };
    fits(QStringLiteral("Page Number: 3 of 12"));
    // The list's own limit is below 100,000; the label is told what such a list would show.
    front.setPageText(pageNumberText(99999, 100000));
    fits(QStringLiteral("Page Number: 100000 of 100000"));
    EXPECT_DOUBLE_EQ(front.lblPage->font().pointSizeF(), front.font().pointSizeF());
}

TEST_F(FrontWindow, IsParkedOutOfViewUntilTheFirstTickThenShapedAndCentred) {
    // Leftovers of an earlier run go at load.
    const QString staging = QString::fromStdString(os::stagingFolder());
    const QString scratch = QString::fromStdString(os::scratchFolder());
    ASSERT_TRUE(QDir().mkpath(staging));
    ASSERT_TRUE(QDir().mkpath(scratch));
    QFile(staging + QStringLiteral("/00000.jpg")).open(QIODevice::WriteOnly);
    QFile(scratch + QStringLiteral("/1.jpg")).open(QIODevice::WriteOnly);

    frmMain& front = loadFront(15);
    EXPECT_FALSE(QDir(staging).exists());
    EXPECT_FALSE(QDir(scratch).exists());

    front.show();
    EXPECT_LT(front.x() + front.width(), 0);
    EXPECT_LT(front.y() + front.height(), 0);
    EXPECT_TRUE(front.mask().isEmpty());
    ASSERT_TRUE(front.Timer1->isActive());

    QTimer guard;
    guard.start(10000);
    while (front.Timer1->isActive() && guard.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_FALSE(front.Timer1->isActive());

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_NEAR(front.x(), screen.x() + (screen.width() - 553) / 2.0, 1.0);
    EXPECT_NEAR(front.y(), screen.y() + (screen.height() - 371) / 2.0, 1.0);

    // The mask keeps the body and drops the key colour around the outline.
    const QImage art = art::background().toImage();
    QPoint key(-1, -1);
    for (int y = 0; y < art.height() && key.x() < 0; ++y) {
        for (int x = 0; x < art.width(); ++x) {
            if (art.pixelColor(x, y) == QColor(255, 0, 255)) {
                key = QPoint(x, y);
                break;
            }
        }
    }
    ASSERT_GE(key.x(), 0) << "the artwork has no key colour";
    const QRegion mask = front.mask();
    EXPECT_FALSE(mask.contains(key));
    EXPECT_TRUE(mask.contains(QPoint(276, 185)));
}

TEST_F(FrontWindow, OnlyALeftDragOnTheBackgroundMovesIt) {
    frmMain& front = loadFront(15);
    front.move(100, 100);
    const QPoint at = bareBackground(front);
    ASSERT_GE(at.x(), 0);
    const QPoint travel(30, 20);

    sendMouse(&front, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    sendMouse(&front, QEvent::MouseMove, at + travel, Qt::NoButton, Qt::RightButton);
    sendMouse(&front, QEvent::MouseButtonRelease, at + travel, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(front.pos(), QPoint(100, 100));

    sendMouse(&front, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    sendMouse(&front, QEvent::MouseMove, at + travel, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(front.pos(), QPoint(130, 120));
    // Releasing the right button does not end the left drag. The pointer travels on, so it
    // is again `travel` away from the press point relative to the moved window.
    sendMouse(&front, QEvent::MouseButtonRelease, at + travel, Qt::RightButton, Qt::LeftButton);
    sendMouse(&front, QEvent::MouseMove, at + travel, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(front.pos(), QPoint(160, 140));
    sendMouse(&front, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    sendMouse(&front, QEvent::MouseMove, at + travel, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(front.pos(), QPoint(160, 140));
}

} // namespace
} // namespace pw::test

namespace pw::test {
namespace {

class Drops : public FormTest {
protected:
    static bool drop(QWidget* target, const QMimeData& data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        return dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction;
    }
    static int rows(const PictureListView* list) { return list->count(); }
};

TEST_F(Drops, EachDropTargetHandsItsFilesToTheFileList) {
    frmPrinting& engine = startProgram();
    frmMain& front = *engine.front();
    QList<QUrl> urls;
    std::vector<std::string> names;
    for (const char* name : {"a.jpg", "b.TXT", "c.TIFF"}) {
        const QString path = dir_.path() + QLatin1Char('/') + QString::fromUtf8(name);
        QFile(path).open(QIODevice::WriteOnly);
        urls << QUrl::fromLocalFile(path);
        names.push_back(path.toStdString());
    }
    QMimeData data;
    data.setUrls(urls);

    // The hint box takes pictures only, and goes once the list has rows.
    ASSERT_FALSE(front.picText->isHidden());
    EXPECT_TRUE(drop(front.picText, data));
    ASSERT_EQ(rows(front.List1), 2);
    EXPECT_EQ(front.List1->text(0).toStdString(), names[0]);
    EXPECT_EQ(front.List2->text(1).toStdString(), names[2]);
    EXPECT_TRUE(front.picText->isHidden());

    // The list takes every file.
    EXPECT_TRUE(drop(front.List2->viewport(), data));
    EXPECT_EQ(rows(front.List1), 5);
    EXPECT_EQ(rows(front.List2), 5);

    // The welcome panel goes when something is dropped on it.
    EXPECT_TRUE(drop(front.picDoor, data));
    EXPECT_TRUE(front.picDoor->isHidden());
    EXPECT_EQ(rows(front.List2), 8);

    // The engine form's own panel takes pictures only.
    EXPECT_TRUE(drop(engine.picDoor, data));
    EXPECT_TRUE(engine.picDoor->isHidden());
    EXPECT_EQ(rows(front.List1), 10);
}

} // namespace
} // namespace pw::test
