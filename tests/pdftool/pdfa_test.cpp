// pdf.exe's PDF/A output: checked here with qpdf, and with Apache PDFBox (PdfaCheck.java): its
// whole preflight for PDF/A-1b, the metadata and output intent checks for PDF/A-2b.
#include "command_output.h"
#include "jobfiles/builder_output.h"
#include "jobfiles/docinfo.h"
#include "jobfiles/encryption.h"
#include "jobfiles/page_words.h"
#include "jobfiles/picture_titles.h"
#include "jpeg_maker.h"
#include "pdf_probe.h"
#include "png_maker.h"
#include "tiff_maker.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

using namespace pw::pdftool;
using namespace pw::pdftool::test;
using namespace pw;

namespace {

const std::string kProfiles = "/usr/share/color/icc/";
const std::string kRgbV2 = kProfiles + "compatibleWithAdobeRGB1998.icc"; // ICC 2.2
const std::string kRgbV4 = kProfiles + "ghostscript/ps_rgb.icc";         // ICC 4.2
const std::string kGrayV2 = kProfiles + "Gray.icc";

// JPEG with and without profiles, CMYK, gray, a two-page picture, PNGs: 16-bit with alpha,
// gray with a profile, a palette with transparent entries, gray with a transparent value, and a
// black-and-white page (JBIG2). The
// title holds what XML cannot: a control character, U+FFFE, a byte that is no UTF-8.
void stageVariedSet(const Stage& stage) {
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {}));
    ASSERT_TRUE(writeJpeg(stage.path("00001.jpg"), {.iccProfile = readFile(kRgbV2)}));
    ASSERT_TRUE(writeJpeg(stage.path("00002.jpg"), {.iccProfile = readFile(kRgbV4)}));
    ASSERT_TRUE(writeJpeg(stage.path("00003.jpg"), {.components = 4}));
    ASSERT_TRUE(writeJpeg(stage.path("00004.jpg"), {.components = 1, .progressive = true}));
    ASSERT_TRUE(
        writePng(stage.path("00005.png"), {.bitDepth = 16, .colourType = 6, .binaryAlpha = false}));
    ASSERT_TRUE(
        writePng(stage.path("00006.png"), {.colourType = 0, .iccProfile = readFile(kGrayV2)}));
    ASSERT_TRUE(
        writePng(stage.path("00007.png"),
                 {.bitDepth = 4, .colourType = 3, .transparency = std::string("\0\x80", 2)}));
    ASSERT_TRUE(writePng(stage.path("00008.png"),
                         {.bitDepth = 2, .colourType = 0, .transparency = std::string("\0\1", 2)}));
    ASSERT_TRUE(writeJpeg(stage.path("00009.jpg"), {}));
    ASSERT_TRUE(writeJpeg(stage.path("00009_0002.jpg"), {.width = 30}));
    ASSERT_TRUE(writeBilevel(stage.path("00010.tif"), {}));
    ASSERT_TRUE(pw::jobfiles::writeDocInfo(
        stage.folder(), {"Zoë & <Receipts>\x01\xEF\xBF\xBE caf\xE9", "Ann \"A\" Author",
                         "Sub\tject", "a, b", "D:20261208140000+01'00"}));
    ASSERT_TRUE(pw::jobfiles::writePictureTitles(stage.folder(), {{0, "Holiday 1"}, {9, "Scan"}}));
}

// The level's PDF, copied out of the staging folder.
std::string build(const Stage& stage, const std::string& level, const std::string& layout) {
    EXPECT_TRUE(writeFile(stage.path("options.txt"), layout + "PDFA=" + level + "\n"));
    const ToolRun run = runPdfExe(stage, "/NOASK '" + stage.folder() + "'");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const bool flattens = level == "1b";
    EXPECT_EQ(run.output.find(std::string(pw::jobfiles::kLaidOnWhiteLead) + "3\n") !=
                  std::string::npos,
              flattens)
        << run.output;
    EXPECT_EQ(qpdfCheck(stage.pdf()), 0);
    const std::string copy = stage.cache() + "/" + level + ".pdf";
    std::filesystem::copy_file(stage.pdf(), copy);
    return copy;
}

// Each page's image by its staged file's name.
std::map<std::string, QPDFObjectHandle> imagesByName(QPDF& pdf, const Stage& stage) {
    const std::vector<std::string> names = {
        "00000.jpg", "00001.jpg", "00002.jpg", "00003.jpg", "00004.jpg",      "00005.png",
        "00006.png", "00007.png", "00008.png", "00009.jpg", "00009_0002.jpg", "00010.tif"};
    std::map<std::string, QPDFObjectHandle> images;
    const auto pages = pagesOf(pdf);
    EXPECT_EQ(pages.size(), names.size());
    for (std::size_t i = 0; i < pages.size() && i < names.size(); ++i)
        images[names[i]] = pages[i].image;
    (void)stage;
    return images;
}

