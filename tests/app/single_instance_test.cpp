#include "app/single_instance.h"
#include "temp_home.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pw {
namespace {

TEST(SingleInstance, SecondLockFailsWhileTheFirstHoldsIt) {
    test::TempHome temp;
    const std::string folder = temp.root + "/cache/pagewright"; // made on demand
    app::SingleInstance first(folder);
    ASSERT_TRUE(first.acquired());
    {
        app::SingleInstance second(folder);
        EXPECT_FALSE(second.acquired());
        EXPECT_EQ(second.state(), app::SingleInstance::State::HeldElsewhere);
    }
    EXPECT_TRUE(first.acquired()); // a failed attempt does not break the held lock
    app::SingleInstance third(folder);
    EXPECT_FALSE(third.acquired());
    first.release();
    app::SingleInstance fourth(folder);
    EXPECT_TRUE(fourth.acquired());
}

TEST(SingleInstance, AFolderThatCannotBeMadeIsAFailureNotAnotherCopy) {
    test::TempHome temp;
    const std::string blocker = temp.root + "/file";
    std::ofstream(blocker) << "x";
    app::SingleInstance instance(blocker + "/pagewright");
    EXPECT_FALSE(instance.acquired());
    EXPECT_EQ(instance.state(), app::SingleInstance::State::Failed);
    EXPECT_EQ(app::startFailureText(instance), "Pagewright cannot start: its folder " + blocker +
                                                   "/pagewright cannot be used (Not a directory).");

    // A lock file that cannot be opened (a planted link) is no running copy either.
    std::filesystem::create_symlink(blocker, temp.root + "/" + app::kInstanceLockName);
    app::SingleInstance linked(temp.root);
    EXPECT_EQ(linked.state(), app::SingleInstance::State::Failed);
    EXPECT_NE(linked.failure().find(app::kInstanceLockName), std::string::npos);
}

TEST(SingleInstance, LockOfACrashedCopyIsRecovered) {
    test::TempHome temp;
    // A child takes the lock and dies without giving it up, as a crashed copy would.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        app::SingleInstance crashed(temp.root);
        _exit(crashed.acquired() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // What the file says does not matter, not even a PID that is now this process's own (as
    // after a kill in a container, where PIDs start over).
    std::ofstream(temp.root + "/pagewright.lock") << ::getpid() << "\npagewright\nhost\n";
    app::SingleInstance instance(temp.root);
    EXPECT_TRUE(instance.acquired());
}

TEST(SingleInstance, FolderIsMadePrivate) {
    test::TempHome temp;
    const std::string folder = temp.root + "/fresh/pagewright";
    app::SingleInstance instance(folder);
    ASSERT_TRUE(instance.acquired());
    for (const std::string& made : {temp.root + "/fresh", folder})
        EXPECT_EQ(std::filesystem::status(made).permissions(), std::filesystem::perms::owner_all);
}

} // namespace
} // namespace pw
