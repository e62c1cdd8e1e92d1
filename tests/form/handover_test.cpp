// Second starts of the real program hand their pictures and folders to the running window,
// which lists them in order and stays the only window; each second start ends with status 0.
#include "filelist/file_list.h"
#include "form_fixture.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTimer>

namespace pw::test {
namespace {

class HandOver : public FormTest {};

TEST_F(HandOver, SecondStartAddsItsPicturesToTheRunningWindow) {
    frmPrinting& engine = startProgram();
    FileList& list = engine.front()->fileList();
    ASSERT_EQ(list.count(), 0);

    const QString samples = QStringLiteral(PW_SAMPLES_DIR);
    const QString folder = dir_.path() + QStringLiteral("/folder");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/sub")));
    ASSERT_TRUE(QFile::copy(samples + QStringLiteral("/02-amber.png"),
                            folder + QStringLiteral("/sub/b.png")));
    ASSERT_TRUE(
        QFile::copy(samples + QStringLiteral("/04-violet.gif"), folder + QStringLiteral("/a.gif")));

    // Each second start runs in the samples folder and names one picture by a relative path.
    // Twenty in a row: a fault in taking them over must not pass by chance.
    constexpr int kRounds = 20;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        QProcess second;
        second.setWorkingDirectory(samples);
        second.start(QStringLiteral(PW_PROGRAM),
                     {QStringLiteral("01-sunrise.jpg"), folder, QStringLiteral("notes.txt")});
        ASSERT_TRUE(second.waitForStarted(10000));
        QTimer guard;
        guard.start(20000);
        while (second.state() != QProcess::NotRunning && guard.isActive())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_EQ(second.state(), QProcess::NotRunning) << "the second start still runs";
        ASSERT_EQ(second.exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
        // The answer comes before the pictures are added.
        while (list.count() < 3 * (round + 1) && guard.isActive())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    ASSERT_EQ(list.count(), 3 * kRounds);
    for (int round = 0; round < kRounds; ++round) {
        const int row = 3 * round;
        EXPECT_EQ(list.workingPath(row),
                  (samples + QStringLiteral("/01-sunrise.jpg")).toStdString());
        EXPECT_EQ(list.workingPath(row + 1), (folder + QStringLiteral("/a.gif")).toStdString());
        EXPECT_EQ(list.workingPath(row + 2), (folder + QStringLiteral("/sub/b.png")).toStdString());
        EXPECT_EQ(list.displayPath(row + 2), list.workingPath(row + 2));
    }
    EXPECT_FALSE(engine.front()->picText->isVisible()); // the hint box gave way to the list
}

} // namespace
} // namespace pw::test
