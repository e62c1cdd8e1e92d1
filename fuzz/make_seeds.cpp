// Writes the seed corpus of every fuzz target into <folder>/<target>/: pictures made the way
// the builder's tests make them, and the pieces of them each parser reads.
#include "formats/jbig2_page.h"
#include "icc_chunks.h"
#include "jbig2/encoder.h"
#include "jobfiles/docinfo.h"
#include "jobfiles/page_turns.h"
#include "jobfiles/page_words.h"
#include "jpeg_maker.h"
#include "pictures/bitmap.h"
#include "png_maker.h"

#include <FreeImage.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <png.h>
#include <string>
#include <tiffio.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace pw;
using namespace pw::pdftool;
using namespace pw::jobfiles;
using namespace pw::pdftool::test;

namespace {

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeAll(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

// The payloads of every marker segment with this marker code, in order.
std::vector<std::string> segments(const std::string& jpeg, unsigned char marker) {
    std::vector<std::string> found;
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF) {
        const auto code = static_cast<unsigned char>(jpeg[at + 1]);
        const std::size_t length = (static_cast<unsigned char>(jpeg[at + 2]) << 8) |
                                   static_cast<unsigned char>(jpeg[at + 3]);
        if (length < 2 || code == 0xDA)
            break;
        if (code == marker)
            found.push_back(jpeg.substr(at + 4, length - 2));
        at += 2 + length;
    }
    return found;
}

// Big-endian numbers and ISO boxes, for the HEIF seeds.
std::string bigEndian(std::uint64_t value, int bytes) {
    std::string out;
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
    return out;
}

std::string box(const std::string& type, const std::string& body) {
    return bigEndian(8 + body.size(), 4) + type + body;
}

std::string fullBox(const std::string& type, int version, int flags, const std::string& body) {
    return box(type, bigEndian(static_cast<std::uint64_t>(version), 1) +
                         bigEndian(static_cast<std::uint64_t>(flags), 3) + body);
}

// A HEIF file whose primary item 1 is `derived` ('grid' or 'iovl', its header given) made of
// items 2 and 3, 64 x 64 HEVC tiles; every item's data in idat.
std::string heifSeed(const std::string& derived, const std::string& header) {
    const std::string tile = "not HEVC data";
    const auto infe = [](int id, const std::string& type) {
        return fullBox("infe", 2, 0,
                       bigEndian(static_cast<std::uint64_t>(id), 2) + bigEndian(0, 2) + type);
    };
    const auto location = [](int id, std::size_t offset, std::size_t length) {
        return bigEndian(static_cast<std::uint64_t>(id), 2) + bigEndian(1, 2) + bigEndian(0, 2) +
               bigEndian(1, 2) + bigEndian(offset, 4) + bigEndian(length, 4);
    };
    const std::string iinf = fullBox(
        "iinf", 0, 0, bigEndian(3, 2) + infe(1, derived) + infe(2, "hvc1") + infe(3, "hvc1"));
    const std::string iloc =
        fullBox("iloc", 1, 0,
                bigEndian(0x4400, 2) + bigEndian(3, 2) + location(1, 0, header.size()) +
                    location(2, header.size(), tile.size()) +
                    location(3, header.size() + tile.size(), tile.size()));
    const std::string iref =
        fullBox("iref", 0, 0,
                box("dimg", bigEndian(1, 2) + bigEndian(2, 2) + bigEndian(2, 2) + bigEndian(3, 2)));
    const std::string ispe64 = fullBox("ispe", 0, 0, bigEndian(64, 4) + bigEndian(64, 4));
    const std::string ispeWhole = fullBox("ispe", 0, 0, bigEndian(128, 4) + bigEndian(64, 4));
    std::string ipma = bigEndian(3, 4);
    for (const auto& [id, property] : {std::pair{1, 0x82}, {2, 0x81}, {3, 0x81}})
        ipma += bigEndian(static_cast<std::uint64_t>(id), 2) + bigEndian(1, 1) +
                bigEndian(static_cast<std::uint64_t>(property), 1);
    const std::string iprp =
        box("iprp", box("ipco", ispe64 + ispeWhole) + fullBox("ipma", 0, 0, ipma));
    const std::string meta =
        fullBox("meta", 0, 0,
                fullBox("hdlr", 0, 0, bigEndian(0, 4) + "pict" + std::string(13, '\0')) +
                    fullBox("pitm", 0, 0, bigEndian(1, 2)) + iinf + iloc + iref + iprp +
                    box("idat", header + tile + tile));
    return box("ftyp", "heic" + bigEndian(0, 4) + "mif1heic") + meta;
}

} // namespace