std::string colourSpaceKind(QPDFObjectHandle image) {
    QPDFObjectHandle space = image.getDict().getKey("/ColorSpace");
    if (space.isName())
        return space.getName();
    QPDFObjectHandle first = space.getArrayItem(0);
    if (first.getName() == "/ICCBased")
        return "/ICCBased " +
               std::to_string(space.getArrayItem(1).getDict().getKey("/N").getIntValue());
    return first.getName();
}

std::string streamText(QPDFObjectHandle stream, qpdf_stream_decode_level_e level) {
    auto data = level == qpdf_dl_none ? stream.getRawStreamData() : stream.getStreamData(level);
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

void expectArchiveParts(QPDF& pdf) {
    QPDFObjectHandle trailer = pdf.getTrailer();
    EXPECT_FALSE(trailer.hasKey("/Encrypt"));
    ASSERT_TRUE(trailer.getKey("/ID").isArray());
    EXPECT_EQ(trailer.getKey("/ID").getArrayNItems(), 2);
    QPDFObjectHandle intents = pdf.getRoot().getKey("/OutputIntents");
    ASSERT_TRUE(intents.isArray());
    ASSERT_EQ(intents.getArrayNItems(), 1);
    EXPECT_EQ(intents.getArrayItem(0).getKey("/S").getName(), "/GTS_PDFA1");
    const std::string profile =
        streamText(intents.getArrayItem(0).getKey("/DestOutputProfile"), qpdf_dl_generalized);
    EXPECT_EQ(profile, readFile(kProfiles + "sRGB.icc"));
    EXPECT_TRUE(pdf.getRoot().getKey("/Outlines").isDictionary());
}

std::string javaClassPath() {
    std::string path;
    for (const char* jar : {"preflight.jar", "pdfbox2.jar", "xmpbox.jar", "fontbox2.jar",
                            "commons-logging.jar", "javax.activation.jar", "jaxb-api.jar"}) {
        const std::string file = std::string("/usr/share/java/") + jar;
        EXPECT_TRUE(std::filesystem::exists(file))
            << file << " is missing: install libpdfbox2-java, libactivation-java and "
            << "libjaxb-api-java (scripts/install-deps.sh)";
        path += (path.empty() ? "" : ":") + file;
    }
    return path;
}

} // namespace

