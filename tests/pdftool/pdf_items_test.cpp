// PDFs of the list staged beside pictures: their pages copied as they are, in list order.
#include "command_output.h"
#include "formats/pdf_document.h"
#include "jobfiles/encryption.h"
#include "jobfiles/page_options.h"
#include "jobfiles/page_turns.h"
#include "jobfiles/picture_titles.h"
#include "jpeg_maker.h"
#include "pdf_probe.h"
#include "test_pdfs.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <unistd.h>

using namespace pw::pdftool::test;
using namespace pw;

namespace {

int rotateOf(QPDFObjectHandle page) {
    QPDFObjectHandle rotate = page.getKey("/Rotate");
    return rotate.isInteger() ? rotate.getIntValueAsInt() : 0;
}

} // namespace

// Pictures and PDFs interleaved: each PDF's pages in its place with their content streams,
// fonts and links as they were, text still extractable, its own turn plus the item's, and one
// bookmark for the PDF; paper size and per-sheet leave its pages alone.
TEST(PdfItems, PagesGoInAsTheyAreBetweenThePictures) {
    Stage stage;
    const std::string source = stage.cache() + "/letter.pdf";
    ASSERT_TRUE(pw::test::writeTestPdf(source, {.pages = 3, .text = "Letter", .rotate = 90}));
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {}));
    ASSERT_EQ(::link(source.c_str(), stage.path("00001.pdf").c_str()), 0);
    ASSERT_TRUE(writeJpeg(stage.path("00002.jpg"), {}));
    ASSERT_TRUE(writeJpeg(stage.path("00003.jpg"), {}));
    ASSERT_TRUE(jobfiles::writePageTurns(stage.folder(), {{1, 270}}));
    ASSERT_TRUE(jobfiles::writePictureTitles(
        stage.folder(), {{0, "first"}, {1, "letter"}, {2, "second"}, {3, "third"}}));
    jobfiles::JobOptions options;
    options.page.size = jobfiles::PageSize::A4;
    options.page.sheetColumns = 2;
    ASSERT_TRUE(jobfiles::writePageOptions(stage.folder(), options));

    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Wrote 6 of 6 pages"), std::string::npos) << run.output;
    EXPECT_EQ(qpdfCheck(stage.pdf()), 0);

    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    std::vector<QPDFObjectHandle> pages = pdf.getAllPages();
    ASSERT_EQ(pages.size(), 5u); // picture, three PDF pages, one sheet of two pictures
    for (int n = 1; n <= 3; ++n) {
        QPDFObjectHandle page = pages[static_cast<std::size_t>(n)];
        EXPECT_EQ(pw::test::pageContent(stage.pdf(), n + 1), pw::test::pageContent(source, n));
        EXPECT_EQ(page.getKey("/MediaBox").unparse(), "[ 0 0 300 400 ]");
        EXPECT_EQ(rotateOf(page), n == 2 ? 0 : 270) << n; // 90 + 270, 0 + 270
        EXPECT_EQ(
            page.getKey("/Resources").getKey("/Font").getKey("/F1").getKey("/BaseFont").getName(),
            "/Helvetica");
        QPDFObjectHandle link = page.getKey("/Annots").getArrayItem(0);
        EXPECT_EQ(link.getKey("/A").getKey("/URI").getStringValue(),
                  "https://example.org/" + std::to_string(n));
    }
    // The pictures keep the paper size; the two after the PDF share a sheet.
    EXPECT_NE(pages[0].getKey("/MediaBox").unparse(), "[ 0 0 300 400 ]");
    EXPECT_EQ(pages[4].getKey("/Resources").getKey("/XObject").getKeys().size(), 2u);

    const std::string text =
        pw::test::commandOutput("pdftotext -f 2 -l 4 '" + stage.pdf() + "' - 2>&1");
    for (const char* line : {"Letter 1", "Letter 2", "Letter 3"})
        EXPECT_NE(text.find(line), std::string::npos) << text;

    std::vector<std::string> titles;
    for (QPDFOutlineObjectHelper& item : QPDFOutlineDocumentHelper(pdf).getTopLevelOutlines()) {
        titles.push_back(item.getTitle());
        EXPECT_TRUE(item.getKids().empty()) << item.getTitle();
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"first", "letter", "second", "third"}));
}

