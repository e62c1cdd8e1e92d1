#include "command_output.h"
#include "counting_pump.h"
#include "fake_job_host.h"
#include "fake_prompts.h"
#include "job/ConversionJob.h"
#include "job_fixture.h"
#include "platform/job_folder.h"
#include "platform/paths.h"
#include "platform/processes.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <FreeImage.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace pw;
using pw::test::commandOutput;
using pw::test::pageCount;

namespace {

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

class Job : public test::JobFixture {
protected:
    std::string picture(const std::string& name, int format = FIF_PNG) {
        const std::string path = temp / ("pics/" + name);
        EXPECT_TRUE(test::writePicture(path, format, 80, 60)) << name;
        return path;
    }
    // The fake tool as the builder, taking these steps (one a line).
    void fakeBuilder(const std::string& steps) {
        const fs::path app = temp / "app";
        fs::create_directories(app / "data");
        fs::copy_file(PW_FAKE_TOOL, app / "data/pdf.exe", fs::copy_options::overwrite_existing);
        platform::setApplicationFolder(app);
        setenv("PW_FAKE_STEPS", steps.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("PW_FAKE_STEPS");
        JobFixture::TearDown();
    }
    const std::string realBuilder = std::string(PW_TEST_APP_DIR) + "/data/pdf.exe";
};

// Starts the program in folder, as a job starts its builder; -1 on failure.
int startIn(const std::string& program, const std::string& folder, const std::string& argument) {
    int output = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    int error = 0;
    const int pid = platform::spawnWithOutput(platform::quoteArgument(program) + " " + argument,
                                              output, error, nullptr, folder);
    platform::closeFd(output);
    return pid;
}

// Whether the child started by startIn has ended within the time.
bool endsWithin(int pid, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (platform::childRunning(pid)) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A file read to its end, for /proc files that state no size.
std::string streamed(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A PDF's outline: each entry as "page:title", its children after it indented by two blanks.
std::vector<std::string> outlineOf(const std::string& path) {
    QPDF pdf;
    pdf.processFile(path.c_str());
    const auto pages = QPDFPageDocumentHelper(pdf).getAllPages();
    std::vector<std::string> lines;
    std::function<void(std::vector<QPDFOutlineObjectHelper>, const std::string&)> walk =
        [&](std::vector<QPDFOutlineObjectHelper> items, const std::string& indent) {
            for (QPDFOutlineObjectHelper& item : items) {
                std::size_t page = 0;
                while (page < pages.size() &&
                       pages[page].getObjectHandle().getObjGen() != item.getDestPage().getObjGen())
                    ++page;
                lines.push_back(indent + std::to_string(page + 1) + ":" + item.getTitle());
                walk(item.getKids(), indent + "  ");
            }
        };
    walk(QPDFOutlineDocumentHelper(pdf).getTopLevelOutlines(), "");
    return lines;
}

} // namespace

TEST_F(Job, OnePdfOfThreePictures) {
    host.files = {picture("a.png"), picture("b.JPG", FIF_JPEG), picture("c.bmp", FIF_BMP)};
    fs::permissions(host.files[1], fs::perms::owner_read | fs::perms::group_read);
    host.folder += "/";
    host.titleText = "Report";
    host.properties = {"Holiday 2026", "Zoë Müller", "Trip", "sea", "D:20260102030405-06'00"};
    fs::create_directories(temp / "out");
    test::writeBytes(temp / "out/Report.pdf", "old");
    run();

    ASSERT_EQ(prompts.messages.size(), 1u) << prompts.messages.back().text;
    EXPECT_EQ(prompts.messages[0].text, "The output filename exists, overwrite?");
    EXPECT_EQ(prompts.messages[0].buttons, platform::Buttons::OkCancel);
    const std::vector<std::string> texts = {"Preparing Files...", "Converting Files...0%",
                                            "Converting Files...50%", "Converting Files...100%",
                                            "Now Start Creating..."};
    ASSERT_GE(host.frontTexts.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(host.frontTexts.begin(), host.frontTexts.begin() + 5),
              texts);
    const std::vector<std::string> ending = {"Moving File(s)...100%", "Removing Temporary Files...",
                                             "Done."};
    EXPECT_EQ(std::vector<std::string>(host.frontTexts.end() - 3, host.frontTexts.end()), ending);

    const std::string folder = temp / "out";
    const std::vector<std::string> expectedLog = {"state preparing", "txtPath=" + folder,
                                                  "state running",   "progress off",
                                                  "state idle",      "beep",
                                                  "open " + folder};
    EXPECT_EQ(host.log, expectedLog);
    EXPECT_EQ(host.progress.bar, 0);
    EXPECT_FALSE(host.progress.visible);

    EXPECT_EQ(pageCount(out("NewPDF.pdf")), 3);
    EXPECT_EQ(test::readBytes(out("Report.pdf")), "old");
    const std::string info = commandOutput("pdfinfo '" + out("NewPDF.pdf") + "'");
    EXPECT_NE(info.find("Holiday 2026"), std::string::npos) << info;
    EXPECT_NE(info.find("Zoë Müller"), std::string::npos) << info;
    EXPECT_FALSE(fs::exists(platform::stagingFolder()));
    EXPECT_TRUE(fs::is_directory(platform::scratchFolder()));
    // Staging and its removal leave the user's read-only picture as it was.
    EXPECT_EQ(fs::status(host.files[1]).permissions(),
              fs::perms::owner_read | fs::perms::group_read);
}

TEST_F(Job, OnePictureFormsNoPercentageAndResultsNeverOverwrite) {
    host.files = {picture("only.png")};
    for (int run = 0; run < 3; ++run) {
        host.frontTexts.clear();
        this->run();
        // The front label copies the engine label's text, which the previous run left.
        EXPECT_EQ(host.frontTexts.at(1), run == 0 ? "0%" : "Now Start Creating...");
        for (const std::string& text : host.frontTexts)
            EXPECT_EQ(text.find("Converting"), std::string::npos) << text;
    }
    EXPECT_EQ(pageCount(out("NewPDF.pdf")), 1);
    EXPECT_EQ(pageCount(out("NewPDF1.pdf")), 1);
    EXPECT_EQ(pageCount(out("NewPDF2.pdf")), 1);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Job, OnePdfPerPictureNamesEachResultAfterItsPicture) {
    fs::create_directories(temp / "pics/other");
    const std::string dotless = temp / "pics/noext";
    ASSERT_TRUE(test::writePicture(dotless, FIF_PNG));
    const std::string broken = temp / "pics/broken.png";
    test::writeBytes(broken, "garbage");
    host.files = {
        picture("a.b.png"),    picture("x.png"), picture("other/x.png", FIF_JPEG), dotless, broken,
        picture("caf\xE9.png")}; // a name that is not valid UTF-8
    host.perPicture = true;
    fs::create_directories(temp / "out");
    test::writeBytes(out("x.pdf"), "earlier result");
    prompts.answerNext(platform::Answer::Yes);
    run();

    for (const char* name : {"a.b.pdf", "x.pdf", "x1.pdf", "noext.pdf", "caf\xE9.pdf"})
        EXPECT_EQ(pageCount(out(name)), 1) << name;
    EXPECT_FALSE(fs::exists(out(".pdf")));
    EXPECT_FALSE(fs::exists(out("broken.pdf")));
    EXPECT_TRUE(contains(host.frontTexts, "Converting Files...20%"));
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].title, "Overwrite");
    EXPECT_EQ(prompts.messages[1].title, "Missing Pictures");
    EXPECT_NE(prompts.messages[1].text.find(broken), std::string::npos);
    EXPECT_FALSE(fs::exists(platform::stagingFolder()));
}

TEST_F(Job, UnreadablePicturesAreReportedAndTheirPagesAreMissing) {
    const std::string broken = temp / "pics/broken.png"; // FreeImage cannot read it
    test::writeBytes(broken, "garbage");
    const std::string fake = temp / "pics/fake.jpg"; // copied, then skipped by the builder
    test::writeBytes(fake, std::string("\xFF\xD8\xFF\xE0\x00\x02 truncated", 16));
    // A pipe named like a picture, as Add Folder lists it: reading it would wait for ever.
    const std::string pipe = temp / "pics/pipe.jpg";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    host.files = {picture("1.png"), broken, fake, picture("4.png"), pipe};
    const std::optional<job::JobResult> result = run();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->missingReasons.back(),
              pipe + ": not a picture (a pipe or device, not a file)");
    EXPECT_EQ(pageCount(out("NewPDF.pdf")), 2);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "Missing Pictures");
    EXPECT_EQ(prompts.messages[0].icon, platform::Icon::Exclamation);
    EXPECT_NE(prompts.messages[0].text.find(broken + "\n" + fake), std::string::npos)
        << prompts.messages[0].text;
    EXPECT_EQ(prompts.messages[0].text.find("1.png"), std::string::npos);
}

