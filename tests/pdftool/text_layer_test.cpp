// The words files and the invisible text pdf.exe lays over the pages from them.
#include "command_output.h"
#include "jobfiles/page_words.h"
#include "jpeg_maker.h"
#include "outside/pdftool/text_layer.h"
#include "pdf_probe.h"

#include <algorithm>
#include <array>
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
                           {{{10, 10, 60, 30}, "Hello"}, {{70, 12, 150, 30}, "w\xC3\xB6rld"}},
                           0});
    words.lines.push_back({false, {10, 40, 90, 60}, {{{10, 40, 90, 60}, "\xF0\x9F\x93\x84"}}, 180});
    return words;
}

// The box `box` of an upright width x height picture has on that picture turned `turn`
// degrees clockwise.
jobfiles::WordBox turnedBox(const jobfiles::WordBox& box, int width, int height, int turn) {
    switch (turn) {
    case 90:
        return {height - box.bottom, box.left, height - box.top, box.right};
    case 180:
        return {width - box.right, height - box.bottom, width - box.left, height - box.top};
    case 270:
        return {box.top, width - box.right, box.bottom, width - box.left};
    default:
        return box;
    }
}

// Two lines of words set as a 400 x 100 picture shows them, on that picture turned `turn`.
jobfiles::PageWords twoLines(int turn) {
    const int width = 400;
    const int height = 100;
    const bool across = turn == 90 || turn == 270;
    jobfiles::PageWords words{across ? height : width, across ? width : height, {}};
    const auto line = [&](int top, std::vector<std::pair<int, std::string>> texts) {
        jobfiles::WordLine next{words.lines.empty(), {}, {}, turn};
        int left = 20;
        for (auto& [letters, text] : texts) {
            // Words 12 pixels a letter, 3 pixels apart: a tenth of their line's height, too
            // narrow for poppler to see a space there by itself.
            next.words.push_back(
                {turnedBox({left, top, left + 12 * letters, top + 30}, width, height, turn),
                 std::move(text)});
            left += 12 * letters + 3;
        }
        next.box = turnedBox({20, top, left - 3, top + 30}, width, height, turn);
        words.lines.push_back(std::move(next));
    };
    line(15, {{4, "Text"}, {2, "of"}, {3, "the"}, {5, "first"}, {4, "line"}});
    line(55, {{3, "and"}, {3, "the"}, {6, "second"}});
    return words;
}

} // namespace

TEST(PageWordsFile, ReadsWhatItWritesAndRefusesAnythingElse) {
    const std::string text = jobfiles::pageWordsText(sampleWords(200, 100));
    const auto read = jobfiles::parsePageWords(text);
    ASSERT_TRUE(read);
    EXPECT_EQ(jobfiles::pageWordsText(*read), text);
    EXPECT_EQ(jobfiles::plainText(*read), "Hello w\xC3\xB6rld\n\xF0\x9F\x93\x84\n");
    // A PDF page's words say where its picture lies on it.
    jobfiles::PageWords placed = sampleWords(200, 100);
    placed.place = {{-12.5, 0, 595.276, 841.89}};
    const std::string placedText = jobfiles::pageWordsText(placed);
    const auto placedRead = jobfiles::parsePageWords(placedText);
    ASSERT_TRUE(placedRead && placedRead->place);
    EXPECT_EQ(*placedRead->place, (std::array<double, 4>{{-12.5, 0, 595.276, 841.89}}));
    EXPECT_EQ(jobfiles::pageWordsText(*placedRead), placedText);

    const std::string head = "words 2\nsize 200 100\n";
    for (const std::string& bad : {
             std::string("words 1\nsize 200 100\n"), std::string("words 2\nsize 0 100\n"),
             head + "word 1 1 5 5 early\n",                // a word before any line
             head + "line 1 1 5 5 0\nword 1 1 201 5 x\n",  // beyond the picture
             head + "line 1 1 5 5 0\nword 5 1 5 5 x\n",    // no width
             head + "line 1 1 5 5 0\nword 1 1 5 5 \n",     // no text
             head + "line 1 1 5 5 0\nword 1 1 5 5 a\tb\n", // a control character
             head + "line 1 1 5 5 0\nword -1 1 5 5 x\n",
             head + "line 1 1 5 5 0\nword 1 1 5 5 " +
                 std::string(pw::jobfiles::kMostWordBytes + 1, 'x') + "\n",
             head + "line 1 1 5 5\n",    // no turn
             head + "line 1 1 5 5 45\n", // not a quarter turn
             head + "line 1 1 5 5 360\n", head + "paragraph\n",
             head + "place 0 0 100\n",     // a part missing
             head + "place 0 0 0 100\n",   // no width
             head + "place 0 0 1e9 100\n", // beyond any page
             head + "place 0 0 100 100 \n",
             head + "line 1 1 5 5 0\nplace 0 0 100 100\n", // not right after the size
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
    // (7.5 points), its line's bottom 30 pixels down (52.5 points up), 20 pixels high (15), 50
    // wide (5 letters of 15 points at 50 %); a space fills the 10 pixels to "wörld", which
    // starts 60 pixels (45 points) after it.
    EXPECT_NE(contents[0].find("3 Tr"), std::string::npos);
    EXPECT_NE(contents[0].find("BT /FPwText 15 Tf 1 0 0 1 7.5 52.5 Tm\n"
                               "50 Tz <00480065006C006C006F> Tj\n"
                               "50 Tz <0020> Tj 45 0 Td "),
              std::string::npos)
        << contents[0];
    // The upside-down line runs leftwards from its right end, its letters' tops down.
    EXPECT_NE(contents[0].find("-1 0 0 -1 67.5 45 Tm"), std::string::npos) << contents[0];
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
    const auto wordsShown = [&](const double* clip) {
        const std::string text = pdftool::textContent(words, shown, clip);
        int count = 0;
        for (auto at = text.find("> Tj"); at != std::string::npos; at = text.find("> Tj", at + 1))
            count += text.compare(at - 5, 5, "<0020") != 0;
        return count;
    };
    EXPECT_EQ(wordsShown(nullptr), 3);
    EXPECT_EQ(wordsShown(lower), 1);
}

// A wide picture split over landscape pages (1000 x 100 pixels on A4: eight, the last showing
// its last 10 pixels): each page gives the words its slice shows.
TEST(PdfExe, TextLayerOfAWideSplitPictureFollowsItsSlices) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {.width = 1000, .height = 100}));
    jobfiles::PageWords words{1000, 100, {}};
    words.lines.push_back({true,
                           {10, 40, 990, 60},
                           {{{10, 40, 90, 60}, "westward"}, {{900, 40, 990, 60}, "eastward"}},
                           0});
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

