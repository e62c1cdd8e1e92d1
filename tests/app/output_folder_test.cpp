#include "app/output_folder.h"
#include "fake_prompts.h"
#include "platform/narrow.h"
#include "temp_home.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(OutputFolder, FolderExistsWantsADirectory) {
    test::TempHome temp;
    EXPECT_TRUE(app::folderExists(temp.app));
    EXPECT_TRUE(app::folderExists("/"));
    EXPECT_FALSE(app::folderExists(""));
    EXPECT_FALSE(app::folderExists(temp.app + "/none"));
    test::TempHome::write(temp.app + "/file", "x");
    EXPECT_FALSE(app::folderExists(temp.app + "/file"));

    // A name the narrow encoding cannot hold fails, as the browser's text would.
    const std::string greek = temp.app + "/\xCE\xB1\xCE\xB2";
    std::filesystem::create_directory(greek);
    EXPECT_TRUE(app::folderExists(greek));
    platform::setNarrowCodec(platform::NarrowCodec::Latin1);
    EXPECT_FALSE(app::folderExists(greek));
    platform::setNarrowCodec(platform::NarrowCodec::Locale);
}

TEST(OutputFolder, BrowseKeepsAChosenFolder) {
    test::TempHome temp;
    test::FakePrompts prompts;
    prompts.browseNext(temp.home);
    EXPECT_EQ(app::browseOutputFolder(prompts), temp.home);
    ASSERT_EQ(prompts.browsePrompts.size(), 1u);
    EXPECT_EQ(prompts.browsePrompts[0], "Please select a folder:");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST(OutputFolder, BrowseCancelTakesTheProgramsOutputFolderOrTheDefault) {
    test::TempHome temp;
    test::FakePrompts prompts;
    std::filesystem::create_directory(temp.app + "/output");
    prompts.cancelNextBrowse();
    EXPECT_EQ(app::browseOutputFolder(prompts), temp.app + "/output");
    EXPECT_TRUE(prompts.messages.empty());

    std::filesystem::remove(temp.app + "/output");
    prompts.cancelNextBrowse();
    EXPECT_EQ(app::browseOutputFolder(prompts), temp.home + "/Output");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "The path has unknown characters.\r\nChanged to the "
                                        "default path " +
                                            temp.home + "/Output.");
    EXPECT_EQ(prompts.messages[0].title, "Path");
    EXPECT_EQ(prompts.messages[0].buttons, platform::Buttons::Ok);
    EXPECT_EQ(prompts.messages[0].icon, platform::Icon::None);
}

TEST(OutputFolder, BrowseOfAVanishedFolderFallsBackToTheDefault) {
    test::TempHome temp;
    test::FakePrompts prompts;
    prompts.browseNext(temp.home + "/gone");
    EXPECT_EQ(app::browseOutputFolder(prompts), temp.home + "/Output");
    EXPECT_EQ(prompts.messages.size(), 1u);
}

} // namespace
} // namespace pw
