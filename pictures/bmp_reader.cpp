#include "pictures/bmp_reader.h"

#include "formats/pixel_limit.h"
#include "formats/resolution.h"
#include "pictures/picture_kinds.h"
#include "pictures/stoppable_io.h"

#include <FreeImage.h>
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <fstream>
#include <memory>
#include <utility>
#include <vector>

namespace pw::pictures {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12; // OS/2 1.x
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMaxHeaderSize = 124; // BITMAPV5HEADER

enum : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitfields = 3,
    kJpeg = 4,
    kPng = 5,
    kAlphaBitfields = 6,
};

std::uint16_t u16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t u32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t i32(const unsigned char* p) {
    return static_cast<std::int32_t>(u32(p));
}

// What the headers say about the pixels.
struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    unsigned bpp = 0;
    std::uint32_t compression = kRgb;
    std::array<std::uint32_t, 4> masks{}; // red, green, blue, alpha
    std::uint32_t colours = 0;            // palette entries
    unsigned entryBytes = 4;              // 3 in OS/2 1.x palettes
    std::uint64_t paletteAt = 0;
    std::uint64_t pixelsAt = 0;
    std::uint64_t fileSize = 0;
    std::uint64_t imageBytes = 0; // as the header states them; 0 when it does not
    DotsPerMeter resolution;

    bool embedded() const { return compression == kJpeg || compression == kPng; }
};

DotsPerMeter saneResolution(std::int32_t x, std::int32_t y) {
    if (!formats::saneResolution({x * formats::kMetresPerInch, y * formats::kMetresPerInch})
             .stated())
        return {};
    return {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)};
}

std::string unsupportedCompression(std::uint32_t compression, bool os2) {
    if (os2 && compression == 3)
        return "OS/2 BMP with Huffman coding is not supported";
    if (os2 && compression == 4)
        return "OS/2 BMP with 24-bit run lengths is not supported";
    return "BMP compression " + std::to_string(compression) + " is not supported";
}

