#include "platform/paths.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace pw::platform;
using namespace pw;

TEST(Paths, JoinNeverDoublesTheSeparator) {
    EXPECT_EQ(platform::joinPath("/a", "b.jpg"), "/a/b.jpg");
    EXPECT_EQ(platform::joinPath("/", "b.jpg"), "/b.jpg");
    EXPECT_EQ(platform::joinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(platform::joinPath("", "b"), "b");
}

TEST(Paths, DriveCFollowsXdgCacheHome) {
    const char* old = std::getenv("XDG_CACHE_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CACHE_HOME", "/tmp/pw-cache-test", 1);
    EXPECT_EQ(platform::stagingFolder(), "/tmp/pw-cache-test/pagewright/quillon_tmp");
    EXPECT_EQ(platform::scratchFolder(), "/tmp/pw-cache-test/pagewright/tmp");
    unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(platform::driveCFolder(),
              platform::joinPath(platform::homeFolder(), ".cache/pagewright"));
    if (old)
        setenv("XDG_CACHE_HOME", saved.c_str(), 1);
}

TEST(Paths, ApplicationFolderIsTheExecutablesFolderUnlessReplaced) {
    EXPECT_NE(platform::applicationFolder().find("tests"), std::string::npos);
    platform::setApplicationFolder("/opt/pw");
    EXPECT_EQ(platform::applicationFolder(), "/opt/pw");
    platform::setApplicationFolder("");
    EXPECT_NE(platform::applicationFolder(), "/opt/pw");
}