// OCR that cannot run on the pages (language data Tesseract cannot load, though its table
// holds): each page is converted without text and named with the reason, and the window says
// so, every page behind Show Details.
TEST_F(Job, PagesWhoseTextCannotBeReadAreNamedWithTheReason) {
    const fs::path data = temp / "tessdata";
    fs::create_directories(data);
    // Its table: 24 entries, each offset -1 (none) but the last, the version after the table.
    std::string table(4 + 8 * 24, '\xFF');
    table[0] = 24, table[1] = table[2] = table[3] = 0;
    for (std::size_t k = 0; k < 8; ++k)
        table[4 + 8 * 23 + k] = static_cast<char>((table.size() >> (8 * k)) & 0xFF);
    test::writeBytes(data / "eng.traineddata", table + "4.00.00alpha:eng");
    const char* before = std::getenv("TESSDATA_PREFIX");
    const std::string kept = before != nullptr ? before : "";
    setenv("TESSDATA_PREFIX", data.c_str(), 1);
    host.files = {picture("a.png"), picture("b.png")};
    host.options.ocrLanguages = "eng";
    const std::optional<job::JobResult> result = run();
    if (before != nullptr)
        setenv("TESSDATA_PREFIX", kept.c_str(), 1);
    else
        unsetenv("TESSDATA_PREFIX");
    ASSERT_TRUE(result);
    EXPECT_EQ(pageCount(out("NewPDF.pdf")), 2);
    EXPECT_TRUE(result->missing.empty());
    const std::string reason = ": no text recognised: the text recognition data for eng could "
                               "not be loaded";
    const std::vector<std::string> lines{host.files[0] + reason, host.files[1] + reason};
    EXPECT_EQ(result->unreadText, lines);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              "These pages have no searchable text:\n" + lines[0] + "\n" + lines[1]);
    EXPECT_EQ(prompts.messages[0].details, lines[0] + "\n" + lines[1]);
}