// Reads the headers from the start of `in`. nullopt when the file is not a BMP this reader
// knows, or, with `problem` set, when it is one that cannot be read.
std::optional<Layout> readLayout(std::istream& in, std::uint64_t fileSize, std::string& problem) {
    std::array<unsigned char, kFileHeaderSize + kMaxHeaderSize + 16> head{};
    in.read(reinterpret_cast<char*>(head.data()), head.size());
    const auto got = static_cast<std::size_t>(in.gcount());
    in.clear();
    if (got < kFileHeaderSize + 4 || head[0] != 'B' || head[1] != 'M')
        return std::nullopt;
    const unsigned char* info = head.data() + kFileHeaderSize;
    const std::uint32_t infoSize = u32(info);
    const bool core = infoSize == kCoreHeaderSize;
    const bool windows = infoSize == kInfoHeaderSize || infoSize == 52 || infoSize == 56 ||
                         infoSize == 108 || infoSize == kMaxHeaderSize;
    const bool os2 = !windows && infoSize >= 16 && infoSize <= 64; // OS/2 2.x: 16 to 64 bytes
    if (!core && !windows && !os2)
        return std::nullopt; // FreeImage may know it
    if (got < kFileHeaderSize + infoSize) {
        problem = "damaged BMP: its header is cut short";
        return std::nullopt;
    }

    Layout layout;
    layout.fileSize = fileSize;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t clrUsed = 0;
    if (infoSize >= 24 && !core)
        layout.imageBytes = u32(info + 20);
    if (core) {
        width = u16(info + 4);
        height = u16(info + 6);
        layout.bpp = u16(info + 10);
        layout.entryBytes = 3;
    } else {
        width = i32(info + 4);
        height = i32(info + 8);
        layout.bpp = u16(info + 14);
        layout.compression = infoSize >= 20 ? u32(info + 16) : kRgb;
        if (infoSize >= 32)
            layout.resolution = saneResolution(i32(info + 24), i32(info + 28));
        if (infoSize >= 36)
            clrUsed = u32(info + 32);
    }
    layout.topDown = height < 0;
    height = height < 0 ? -height : height;
    if (width <= 0 || height <= 0) {
        problem = "damaged BMP: no pixels";
        return std::nullopt;
    }
    layout.width = static_cast<std::uint32_t>(width);
    layout.height = static_cast<std::uint32_t>(height);

    const unsigned bpp = layout.bpp;
    const std::uint32_t compression = layout.compression;
    // A JPEG or PNG picture in place of the pixels, as Windows' printing interface writes them
    // (with zero bits a pixel); the picture holds its own size and colours.
    if (windows && layout.embedded()) {
        layout.pixelsAt = u32(head.data() + 10);
        if (layout.pixelsAt < kFileHeaderSize + infoSize || layout.pixelsAt >= fileSize) {
            problem = "damaged BMP: its picture lies outside the file";
            return std::nullopt;
        }
        return layout;
    }
    if (bpp == 64) {
        problem = "64-bit BMP is not supported";
        return std::nullopt;
    }
    if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        problem = "damaged BMP: " + std::to_string(bpp) + " bits a pixel";
        return std::nullopt;
    }
    const bool masked = windows && (compression == kBitfields || compression == kAlphaBitfields);
    const bool runs = compression == kRle8 || compression == kRle4;
    if (!(compression == kRgb || runs || masked)) {
        problem = unsupportedCompression(compression, os2);
        return std::nullopt;
    }
    if ((compression == kRle8 && bpp != 8) || (compression == kRle4 && bpp != 4) ||
        (masked && bpp != 16 && bpp != 32) || (runs && layout.topDown)) {
        problem = "damaged BMP: compression " + std::to_string(compression) + " with " +
                  std::to_string(bpp) + " bits a pixel";
        return std::nullopt;
    }
    if (!formats::withinPixelLimit(layout.width, layout.height)) {
        problem = formats::pixelLimitReason(layout.width, layout.height);
        return std::nullopt;
    }
    // Whatever the header: a claim far beyond the file is refused before anything is allocated
    // (run lengths can skip pixels, so only by the general rule, on 32-bit pixels).
    problem = formats::generalDataTooShort(
        layout.width, layout.height, std::uint64_t{layout.width} * layout.height * 4, fileSize);
    if (!problem.empty())
        return std::nullopt;

    // Colour masks: after a 40-byte header, in longer ones, or the usual ones for 16 and 32 bits.
    layout.paletteAt = kFileHeaderSize + infoSize;
    if (masked && infoSize == kInfoHeaderSize) {
        const std::size_t count = compression == kAlphaBitfields ? 4 : 3;
        if (got < layout.paletteAt + 4 * count) {
            problem = "damaged BMP: its colour masks are cut short";
            return std::nullopt;
        }
        for (std::size_t i = 0; i < count; ++i)
            layout.masks[i] = u32(head.data() + layout.paletteAt + 4 * i);
        layout.paletteAt += 4 * count;
    } else if (masked) {
        for (std::size_t i = 0; i < 3; ++i)
            layout.masks[i] = u32(info + 40 + 4 * i);
    } else if (bpp == 16) {
        layout.masks = {0x7C00, 0x03E0, 0x001F, 0};
    } else if (bpp == 32) {
        // The fourth byte may be alpha; loadBmp ignores it when it is zero everywhere.
        layout.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    }
    if (windows && infoSize >= 56 && (bpp == 16 || bpp == 32) && u32(info + 52) != 0)
        layout.masks[3] = u32(info + 52);
    if ((bpp == 16 || bpp == 32) && (layout.masks[0] | layout.masks[1] | layout.masks[2]) == 0) {
        problem = "damaged BMP: no colour masks";
        return std::nullopt;
    }

    layout.pixelsAt = u32(head.data() + 10);
    if (layout.pixelsAt < layout.paletteAt || layout.pixelsAt >= fileSize) {
        problem = "damaged BMP: its pixels lie outside the file";
        return std::nullopt;
    }
    if (bpp <= 8) {
        const std::uint32_t most = 1U << bpp;
        const std::uint64_t room = (layout.pixelsAt - layout.paletteAt) / layout.entryBytes;
        layout.colours = clrUsed != 0 ? std::min(clrUsed, most) : most;
        layout.colours = static_cast<std::uint32_t>(std::min<std::uint64_t>(layout.colours, room));
        if (layout.colours == 0) {
            problem = "damaged BMP: no palette";
            return std::nullopt;
        }
    }
    return layout;
}

bool readAt(std::istream& in, std::uint64_t at, unsigned char* into, std::size_t count) {
    in.seekg(static_cast<std::streamoff>(at));
    return static_cast<bool>(
        in.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(count)));
}

