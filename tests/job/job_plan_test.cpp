#include "app/job_session.h"
#include "fake_job_host.h"
#include "fake_prompts.h"
#include "job/job_plan.h"
#include "jobfiles/pdfa_level.h"
#include "ocr/ocr_languages.h"

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

    job::JobRequest text = onePicture();
    text.options.ocrLanguages = "zz-none";
    const std::optional<Refusal> language = job::planJob(text);
    ASSERT_TRUE(language);
    EXPECT_EQ(language->code, Refusal::Code::Unavailable);
    EXPECT_EQ(language->text, ocr::OcrLanguageProblem("zz-none"));
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
    EXPECT_EQ(prompts.messages[1].text, ocr::OcrLanguageProblem("zz-none"));
    EXPECT_EQ(host.log, (std::vector<std::string>{"state idle"}));
}

} // namespace
