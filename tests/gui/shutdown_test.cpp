#include "app/file_list.h"
#include "form_fixture.h"
#include "gui/app_state.h"
#include "platform/paths.h"
#include "platform/processes.h"
#include "reading_watch.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <csignal>

namespace pw::test {
namespace {

class Shutdown : public FormTest {
protected:
    // Runs the event loop until the program quits; 7 when it does not within the guard.
    static int runUntilQuit(const std::function<void()>& action) {
        QTimer::singleShot(0, action);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
        guard.start(20000);
        return QCoreApplication::exec();
    }
    // A sleeping process run from this installation's data/pdf.exe.
    bool startFakeTool(QProcess& process) {
        const QString tool = dir_.path() + QStringLiteral("/app/data/pdf.exe");
        if (!QDir().mkpath(dir_.path() + QStringLiteral("/app/data")))
            return false;
        if (!QFile::exists(tool) && !QFile::copy(QStringLiteral("/bin/sleep"), tool))
            return false;
        process.start(tool, {QStringLiteral("60")});
        return process.waitForStarted(5000);
    }
};

TEST_F(Shutdown, SettingsCloseBoxOnlyHidesIt) {
    gui::frmPrinting& engine = startProgram();
    EXPECT_TRUE(engine.front()->isVisible());
    EXPECT_FALSE(engine.isVisible());
    engine.show();
    EXPECT_FALSE(engine.close());
    EXPECT_FALSE(engine.isVisible());
    EXPECT_FALSE(engine.unloaded());
    EXPECT_FALSE(gui::QuitRequested);
    EXPECT_TRUE(engine.front()->isVisible());
}

// Closing the window during a job asks first; Yes stops the job (its builder ended, its staged
// files removed) and ends the program. Another job's builder of the same installation goes on.
TEST_F(Shutdown, CloseButtonDuringAJobStopsItAndEndsTheProgram) {
    QApplication::setQuitOnLastWindowClosed(false);
    gui::frmPrinting& engine = startProgram();
    QProcess other;
    ASSERT_TRUE(startFakeTool(other));
    // Now a builder that says where it runs, then waits to be ended.
    const QString tool = dir_.path() + QStringLiteral("/app/data/pdf.exe");
    const QString pidFile = dir_.path() + QStringLiteral("/builder.pid");
    ASSERT_TRUE(QFile::remove(tool));
    QFile script(tool);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(
        QStringLiteral("#!/bin/sh\necho $$ > '%1'\nexec sleep 60\n").arg(pidFile).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString path = dir_.path() + QStringLiteral("/red.png");
    ASSERT_TRUE(picture.save(path));
    engine.front()->fileList().append(path.toStdString(), path.toStdString());

    int builder = 0;
    const int rc = runUntilQuit([&] {
        app_->commands().fire(app::Command::Convert);
        // Once the builder runs, the close picture is pressed.
        auto* poll = new QTimer(engine.front());
        QObject::connect(poll, &QTimer::timeout, [&, poll] {
            QFile written(pidFile);
            if (!written.open(QIODevice::ReadOnly) ||
                (builder = written.readAll().trimmed().toInt()) <= 0)
                return;
            poll->stop();
            const auto pressClose = [&engine] {
                sendMouse(engine.front()->imgExit, QEvent::MouseButtonPress, QPoint(2, 2),
                          Qt::LeftButton, Qt::LeftButton);
                sendMouse(engine.front()->imgExit, QEvent::MouseButtonRelease, QPoint(2, 2),
                          Qt::LeftButton, Qt::NoButton);
            };
            prompts_.answerNext(platform::Answer::No);
            pressClose();
            EXPECT_TRUE(engine.front()->isVisible()) << "No closed the window";
            EXPECT_TRUE(app_->jobRunning());
            prompts_.answerNext(platform::Answer::Yes);
            pressClose();
        });
        poll->start(20);
    });
    EXPECT_EQ(rc, 0);
    ASSERT_EQ(prompts_.messages.size(), 2u);
    EXPECT_EQ(prompts_.messages[0].text, "A conversion is running. Stop it and quit?");
    EXPECT_EQ(prompts_.messages[0].buttons, platform::Buttons::YesNo);
    EXPECT_TRUE(gui::QuitRequested);
    EXPECT_TRUE(engine.unloaded());
    EXPECT_FALSE(engine.front()->isVisible());
    ASSERT_GT(builder, 0);
    EXPECT_FALSE(app_->jobRunning());
    EXPECT_NE(::kill(builder, 0), 0) << "its own builder still runs";
    EXPECT_FALSE(QDir(QString::fromStdString(platform::stagingFolder())).exists());
    other.waitForFinished(300); // false at once when it has ended already
    EXPECT_EQ(other.state(), QProcess::Running) << "another job's builder was ended";
    other.kill();
    other.waitForFinished(5000);
}

// Quitting while a large picture is being decoded holds nothing up: Yes leaves the window
// answering, saying "Stopping...", and the program ends within a second, leaving nothing.
TEST_F(Shutdown, QuitDuringADecodeNeverWaitsAndEndsWithinASecond) {
    using Clock = std::chrono::steady_clock;
    QApplication::setQuitOnLastWindowClosed(false);
    gui::frmPrinting& engine = startProgram();
    gui::frmMain& front = *engine.front();
    const std::string large = (dir_.path() + QStringLiteral("/large.tif")).toStdString();
    ASSERT_TRUE(WriteLargeTiff(large, 6000, 6000)); // seconds to decode here
    front.fileList().append(large, large);

    Clock::time_point since{};
    Clock::time_point asked{};
    bool decoding = false;
    bool runningOn = false;
    QString said;
    const int rc = runUntilQuit([&] {
        app_->commands().fire(app::Command::Convert);
        auto* poll = new QTimer(&front);
        QObject::connect(poll, &QTimer::timeout, [&, poll] {
            if (!ReadingPartWay(large)) {
                since = {};
                return;
            }
            if (since == Clock::time_point{})
                since = Clock::now();
            if (Clock::now() - since < std::chrono::milliseconds(50))
                return;
            poll->stop();
            decoding = true;
            prompts_.answerNext(platform::Answer::Yes);
            asked = Clock::now();
            sendMouse(front.imgExit, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton,
                      Qt::LeftButton);
            sendMouse(front.imgExit, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::LeftButton,
                      Qt::NoButton);
            // Back at once: the job is still there to be told, the window still shown.
            runningOn = app_->jobRunning() && front.isVisible();
            said = front.lblPB->text();
        });
        poll->start(2);
    });
    const auto took = Clock::now() - asked;
    EXPECT_EQ(rc, 0);
    ASSERT_TRUE(decoding) << "the picture was not seen being decoded";
    EXPECT_TRUE(runningOn) << "the window waited for the job";
    EXPECT_EQ(said, QStringLiteral("Stopping..."));
    EXPECT_LT(took, std::chrono::seconds(1))
        << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "A conversion is running. Stop it and quit?");
    EXPECT_TRUE(engine.unloaded());
    EXPECT_FALSE(front.isVisible());
    EXPECT_FALSE(QDir(QString::fromStdString(platform::stagingFolder())).exists());
    EXPECT_TRUE(ChildProcesses().empty());
}

// Quitting while the Pages window's thumbnail of a large picture is being made: the decode is
// given up, so the program, its windows and their workers are gone within a second.
TEST_F(Shutdown, QuitDuringAThumbnailsDecodeEndsWithinASecond) {
    using Clock = std::chrono::steady_clock;
    QApplication::setQuitOnLastWindowClosed(false);
    gui::frmPrinting& engine = startProgram();
    gui::frmMain& front = *engine.front();
    const std::string large = (dir_.path() + QStringLiteral("/large.tif")).toStdString();
    ASSERT_TRUE(WriteLargeTiff(large, 10000, 10000)); // a thumbnail takes seconds here
    front.fileList().append(large, large);

    Clock::time_point asked{};
    bool decoding = false;
    const int rc = runUntilQuit([&] {
        app_->commands().fire(app::Command::Pages);
        auto* poll = new QTimer(&front);
        QObject::connect(poll, &QTimer::timeout, [&, poll] {
            // Seen part-way once is enough: the decode reads on, and a busy machine may
            // not give this timer a turn again before it ends.
            if (!ReadingPartWay(large))
                return;
            poll->stop();
            decoding = true;
            asked = Clock::now();
            sendMouse(front.imgExit, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton,
                      Qt::LeftButton);
            sendMouse(front.imgExit, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::LeftButton,
                      Qt::NoButton);
        });
        poll->start(2);
    });
    ASSERT_TRUE(decoding) << "the thumbnail was not seen being made";
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(engine.unloaded());
    endProgram(); // as main does after its event loop: the windows and their workers go
    const auto took = Clock::now() - asked;
    EXPECT_LT(took, std::chrono::seconds(1))
        << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(Shutdown, ClosingTheFrontWindowAnyOtherWayEndsTheProgramToo) {
    QApplication::setQuitOnLastWindowClosed(false);
    gui::frmPrinting& engine = startProgram();
    const int rc = runUntilQuit([&] { engine.front()->close(); });
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(engine.unloaded());
}

TEST_F(Shutdown, FileExitPoppedUpFromTheFrontWindowEndsTheProgram) {
    QApplication::setQuitOnLastWindowClosed(false);
    gui::frmPrinting& engine = startProgram();
    const int rc = runUntilQuit(
        [&] { engine.menuFile->findChild<QAction*>(QStringLiteral("menuExit"))->trigger(); });
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(engine.unloaded());
}

TEST_F(Shutdown, SettingWindowsOwnExitOnlyClosesItAndTheCloseButtonStillEndsTheProgram) {
    QApplication::setQuitOnLastWindowClosed(false);
    gui::frmPrinting& engine = startProgram();
    gui::frmMain& front = *engine.front();
    front.fileList().append("/p/a.jpg", "/p/a.jpg");
    // Shown modally from the toolbar, closed by its close box, Escape, its Exit button and its
    // File > Exit.
    const std::function<void()> closers[] = {
        [&engine] { engine.close(); },
        [&engine] {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&engine, &key);
        },
        [&engine] { engine.CmdToolsBar[5]->click(); },
        [&engine] { engine.menuFile->findChild<QAction*>(QStringLiteral("menuExit"))->trigger(); },
    };
    for (const auto& closer : closers) {
        whenShown(engine, closer);
        sendMouse(front.imgToolbar[3], QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton,
                  Qt::LeftButton);
        ASSERT_FALSE(engine.isVisible());
        ASSERT_FALSE(engine.unloaded());
        ASSERT_FALSE(gui::QuitRequested);
        ASSERT_TRUE(front.isVisible());
        ASSERT_EQ(front.fileList().count(), 1);
    }
    const int rc = runUntilQuit([&] {
        sendMouse(front.imgExit, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton,
                  Qt::LeftButton);
        sendMouse(front.imgExit, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::LeftButton,
                  Qt::NoButton);
    });
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(engine.unloaded());
    EXPECT_FALSE(front.isVisible());
}

TEST_F(Shutdown, ASecondInstanceEndsAtOnceAndLeavesTheFirstAlone) {
    gui::frmPrinting& first = startProgram();
    gui::Application second(prompts_, pump_);
    EXPECT_FALSE(second.start());
    EXPECT_EQ(second.front(), nullptr);
    EXPECT_TRUE(prompts_.messages.empty());
    EXPECT_TRUE(first.front()->isVisible());
    EXPECT_FALSE(first.unloaded());
    EXPECT_FALSE(second.startFailed());
}

TEST_F(Shutdown, AStartThatCannotMakeItsFolderSaysSoAndFails) {
    const QString blocker = dir_.path() + QStringLiteral("/file");
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    qputenv("XDG_CACHE_HOME", blocker.toUtf8());
    gui::Application program(prompts_, pump_);
    EXPECT_FALSE(program.start());
    EXPECT_TRUE(program.startFailed());
    EXPECT_EQ(program.front(), nullptr);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find(blocker.toStdString() + "/pagewright"),
              std::string::npos);
    EXPECT_EQ(prompts_.messages[0].icon, platform::Icon::Error);
}

} // namespace
} // namespace pw::test