TEST_F(Job, CancelAtTheOverwriteQuestionRestoresTheControls) {
    host.files = {picture("a.png")};
    fs::create_directories(temp / "out");
    test::writeBytes(out("New PDF Document.pdf"), "mine");
    prompts.answerNext(platform::Answer::Cancel);
    run();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "Overwrite");
    EXPECT_EQ(prompts.messages[0].icon, platform::Icon::None);
    EXPECT_EQ(host.log, (std::vector<std::string>{"state preparing", "state idle"}));
    EXPECT_FALSE(fs::exists(temp / "cache"));
    EXPECT_EQ(fs::directory_iterator(temp / "out")->path().filename(), "New PDF Document.pdf");
}

TEST_F(Job, EmptyListOnlyAsksForAFile) {
    run();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Please add a file");
    EXPECT_EQ(prompts.messages[0].title, "Add File");
    EXPECT_EQ(prompts.messages[0].icon, platform::Icon::Exclamation);
    EXPECT_EQ(prompts.messages[0].buttons, platform::Buttons::Ok);
    EXPECT_EQ(host.log, std::vector<std::string>{"state idle"});
    EXPECT_TRUE(host.frontTexts.empty());
    EXPECT_FALSE(fs::exists(temp / "out"));
}

// PDF/A forbids encryption: asked for both, the job says so and does not start.
TEST_F(Job, PdfaWithAPasswordIsRefusedBeforeAnythingRuns) {
    host.files = {temp / "a.jpg"};
    host.options.pdfa = jobfiles::PdfaLevel::A2b;
    host.secrets = {"secret", "", true, true};
    EXPECT_FALSE(run());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].text.find("PDF/A does not allow encryption"), std::string::npos);
    EXPECT_EQ(prompts.messages[0].icon, platform::Icon::Exclamation);
    EXPECT_TRUE(host.log.empty()); // nothing locked
    EXPECT_FALSE(fs::exists(temp / "out"));
}

