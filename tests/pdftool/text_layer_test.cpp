// The words files and the invisible text pdf.exe lays over the pages from them.
#include "command_output.h"
#include "jobfiles/page_words.h"
#include "jpeg_maker.h"
#include "outside/pdftool/text_layer.h"
#include "pdf_probe.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <set>

using namespace pw::pdftool;
using namespace pw::pdftool::test;
using namespace pw;

namespace {

jobfiles::PageWords sampleWords(int width, int height) {
    jobfiles::PageWords words{width, height, {}};
    words.lines.push_back({true,
                           {10, 10, 150, 30},
                           {{{10, 10, 60, 30}, "Hello"}, {{70, 12, 150, 30}, "w\xC3\xB6rld"}}});
    words.lines.push_back({false, {10, 40, 90, 60}, {{{10, 40, 90, 60}, "\xF0\x9F\x93\x84"}}});
    return words;
}

} // namespace

TEST(PageWordsFile, ReadsWhatItWritesAndRefusesAnythingElse) {
    const std::string text = jobfiles::pageWordsText(sampleWords(200, 100));
    const auto read = jobfiles::parsePageWords(text);
    ASSERT_TRUE(read);
    EXPECT_EQ(jobfiles::pageWordsText(*read), text);
    EXPECT_EQ(jobfiles::plainText(*read), "Hello w\xC3\xB6rld\n\xF0\x9F\x93\x84\n");

    const std::string head = "words 1\nsize 200 100\n";
    for (const std::string& bad : {
             std::string("words 2\nsize 200 100\n"),
             std::string("words 1\nsize 0 100\n"),
             head + "word 1 1 5 5 early\n",              // a word before any line
             head + "line 1 1 5 5\nword 1 1 201 5 x\n",  // beyond the picture
             head + "line 1 1 5 5\nword 5 1 5 5 x\n",    // no width
             head + "line 1 1 5 5\nword 1 1 5 5 \n",     // no text
             head + "line 1 1 5 5\nword 1 1 5 5 a\tb\n", // a control character
             head + "line 1 1 5 5\nword -1 1 5 5 x\n",
             head + "line 1 1 5 5\nword 1 1 5 5 " +
                 std::string(pw::jobfiles::kMostWordBytes + 1, 'x') + "\n",
             head + "line 1 1 5 5 6\n",
             head + "paragraph\n",
         })
        EXPECT_FALSE(pw::jobfiles::parsePageWords(bad)) << bad;
}

TEST(PdfExe, TextLayerUsesOneFontAndOnlyWordsFilesThatFitTheirPicture) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {.width = 200, .height = 100}));
    ASSERT_TRUE(writeJpeg(stage.path("00001.jpg"), {.width = 200, .height = 100}));
    ASSERT_TRUE(writeJpeg(stage.path("00002.jpg"), {.width = 200, .height = 100}));
    ASSERT_TRUE(pw::jobfiles::writePageWords(stage.path("00000.words"), sampleWords(200, 100)));
    ASSERT_TRUE(pw::jobfiles::writePageWords(stage.path("00001.words"), sampleWords(200, 100)));
    // Made for another picture size: this page gets no text.
    ASSERT_TRUE(pw::jobfiles::writePageWords(stage.path("00002.words"), sampleWords(100, 200)));
    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);

    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    std::set<QPDFObjGen> fonts;
    std::vector<std::string> contents;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        for (auto& [key, font] :
             page.getObjectHandle().getKey("/Resources").getKey("/Font").ditems())
            fonts.insert(font.getObjGen());
        QPDFObjectHandle streams = page.getObjectHandle().getKey("/Contents");
        std::string text;
        if (streams.isArray()) {
            const auto data = streams.getArrayItem(1).getStreamData(qpdf_dl_generalized);
            text.assign(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
        }
        contents.push_back(text);
    }
    EXPECT_EQ(fonts.size(), 1u);
    QPDFObjectHandle font = pdf.getObjectByObjGen(*fonts.begin());
    EXPECT_TRUE(font.getKey("/ToUnicode").isStream());
    EXPECT_TRUE(font.getKey("/DescendantFonts")
                    .getArrayItem(0)
                    .getKey("/FontDescriptor")
                    .getKey("/FontFile2")
                    .isStream());
    ASSERT_EQ(contents.size(), 3u);
    // The picture is 200 x 100 pixels at 96 dpi: 150 x 75 points. "Hello" starts 10 pixels in
    // (7.5 points), its line's bottom 30 pixels down (52.5 points up), 20 pixels high (15).
    EXPECT_NE(contents[0].find("3 Tr"), std::string::npos);
    EXPECT_NE(contents[0].find("/FPwText 15 Tf"), std::string::npos) << contents[0];
    EXPECT_NE(contents[0].find("1 0 0 1 7.5 52.5 Tm 50 Tz <00480065006C006C006F> Tj"),
              std::string::npos)
        << contents[0];
    // A character beyond the first plane goes as its two UTF-16 units.
    EXPECT_NE(contents[0].find("<D83DDCC4>"), std::string::npos);
    EXPECT_EQ(contents[0], contents[1]);
    EXPECT_EQ(contents[2].find("Tj"), std::string::npos);
}

// A slice of a tall picture shows only part of it: words whose middle its clip hides are left
// out, so each page gives only its own text.
TEST(PdfExe, TextLayerLeavesOutWordsOutsideTheClip) {
    const jobfiles::PageWords words = sampleWords(200, 100);
    const double shown[4] = {0, -100, 200, 200}; // twice as tall: line 1's middle at y 60
    const double lower[4] = {0, 0, 200, 50};     // shows line 2 (its middle at y 0) alone
    const std::string all = pdftool::textContent(words, shown, nullptr);
    const std::string clipped = pdftool::textContent(words, shown, lower);
    EXPECT_EQ(std::count(all.begin(), all.end(), 'j'), 3); // three words, three Tj
    EXPECT_EQ(std::count(clipped.begin(), clipped.end(), 'j'), 1);
}

// A wide picture split over landscape pages (1000 x 100 pixels on A4: eight, the last showing
// its last 10 pixels): each page gives the words its slice shows.
TEST(PdfExe, TextLayerOfAWideSplitPictureFollowsItsSlices) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {.width = 1000, .height = 100}));
    jobfiles::PageWords words{1000, 100, {}};
    words.lines.push_back({true,
                           {10, 40, 990, 60},
                           {{{10, 40, 90, 60}, "westward"}, {{900, 40, 990, 60}, "eastward"}}});
    ASSERT_TRUE(pw::jobfiles::writePageWords(stage.path("00000.words"), words));
    const ToolRun run = runSplitOnA4(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;

    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    const int pages = static_cast<int>(pagesOf(pdf).size());
    ASSERT_EQ(pages, 8);
    const auto pageText = [&](int page) {
        const std::string number = std::to_string(page);
        return pw::test::commandOutput("pdftotext -f " + number + " -l " + number + " '" +
                                       stage.pdf() + "' -");
    };
    // Each word on the one page whose slice shows its middle.
    std::vector<int> west, east;
    for (int page = 1; page <= pages; ++page) {
        const std::string text = pageText(page);
        if (text.find("westward") != std::string::npos)
            west.push_back(page);
        if (text.find("eastward") != std::string::npos)
            east.push_back(page);
    }
    EXPECT_EQ(west, std::vector<int>{1});
    EXPECT_EQ(east, std::vector<int>{pages - 1}); // the last page shows its last 10 pixels
}
