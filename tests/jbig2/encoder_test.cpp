// The JBIG2 encoder: every picture comes back pixel exact through jbig2dec (embedded stream and
// file), and through poppler's and MuPDF's renderings of a PDF holding the embedded stream.
#include "command_output.h"
#include "jbig2/encoder.h"
#include "jbig2_decode.h"
#include "temp_folder.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

using namespace pw::jbig2;

namespace {

// A picture as the encoder's caller holds it: rows `stride` bytes apart (wider than the pixels,
// with the spare bits set, which the encoder must ignore), 1 = black.
struct Picture {
    std::string name;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::size_t stride = 0;
    std::vector<std::uint8_t> bytes;

    std::size_t rowBytes() const { return (std::size_t{width} + 7) / 8; }
    bool black(std::uint32_t x, std::uint32_t y) const {
        return ((bytes[y * stride + x / 8] >> (7 - x % 8)) & 1) != 0;
    }
    Bitmap bitmap() const {
        return {bytes.data(), width, height, static_cast<std::ptrdiff_t>(stride)};
    }
    // The rows packed tight with spare bits clear, as the decoder helper gives them.
    std::vector<std::uint8_t> packed() const {
        std::vector<std::uint8_t> rows(rowBytes() * height, 0);
        for (std::uint32_t y = 0; y < height; ++y)
            for (std::uint32_t x = 0; x < width; ++x)
                if (black(x, y))
                    rows[y * rowBytes() + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        return rows;
    }
};

Picture makePicture(std::string name, std::uint32_t width, std::uint32_t height,
                    const std::function<bool(std::uint32_t, std::uint32_t)>& black) {
    Picture picture{std::move(name), width, height, (std::size_t{width} + 7) / 8 + 3, {}};
    picture.bytes.assign(picture.stride * height, 0);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* row = picture.bytes.data() + y * picture.stride;
        for (std::uint32_t x = 0; x < width; ++x)
            if (black(x, y))
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        for (std::uint32_t x = width; x < 8 * (picture.stride); ++x)
            row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    return picture;
}

Picture noise(std::string name, std::uint32_t width, std::uint32_t height, unsigned seed,
              double blackShare = 0.5) {
    std::mt19937 random(seed);
    std::bernoulli_distribution dark(blackShare);
    return makePicture(std::move(name), width, height,
                       [&](std::uint32_t, std::uint32_t) { return dark(random); });
}

// Lines of letter-like blocks with stems, bowls and gaps, their edges ragged and the paper
// speckled, as a scanner gives a text page; blank lines between give repeated rows.
Picture textPage(std::uint32_t width, std::uint32_t height) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> jitter(0, 99);
    return makePicture("text page", width, height, [&](std::uint32_t x, std::uint32_t y) {
        const int r = jitter(random);
        const std::uint32_t line = y % 48;
        const std::uint32_t cell = x % 23;
        const std::uint32_t letter = (x / 23) * 2654435761U + (y / 48) * 40503U;
        bool ink = line >= 10 && line < 34 && x >= 30 && x + 30 < width && letter % 7 != 0 &&
                   ((cell >= 3 && cell < 6) || (letter % 3 == 0 && cell >= 6 && cell < 16 &&
                                                (line < 14 || line >= 30 || cell >= 13)));
        if (r == 0)
            ink = !ink; // ragged edges and specks
        return ink;
    });
}

std::vector<Picture> pictures() {
    std::vector<Picture> all;
    all.push_back(makePicture("1 x 1 black", 1, 1, [](auto, auto) { return true; }));
    all.push_back(makePicture("1 x 1 white", 1, 1, [](auto, auto) { return false; }));
    for (std::uint32_t width : {2U, 3U, 5U, 7U, 8U, 9U, 15U, 17U, 31U, 33U, 63U, 65U, 1001U})
        all.push_back(noise("odd width " + std::to_string(width), width, 9, width, 0.3));
    all.push_back(noise("10000 x 1", 10000, 1, 1));
    all.push_back(noise("1 x 10000", 1, 10000, 2));
    all.push_back(makePicture("all white", 301, 203, [](auto, auto) { return false; }));
    all.push_back(makePicture("all black", 301, 203, [](auto, auto) { return true; }));
    all.push_back(makePicture("checkerboard", 257, 129,
                              [](std::uint32_t x, std::uint32_t y) { return (x + y) % 2 == 1; }));
    all.push_back(noise("noise", 999, 333, 3));
    all.push_back(noise("sparse noise", 777, 555, 4, 0.01));
    // Bands of equal rows, then one that differs: typical prediction turning on and off.
    all.push_back(makePicture("bands", 130, 97, [](std::uint32_t x, std::uint32_t y) {
        return y % 20 < 11 ? (x * 7 + y / 20) % 5 == 0 : (y % 20 == 15 && x == y);
    }));
    all.push_back(textPage(1237, 500));
    return all;
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The segment types of an embedded stream, in order (one-byte page associations only).
std::vector<int> segmentTypes(const std::vector<std::uint8_t>& stream) {
    std::vector<int> types;
    std::size_t at = 0;
    while (at + 11 <= stream.size()) {
        types.push_back(stream[at + 4] & 0x3F);
        const std::size_t length = (std::size_t{stream[at + 7]} << 24) |
                                   (std::size_t{stream[at + 8]} << 16) |
                                   (std::size_t{stream[at + 9]} << 8) | stream[at + 10];
        at += 11 + length;
    }
    EXPECT_EQ(at, stream.size());
    return types;
}

TEST(Jbig2Encoder, EveryPictureComesBackThroughJbig2dec) {
    for (const Picture& picture : pictures()) {
        SCOPED_TRACE(picture.name);
        const std::vector<std::uint8_t> embedded = encodeEmbedded(picture.bitmap());
        const std::vector<std::uint8_t> file = encodeFile(picture.bitmap());
        // The PDF form: page information and the generic region, nothing else.
        EXPECT_EQ(segmentTypes(embedded), (std::vector<int>{48, 39}));
        ASSERT_GT(file.size(), 13U);
        EXPECT_EQ(segmentTypes({file.begin() + 13, file.end()}),
                  (std::vector<int>{48, 39, 49, 51}));
        for (const bool isEmbedded : {true, false}) {
            std::string heard;
            const auto decoded = test::decode(isEmbedded ? embedded : file, isEmbedded, heard);
            ASSERT_TRUE(decoded.has_value()) << heard;
            EXPECT_EQ(heard, "");
            EXPECT_EQ(decoded->width, picture.width);
            EXPECT_EQ(decoded->height, picture.height);
            EXPECT_TRUE(decoded->rows == picture.packed()) << (isEmbedded ? "embedded" : "file");
        }
    }
}

TEST(Jbig2Encoder, WhiteAsOneAndBottomUpRows) {
    const Picture picture = textPage(203, 97);
    const std::vector<std::uint8_t> expected = picture.packed();
    // The same rows inverted, stored bottom-up.
    std::vector<std::uint8_t> flipped(picture.bytes.size());
    for (std::uint32_t y = 0; y < picture.height; ++y)
        for (std::size_t i = 0; i < picture.stride; ++i)
            flipped[(picture.height - 1 - y) * picture.stride + i] =
                static_cast<std::uint8_t>(~picture.bytes[y * picture.stride + i]);
    const Bitmap bitmap{flipped.data() + (picture.height - 1) * picture.stride, picture.width,
                        picture.height, -static_cast<std::ptrdiff_t>(picture.stride), false};
    std::string heard;
    const auto decoded = test::decode(encodeEmbedded(bitmap), true, heard);
    ASSERT_TRUE(decoded.has_value()) << heard;
    EXPECT_TRUE(decoded->rows == expected);
}

TEST(Jbig2Encoder, RefusesWhatTheFormatCannotHold) {
    const std::uint8_t row[3] = {0x5A, 0xFF, 0x80};
    const Bitmap refused[] = {
        {nullptr, 8, 8, 1},
        {row, 0, 8, 0},
        {row, 8, 0, 0},
        {row, 8, 0xFFFFFFFFU, 0}, // the page height that means "not known yet"
    };
    for (const Bitmap& bitmap : refused) {
        EXPECT_TRUE(encodeEmbedded(bitmap).empty());
        EXPECT_TRUE(encodeFile(bitmap).empty());
    }
    // A stride of 0 repeats the row.
    std::string heard;
    const auto decoded = test::decode(encodeEmbedded({row, 17, 3, 0}), true, heard);
    ASSERT_TRUE(decoded.has_value()) << heard;
    EXPECT_TRUE(decoded->rows ==
                (std::vector<std::uint8_t>{0x5A, 0xFF, 0x80, 0x5A, 0xFF, 0x80, 0x5A, 0xFF, 0x80}));
}

TEST(Jbig2Encoder, Jbig2decCommandReadsTheFile) {
    pw::test::TempFolder temp("pw-jbig2");
    ASSERT_TRUE(temp.ok());
    const Picture picture = textPage(333, 111);
    writeFile(temp / "page.jb2", encodeFile(picture.bitmap()));
    ASSERT_EQ(std::system(
                  ("jbig2dec -q -t pbm -o '" + temp / "page.pbm" + "' '" + temp / "page.jb2" + "'")
                      .c_str()),
              0);
    const std::vector<std::uint8_t> pbm = readFile(temp / "page.pbm");
    const std::string header = "P4\n333 111\n";
    ASSERT_GT(pbm.size(), header.size());
    EXPECT_EQ(std::string(pbm.begin(), pbm.begin() + static_cast<long>(header.size())), header);
    EXPECT_TRUE(std::vector<std::uint8_t>(pbm.begin() + static_cast<long>(header.size()),
                                          pbm.end()) == picture.packed());
}

// A PDF of one page per picture, each page the picture's size in points, the picture drawn
// over it from its /JBIG2Decode stream.
std::string pdfOf(const std::vector<Picture>& shown) {
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", ""};
    std::string kids;
    for (const Picture& picture : shown) {
        const int page = static_cast<int>(objects.size()) + 1;
        const std::string size =
            std::to_string(picture.width) + " " + std::to_string(picture.height);
        const std::vector<std::uint8_t> data = encodeEmbedded(picture.bitmap());
        const std::string content = "q " + std::to_string(picture.width) + " 0 0 " +
                                    std::to_string(picture.height) + " 0 0 cm /I Do Q";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + size +
                          "] /Resources << /XObject << /I " + std::to_string(page + 1) +
                          " 0 R >> >> /Contents " + std::to_string(page + 2) + " 0 R >>");
        objects.push_back("<< /Type /XObject /Subtype /Image /Width " +
                          std::to_string(picture.width) + " /Height " +
                          std::to_string(picture.height) +
                          " /ColorSpace /DeviceGray /BitsPerComponent 1 /Filter /JBIG2Decode "
                          "/Length " +
                          std::to_string(data.size()) + " >>\nstream\n" +
                          std::string(data.begin(), data.end()) + "\nendstream");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" +
                          content + "\nendstream");
        kids += std::to_string(page) + " 0 R ";
    }
    objects[1] =
        "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(shown.size()) + " >>";
    std::string pdf = "%PDF-1.4\n";
    std::ostringstream xref;
    xref << "xref\n0 " << objects.size() + 1 << "\n0000000000 65535 f \n";
    for (std::size_t i = 0; i < objects.size(); ++i) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", pdf.size());
        xref << entry;
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xrefAt = pdf.size();
    pdf += xref.str() + "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xrefAt) + "\n%%EOF\n";
    return pdf;
}