// A palette bitmap of `bpp` bits with the file's palette; entries it lacks are black.
FIBITMAP* paletteBitmap(std::istream& in, const Layout& layout, int bpp) {
    std::vector<unsigned char> entries(std::size_t{layout.colours} * layout.entryBytes);
    if (!readAt(in, layout.paletteAt, entries.data(), entries.size()))
        return nullptr;
    FIBITMAP* bitmap =
        FreeImage_Allocate(static_cast<int>(layout.width), static_cast<int>(layout.height), bpp);
    if (bitmap == nullptr)
        return nullptr;
    RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    for (std::uint32_t i = 0; i < layout.colours; ++i) {
        const unsigned char* entry = entries.data() + std::size_t{i} * layout.entryBytes;
        palette[i] = {entry[0], entry[1], entry[2], 0}; // blue, green, red
    }
    return bitmap;
}

// One colour or alpha mask: where its bits are and their largest value.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint64_t max = 0;

    explicit Channel(std::uint32_t bits)
        : mask(bits), shift(bits == 0 ? 0 : std::countr_zero(bits)), max(bits >> shift) {}
    std::uint64_t value(std::uint32_t pixel) const { return (pixel & mask) >> shift; }
    // Scaled to 0..top, rounded; 0 without bits.
    std::uint32_t scaled(std::uint32_t pixel, std::uint64_t top) const {
        return max == 0 ? 0 : static_cast<std::uint32_t>((value(pixel) * top + max / 2) / max);
    }
};

// Rows of 16 or 32 bits a pixel through their masks.
class MaskedRows {
public:
    explicit MaskedRows(const Layout& layout)
        : red_(layout.masks[0]), green_(layout.masks[1]), blue_(layout.masks[2]),
          alpha_(layout.masks[3]), bytes_(layout.bpp / 8),
          deep_(red_.max > 255 || green_.max > 255 || blue_.max > 255) {}