// A turn on the page tree reaches each page; an encrypted PDF opens with the password on
// standard input and is refused by name without it.
TEST(PdfItems, InheritedTurnsAndPasswords) {
    Stage stage;
    const std::string source = stage.cache() + "/locked.pdf";
    ASSERT_TRUE(pw::test::writeTestPdf(
        source, {.pages = 2, .inheritedRotate = 180, .userPassword = "sesame"}));
    ASSERT_EQ(::link(source.c_str(), stage.path("00000.pdf").c_str()), 0);
    ASSERT_TRUE(writeJpeg(stage.path("00001.jpg"), {}));
    ASSERT_TRUE(jobfiles::writePageTurns(stage.folder(), {{0, 90}}));
    const std::string input = stage.cache() + "/input.txt";
    const auto build = [&](const std::string& password, std::vector<std::string> more = {}) {
        jobfiles::Encryption encryption;
        encryption.inputPassword = password;
        encryption.morePasswords = std::move(more);
        EXPECT_TRUE(writeFile(input, jobfiles::encryptionText(encryption)));
        return runPdfExe(stage, "/NOASK /ENCRYPT '" + stage.folder() + "' < '" + input + "'");
    };

    ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Skipped 00000.pdf: needs a password"), std::string::npos)
        << run.output;
    run = build("wrong");
    EXPECT_NE(run.output.find("Skipped 00000.pdf: the password is wrong"), std::string::npos)
        << run.output;

    run = build("wrong", {"other", "sesame"}); // each tried in turn
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Wrote 3 of 3 pages"), std::string::npos) << run.output;
    run = build("sesame");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    QPDF pdf;
    pdf.processFile(stage.pdf().c_str()); // the result is not encrypted
    EXPECT_FALSE(pdf.isEncrypted());
    std::vector<QPDFObjectHandle> pages = pdf.getAllPages();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(rotateOf(pages[0]), 270);
    EXPECT_EQ(rotateOf(pages[1]), 270);
    EXPECT_EQ(pw::test::pageContent(stage.pdf(), 2), pw::test::pageContent(source, 2, "sesame"));
}

// A page tree that is not plain (a page listed twice, a page without its /Type) is counted as
// qpdf repairs it, which is what the builder copies.
TEST(PdfItems, IrregularPageTreesAreCountedAsQpdfRepairsThem) {
    Stage stage;
    const std::string plain = stage.cache() + "/plain.pdf";
    const std::string source = stage.cache() + "/odd.pdf";
    ASSERT_TRUE(pw::test::writeTestPdf(plain, {.pages = 3, .text = "Odd"}));
    {
        QPDF pdf;
        pdf.processFile(plain.c_str());
        QPDFObjectHandle tree = pdf.getRoot().getKey("/Pages");
        QPDFObjectHandle kids = tree.getKey("/Kids");
        ASSERT_EQ(kids.getArrayNItems(), 3);
        kids.getArrayItem(1).removeKey("/Type");
        kids.appendItem(kids.getArrayItem(0));
        tree.replaceKey("/Count", QPDFObjectHandle::newInteger(4));
        QPDFWriter writer(pdf, source.c_str());
        writer.write();
    }
    EXPECT_EQ(formats::countPdfPages(source, "").pages, 4u);
    EXPECT_EQ(formats::countPdfPages(plain, "").pages, 3u);
    {
        // A root that calls itself a page holds none, as qpdf finds.
        const std::string rootPage = stage.cache() + "/root-page.pdf";
        QPDF pdf;
        pdf.processFile(plain.c_str());
        QPDFObjectHandle tree = pdf.getRoot().getKey("/Pages");
        tree.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        tree.removeKey("/Kids");
        QPDFWriter writer(pdf, rootPage.c_str());
        writer.write();
        const formats::PdfOpening opening = formats::countPdfPages(rootPage, "");
        EXPECT_EQ(opening.pdf, nullptr);
        EXPECT_EQ(opening.reason, "a PDF without pages");
    }
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {}));
    ASSERT_EQ(::link(source.c_str(), stage.path("00001.pdf").c_str()), 0);
    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Wrote 5 of 5 pages"), std::string::npos) << run.output;
    EXPECT_EQ(pw::test::pageContent(stage.pdf(), 5), pw::test::pageContent(plain, 1));
}

// A PDF of 10,000 pages goes in whole.
TEST(PdfItems, TenThousandPages) {
    Stage stage;
    const std::string source = stage.cache() + "/long.pdf";
    ASSERT_TRUE(pw::test::writeTestPdf(source, {.pages = 10000, .text = "Long"}));
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {}));
    ASSERT_EQ(::link(source.c_str(), stage.path("00001.pdf").c_str()), 0);
    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    ASSERT_EQ(pdf.getAllPages().size(), 10001u);
    EXPECT_EQ(pw::test::pageContent(stage.pdf(), 10001), pw::test::pageContent(source, 10000));
}