TEST_F(Job, MissingBuilderIsReportedOnceAndNoPictureIsBlamed) {
    platform::setApplicationFolder(temp / "no app here");
    host.files = {picture("a.png"), picture("b.png")};
    for (const bool perPicture : {false, true}) {
        prompts.messages.clear();
        host.perPicture = perPicture;
        run();
        ASSERT_EQ(prompts.messages.size(), 1u) << perPicture;
        EXPECT_EQ(prompts.messages[0].text, "File or command not found");
        EXPECT_FALSE(fs::exists(out("NewPDF.pdf")));
        EXPECT_EQ(host.frontTexts.back(), "Done.");
        EXPECT_TRUE(contains(host.log, "beep"));
        EXPECT_FALSE(fs::exists(platform::stagingFolder()));
    }
}

// A builder that fails for a picture leaves it named with the reason among the missing
// pictures; in one-PDF mode the one failure is said once and no picture is blamed. Its exit
// status tells, whatever its text says: one that skips every picture blames them.
TEST_F(Job, BuilderFailuresAreNamedNotBlamedOnPictures) {
    struct Failure {
        std::vector<std::string> steps; // the fake builder's, for the second picture
        std::string said;               // one-PDF mode; "": the picture is named as well
        std::string why;                // per-picture mode
    };
    const Failure failures[] = {
        {{"err:Failed: No space left on device\n", "exit:4"},
         "The PDF builder could not write the PDF: No space left on device",
         "the PDF builder could not write the PDF: No space left on device"},
        {{"text:Adding 00000.jpg \n", "kill"},
         "The PDF builder stopped before it finished.",
         "the PDF builder was ended by SIGKILL"},
        {{"exit:7"},
         "The PDF builder stopped before it finished.",
         "the PDF builder ended with status 7"},
        {{"text:Wrote 1 of 1 pages\n", "exit:5"},
         "The PDF builder stopped before it finished.",
         "the PDF builder ended with status 5"},
        {{"err:Skipped 00001.png: no image data\n", "exit:3"},
         "",
         "refused by the PDF builder (no image data)"}};
    host.files = {picture("a.png"), picture("b.png"), picture("c.png")};
    for (const Failure& failure : failures) {
        // The real builder makes the other pictures' PDFs.
        std::string steps;
        for (const std::string& step : failure.steps)
            steps += "when:" + platform::stagingFolder() + "/00001.png\n" + step + "\n";
        fakeBuilder(steps + "run:" + realBuilder);
        for (const bool perPicture : {false, true}) {
            fs::remove_all(temp / "out");
            prompts.messages.clear();
            host.perPicture = perPicture;
            run();
            ASSERT_EQ(prompts.messages.size(), 1u) << failure.why;
            EXPECT_EQ(fs::exists(out("NewPDF.pdf")), false);
            if (!perPicture && !failure.said.empty()) {
                EXPECT_EQ(prompts.messages[0].text, failure.said);
                continue;
            }
            EXPECT_EQ(prompts.messages[0].title, "Missing Pictures");
            EXPECT_EQ(prompts.messages[0].text,
                      "This picture could not be converted and is missing from the result:\n" +
                          host.files[1]);
            EXPECT_EQ(prompts.messages[0].details, host.files[1] + ": " + failure.why);
            if (!perPicture)
                continue;
            EXPECT_EQ(pageCount(out("a.pdf")), 1);
            EXPECT_FALSE(fs::exists(out("b.pdf")));
            EXPECT_EQ(pageCount(out("c.pdf")), 1);
        }
    }
}

