#include "platform/paths.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace pw::os;

TEST(Paths, JoinNeverDoublesTheSeparator) {
    EXPECT_EQ(joinPath("/a", "b.jpg"), "/a/b.jpg");
    EXPECT_EQ(joinPath("/", "b.jpg"), "/b.jpg");
    EXPECT_EQ(joinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(joinPath("", "b"), "b");
}

TEST(Paths, DriveCFollowsXdgCacheHome) {
    const char* old = std::getenv("XDG_CACHE_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CACHE_HOME", "/tmp/pw-cache-test", 1);
    EXPECT_EQ(stagingFolder(), "/tmp/pw-cache-test/pagewright/quillon_tmp");
    EXPECT_EQ(scratchFolder(), "/tmp/pw-cache-test/pagewright/tmp");
    unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(driveCFolder(), joinPath(homeFolder(), ".cache/pagewright"));
    if (old)
        setenv("XDG_CACHE_HOME", saved.c_str(), 1);
}

TEST(Paths, ApplicationFolderIsTheExecutablesFolderUnlessReplaced) {
    EXPECT_NE(applicationFolder().find("tests"), std::string::npos);
    setApplicationFolder("/opt/pw");
    EXPECT_EQ(applicationFolder(), "/opt/pw");
    setApplicationFolder("");
    EXPECT_NE(applicationFolder(), "/opt/pw");
}