    FIBITMAP* allocate(const Layout& layout) const {
        const int width = static_cast<int>(layout.width);
        const int height = static_cast<int>(layout.height);
        if (deep_)
            return FreeImage_AllocateT(alpha_.max != 0 ? FIT_RGBA16 : FIT_RGB16, width, height);
        return FreeImage_Allocate(width, height, alpha_.max != 0 ? 32 : 24, FI_RGBA_RED_MASK,
                                  FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    }

    void convert(const unsigned char* in, BYTE* out, std::uint32_t width) {
        for (std::uint32_t x = 0; x < width; ++x, in += bytes_) {
            const std::uint32_t pixel = bytes_ == 2 ? u16(in) : u32(in);
            if (alpha_.max != 0) {
                const std::uint64_t alpha = alpha_.value(pixel);
                anyAlpha_ = anyAlpha_ || alpha != 0;
                anyTranslucent_ = anyTranslucent_ || alpha != alpha_.max;
            }
            if (deep_) {
                auto* pixel16 = reinterpret_cast<WORD*>(out) + x * (alpha_.max != 0 ? 4 : 3);
                pixel16[0] = static_cast<WORD>(red_.scaled(pixel, 65535));
                pixel16[1] = static_cast<WORD>(green_.scaled(pixel, 65535));
                pixel16[2] = static_cast<WORD>(blue_.scaled(pixel, 65535));
                if (alpha_.max != 0)
                    pixel16[3] = static_cast<WORD>(alpha_.scaled(pixel, 65535));
            } else {
                BYTE* pixel8 = out + x * (alpha_.max != 0 ? 4 : 3);
                pixel8[FI_RGBA_RED] = static_cast<BYTE>(red_.scaled(pixel, 255));
                pixel8[FI_RGBA_GREEN] = static_cast<BYTE>(green_.scaled(pixel, 255));
                pixel8[FI_RGBA_BLUE] = static_cast<BYTE>(blue_.scaled(pixel, 255));
                if (alpha_.max != 0)
                    pixel8[FI_RGBA_ALPHA] = static_cast<BYTE>(alpha_.scaled(pixel, 255));
            }
        }
    }

    // The bitmap without its alpha channel when that is zero everywhere (unused) or full
    // everywhere; `bitmap` itself otherwise.
    Bitmap finish(Bitmap bitmap) const {
        if (alpha_.max == 0 || (anyAlpha_ && anyTranslucent_))
            return bitmap;
        return Bitmap(deep_ ? FreeImage_ConvertToRGB16(bitmap.get())
                            : FreeImage_ConvertTo24Bits(bitmap.get()));
    }

private:
    Channel red_;
    Channel green_;
    Channel blue_;
    Channel alpha_;
    unsigned bytes_;
    bool deep_;
    bool anyAlpha_ = false;
    bool anyTranslucent_ = false;
};

std::string cutShort() {
    return "damaged BMP: the file ends before its pixels";
}

// Uncompressed rows, bottom row first unless the height is negative.
Bitmap decodeRows(std::istream& in, const Layout& layout, std::string& problem, StopFlag stop) {
    const std::uint64_t rowBytes = (std::uint64_t{layout.width} * layout.bpp + 7) / 8;
    const std::uint64_t stride = (std::uint64_t{layout.width} * layout.bpp + 31) / 32 * 4;
    // The last row's padding may be missing.
    const std::uint64_t needed = stride * (layout.height - 1) + rowBytes;
    if (layout.fileSize - layout.pixelsAt < needed) {
        problem = cutShort();
        return {};
    }
    MaskedRows masked(layout);
    Bitmap owned;
    if (layout.bpp <= 8)
        owned.reset(paletteBitmap(in, layout, layout.bpp == 2 ? 8 : static_cast<int>(layout.bpp)));
    else if (layout.bpp == 24)
        owned.reset(FreeImage_Allocate(static_cast<int>(layout.width),
                                       static_cast<int>(layout.height), 24, FI_RGBA_RED_MASK,
                                       FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
    else
        owned.reset(masked.allocate(layout));
    FIBITMAP* bitmap = owned.get();
    if (bitmap == nullptr)
        return {};
    std::vector<unsigned char> row(static_cast<std::size_t>(stride));
    in.seekg(static_cast<std::streamoff>(layout.pixelsAt));
    for (std::uint32_t i = 0; i < layout.height; ++i) {
        if (i % kRowsPerStopCheck == 0 && stop.set())
            return {};
        const std::uint64_t want = i + 1 == layout.height ? rowBytes : stride;
        if (!in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(want))) {
            problem = cutShort();
            return {};
        }
        const std::uint32_t line = layout.topDown ? layout.height - 1 - i : i;
        BYTE* out = FreeImage_GetScanLine(bitmap, static_cast<int>(line));
        if (layout.bpp == 2) {
            for (std::uint32_t x = 0; x < layout.width; ++x)
                out[x] = static_cast<BYTE>(row[x / 4] >> (6 - 2 * (x % 4)) & 3);
        } else if (layout.bpp <= 8 || layout.bpp == 24) {
            std::memcpy(out, row.data(), static_cast<std::size_t>(rowBytes));
        } else {
            masked.convert(row.data(), out, layout.width);
        }
    }
    return layout.bpp == 16 || layout.bpp == 32 ? masked.finish(std::move(owned))
                                                : std::move(owned);
}

// A copy of a 256-colour bitmap in 32 bits, its pixels not marked in `written` transparent
// white; the bitmap itself when every pixel is marked. Null once `stop` is set.
Bitmap leftOutWhite(Bitmap bitmap, const Layout& layout, const std::vector<std::uint8_t>& written,
                    StopFlag stop) {
    const std::uint64_t pixels = std::uint64_t{layout.width} * layout.height;
    const auto marked = [&written](std::uint64_t i) {
        return (written[i >> 3] >> (i & 7) & 1) != 0;
    };
    std::uint64_t first = 0;
    while (first < pixels && marked(first))
        ++first;
    if (first == pixels)
        return bitmap;
    Bitmap rgba(FreeImage_ConvertTo32Bits(bitmap.get()));
    bitmap.reset();
    if (!rgba)
        return {};
    for (auto y = static_cast<std::uint32_t>(first / layout.width); y < layout.height; ++y) {
        if (y % kRowsPerStopCheck == 0 && stop.set())
            return {};
        BYTE* line = FreeImage_GetScanLine(rgba.get(), static_cast<int>(y));
        for (std::uint32_t x = 0; x < layout.width; ++x) {
            if (marked(std::uint64_t{y} * layout.width + x))
                continue;
            BYTE* pixel = line + 4 * std::size_t{x};
            pixel[FI_RGBA_RED] = pixel[FI_RGBA_GREEN] = pixel[FI_RGBA_BLUE] = 255;
            pixel[FI_RGBA_ALPHA] = 0;
        }
    }
    return rgba;
}

// RLE8 or RLE4 data as an 8-bit palette bitmap. Pixels the runs leave out (skipped by a
// delta, after an early end of line or of the picture) are transparent white, as an added
// palette entry when the palette has room for one, in a 32-bit bitmap otherwise.
Bitmap decodeRunLengths(std::istream& in, const Layout& layout, std::string& problem,
                        StopFlag stop) {
    // No valid stream needs more than two bytes a pixel and a few a row.
    const std::uint64_t most =
        2 * std::uint64_t{layout.width} * layout.height + 4 * std::uint64_t{layout.height} + 16;
    std::vector<unsigned char> data(
        static_cast<std::size_t>(std::min(layout.fileSize - layout.pixelsAt, most)));
    if (!readAt(in, layout.pixelsAt, data.data(), data.size())) {
        problem = cutShort();
        return {};
    }
    Bitmap owned(paletteBitmap(in, layout, 8));
    FIBITMAP* bitmap = owned.get();
    if (bitmap == nullptr)
        return {};
    const bool four = layout.compression == kRle4;
    const bool room = layout.colours < 256;
    const auto unset = static_cast<BYTE>(room ? layout.colours : 0);
    for (std::uint32_t y = 0; y < layout.height; ++y) {
        if (y % kRowsPerStopCheck == 0 && stop.set())
            return {};
        std::memset(FreeImage_GetScanLine(bitmap, static_cast<int>(y)), unset, layout.width);
    }

    // A full palette has no entry to spare: the pixels written are marked instead.
    std::vector<std::uint8_t> written(
        room ? 0 : static_cast<std::size_t>((std::uint64_t{layout.width} * layout.height + 7) / 8));
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::size_t at = 0;
    const auto put = [&](unsigned index) {
        if (x < layout.width && y < layout.height) {
            FreeImage_GetScanLine(bitmap, static_cast<int>(y))[x] = static_cast<BYTE>(index);
            if (!room) {
                const std::uint64_t bit = y * layout.width + x;
                written[bit >> 3] = static_cast<std::uint8_t>(written[bit >> 3] | 1U << (bit & 7));
            }
        }
        ++x;
    };
    // The flag is looked at every few thousand codes: each puts at most 255 pixels.
    for (unsigned codes = 1; at + 2 <= data.size() && y < layout.height; ++codes) {
        if (codes % 4096 == 0 && stop.set())
            return {};
        const unsigned count = data[at];
        const unsigned value = data[at + 1];
        at += 2;
        if (count > 0) { // a run of one index, or of two alternating ones
            for (unsigned k = 0; k < count; ++k)
                put(four ? (k % 2 == 0 ? value >> 4 : value & 15) : value);
        } else if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            break;
        } else if (value == 2) { // move right and up
            if (at + 2 > data.size())
                break;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else { // `value` indices as they are, padded to an even number of bytes
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            for (unsigned k = 0; k < value && at + (four ? k / 2 : k) < data.size(); ++k)
                put(four ? (data[at + k / 2] >> (k % 2 == 0 ? 4 : 0) & 15) : data[at + k]);
            at += bytes + bytes % 2;
        }
    }
    if (!room)
        return leftOutWhite(std::move(owned), layout, written, stop);
    bool leftOut = false;
    for (std::uint32_t line = 0; line < layout.height && !leftOut; ++line) {
        const BYTE* pixels = FreeImage_GetScanLine(bitmap, static_cast<int>(line));
        leftOut = std::memchr(pixels, unset, layout.width) != nullptr;
    }
    if (leftOut) {
        FreeImage_GetPalette(bitmap)[unset] = {255, 255, 255, 0};
        std::array<BYTE, 256> table{};
        std::fill_n(table.begin(), unset, BYTE{255});
        FreeImage_SetTransparencyTable(bitmap, table.data(), unset + 1);
    }
    return owned;
}

// The embedded picture's bytes: as many as the header says, else up to the end of the file.
std::optional<EmbeddedPicture> embeddedPicture(std::istream& in, const Layout& layout) {
    std::uint64_t size = layout.fileSize - layout.pixelsAt;
    if (layout.imageBytes != 0)
        size = std::min<std::uint64_t>(size, layout.imageBytes);
    EmbeddedPicture picture;
    picture.extension = layout.compression == kJpeg ? "jpg" : "png";
    picture.bytes.resize(static_cast<std::size_t>(size));
    if (!readAt(in, layout.pixelsAt, reinterpret_cast<unsigned char*>(picture.bytes.data()),
                picture.bytes.size()))
        return std::nullopt;
    return picture;
}

struct MemoryClose {
    void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};

// The embedded picture decoded by FreeImage from memory, refused by its header's size first;
// null once `stop` is set.
Bitmap decodeEmbedded(EmbeddedPicture& picture, std::string& problem, StopFlag stop) {
    const FREE_IMAGE_FORMAT format = picture.extension == "jpg" ? FIF_JPEG : FIF_PNG;
    std::unique_ptr<FIMEMORY, MemoryClose> memory(FreeImage_OpenMemory(
        reinterpret_cast<BYTE*>(picture.bytes.data()), static_cast<DWORD>(picture.bytes.size())));
    const Bitmap header(memory ? FreeImage_LoadFromMemory(format, memory.get(), FIF_LOAD_NOPIXELS)
                               : nullptr);
    if (!header) {
        problem = "damaged BMP: its " + std::string(format == FIF_JPEG ? "JPEG" : "PNG") +
                  " picture cannot be read";
        return {};
    }
    const unsigned width = FreeImage_GetWidth(header.get());
    const unsigned height = FreeImage_GetHeight(header.get());
    if (!formats::withinPixelLimit(width, height)) {
        problem = formats::pixelLimitReason(width, height);
        return {};
    }
    Bitmap bitmap = loadStoppable(format, picture.bytes.data(), picture.bytes.size(), 0, stop);
    if (!bitmap && !stop.set())
        problem = "damaged BMP: its " + std::string(format == FIF_JPEG ? "JPEG" : "PNG") +
                  " picture cannot be decoded";
    return bitmap;
}

std::uint64_t sizeOf(std::istream& in) {
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0);
    return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

} // namespace

bool hasBmpSignature(const std::string& narrowPath) {
    return fileShows(narrowPath, kindReadBy(Decoder::Bmp));
}

namespace {

Bitmap loadBmp(const platform::OpenedFile& file, std::string& problem, StopFlag stop) {
    platform::OpenedFileStream in(file);
    if (!in)
        return {};
    const std::optional<Layout> layout = readLayout(in, sizeOf(in), problem);
    if (!layout)
        return {};
    if (layout->embedded()) {
        std::optional<EmbeddedPicture> picture = embeddedPicture(in, *layout);
        if (!picture) {
            problem = "damaged BMP: its picture lies outside the file";
            return {};
        }
        return decodeEmbedded(*picture, problem, stop);
    }
    const bool runs = layout->compression == kRle8 || layout->compression == kRle4;
    Bitmap bitmap = runs ? decodeRunLengths(in, *layout, problem, stop)
                         : decodeRows(in, *layout, problem, stop);
    if (!bitmap && stop.set())
        return {};
    if (!bitmap) {
        if (problem.empty())
            problem = "not enough memory for its pixels";
        return {};
    }
    FreeImage_SetDotsPerMeterX(bitmap.get(), layout->resolution.x);
    FreeImage_SetDotsPerMeterY(bitmap.get(), layout->resolution.y);
    return bitmap;
}

} // namespace

Decoded loadBmp(const std::string& narrowPath, StopFlag stop) {
    return loadBmp(platform::OpenedFile(narrowPath), stop);
}

Decoded loadBmp(const platform::OpenedFile& file, StopFlag stop) {
    std::string problem;
    Bitmap bitmap = loadBmp(file, problem, stop);
    return decodedOrRefused(std::move(bitmap), std::move(problem), stop);
}

std::optional<EmbeddedPicture> bmpEmbeddedPicture(const std::string& narrowPath) {
    return bmpEmbeddedPicture(platform::OpenedFile(narrowPath));
}

std::optional<EmbeddedPicture> bmpEmbeddedPicture(const platform::OpenedFile& file) {
    platform::OpenedFileStream in(file);
    std::string problem;
    const std::optional<Layout> layout = in ? readLayout(in, sizeOf(in), problem) : std::nullopt;
    if (!layout || !layout->embedded())
        return std::nullopt;
    return embeddedPicture(in, *layout);
}

std::optional<DotsPerMeter> bmpResolution(const std::string& narrowPath) {
    return bmpResolution(platform::OpenedFile(narrowPath));
}

std::optional<DotsPerMeter> bmpResolution(const platform::OpenedFile& file) {
    platform::OpenedFileStream in(file);
    std::string problem;
    const std::optional<Layout> layout = in ? readLayout(in, sizeOf(in), problem) : std::nullopt;
    if (!layout || layout->embedded())
        return std::nullopt; // an embedded picture states its own
    return layout->resolution;
}

} // namespace pw::pictures