// A builder gone after it has run leaves the remaining pictures named, not lost.
TEST_F(Job, PicturesAfterTheBuilderIsGoneAreNamed) {
    host.files = {picture("a.png"), picture("b.png"), picture("c.png")};
    host.perPicture = true;
    fakeBuilder("when:" + platform::stagingFolder() +
                "/00001.png\nremove:" + (temp / "app/data/pdf.exe") + "\nrun:" + realBuilder);
    run();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, "File or command not found");
    EXPECT_EQ(prompts.messages[1].text,
              "This picture could not be converted and is missing from the result:\n" +
                  host.files[2]);
    EXPECT_EQ(prompts.messages[1].details,
              host.files[2] + ": the PDF builder could not be started");
    EXPECT_EQ(pageCount(out("a.pdf")), 1);
    EXPECT_EQ(pageCount(out("b.pdf")), 1);
}

// A result that cannot go where the user asked is kept in ~/Output, with the reason.
TEST_F(Job, AResultThatCannotBePlacedGoesToTheDefaultFolder) {
    setenv("HOME", (temp / "home").c_str(), 1);
    host.files = {picture("a.png"), picture("b.png")};
    host.folder = temp / "deep/er/out"; // made with its parents
    run();
    EXPECT_EQ(pageCount(out("NewPDF.pdf")), 2);
    EXPECT_TRUE(prompts.messages.empty());

    test::writeBytes(temp / "plain", "a file, not a folder");
    host.folder = temp / "plain/out";
    run();
    ASSERT_EQ(prompts.messages.size(), 1u);
    const std::string kept = temp / "home/Output/NewPDF.pdf";
    EXPECT_EQ(prompts.messages[0].text, "The PDF could not be saved in " + host.folder +
                                            ": Not a directory.\nIt was saved as " + kept +
                                            " instead.");
    EXPECT_EQ(pageCount(kept), 2);
    EXPECT_TRUE(contains(host.log, "open " + (temp / "home/Output")));

    prompts.messages.clear();
    host.perPicture = true;
    run();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].text.find("2 PDFs could not be saved in " + host.folder +
                                            ": Not a directory."),
              std::string::npos)
        << prompts.messages[0].text;
    EXPECT_EQ(pageCount(temp / "home/Output/a.pdf"), 1);
    EXPECT_EQ(pageCount(temp / "home/Output/b.pdf"), 1);

    // Nowhere to put them: the pictures are named as missing, with the reason.
    fs::remove_all(temp / "home/Output");
    test::writeBytes(temp / "home/Output", "a file, not a folder");
    prompts.messages.clear();
    run();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_NE(prompts.messages[0].text.find("2 could not be saved anywhere."), std::string::npos)
        << prompts.messages[0].text;
    EXPECT_EQ(prompts.messages[1].text,
              "These pictures could not be converted and are missing from the result:\n" +
                  host.files[0] + "\n" + host.files[1]);
    EXPECT_EQ(prompts.messages[1].details,
              host.files[0] + ": its PDF could not be saved: Not a directory\n" + host.files[1] +
                  ": its PDF could not be saved: Not a directory");
    unsetenv("HOME");
}

