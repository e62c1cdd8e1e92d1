#include "app/document_options.h"
#include "fake_prompts.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <optional>
#include <string>

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

// Runs with the time zone set to a POSIX rule (no zone database needed).
class InZone {
public:
    explicit InZone(const char* rule) {
        if (const char* old = std::getenv("TZ"))
            saved_ = old;
        setenv("TZ", rule, 1);
        tzset();
    }
    ~InZone() {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> saved_;
};

std::chrono::system_clock::time_point localMoment(std::tm local) {
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

TEST(DocumentOptions, PdfDateHasFourteenDigitsAndTheRealLocalOffset) {
    {
        const InZone india("IST-5:30");
        const auto moment = localMoment(at(2026, 3, 4, 10, 20, 30));
        EXPECT_EQ(app::pdfDateText(moment), "D:20260304102030+05'30'");
        EXPECT_EQ(app::pdfDateText(moment + std::chrono::milliseconds(400)),
                  app::pdfDateText(moment));
        EXPECT_EQ(app::pdfDateText(moment + std::chrono::minutes(1)), "D:20260304102130+05'30'");
        EXPECT_EQ(app::pdfDateText(localMoment(at(2026, 12, 8, 0, 0, 0))),
                  "D:20261208000000+05'30'");
    }
    {
        const InZone central("CET-1CEST,M3.5.0,M10.5.0/3"); // the offset follows summer time
        EXPECT_EQ(app::pdfDateText(localMoment(at(2027, 1, 2, 23, 5, 9))),
                  "D:20270102230509+01'00'");
        EXPECT_EQ(app::pdfDateText(localMoment(at(2027, 7, 2, 23, 5, 9))),
                  "D:20270702230509+02'00'");
    }
    {
        const InZone chicago("CST6CDT,M3.2.0,M11.1.0");
        EXPECT_EQ(app::pdfDateText(localMoment(at(2026, 12, 8, 9, 0, 0))),
                  "D:20261208090000-06'00'");
    }
    {
        const InZone utc("UTC0");
        EXPECT_EQ(app::pdfDateText(localMoment(at(2026, 12, 8, 9, 0, 0))), "D:20261208090000Z");
    }
}

TEST(DocumentOptions, DefaultsAndQualityWords) {
    const app::DocumentProperties props = app::defaultDocumentProperties("D:20261208000000-06'00");
    EXPECT_EQ(props.title, "New PDF Document");
    EXPECT_EQ(props.author, "Pagewright Converter");
    EXPECT_EQ(props.subject, "New Subject");
    EXPECT_EQ(props.keywords, "");
    EXPECT_EQ(props.creationDate, "D:20261208000000-06'00");

    const std::pair<int, const char*> cases[] = {{100, "Best"}, {80, "Best"},   {79, "Good"},
                                                 {60, "Good"},  {59, "Medium"}, {30, "Medium"},
                                                 {29, "Low"},   {0, "Low"}};
    for (const auto& [value, words] : cases) {
        EXPECT_EQ(app::qualityCaptions(value).words, words) << value;
        EXPECT_EQ(app::qualityCaptions(value).value, std::to_string(value) + "%");
    }
    EXPECT_EQ(app::qualityCaptions(30, true).value, "Lossless");
    EXPECT_EQ(app::qualityCaptions(30, true).words, "");
}

TEST(DocumentOptions, AboutIsAPlainBox) {
    test::FakePrompts prompts;
    app::showAbout(prompts);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "about");
    EXPECT_EQ(prompts.messages[0].buttons, platform::Buttons::Ok);
    EXPECT_EQ(prompts.messages[0].icon, platform::Icon::None);
    EXPECT_EQ(prompts.messages[0].text.find('\n'), std::string::npos);
    EXPECT_NE(prompts.messages[0].text.find("Pagewright"), std::string::npos);
}

} // namespace
} // namespace pw
