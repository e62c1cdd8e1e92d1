#include "outside/pdftool/glyphless_font.h"

#include <cstdint>
#include <utility>
#include <vector>

// No kept library writes fonts (FreeType and qpdf only read them), so the few tables of a font
// without outlines are put together here.
namespace pw::pdftool {
namespace {

constexpr int kGlyphs = 2;
constexpr const char* kFontName = "PagewrightGlyphless";

class Bytes {
public:
    Bytes& u16(unsigned value) {
        text_ += static_cast<char>((value >> 8) & 0xFF);
        text_ += static_cast<char>(value & 0xFF);
        return *this;
    }
    Bytes& u32(std::uint32_t value) { return u16(value >> 16).u16(value & 0xFFFF); }
    Bytes& zeros(std::size_t count) {
        text_.append(count, '\0');
        return *this;
    }
    Bytes& raw(const std::string& bytes) {
        text_ += bytes;
        return *this;
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

std::uint32_t checksum(const std::string& table) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < table.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word =
                (word << 8) | (i + k < table.size() ? static_cast<unsigned char>(table[i + k]) : 0);
        sum += word;
    }
    return sum;
}

std::string head() {
    return Bytes()
        .u32(0x00010000)
        .u32(0x00010000)
        .u32(0) // checksum adjustment, set once the font is complete
        .u32(0x5F0F3CF5)
        .u16(0x000B) // baseline at y 0, left side bearing at x 0, whole pixels per em
        .u16(kGlyphlessUnits)
        .zeros(16) // created and modified: none
        .u16(0)
        .u16(0)
        .u16(kGlyphlessUnits)
        .u16(kGlyphlessUnits)
        .u16(0) // style
        .u16(8) // smallest readable size
        .u16(2) // left to right
        .u16(0) // short loca offsets
        .u16(0)
        .text();
}

std::string hhea() {
    return Bytes()
        .u32(0x00010000)
        .u16(kGlyphlessUnits) // ascender
        .u16(0)               // descender
        .u16(0)               // line gap
        .u16(kGlyphlessUnits) // widest advance
        .zeros(6)             // side bearings and extent
        .u16(1)               // caret upright
        .u16(0)
        .u16(0)
        .zeros(8)
        .u16(0)
        .u16(kGlyphs)
        .text();
}

std::string maxp() {
    return Bytes()
        .u32(0x00010000)
        .u16(kGlyphs)
        .u16(2) // points in a glyph
        .u16(1) // contours
        .zeros(4)
        .u16(2)
        .zeros(16)
        .text();
}

std::string os2() {
    Bytes table;
    table.u16(4).u16(kGlyphlessUnits).u16(400).u16(5).u16(0); // installable embedding
    table.zeros(20 + 2 + 10 + 16);                            // script sizes, class, panose, ranges
    table.raw("PWRT").u16(0x0040);                            // regular
    table.u16(0x20).u16(0xFFFF);
    table.u16(kGlyphlessUnits).u16(0).u16(0); // typographic ascender...
    table.u16(kGlyphlessUnits).u16(0);        // Windows ascent and descent
    table.u32(1).u32(0);                      // Latin 1 code page
    table.u16(0).u16(kGlyphlessUnits).u16(0).u16(0x20).u16(1);
    return table.text();
}

std::string hmtx() {
    Bytes table;
    for (int glyph = 0; glyph < kGlyphs; ++glyph)
        table.u16(kGlyphlessUnits).u16(0);
    return table.text();
}

// A Windows Unicode map with only its closing segment: the PDF maps characters to the glyph.
std::string cmap() {
    return Bytes()
        .u16(0)
        .u16(1)
        .u16(3)
        .u16(1)
        .u32(12)
        .u16(4)
        .u16(24)
        .u16(0)
        .u16(2) // one segment
        .u16(2)
        .u16(0)
        .u16(0)
        .u16(0xFFFF)
        .u16(0)
        .u16(0xFFFF)
        .u16(1)
        .u16(0)
        .text();
}

// Glyph 1 is one contour of two points, a line across its em from corner to corner: it covers
// no area, so it never shows, yet it has a box (MuPDF passes over text whose glyphs have none).
std::string glyf() {
    return Bytes()
        .u16(1) // contours
        .u16(0)
        .u16(0)
        .u16(kGlyphlessUnits)
        .u16(kGlyphlessUnits)
        .u16(1)      // the contour's last point
        .u16(0)      // no instructions
        .u16(0x0101) // both points on the curve, coordinates as 16-bit steps
        .u16(0)
        .u16(kGlyphlessUnits)
        .u16(0)
        .u16(kGlyphlessUnits)
        .text();
}

std::string loca() {
    const auto end = static_cast<unsigned>(glyf().size() / 2);
    return Bytes().u16(0).u16(0).u16(end).text(); // glyph 0 empty, glyph 1 the outline
}

std::string name() {
    const std::string font = kFontName;
    const std::vector<std::pair<int, std::string>> names{
        {1, font}, {2, "Regular"}, {4, font}, {5, "Version 1.0"}, {6, font}};
    Bytes table;
    table.u16(0)
        .u16(static_cast<unsigned>(names.size()))
        .u16(static_cast<unsigned>(6 + 12 * names.size()));
    Bytes strings;
    for (const auto& [id, text] : names) {
        table.u16(3).u16(1).u16(0x409).u16(static_cast<unsigned>(id));
        table.u16(static_cast<unsigned>(2 * text.size()))
            .u16(static_cast<unsigned>(strings.text().size()));
        for (const char c : text)
            strings.u16(static_cast<unsigned char>(c));
    }
    return table.raw(strings.text()).text();
}

std::string post() {
    return Bytes().u32(0x00030000).zeros(8).u32(1).zeros(16).text();
}

} // namespace

std::string glyphlessFontProgram() {
    // Tables in the order of their tags, as the directory lists them.
    const std::vector<std::pair<std::string, std::string>> tables{
        {"OS/2", os2()},  {"cmap", cmap()}, {"glyf", glyf()}, {"head", head()}, {"hhea", hhea()},
        {"hmtx", hmtx()}, {"loca", loca()}, {"maxp", maxp()}, {"name", name()}, {"post", post()}};
    const auto count = static_cast<unsigned>(tables.size());
    Bytes font;
    font.u32(0x00010000).u16(count).u16(128).u16(3).u16(count * 16 - 128);
    std::uint32_t offset = 12 + 16 * count;
    std::string data;
    std::size_t headAt = 0;
    for (const auto& [tag, table] : tables) {
        if (tag == "head")
            headAt = offset;
        font.raw(tag)
            .u32(checksum(table))
            .u32(offset)
            .u32(static_cast<std::uint32_t>(table.size()));
        std::string padded = table;
        padded.append((4 - padded.size() % 4) % 4, '\0');
        data += padded;
        offset += static_cast<std::uint32_t>(padded.size());
    }
    std::string program = font.raw(data).text();
    const std::uint32_t adjustment = 0xB1B0AFBAu - checksum(program);
    for (int k = 0; k < 4; ++k)
        program[headAt + 8 + static_cast<std::size_t>(k)] =
            static_cast<char>((adjustment >> (24 - 8 * k)) & 0xFF);
    return program;
}

} // namespace pw::pdftool