// Per-picture mode asks once before replacing files; numbered names never take another
// picture's own name.
TEST_F(Job, PerPictureAsksBeforeReplacingAndNumbersAroundTheJobsOwnNames) {
    fs::create_directories(temp / "pics/again");
    host.files = {picture("b.jpg", FIF_JPEG), picture("b.png"), picture("b1.png"),
                  picture("again/b1.png")};
    host.perPicture = true;
    fs::create_directories(temp / "out");
    test::writeBytes(out("b.pdf"), "mine");
    test::writeBytes(out("b1.pdf"), "mine too");

    prompts.answerNext(platform::Answer::Cancel);
    run();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              "2 PDF files with the same names exist in the output folder. Overwrite them?");
    EXPECT_EQ(prompts.messages[0].buttons, platform::Buttons::YesNoCancel);
    EXPECT_EQ(std::distance(fs::directory_iterator(temp / "out"), fs::directory_iterator()), 2);

    prompts.answerNext(platform::Answer::No); // keep them: the new ones get free numbered names
    run();
    EXPECT_EQ(test::readBytes(out("b.pdf")), "mine");
    EXPECT_EQ(test::readBytes(out("b1.pdf")), "mine too");
    for (const char* name : {"b2.pdf", "b3.pdf", "b11.pdf", "b12.pdf"})
        EXPECT_EQ(pageCount(out(name)), 1) << name;

    fs::remove_all(temp / "out");
    prompts.messages.clear();
    run(); // nothing to replace: no question
    EXPECT_TRUE(prompts.messages.empty());
    for (const char* name : {"b.pdf", "b2.pdf", "b1.pdf", "b11.pdf"})
        EXPECT_EQ(pageCount(out(name)), 1) << name;
    EXPECT_FALSE(fs::exists(out("b3.pdf")));

    test::writeBytes(out("b.pdf"), "mine");
    run({.overwrite = job::OverwritePolicy::Overwrite});
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(pageCount(out("b.pdf")), 1);
}

TEST_F(Job, NothingFoundInTheStagingFolderReachesThePdf) {
    const fs::path staging = platform::stagingFolder();
    const fs::path elsewhere = temp / "elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directories(staging.parent_path());
    ASSERT_TRUE(test::writePicture(elsewhere / "00001.jpg", FIF_JPEG));
    host.files = {picture("a.png")};

    // A link to another folder, a folder others may enter, and leftovers of a killed job.
    fs::create_directory_symlink(elsewhere, staging);
    run();
    EXPECT_EQ(pageCount(out("NewPDF.pdf")), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::exists(elsewhere / "00001.jpg"));
    for (const fs::perms mode : {fs::perms::all, fs::perms::owner_all}) {
        fs::create_directory(staging);
        fs::permissions(staging, mode);
        fs::copy_file(elsewhere / "00001.jpg", staging / "00001.jpg");
        run();
    }
    EXPECT_EQ(pageCount(out("NewPDF1.pdf")), 1);
    EXPECT_EQ(pageCount(out("NewPDF2.pdf")), 1);
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
    EXPECT_FALSE(fs::exists(staging));
}

