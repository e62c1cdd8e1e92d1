#include "app/job_session.h"
#include "fake_job_host.h"
#include "fake_prompts.h"
#include "job/job_plan.h"
#include "jobfiles/page_layout_text.h"
#include "jobfiles/pdfa_level.h"
#include "ocr/ocr_languages.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace pw;
using platform::Refusal;

namespace {

job::JobRequest onePicture() {
    job::JobRequest request;
    request.pictures = {"/in/a.png"};
    request.outputFolder = "/out/";
    return request;
}

// The rules as the command line states its options: each refused, with its sentence.
TEST(JobPlan, StatedOptionsThatCannotActAreRefused) {
    job::JobRequest request = onePicture();
    ASSERT_FALSE(job::planJob(request));
    EXPECT_EQ(request.outputFolder, "/out");
    EXPECT_EQ(request.rotations.size(), 1u);
    EXPECT_EQ(request.displayPaths.size(), 1u);

    job::JobRequest none;
    EXPECT_EQ(job::planJob(none)->code, Refusal::Code::NoPictures);

    job::JobRequest archive = onePicture();
    archive.options.pdfa = jobfiles::PdfaLevel::A2b;
    archive.encryption.openPassword = "secret";
    EXPECT_EQ(job::planJob(archive)->text, jobfiles::kPdfaWithPasswordRefusal);

    job::JobRequest sheets = onePicture();
    sheets.options.page.sheetColumns = 2;
    const job::OptionsGiven perSheet{true, false};
    const std::optional<Refusal> noPaper = job::planJob(sheets, perSheet);
    ASSERT_TRUE(noPaper);
    EXPECT_EQ(noPaper->code, Refusal::Code::Conflict);
    EXPECT_NE(noPaper->text.find("paper size"), std::string::npos);
    sheets.options.page.size = jobfiles::PageSize::A4;
    EXPECT_FALSE(job::planJob(sheets, perSheet));
    EXPECT_NE(job::planJob(sheets, {true, true})->text.find("--split-tall"), std::string::npos);
    // Saved ones give way: the window's sheets without paper are laid out one a page.
    sheets.options.page.size = jobfiles::PageSize::Picture;
    EXPECT_FALSE(job::planJob(sheets));
    // Each of these would have no effect.
    EXPECT_EQ(job::planJob(sheets, {false, true, false, false})->text,
              "--split-tall needs a paper size (--page-size)");
    job::JobRequest plain = onePicture();
    plain.options.page.size = jobfiles::PageSize::A4;
    EXPECT_EQ(job::planJob(plain, {false, false, true, false})->text,
              "--overlap needs --split-tall");
    EXPECT_EQ(job::planJob(plain, {false, false, false, true})->text, "--gap needs --per-sheet");

    job::JobRequest text = onePicture();
    text.options.ocrLanguages = "zz-none";
    const std::optional<Refusal> language = job::planJob(text);
    ASSERT_TRUE(language);
    EXPECT_EQ(language->code, Refusal::Code::Unavailable);
    EXPECT_EQ(language->text, ocr::ocrLanguageProblem("zz-none"));
}

// Restrictions alone encrypt (with a random owner password), so PDF/A refuses them too; a
// password AES-256 cannot take whole is refused rather than cut.
TEST(JobPlan, RestrictionsEncryptAndPasswordsMustFit) {
    job::JobRequest request = onePicture();
    request.encryption.allowCopy = false;
    EXPECT_FALSE(job::planJob(request));
    EXPECT_TRUE(request.encryption.active());
    EXPECT_TRUE(request.encryption.restrictsForGood());
    request.options.pdfa = jobfiles::PdfaLevel::A1b;
    EXPECT_EQ(job::planJob(request)->text, jobfiles::kPdfaWithRestrictionsRefusal);

    job::JobRequest passwords = onePicture();
    passwords.encryption.openPassword = std::string(127, 'k');
    EXPECT_FALSE(job::planJob(passwords));
    passwords.encryption.openPassword += 'k';
    EXPECT_EQ(job::planJob(passwords)->text, "the open password is longer than 127 bytes");
    passwords.encryption.openPassword = "caf\xC3\xA9";
    passwords.encryption.ownerPassword = "caf\xE9";
    EXPECT_EQ(job::planJob(passwords)->text,
              "the owner password is not UTF-8: passwords must be UTF-8 for AES-256");
}

// Margins and cells that leave a picture less than 20 mm either way are refused with their
// numbers; a margin that fits is drawn as given, not shrunk.
TEST(JobPlan, LayoutsThatLeaveTooLittleRoomAreRefused) {
    job::JobRequest request = onePicture();
    jobfiles::PageLayout& page = request.options.page;
    page.size = jobfiles::PageSize::A4;
    page.sheetColumns = page.sheetRows = 10;
    page.marginMm = 10;
    const std::optional<Refusal> cells = job::planJob(request);
    ASSERT_TRUE(cells);
    EXPECT_EQ(cells->code, Refusal::Code::Conflict);
    EXPECT_EQ(cells->text, "each picture would get 14.5 x 23.2 mm; at least 20 mm is needed: "
                           "fewer per sheet, a smaller margin or gap, or larger paper");
    page.orientation = jobfiles::Orientation::Landscape;
    EXPECT_NE(job::planJob(request)->text.find(" 23.2 x 14.5 mm;"), std::string::npos);
    page.sheetColumns = page.sheetRows = 4;
    EXPECT_FALSE(job::planJob(request));

    page.sheetColumns = page.sheetRows = 1;
    page.size = jobfiles::PageSize::A5;
    page.marginMm = 50; // 48 x 110 mm inside
    EXPECT_FALSE(job::planJob(request));
    EXPECT_DOUBLE_EQ(jobfiles::paperArea(page, false).margin, jobfiles::millimetresToPoints(50));
    page.size = jobfiles::PageSize::Custom;
    page.customWidthMm = page.customHeightMm = 30;
    page.marginMm = 10;
    EXPECT_EQ(job::planJob(request)->text, "each picture would get 10.0 x 10.0 mm; at least 20 mm "
                                           "is needed: a smaller margin or larger paper");
    // A picture's own page has no room to run out of.
    page.size = jobfiles::PageSize::Picture;
    EXPECT_FALSE(job::planJob(request));
}

// The recognition languages as stated: in any letter case, spelt then as installed; none given
// at all, not installed, or whose data file is empty or cut short, refused with the reason.
TEST(JobPlan, RecognitionLanguagesAreCheckedAsStated) {
    test::TempFolder data;
    // A data file's table: the count of entries, then each one's offset (-1: none).
    const auto table = [](std::int64_t offset) {
        std::string bytes(4 + 8 * 2, '\xFF');
        bytes[0] = 2, bytes[1] = bytes[2] = bytes[3] = 0;
        for (int k = 0; k < 8; ++k)
            bytes[12 + k] = static_cast<char>((offset >> (8 * k)) & 0xFF);
        return bytes;
    };
    test::writeBytes(data / "Abc.traineddata", table(20) + "model");
    test::writeBytes(data / "cut.traineddata", table(4000) + "model");
    test::writeBytes(data / "empty.traineddata", "");
    const char* before = std::getenv("TESSDATA_PREFIX");
    const std::string kept = before != nullptr ? before : "";
    setenv("TESSDATA_PREFIX", data.path().c_str(), 1);
    const auto refusal = [](const std::string& languages, bool given) {
        job::JobRequest request = onePicture();
        request.options.ocrLanguages = languages;
        job::OptionsGiven stated;
        stated.ocr = given;
        const std::optional<Refusal> refused = job::planJob(request, stated);
        return refused ? refused->text : "planned as " + request.options.ocrLanguages;
    };
    EXPECT_EQ(refusal("ABC", true), "planned as Abc");
    EXPECT_EQ(refusal("", false), "planned as "); // no text recognition
    EXPECT_EQ(refusal("", true), "no text recognition language was given");
    EXPECT_EQ(refusal("abc+zz", true),
              "the text recognition data for zz is not installed (package tesseract-ocr-zz)");
    EXPECT_EQ(refusal("abc+CUT", true),
              "the text recognition data for cut is damaged: " + data.path() +
                  "/cut.traineddata: it is cut short (reinstall tesseract-ocr-cut)");
    EXPECT_NE(refusal("empty", true).find("empty.traineddata: it is empty"), std::string::npos);
    if (before != nullptr)
        setenv("TESSDATA_PREFIX", kept.c_str(), 1);
    else
        unsetenv("TESSDATA_PREFIX");
}

// The window asks the same plan: a refusal is shown as it is and no job starts; an empty list
// is refused in the window's own words.
TEST(JobPlan, TheWindowShowsTheRefusalAndStartsNothing) {
    test::FakeJobHost host;
    test::FakePrompts prompts;
    app::JobSession session(host, prompts);
    host.folder = "/out";
    EXPECT_FALSE(session.begin({}));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Please add a file");

    host.files = {"/in/a.png"};
    host.options.ocrLanguages = "zz-none";
    EXPECT_FALSE(session.begin({}));
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text, ocr::ocrLanguageProblem("zz-none"));
    EXPECT_EQ(host.log, (std::vector<std::string>{"state idle"}));

    // Saved sheets too small for their pictures.
    host.options = {};
    host.options.page.size = jobfiles::PageSize::A5;
    host.options.page.sheetColumns = host.options.page.sheetRows = 10;
    host.options.page.marginMm = 50;
    host.options.page.gapMm = 50;
    EXPECT_FALSE(session.begin({}));
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_EQ(prompts.messages[2].text,
              "each picture would get 0.0 x 0.0 mm; at least 20 mm is needed: fewer per sheet, "
              "a smaller margin or gap, or larger paper");

    // Allow printing unchecked without a password: the job encrypts.
    host.options = {};
    host.secrets.allowPrint = false;
    const std::optional<job::JobRequest> job = session.begin({});
    ASSERT_TRUE(job);
    EXPECT_TRUE(job->encryption.active());
    EXPECT_EQ(prompts.messages.size(), 3u);
}

} // namespace
