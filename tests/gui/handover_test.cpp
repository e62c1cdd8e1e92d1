// Second starts of the real program hand their pictures and folders to the running window,
// which lists them in order and stays the only window; each second start ends with status 0.
#include "app/file_list.h"
#include "form_fixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <system_error>
#include <vector>

extern char** environ;

namespace pw::test {
namespace {

class HandOver : public FormTest {};

// Runs the real program in folder with the arguments as bytes (a QProcess argument is text,
// which cannot hold a name that is not UTF-8) and pumps events until it ends. Its wait status;
// -1 when it could not start or did not end in time.
int runSecondStart(const std::string& folder, const std::vector<std::string>& arguments) {
    const std::string program = PW_PROGRAM;
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return -1;
    pid_t pid = -1;
    const bool started =
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str()) == 0 &&
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started)
        return -1;
    const QDeadlineTimer deadline(20000);
    int status = 0;
    pid_t ended = 0;
    while ((ended = waitpid(pid, &status, WNOHANG)) == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (ended == pid)
        return status;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

TEST_F(HandOver, SecondStartAddsItsPicturesToTheRunningWindow) {
    gui::frmPrinting& engine = startProgram();
    app::FileList& list = engine.front()->fileList();
    ASSERT_EQ(list.count(), 0);

    const QString samples = QStringLiteral(PW_SAMPLES_DIR);
    const QString folder = dir_.path() + QStringLiteral("/folder");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/sub")));
    ASSERT_TRUE(QFile::copy(samples + QStringLiteral("/02-amber.png"),
                            folder + QStringLiteral("/sub/b.png")));
    ASSERT_TRUE(
        QFile::copy(samples + QStringLiteral("/04-violet.gif"), folder + QStringLiteral("/a.gif")));

    // A picture named in Latin-1, not UTF-8: the name must arrive byte for byte. (QDir cannot
    // name it, so the temporary folder would not go.)
    const std::string latin1 = dir_.path().toStdString() + "/\xe9t\xe9.png";
    ASSERT_TRUE(std::filesystem::copy_file(samples.toStdString() + "/02-amber.png", latin1));
    const struct Removed {
        std::string path;
        ~Removed() {
            std::error_code error;
            std::filesystem::remove(path, error);
        }
    } removed{latin1};

    // Each second start runs in the samples folder and names one picture by a relative path.
    // Twenty in a row: a fault in taking them over must not pass by chance.
    constexpr int kRounds = 20;
    constexpr int kPerRound = 4;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        const int status = runSecondStart(
            samples.toStdString(), {"01-sunrise.jpg", folder.toStdString(), "notes.txt", latin1});
        ASSERT_TRUE(WIFEXITED(status)) << "the second start did not end by itself: " << status;
        ASSERT_EQ(WEXITSTATUS(status), 0);
        // The answer comes before the pictures are added.
        const QDeadlineTimer deadline(20000);
        while (list.count() < kPerRound * (round + 1) && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    ASSERT_EQ(list.count(), kPerRound * kRounds);
    for (int round = 0; round < kRounds; ++round) {
        const int row = kPerRound * round;
        EXPECT_EQ(list.workingPath(row),
                  (samples + QStringLiteral("/01-sunrise.jpg")).toStdString());
        EXPECT_EQ(list.workingPath(row + 1), (folder + QStringLiteral("/a.gif")).toStdString());
        EXPECT_EQ(list.workingPath(row + 2), (folder + QStringLiteral("/sub/b.png")).toStdString());
        EXPECT_EQ(list.displayPath(row + 2), list.workingPath(row + 2));
        EXPECT_EQ(list.workingPath(row + 3), latin1);
        EXPECT_EQ(list.displayPath(row + 3), latin1);
    }
    EXPECT_FALSE(engine.front()->picText->isVisible()); // the hint box gave way to the list
}

} // namespace
} // namespace pw::test
