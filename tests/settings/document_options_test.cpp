#include "fake_prompts.h"
#include "settings/document_options.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

std::tm at(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return tm;
}

TEST(DocumentOptions, PdfDateHasFourteenDigitsAndAFixedSuffix) {
    EXPECT_EQ(pdfDateText(at(2026, 12, 8, 0, 0, 0)), "D:20261208000000-06'00");
    EXPECT_EQ(pdfDateText(at(2027, 1, 2, 23, 5, 9)), "D:20270102230509-06'00");

    // A moment goes through local time: the same moment, the same text; a minute on, the
    // minute digits change.
    std::tm local = at(2026, 3, 4, 10, 20, 30);
    const auto moment = std::chrono::system_clock::from_time_t(std::mktime(&local));
    EXPECT_EQ(pdfDateText(moment), "D:20260304102030-06'00");
    EXPECT_EQ(pdfDateText(moment + std::chrono::milliseconds(400)), pdfDateText(moment));
    EXPECT_EQ(pdfDateText(moment + std::chrono::minutes(1)), "D:20260304102130-06'00");
    EXPECT_EQ(pdfDateNow().size(), 22u);
}

TEST(DocumentOptions, DefaultsAndQualityWords) {
    const DocumentProperties props = defaultDocumentProperties("D:20261208000000-06'00");
    EXPECT_EQ(props.title, "New PDF Document");
    EXPECT_EQ(props.author, "Pagewright Converter");
    EXPECT_EQ(props.subject, "New Subject");
    EXPECT_EQ(props.keywords, "");
    EXPECT_EQ(props.creationDate, "D:20261208000000-06'00");

    const std::pair<int, const char*> cases[] = {{100, "Best"}, {80, "Best"},   {79, "Good"},
                                                 {60, "Good"},  {59, "Medium"}, {30, "Medium"},
                                                 {29, "Low"},   {0, "Low"}};
    for (const auto& [value, words] : cases) {
        EXPECT_EQ(qualityCaptions(value).words, words) << value;
        EXPECT_EQ(qualityCaptions(value).value, std::to_string(value) + "%");
    }
    EXPECT_EQ(qualityCaptions(30, true).value, "Lossless");
    EXPECT_EQ(qualityCaptions(30, true).words, "");
}

TEST(DocumentOptions, AboutIsAPlainBox) {
    test::FakePrompts prompts;
    showAbout(prompts);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "about");
    EXPECT_EQ(prompts.messages[0].buttons, os::Buttons::Ok);
    EXPECT_EQ(prompts.messages[0].icon, os::Icon::None);
    EXPECT_EQ(prompts.messages[0].text.find('\n'), std::string::npos);
    EXPECT_NE(prompts.messages[0].text.find("Pagewright"), std::string::npos);
}

} // namespace
} // namespace pw