// A PDF of `pages` pages of text, in a tree of two levels when `nested`.
std::string pdfSeed(int pages, bool nested) {
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", "",
                                        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    std::string kids;
    for (int i = 0; i < pages; ++i) {
        const std::string text = "BT /F1 12 Tf 72 720 Td (Page " + std::to_string(i + 1) + ") Tj ET";
        objects.push_back("<< /Length " + std::to_string(text.size()) + " >>\nstream\n" + text +
                          "\nendstream");
        const std::string parent = nested ? std::to_string(4 + 2 * pages) : "2";
        objects.push_back("<< /Type /Page /Parent " + parent + " 0 R /MediaBox [0 0 612 792] " +
                          "/Resources << /Font << /F1 3 0 R >> >> /Contents " +
                          std::to_string(objects.size()) + " 0 R >>");
        kids += std::to_string(objects.size()) + " 0 R ";
    }
    const std::string count = " /Count " + std::to_string(pages) + " >>";
    if (nested) {
        objects.push_back("<< /Type /Pages /Parent 2 0 R /Kids [" + kids + "]" + count);
        kids = std::to_string(objects.size()) + " 0 R";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "]" + count;
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        char line[21];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    return pdf + "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_seeds CORPUS_FOLDER\n";
        return 2;
    }
    const fs::path root = argv[1];
    for (const char* target :
         {"jpeg_structure", "exif", "icc", "docinfo", "png_rows", "png_pages", "heif_canvas",
          "heif_meta", "bmp_reader", "g4_tiff", "g4_stream", "page_words", "jbig2", "jbig2_page",
          "pdf_open"})
        fs::create_directories(root / target);

    const JpegSpec specs[] = {
        {},
        {.width = 17, .height = 9, .components = 1, .progressive = true},
        {.components = 4, .densityUnit = 1, .xDensity = 300, .yDensity = 300},
        {.exifOrientation = 6, .exifResolution = 200},
        {.brokenExif = true},
        {.iccProfile = fakeIccProfile(3000, "RGB ")},
        {.width = 8, .height = 8, .iccProfile = fakeIccProfile(70000, "RGB ")},
    };
    const fs::path scratch = root / "scratch.jpg";
    int index = 0;
    for (const JpegSpec& spec : specs) {
        const std::string name = "seed" + std::to_string(index++);
        if (!writeJpeg(scratch.string(), spec)) {
            std::cerr << "cannot write " << scratch << "\n";
            return 1;
        }
        const std::string jpeg = readAll(scratch);
        bool written = writeAll(root / "jpeg_structure" / name, jpeg);
        for (const std::string& app1 : segments(jpeg, 0xE1))
            written = written && writeAll(root / "exif" / name, app1);
        const std::vector<std::string> icc = segments(jpeg, 0xE2);
        if (!icc.empty())
            written = written && writeAll(root / "icc" / name, pw::fuzz::joinChunks(icc));
        if (!written) {
            std::cerr << "cannot write the seeds of " << name << "\n";
            return 1;
        }
    }
    fs::remove(scratch);

    const jobfiles::DocInfo infos[] = {
        {"Holiday 2026", "Zo\xC3\xAB M\xC3\xBCller", "Trip", "sea, sand", "D:20260102030405-06'00"},
        {"Two\nlines\\with\ttab", "", "\r", "", "D:20261208140000Z"},
    };
    index = 0;
    for (const jobfiles::DocInfo& info : infos) {
        const fs::path folder = root / ("docinfo-" + std::to_string(index));
        fs::create_directories(folder);
        std::string error;
        if (!jobfiles::writeDocInfo(folder.string(), info, &error)) {
            std::cerr << "cannot write docinfo: " << error << "\n";
            return 1;
        }
        fs::rename(folder / jobfiles::kDocInfoFileName,
                   root / "docinfo" / ("seed" + std::to_string(index++)));
        fs::remove(folder);
    }
    // A turns file, read by the same target.
    const fs::path turnsFolder = root / "turns";
    fs::create_directories(turnsFolder);
    std::string turnsError;
    if (!writePageTurns(turnsFolder.string(), {{0, 90}, {12, 270}, {100000, 180}}, &turnsError)) {
        std::cerr << "cannot write turns: " << turnsError << "\n";
        return 1;
    }
    fs::rename(turnsFolder / jobfiles::kPageTurnsFileName,
               root / "docinfo" / ("seed" + std::to_string(index++)));
    fs::remove(turnsFolder);
    // A words file of two blocks, the second turned a quarter.
    jobfiles::PageWords words{200, 100, {}};
    words.lines.push_back({true,
                           {10, 10, 150, 30},
                           {{{10, 10, 60, 30}, "Hello"}, {{70, 12, 150, 30}, "w\xC3\xB6rld"}},
                           0});
    words.lines.push_back({true, {160, 10, 180, 90}, {{{160, 10, 180, 90}, "again"}}, 90});
    if (!writeAll(root / "page_words" / "seed0", jobfiles::pageWordsText(words))) {
        std::cerr << "cannot write the words seed\n";
        return 1;
    }
    // Bitmaps for the JBIG2 encoder: width - 1, height - 1, flags, pixel bytes.
    const std::string bitmaps[] = {
        std::string("\x00\x24\x00\x14\x00\x00\x3c\x42\x81\x81\x42\x3c\x00", 13),
        std::string("\x27\x0f\x00\x00\x08\xf0\x0f\x55", 8),
        std::string("\x00\x00\x00\x00\x05\x00", 6),
        std::string("\x01\x2c\x00\xc7\x12\x00\x00\x00\x18\x18\x00\x00\x00", 13)};
    index = 0;
    for (const std::string& bitmap : bitmaps) {
        if (!writeAll(root / "jbig2" / ("seed" + std::to_string(index++)), bitmap)) {
            std::cerr << "cannot write the JBIG2 seeds\n";
            return 1;
        }
    }
    // A staged JBIG2 page of a ring, 8 x 6 at 300 dpi.
    const std::uint8_t ring[] = {0x3C, 0x42, 0x81, 0x81, 0x42, 0x3C};
    const std::vector<std::uint8_t> coded = jbig2::encodeEmbedded({ring, 8, 6, 1, true});
    formats::Jbig2Page staged;
    staged.width = 8;
    staged.height = 6;
    staged.xResolution = staged.yResolution = 300.0F;
    if (!writeAll(root / "jbig2_page" / "seed0",
                  formats::jbig2PageHeader(staged) + std::string(coded.begin(), coded.end()))) {
        std::cerr << "cannot write the staged JBIG2 seed\n";
        return 1;
    }
    // Small PNGs of every colour type, row filter and transparency the readers take (the
    // quality path's reader leaves the 16-bit and interlaced ones).
    std::string profile = fakeIccProfile(200, "RGB ");
    profile.replace(128, 4, std::string(4, '\0')); // no tags, as libpng checks the count
    profile.replace(68, 12, std::string("\0\0\xf6\xd6\0\x01\0\0\0\0\xd3\x2d", 12)); // D50
    const PngSpec pngs[] = {
        {.width = 9, .height = 5, .colourType = 0, .filters = PNG_FILTER_SUB},
        {.width = 9, .height = 5, .colourType = 2, .filters = PNG_FILTER_UP, .dotsPerMeter = 3780},
        {.width = 9,
         .height = 5,
         .colourType = 3,
         .transparency = std::string("\0\x80", 2),
         .filters = PNG_FILTER_AVG},
        {.width = 9,
         .height = 5,
         .colourType = 4,
         .binaryAlpha = false,
         .filters = PNG_FILTER_PAETH},
        {.width = 9, .height = 5, .colourType = 6, .iccProfile = profile},
        {.width = 9, .height = 5, .interlaced = true},
        {.width = 9, .height = 5, .bitDepth = 16, .colourType = 0, .transparency = "\x12\x34"},
        {.width = 9, .height = 5, .bitDepth = 2, .colourType = 3, .transparency = "\x40"},
        {.width = 9,
         .height = 5,
         .colourType = 2,
         .transparency = std::string("\0\x10\0\x20\0\x30", 6)},
        {.width = 9, .height = 5, .bitDepth = 16, .colourType = 6, .interlaced = true},
        {.width = 21, .height = 5, .bitDepth = 1, .colourType = 0, .filters = PNG_FILTER_PAETH},
    };
    index = 0;
    for (const PngSpec& spec : pngs) {
        const std::string name = "seed" + std::to_string(index++);
        const fs::path seed = root / "png_rows" / name;
        if (!writePng(seed.string(), spec)) {
            std::cerr << "cannot write " << seed << "\n";
            return 1;
        }
        fs::copy_file(seed, root / "png_pages" / name, fs::copy_options::overwrite_existing);
    }
    // A grid of two tiles with 16-bit and with 32-bit sizes, and an overlay of the two.
    const std::string heifs[] = {
        heifSeed("grid", bigEndian(1, 4) + bigEndian(128, 2) + bigEndian(64, 2)),
        heifSeed("grid", bigEndian(0x10001, 4) + bigEndian(128, 4) + bigEndian(64, 4)),
        heifSeed("iovl", std::string(10, '\0') + bigEndian(128, 2) + bigEndian(64, 2) +
                             bigEndian(0, 4) + bigEndian(64, 2) + bigEndian(0, 2)),
    };
    index = 0;
    for (const std::string& heif : heifs) {
        const fs::path seed = root / "heif_canvas" / ("seed" + std::to_string(index++));
        if (!writeAll(seed, heif)) {
            std::cerr << "cannot write " << seed << "\n";
            return 1;
        }
    }
    // HEIF files of one item with clap, irot and imir in both orders and 8- and 16-bit ipma
    // indices, and a pyramid's entity group.
    const auto box = [](const std::string& type, const std::string& payload) {
        const std::size_t length = 8 + payload.size();
        return std::string{static_cast<char>(length >> 24), static_cast<char>(length >> 16),
                           static_cast<char>(length >> 8), static_cast<char>(length)} +
               type + payload;
    };
    const std::string properties =
        box("ispe", std::string("\0\0\0\0\0\0\0\x30\0\0\0\x20", 12)) +
        box("clap", std::string("\0\0\0\x20\0\0\0\x01\0\0\0\x10\0\0\0\x01"
                                "\xff\xff\xff\xfc\0\0\0\x01\0\0\0\x03\0\0\0\x02",
                                32)) +
        box("irot", "\x01") + box("imir", "\x01");
    const std::string narrow("\0\0\0\0\0\0\0\x01\0\x01\x04\x81\x82\x83\x84", 15);
    const std::string wide("\0\0\0\x01\0\0\0\x01\0\x01\x04\x80\x01\x80\x04\x80\x03"
                           "\x80\x02",
                           19);
    const std::string pyramid =
        box("grpl", box("pymd", std::string("\0\0\0\0\0\0\0\x02\0\0\0\x01\0\0\0\x01"
                                            "\x01\0\x01\0\0\x01\0\0\0\0",
                                            26)));
    index = 0;
    for (const std::string& ipma : {narrow, wide}) {
        const std::string meta =
            box("meta", std::string(4, '\0') + box("pitm", std::string("\0\0\0\0\0\x01", 6)) +
                            box("iprp", box("ipco", properties) + box("ipma", ipma)) + pyramid);
        const std::string heif = box("ftyp", "avif" + std::string(4, '\0') + "mif1") + meta +
                                 box("mdat", std::string(16, '\x12'));
        if (!writeAll(root / "heif_meta" / ("seed" + std::to_string(index++)), heif)) {
            std::cerr << "cannot write the HEIF seeds\n";
            return 1;
        }
    }
    // Small BMPs as FreeImage writes them: palettes, 16 bits with and without masks, 24 and
    // 32 bits, run lengths; and one with an OS/2 1.x header.
    struct BmpSeed {
        int bpp;
        unsigned redMask;
        int flags;
    };
    const BmpSeed bmps[] = {{1, 0, 0},       {4, 0, 0},  {8, 0, 0},  {8, 0, BMP_SAVE_RLE},
                            {16, 0xF800, 0}, {16, 0, 0}, {24, 0, 0}, {32, 0, 0}};
    index = 0;
    for (const BmpSeed& seed : bmps) {
        const pw::pictures::Bitmap owned(
            seed.bpp == 16 ? FreeImage_Allocate(9, 5, 16, seed.redMask, seed.redMask ? 0x07E0 : 0,
                                                seed.redMask ? 0x001F : 0)
                           : FreeImage_Allocate(9, 5, seed.bpp));
        FIBITMAP* bitmap = owned.get();
        for (unsigned y = 0; bitmap != nullptr && y < 5; ++y) {
            BYTE* line = FreeImage_GetScanLine(bitmap, static_cast<int>(y));
            for (unsigned i = 0; i < FreeImage_GetLine(bitmap); ++i)
                line[i] = static_cast<BYTE>(i * 37 + y * 11);
        }
        const fs::path path = root / "bmp_reader" / ("seed" + std::to_string(index++));
        const bool saved =
            bitmap != nullptr && FreeImage_Save(FIF_BMP, bitmap, path.c_str(), seed.flags);
        if (!saved) {
            std::cerr << "cannot write " << path << "\n";
            return 1;
        }
    }
    // File header, 12-byte header (2 x 2, 1 bit), two palette entries of 3 bytes, two rows.
    const std::string os2("BM\x28\0\0\0\0\0\0\0\x20\0\0\0"
                          "\x0c\0\0\0\x02\0\x02\0\x01\0\x01\0"
                          "\0\0\0\xff\xff\xff"
                          "\x80\0\0\0\x40\0\0\0",
                          40);
    if (!writeAll(root / "bmp_reader" / "os2", os2)) {
        std::cerr << "cannot write the OS/2 seed\n";
        return 1;
    }
    // Group 4 pages of both photometric kinds (FreeImage picks it from the palette's order).
    for (const bool blackFirst : {true, false}) {
        const pw::pictures::Bitmap owned(FreeImage_Allocate(67, 40, 1));
        FIBITMAP* bitmap = owned.get();
        RGBQUAD* palette = bitmap != nullptr ? FreeImage_GetPalette(bitmap) : nullptr;
        for (unsigned i = 0; palette != nullptr && i < 2; ++i) {
            const BYTE level = (i == 0) == blackFirst ? 0 : 255;
            palette[i] = {level, level, level, 0};
        }
        for (unsigned y = 0; bitmap != nullptr && y < 40; ++y) {
            BYTE* line = FreeImage_GetScanLine(bitmap, static_cast<int>(y));
            for (unsigned i = 0; i < FreeImage_GetLine(bitmap); ++i)
                line[i] = static_cast<BYTE>((i * 37 + y * 11) & (y % 7 == 0 ? 0xFF : 0x18));
        }
        const fs::path path = root / "g4_tiff" / (blackFirst ? "black0" : "white0");
        const bool saved =
            bitmap != nullptr && FreeImage_Save(FIF_TIFF, bitmap, path.c_str(), TIFF_CCITTFAX4);
        if (!saved) {
            std::cerr << "cannot write " << path << "\n";
            return 1;
        }
        // The same page's data alone, after its width less one (two bytes) and height less one.
        TIFF* tiff = TIFFOpen(path.c_str(), "r");
        std::string strip(tiff != nullptr ? TIFFGetStrileByteCount(tiff, 0) : 0, '\0');
        const bool read =
            tiff != nullptr &&
            TIFFReadRawStrip(tiff, 0, strip.data(), static_cast<tmsize_t>(strip.size())) ==
                static_cast<tmsize_t>(strip.size());
        if (tiff != nullptr)
            TIFFClose(tiff);
        const fs::path stream = root / "g4_stream" / (blackFirst ? "black0" : "white0");
        if (!read || !writeAll(stream, std::string("\0\x42\x27", 3) + strip)) {
            std::cerr << "cannot write " << stream << "\n";
            return 1;
        }
    }
    // PDFs of one page, and of three under a node of their own.
    if (!writeAll(root / "pdf_open" / "seed0", pdfSeed(1, false)) ||
        !writeAll(root / "pdf_open" / "seed1", pdfSeed(3, true))) {
        std::cerr << "cannot write the PDF seeds\n";
        return 1;
    }
    return 0;
}