// Text extractors take the words as written: poppler and MuPDF give each line's words with a
// space between them, however narrow the gap, and on a picture turned any way the lines run
// with it, in reading order. (poppler's -raw sets each word of a turned line on a line of its
// own: it follows turned text only in its layout mode.)
TEST(PdfExe, TextLayerCopiesAsWordsAndLinesWhateverTheTurn) {
    Stage stage;
    const int turns[] = {0, 90, 180, 270};
    for (int i = 0; i < 4; ++i) {
        const jobfiles::PageWords words = twoLines(turns[i]);
        const std::string stem = "0000" + std::to_string(i);
        ASSERT_TRUE(
            writeJpeg(stage.path(stem + ".jpg"), {.width = words.width, .height = words.height}));
        ASSERT_TRUE(jobfiles::writePageWords(stage.path(stem + ".words"), words));
    }
    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string lines = "Text of the first line\nand the second\n";
    // A page's text, without the blank lines and the spaces at line ends extractors add.
    const auto tidy = [](const std::string& out) {
        std::string text;
        for (std::size_t at = 0, end = 0; at < out.size(); at = end + 1) {
            end = std::min(out.find('\n', at), out.size());
            std::string line = out.substr(at, end - at);
            line.erase(std::remove(line.begin(), line.end(), '\f'), line.end());
            line.erase(line.find_last_not_of(' ') + 1);
            if (!line.empty())
                text += line + "\n";
        }
        return text;
    };
    const auto poppler = [&](const std::string& options, int page) {
        const std::string number = std::to_string(page);
        return tidy(pw::test::commandOutput("pdftotext -q " + options + " -f " + number + " -l " +
                                            number + " '" + stage.pdf() + "' -"));
    };
    const auto mupdf = [&](int page) {
        return tidy(pw::test::commandOutput("mutool draw -q -F txt -o - '" + stage.pdf() + "' " +
                                            std::to_string(page) + " 2>/dev/null"));
    };
    for (int page = 1; page <= 4; ++page) {
        const int turn = turns[page - 1];
        EXPECT_EQ(poppler("", page), lines) << turn;
        EXPECT_EQ(mupdf(page), lines) << turn;
        std::string raw = poppler("-raw", page);
        if (turn != 0)
            std::replace(raw.begin(), raw.end(), '\n', ' ');
        EXPECT_EQ(raw, turn == 0 ? lines : "Text of the first line and the second ") << turn;
    }
    // "line" where the picture turned a quarter shows it: 200 to 248 pixels down, its letters'
    // tops 85 pixels from the left (96 dpi: 0.75 points a pixel; poppler adds a descent below
    // the baseline at 55).
    const std::string box = pw::test::commandOutput("pdftotext -bbox -f 2 -l 2 '" + stage.pdf() +
                                                    "' - | grep '>line<'");
    EXPECT_NE(box.find("yMin=\"150.000000\" xMax=\"63.750000\" yMax=\"186.000000\""),
              std::string::npos)
        << box;
}