// Jobs run side by side: a job's start ends neither another job's builder nor its folder, only
// the builder and folder of a job that is gone; a job of its own stages in a private folder.
TEST_F(Job, AJobLeavesOtherJobsAndTheirBuildersAlone) {
    fakeBuilder("run:" + realBuilder);
    const std::string builder = temp / "app/data/pdf.exe";
    // A link where the jobs folder goes is replaced, never followed.
    fs::create_directories(temp / "elsewhere");
    fs::create_directories(fs::path(platform::jobsFolder()).parent_path());
    fs::create_directory_symlink(temp / "elsewhere", platform::jobsFolder());
    platform::JobFolder running;
    platform::JobFolder gone;
    ASSERT_TRUE(running.create(platform::jobsFolder()));
    ASSERT_TRUE(gone.create(platform::jobsFolder()));
    EXPECT_TRUE(fs::is_empty(temp / "elsewhere"));
    for (const std::string& folder : {platform::jobsFolder(), running.path()})
        EXPECT_EQ(fs::symlink_status(folder).permissions(), fs::perms::owner_all) << folder;
    gone.release(); // its job has ended, its builder not
    const int other = startIn(builder, running.path(), "sleep:60000");
    const int stray = startIn(builder, gone.path(), "sleep:60000");
    ASSERT_GT(other, 0);
    ASSERT_GT(stray, 0);
    host.files = {picture("a.png"), picture("b.png")};

    run(); // the window's job, in the window's folder
    EXPECT_EQ(pageCount(out("NewPDF.pdf")), 2);
    EXPECT_TRUE(endsWithin(stray, std::chrono::seconds(10)));
    EXPECT_FALSE(fs::exists(gone.path()));

    for (const bool perPicture : {false, true}) {
        host.perPicture = perPicture;
        run({.staging = job::JobRequest::Staging::OwnFolder});
        EXPECT_EQ(fs::path(stagingFolder).parent_path(), platform::jobsFolder());
        EXPECT_FALSE(fs::exists(stagingFolder));
    }
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
    EXPECT_EQ(pageCount(out("NewPDF1.pdf")), 2);
    EXPECT_EQ(pageCount(out("a.pdf")), 1);
    EXPECT_EQ(pageCount(out("b.pdf")), 1);

    EXPECT_TRUE(platform::childRunning(other)) << "another job's builder was ended";
    EXPECT_EQ(
        std::distance(fs::directory_iterator(platform::jobsFolder()), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::exists(running.path()));
    platform::terminateProcess(other);
    EXPECT_TRUE(endsWithin(other, std::chrono::seconds(10)));
}

// Stop while the builder works: it is ended, nothing reaches the output folder but PDFs
// already finished (per-picture mode), which are reported; the staged files go.
TEST_F(Job, CancelEndsTheBuilderAndKeepsOnlyFinishedPdfs) {
    host.files = {picture("a.png"), picture("b.png")};
    const std::string marker = temp / "builder-started";
    for (const bool perPicture : {false, true}) {
        SCOPED_TRACE(perPicture ? "per picture" : "one PDF");
        host.perPicture = perPicture;
        fs::remove_all(temp / "out");
        test::writeBytes(marker, "");
        // The builder makes the first picture's PDF; with the second it says so and hangs.
        fakeBuilder("when:00001.png\nremove:" + marker +
                    "\nwhen:00001.png\nsleep:60000\nrun:" + realBuilder);
        std::optional<job::JobRequest> request = session.begin({});
        ASSERT_TRUE(request);
        job::ConversionJob job(std::move(*request), session);
        std::thread worker([&job] { job.run(); });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (fs::exists(marker) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_FALSE(fs::exists(marker)) << "the builder never reached the second picture";
        const auto stopped = std::chrono::steady_clock::now();
        job.cancel();
        worker.join();
        // Well under the builder's minute: it was ended, not waited for.
        EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(10));

        const job::JobResult& result = session.result();
        EXPECT_EQ(result.outcome, job::JobResult::Outcome::Cancelled);
        EXPECT_TRUE(result.missing.empty()); // a stop blames no picture
        const std::vector<std::string> kept =
            perPicture ? std::vector<std::string>{out("a.pdf")} : std::vector<std::string>{};
        EXPECT_EQ(result.written, kept);
        std::vector<std::string> inFolder;
        for (const auto& entry : fs::directory_iterator(temp / "out"))
            inFolder.push_back(entry.path().string());
        EXPECT_EQ(inFolder, kept);
        EXPECT_FALSE(fs::exists(job.stagingFolder()));
        EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
        EXPECT_EQ(host.frontTexts.back(), "Stopped");
        EXPECT_EQ(host.log.back(), "state idle");
        EXPECT_TRUE(host.progress.visible);
        EXPECT_FALSE(contains(host.log, "beep"));
    }
}

// The passwords reach the builder through its standard input only: no builder's command line
// or environment and no file of the job holds them, and every PDF is encrypted.
TEST_F(Job, PasswordsReachTheBuilderOnlyThroughAPipe) {
    host.files = {picture("a.png"), picture("b.png")};
    host.secrets = {"öpen sesame", "0wner-key", false, true};
    const std::string fake = temp / "app/data/pdf.exe";
    for (const bool perPicture : {false, true}) {
        SCOPED_TRACE(perPicture ? "per picture" : "one PDF");
        host.perPicture = perPicture;
        fs::remove_all(temp / "out");
        // The fake holds on a while before the real builder takes over with its input.
        fakeBuilder("sleep:300\nrun:" + realBuilder);
        std::atomic<bool> done{false};
        int builders = 0;
        std::vector<std::string> leaks;
        std::thread watcher([&] {
            const auto leaked = [&](const std::string& text) {
                return text.find(host.secrets.openPassword) != std::string::npos ||
                       text.find(host.secrets.ownerPassword) != std::string::npos;
            };
            while (!done) {
                for (const std::string& program : {fake, realBuilder}) {
                    for (const int pid : platform::processesRunningExecutable(program)) {
                        const std::string proc = "/proc/" + std::to_string(pid);
                        const std::string seen = streamed(proc + "/cmdline");
                        if (!seen.empty())
                            ++builders;
                        if (leaked(seen) || leaked(streamed(proc + "/environ")))
                            leaks.push_back(proc);
                    }
                }
                std::error_code error;
                for (fs::recursive_directory_iterator it(temp / "cache", error), end;
                     !error && it != end; it.increment(error)) {
                    if (it->is_regular_file(error) && leaked(test::readBytes(it->path())))
                        leaks.push_back(it->path());
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        run();
        done = true;
        watcher.join();
        EXPECT_GT(builders, 0) << "no builder was seen running";
        EXPECT_TRUE(leaks.empty()) << leaks.front();
        EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;

        const std::vector<std::string> pdfs =
            perPicture ? std::vector<std::string>{out("a.pdf"), out("b.pdf")}
                       : std::vector<std::string>{out("NewPDF.pdf")};
        for (const std::string& pdf : pdfs) {
            EXPECT_EQ(pageCount(pdf), 0) << "opened without its password: " << pdf;
            EXPECT_EQ(commandOutput("qpdf --password='öpen sesame' --show-npages '" + pdf + "'"),
                      perPicture ? "1\n" : "2\n");
            const std::string shown =
                commandOutput("qpdf --password=0wner-key --show-encryption '" + pdf + "'");
            EXPECT_NE(shown.find("R = 6\n"), std::string::npos) << shown;
            EXPECT_NE(shown.find("Supplied password is owner password"), std::string::npos);
            EXPECT_NE(shown.find("print high resolution: not allowed"), std::string::npos);
            EXPECT_NE(shown.find("extract for any purpose: allowed"), std::string::npos);
        }
    }
}

// Bookmarks: an entry per picture titled by the name the user sees, a TIFF's pages as its
// children; in per-picture mode each PDF has its picture's.
TEST_F(Job, BookmarksTitleEachPictureByItsShownName) {
    test::TiffPage page{.width = 8, .height = 8, .data = std::string(64, '\x80')};
    const std::string tiff = temp / "pics/scan.tif";
    ASSERT_TRUE(test::writeTiff(tiff, {page, page, page}));
    host.files = {picture("copy1.png"), tiff, picture("c.png")};
    host.shown = {"/photos/Holiday Ωmega.v2.png"};
    host.options.bookmarks = true;
    run();
    EXPECT_EQ(outlineOf(out("NewPDF.pdf")),
              (std::vector<std::string>{"1:Holiday Ωmega.v2", "2:scan", "  2:Page 1", "  3:Page 2",
                                        "  4:Page 3", "5:c"}));

    host.perPicture = true;
    run();
    EXPECT_EQ(outlineOf(out("copy1.pdf")), std::vector<std::string>{"1:Holiday Ωmega.v2"});
    EXPECT_EQ(outlineOf(out("scan.pdf")),
              (std::vector<std::string>{"1:scan", "  1:Page 1", "  2:Page 2", "  3:Page 3"}));
    EXPECT_EQ(outlineOf(out("c.pdf")), std::vector<std::string>{"1:c"});

    fs::remove_all(temp / "out");
    host.perPicture = false;
    host.options.bookmarks = false;
    run();
    EXPECT_TRUE(outlineOf(out("NewPDF.pdf")).empty());
}
