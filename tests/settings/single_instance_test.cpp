#include "settings/single_instance.h"
#include "temp_home.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pw {
namespace {

TEST(SingleInstance, SecondLockFailsWhileTheFirstHoldsIt) {
    test::TempHome temp;
    const std::string folder = temp.root + "/cache/pagewright"; // made on demand
    SingleInstance first(folder);
    ASSERT_TRUE(first.acquired());
    {
        SingleInstance second(folder);
        EXPECT_FALSE(second.acquired());
    }
    EXPECT_TRUE(first.acquired()); // a failed attempt does not break the held lock
    SingleInstance third(folder);
    EXPECT_FALSE(third.acquired());
    first.release();
    SingleInstance fourth(folder);
    EXPECT_TRUE(fourth.acquired());
}

TEST(SingleInstance, LockOfACrashedCopyIsRecovered) {
    test::TempHome temp;
    // A child takes the lock and dies without giving it up, as a crashed copy would.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance crashed(temp.root);
        _exit(crashed.acquired() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(std::filesystem::exists(temp.root + "/pagewright.lock"));
    SingleInstance instance(temp.root);
    EXPECT_TRUE(instance.acquired());
}

} // namespace
} // namespace pw