TEST(PdfA, BothLevelsKeepJpegBytesAndPassTheirChecks) {
    Stage stage;
    stageVariedSet(stage);
    // A text layer on the first page: its font has to pass the checks as well.
    ASSERT_TRUE(pw::jobfiles::writePageWords(
        stage.path("00000.words"),
        {64, 48, {{true, {4, 4, 60, 20}, {{{4, 4, 60, 20}, "Archive"}}, 0}}}));
    const std::string first = build(stage, "1b", "PageSize=A4\nMargin=10\nFit=fill\n");
    const std::string second = build(stage, "2b", "");

    QPDF pdf1;
    pdf1.processFile(first.c_str());
    expectArchiveParts(pdf1);
    EXPECT_EQ(pdf1.getPDFVersion(), "1.4");
    auto images = imagesByName(pdf1, stage);
    for (auto& [name, image] : images) {
        EXPECT_FALSE(image.getDict().hasKey("/SMask")) << name;
        EXPECT_LE(image.getDict().getKey("/BitsPerComponent").getIntValue(), 8) << name;
        if (name.ends_with(".jpg")) {
            EXPECT_EQ(streamText(image, qpdf_dl_none), readFile(stage.path(name))) << name;
        }
    }
    EXPECT_EQ(colourSpaceKind(images["00001.jpg"]), "/ICCBased 3");
    EXPECT_EQ(colourSpaceKind(images["00002.jpg"]), "/DeviceRGB"); // ICC 4 is beyond PDF 1.4
    EXPECT_EQ(colourSpaceKind(images["00003.jpg"]), "/ICCBased 4");
    EXPECT_EQ(colourSpaceKind(images["00006.png"]), "/ICCBased 1");
    EXPECT_EQ(images["00010.tif"].getDict().getKey("/Filter").getName(), "/JBIG2Decode");
    // Transparency laid on white, 16 bits reduced to 8.
    int width = 0;
    int height = 0;
    const std::vector<unsigned char> overWhite =
        pngOverWhite(stage.path("00005.png"), width, height);
    const std::string samples = streamText(images["00005.png"], qpdf_dl_generalized);
    ASSERT_EQ(samples.size(), overWhite.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        ASSERT_NEAR(static_cast<unsigned char>(samples[i]), overWhite[i], 2) << i; // high bytes
    const std::string palette =
        images["00007.png"].getDict().getKey("/ColorSpace").getArrayItem(3).getStringValue();
    EXPECT_EQ(palette.substr(0, 3), "\xFF\xFF\xFF"); // entry 0 was wholly transparent

    QPDF pdf2;
    pdf2.processFile(second.c_str());
    expectArchiveParts(pdf2);
    images = imagesByName(pdf2, stage);
    for (auto& [name, image] : images) {
        if (name.ends_with(".jpg")) {
            EXPECT_EQ(streamText(image, qpdf_dl_none), readFile(stage.path(name))) << name;
        }
    }
    EXPECT_EQ(colourSpaceKind(images["00002.jpg"]), "/ICCBased 3");
    EXPECT_EQ(colourSpaceKind(images["00003.jpg"]), "/ICCBased 4");
    EXPECT_EQ(images["00005.png"].getDict().getKey("/BitsPerComponent").getIntValue(), 16);
    EXPECT_TRUE(images["00005.png"].getDict().hasKey("/SMask"));
    EXPECT_TRUE(images["00007.png"].getDict().hasKey("/SMask"));
    EXPECT_FALSE(images["00000.jpg"].getDict().hasKey("/SMask"));

    // One Java start for both files. Without Java this fails: the check must not pass unseen.
    const std::string command = "java -cp '" + javaClassPath() +
                                "' '" PW_PDFA_CHECK "' '1b=" + first + "' '2b=" + second +
                                "' 2>&1; echo \"exit=$?\"";
    const std::string output = pw::test::commandOutput(command);
    EXPECT_TRUE(output.ends_with("exit=0\n")) << output << "(java comes with default-jre-headless)";
}

// PDF/A forbids encryption: asked for both, the builder writes nothing.
TEST(PdfA, RefusedWithAPassword) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {}));
    ASSERT_TRUE(writeFile(stage.path("options.txt"), "PDFA=2b\n"));
    const std::string input = stage.cache() + "/input.txt";
    ASSERT_TRUE(writeFile(input, pw::jobfiles::encryptionText({"secret", "", true, true})));
    const ToolRun run =
        runPdfExe(stage, "/NOASK /ENCRYPT '" + stage.folder() + "' < '" + input + "'");
    EXPECT_EQ(run.exitCode, jobfiles::kExitWriteFailed);
    EXPECT_NE(run.output.find("PDF/A does not allow encryption"), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(stage.pdf()));
}

// A PDF/A file of the list goes into a PDF/A result as it is, and the result still passes.
TEST(PdfA, APdfaFileOfTheListKeepsTheResultConformant) {
    Stage first;
    ASSERT_TRUE(writeJpeg(first.path("00000.jpg"), {}));
    ASSERT_TRUE(writeFile(first.path("options.txt"), "PDFA=1b\n"));
    ASSERT_EQ(runPdfExe(first, "/NOASK '" + first.folder() + "'").exitCode, 0);
    const std::string source = first.cache() + "/source.pdf";
    std::filesystem::copy_file(first.pdf(), source);

    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {}));
    std::filesystem::create_hard_link(source, stage.path("00001.pdf"));
    ASSERT_TRUE(writeJpeg(stage.path("00002.jpg"), {}));
    std::string results;
    for (const char* level : {"1b", "2b"}) {
        ASSERT_TRUE(writeFile(stage.path("options.txt"), std::string("PDFA=") + level + "\n"));
        const ToolRun run = runPdfExe(stage, "/NOASK '" + stage.folder() + "'");
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(qpdfCheck(stage.pdf()), 0);
        const std::string copy = stage.cache() + "/" + level + ".pdf";
        std::filesystem::copy_file(stage.pdf(), copy);
        results += std::string(" '") + level + "=" + copy + "'";
        QPDF pdf;
        pdf.processFile(copy.c_str());
        EXPECT_EQ(pdf.getAllPages().size(), 3u);
    }
    const std::string output =
        pw::test::commandOutput("java -cp '" + javaClassPath() + "' '" PW_PDFA_CHECK "'" + results +
                                " 2>&1; echo \"exit=$?\"");
    EXPECT_TRUE(output.ends_with("exit=0\n")) << output;
}