// A binary PGM's pixels; empty when it is none.
std::vector<std::uint8_t> readPgm(const std::string& path, std::uint32_t& width,
                                  std::uint32_t& height) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    if (!in || magic != "P5" || maxValue != 255)
        return {};
    std::vector<std::uint8_t> pixels(std::size_t{width} * height);
    in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    return in ? pixels : std::vector<std::uint8_t>{};
}

// Each of `scale` x `scale` rendered pixels shows its picture pixel: black 0, white 255.
void expectShown(const Picture& picture, const std::string& pgm, std::uint32_t scale) {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    const std::vector<std::uint8_t> pixels = readPgm(pgm, width, height);
    ASSERT_FALSE(pixels.empty()) << pgm;
    ASSERT_EQ(width, picture.width * scale);
    ASSERT_EQ(height, picture.height * scale);
    std::size_t wrong = 0;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            wrong += pixels[std::size_t{y} * width + x] !=
                     (picture.black(x / scale, y / scale) ? 0 : 255);
    EXPECT_EQ(wrong, 0U) << pgm;
}

TEST(Jbig2Encoder, PopplerAndMupdfShowThePdfPixelExact) {
    pw::test::TempFolder temp("pw-jbig2");
    ASSERT_TRUE(temp.ok());
    const std::vector<Picture> shown = {
        textPage(1237, 500), noise("noise", 99, 61, 5),
        makePicture("checkerboard", 37, 21,
                    [](std::uint32_t x, std::uint32_t y) { return (x + y) % 2 == 1; }),
        makePicture("1 x 1 black", 1, 1, [](auto, auto) { return true; })};
    const std::string pdf = temp / "pictures.pdf";
    const std::string text = pdfOf(shown);
    writeFile(pdf, {text.begin(), text.end()});
    for (std::size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(shown[i].name);
        const std::string page = std::to_string(i + 1);
        // poppler smooths pictures drawn at less than four times their size, so 4 x 72 dpi.
        // Neither reader may complain of the stream (poppler does of an end-of-page segment).
        const std::string poppler = temp / ("poppler" + page);
        EXPECT_EQ(pw::test::commandOutput("pdftoppm -gray -singlefile -r 288 -f " + page + " -l " +
                                          page + " '" + pdf + "' '" + poppler + "' 2>&1"),
                  "");
        expectShown(shown[i], poppler + ".pgm", 4);
        const std::string mupdf = temp / ("mupdf" + page + ".pgm");
        const std::string said = pw::test::commandOutput(
            "mutool draw -q -c gray -r 72 -o '" + mupdf + "' '" + pdf + "' " + page + " 2>&1");
        EXPECT_EQ(said.find("jbig2dec"), std::string::npos) << said;
        expectShown(shown[i], mupdf, 1);
    }
}

} // namespace
