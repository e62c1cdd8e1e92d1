// PDFs in the list, through the whole job: refused by name when they cannot be opened,
// repaired where qpdf can, told apart from pictures by their content.
#include "command_output.h"
#include "job_fixture.h"
#include "test_pdfs.h"
#include "test_pictures.h"

#include <FreeImage.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>

namespace fs = std::filesystem;
using namespace pw;
using pw::test::commandOutput;
using pw::test::pageCount;

namespace {

class PdfItems : public test::JobFixture {
protected:
    std::string pdf(const std::string& name, const test::TestPdf& spec) {
        const std::string path = temp / ("pics/" + name);
        EXPECT_TRUE(test::writeTestPdf(path, spec)) << name;
        return path;
    }
    std::string picture(const std::string& name) {
        const std::string path = temp / ("pics/" + name);
        EXPECT_TRUE(test::writePicture(path, FIF_PNG, 80, 60)) << name;
        return path;
    }
    bool noticed(const job::JobResult& result, const std::string& part) const {
        for (const job::JobNotice& notice : result.notices)
            if (notice.text.find(part) != std::string::npos)
                return true;
        return false;
    }
};

} // namespace

// Without the password, and with a wrong one, the PDF is left out with the reason; with the
// right one its pages go in. The source is neither copied nor touched.
TEST_F(PdfItems, EncryptedPdfNeedsItsPassword) {
    const std::string locked = pdf("locked.pdf", {.pages = 2, .userPassword = "sesame"});
    host.files = {picture("a.png"), locked};
    const auto before = fs::last_write_time(locked);
    for (const char* password : {"", "wrong", "sesame"}) {
        host.secrets.inputPassword = password;
        const std::optional<job::JobResult> result = run();
        ASSERT_TRUE(result);
        if (std::string(password) == "sesame") {
            EXPECT_TRUE(result->missingReasons.empty());
        } else {
            ASSERT_EQ(result->missingReasons.size(), 1u);
            EXPECT_EQ(result->missingReasons[0],
                      locked +
                          (*password == '\0' ? ": needs a password" : ": the password is wrong"));
        }
        fs::remove(out("NewPDF.pdf"));
    }
    EXPECT_EQ(fs::last_write_time(locked), before);
    EXPECT_EQ(fs::hard_link_count(locked), 1u);
}

// qpdf rebuilds a broken cross-reference table (said in a notice); a file with nothing to
// rebuild from is left out with qpdf's reason. The outline, form fields and document
// information of a PDF are said to be left out.
TEST_F(PdfItems, DamagedPdfsAreRepairedOrLeftOut) {
    const std::string repaired =
        pdf("repaired.pdf", {.pages = 2, .outline = true, .form = true, .info = true});
    ASSERT_TRUE(test::breakXref(repaired));
    const std::string broken = temp / "pics/broken.pdf";
    test::writeBytes(broken, "%PDF-1.4\nnothing here\n");
    host.files = {repaired, broken, picture("a.png")};
    const std::optional<job::JobResult> result = run();
    ASSERT_TRUE(result);
    EXPECT_EQ(pageCount(out("NewPDF.pdf")), 3);
    ASSERT_EQ(result->missingReasons.size(), 1u);
    EXPECT_EQ(result->missingReasons[0].rfind(broken + ": a damaged PDF (", 0), 0u)
        << result->missingReasons[0];
    EXPECT_TRUE(noticed(*result, "repaired.pdf is damaged; it was repaired"));
    EXPECT_TRUE(noticed(*result,
                        "The bookmarks, form fields and document properties of repaired.pdf "
                        "are left out."));
    QPDF made;
    made.processFile(out("NewPDF.pdf").c_str());
    EXPECT_FALSE(made.getRoot().hasKey("/AcroForm"));
    EXPECT_FALSE(made.getRoot().hasKey("/Outlines"));
}

