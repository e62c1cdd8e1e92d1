#include "app/CommonDlgsW.h"
#include "fake_prompts.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace pw {
namespace {

TEST(CommonDlgsW, FreshInstanceAsksWithAllFilesAndAnEmptyName) {
    test::FakePrompts prompts;
    app::CommonDlgsW dialogs(prompts);
    prompts.cancelNextOpen();
    EXPECT_FALSE(dialogs.ShowOpen());
    ASSERT_EQ(prompts.openRequests.size(), 1u);
    EXPECT_EQ(prompts.openRequests[0].filter, "All files (*.*)|*.*");
    EXPECT_EQ(prompts.openRequests[0].filterIndex, 1);
    EXPECT_EQ(prompts.openRequests[0].fileName, "");
    EXPECT_EQ(prompts.openRequests[0].caption, "");
}

TEST(CommonDlgsW, ChosenFileFillsTheFieldsAndIsOfferedAgain) {
    test::FakePrompts prompts;
    app::CommonDlgsW dialogs(prompts);
    dialogs.Title = "Pick one"; // only DialogTitle is the caption
    dialogs.Flags = 0x4;
    prompts.openNext("/pics/a.jpg", 0x4 | 0x1000);
    ASSERT_TRUE(dialogs.ShowOpen());
    EXPECT_EQ(prompts.openRequests[0].caption, "");
    EXPECT_EQ(prompts.openRequests[0].flags, 0x4u);
    EXPECT_EQ(dialogs.FileName, "/pics/a.jpg");
    EXPECT_EQ(dialogs.FileTitle, "a.jpg");
    EXPECT_EQ(dialogs.Title, "a.jpg");
    EXPECT_EQ(dialogs.Flags, 0x1004);

    // Cancel changes nothing; the previous choice is in the name box.
    dialogs.DialogTitle = "Add a picture";
    prompts.cancelNextOpen();
    EXPECT_FALSE(dialogs.ShowOpen());
    EXPECT_EQ(prompts.openRequests[1].fileName, "/pics/a.jpg");
    EXPECT_EQ(prompts.openRequests[1].caption, "Add a picture");
    EXPECT_EQ(dialogs.FileName, "/pics/a.jpg");
    EXPECT_EQ(dialogs.Title, "a.jpg");

    // Save shares the rules.
    prompts.saveNext("/out/b.pdf", 0);
    ASSERT_TRUE(dialogs.ShowSave());
    EXPECT_EQ(dialogs.FileTitle, "b.pdf");
    EXPECT_EQ(dialogs.Flags, 0);
}

TEST(CommonDlgsW, MultipleSelectionAndNoValidationKeepTheRawName) {
    test::FakePrompts prompts;
    app::CommonDlgsW dialogs(prompts);
    dialogs.Title = "old";
    dialogs.Flags = 0x200;
    const std::string raw = std::string("/pics\0a.jpg\0b.png", 17);
    prompts.openNext(raw, 0x200);
    ASSERT_TRUE(dialogs.ShowOpen());
    ASSERT_EQ(dialogs.FileName.size(), 256u);
    EXPECT_EQ(dialogs.FileName.substr(0, raw.size()), raw);
    EXPECT_EQ(dialogs.FileName.find_first_not_of('\0', raw.size()), std::string::npos);
    EXPECT_EQ(dialogs.FileTitle, "");
    EXPECT_EQ(dialogs.Title, "old");
    EXPECT_EQ(prompts.openRequests[0].flags, 0x200u);

    // The next dialog shows the buffer's first text, the folder.
    dialogs.Flags = 0x100;
    prompts.openNext("/typed/name", 0x100);
    ASSERT_TRUE(dialogs.ShowOpen());
    EXPECT_EQ(prompts.openRequests[1].fileName, "/pics");
    EXPECT_EQ(dialogs.FileName, "/typed/name");
    EXPECT_EQ(dialogs.FileTitle, "");
    EXPECT_EQ(dialogs.Title, "old");
}

TEST(CommonDlgsW, OverlongNamesAreRefused) {
    test::FakePrompts prompts;
    app::CommonDlgsW dialogs(prompts);
    dialogs.FileName = std::string(257, 'x');
    EXPECT_THROW(dialogs.ShowOpen(), std::invalid_argument);
    dialogs.FileName = std::string(256, 'x');
    dialogs.InitDir = std::string(257, 'd');
    EXPECT_THROW(dialogs.ShowSave(), std::invalid_argument);
    EXPECT_TRUE(prompts.openRequests.empty());
    EXPECT_TRUE(prompts.saveRequests.empty());

    // A choice longer than the buffer fails like a dialog error: nothing changes.
    dialogs.InitDir.clear();
    dialogs.FileName = "/keep";
    prompts.openNext("/" + std::string(255, 'y'));
    EXPECT_FALSE(dialogs.ShowOpen());
    EXPECT_EQ(dialogs.FileName, "/keep");
    dialogs.MaxFileSize = 10;
    prompts.openNext("/0123456789");
    EXPECT_FALSE(dialogs.ShowOpen());
    EXPECT_EQ(dialogs.FileName, "/keep");
}

TEST(CommonDlgsW, ColourProperty) {
    test::FakePrompts prompts;
    app::CommonDlgsW dialogs(prompts);
    EXPECT_EQ(dialogs.Color(), 0xC0C0C0u);
    dialogs.setColor(static_cast<std::int32_t>(0x8000000Fu));
    EXPECT_EQ(dialogs.Color(), 0xF0F0F0u); // button face
    dialogs.setColor(static_cast<std::int32_t>(0x8000000Du));
    EXPECT_EQ(dialogs.Color(), 0xD77800u); // highlight, red in the low byte
    dialogs.setColor(0x123456);
    EXPECT_EQ(dialogs.Color(), 0x123456u);

    prompts.colorNext(0x0000FF);
    ASSERT_TRUE(dialogs.ShowColor());
    EXPECT_EQ(prompts.colorRequests[0], 0x123456u);
    EXPECT_EQ(dialogs.Color(), 0x0000FFu);
    prompts.cancelNextColor();
    EXPECT_FALSE(dialogs.ShowColor());
    EXPECT_EQ(dialogs.Color(), 0x0000FFu);
}

} // namespace
} // namespace pw