// The content decides: a picture named .pdf is a picture, a PDF named .jpg a PDF.
TEST_F(PdfItems, ContentDecidesTheKind) {
    const std::string picturePdf = temp / "pics/photo.pdf";
    ASSERT_TRUE(test::writePicture(picturePdf, FIF_PNG, 80, 60));
    const std::string pdfJpg = pdf("letter.jpg", {.pages = 3, .text = "Hidden"});
    host.files = {picturePdf, pdfJpg};
    const std::optional<job::JobResult> result = run();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->missingReasons.empty());
    EXPECT_EQ(pageCount(out("NewPDF.pdf")), 4);
    EXPECT_EQ(test::pageContent(out("NewPDF.pdf"), 2), test::pageContent(pdfJpg, 1));
    const std::string text = commandOutput("pdftotext -f 1 -l 1 '" + out("NewPDF.pdf") + "' -");
    EXPECT_EQ(text.find("Hidden"), std::string::npos);
}

// One PDF per item: a PDF gives a copy of itself with the job's properties and encryption.
TEST_F(PdfItems, PerPictureModeCopiesThePdf) {
    host.files = {pdf("letter.pdf", {.pages = 2, .info = true}), picture("b.png")};
    host.perPicture = true;
    host.properties.title = "Job title";
    host.secrets.openPassword = "open";
    const std::optional<job::JobResult> result = run();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->missingReasons.empty());
    QPDF copy;
    copy.processFile(out("letter.pdf").c_str(), "open");
    EXPECT_TRUE(copy.isEncrypted());
    EXPECT_EQ(copy.getAllPages().size(), 2u);
    EXPECT_EQ(copy.getTrailer().getKey("/Info").getKey("/Title").getUTF8Value(), "Job title");
    EXPECT_EQ(test::pageContent(out("letter.pdf"), 2, "open"), test::pageContent(host.files[0], 2));
}

// An item's page list: only those pages, in that order, each with the item's turn added to
// its own /Rotate; another item of the same file keeps its pages' turns. An item none of
// whose pages the file has is left out.
TEST_F(PdfItems, PageListsChooseAndOrderThePages) {
    const std::string letter =
        pdf("letter.pdf", {.pages = 3, .rotate = 90, .inheritedRotate = 180});
    host.files = {letter, letter, letter};
    host.pageLists = {{3, 1}, {2}, {7}};
    host.turns = {90, 0, 0};
    const std::optional<job::JobResult> result = run();
    ASSERT_TRUE(result);
    ASSERT_EQ(result->missingReasons.size(), 1u);
    EXPECT_EQ(result->missingReasons[0], letter + ": has none of the pages chosen from it");
    const std::string made = out("NewPDF.pdf");
    ASSERT_EQ(pageCount(made), 3);
    QPDF pdf;
    pdf.processFile(made.c_str());
    std::vector<int> rotates;
    for (QPDFObjectHandle page : pdf.getAllPages())
        rotates.push_back(page.getKey("/Rotate").getIntValueAsInt());
    EXPECT_EQ(rotates, (std::vector<int>{270, 270, 90}));
    for (const auto& [at, page] : std::vector<std::pair<int, int>>{{1, 3}, {2, 1}, {3, 2}})
        EXPECT_EQ(test::pageContent(made, at), test::pageContent(letter, page)) << at;
}

// PDF/A: a PDF whose fonts are not embedded is left out with the reason before the builder runs;
// the pictures still make a PDF/A file.
TEST_F(PdfItems, PdfaLeavesOutWhatWouldBreakIt) {
    const std::string plain = pdf("plain.pdf", {.pages = 1});
    host.files = {picture("a.png"), plain};
    host.options.pdfa = jobfiles::PdfaLevel::A2b;
    const std::optional<job::JobResult> result = run();
    ASSERT_TRUE(result);
    ASSERT_EQ(result->missingReasons.size(), 1u);
    EXPECT_EQ(result->missingReasons[0],
              plain + ": cannot go into a PDF/A file: the font Helvetica is not embedded, "
                      "which PDF/A requires");
    EXPECT_EQ(pageCount(out("NewPDF.pdf")), 1);
}
