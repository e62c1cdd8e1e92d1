#include "pictures/tiff_samples.h"

#include "pictures/decoded_picture.h"

#include <FreeImage.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <lcms2.h>
#include <limits>
#include <memory>
#include <string>
#include <tiffio.h>
#include <vector>

namespace pw::pictures {
namespace {

constexpr std::uint16_t kMostSamples = 16;
// Decoded bytes above which a strip of one plane is read a band of rows at a time.
constexpr std::size_t kLargeStrip = 16u << 20;

struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t photometric = 0;
    std::uint16_t bits = 1;
    std::uint16_t samples = 1;
    std::uint16_t format = SAMPLEFORMAT_UINT;
    bool planar = false; // one plane a sample
    bool tiled = false;
    std::uint32_t tileWidth = 0;
    std::uint32_t bandRows = 0; // rows of a strip, or of a row of tiles
    bool scanlines = false;     // bands of rows of a larger strip, read row by row
    int orientation = ORIENTATION_TOPLEFT;
    int colours = 1; // 1 for gray and palette, 3 for RGB
    int alpha = -1;  // the alpha sample, -1 for none
    bool premultiplied = false;
    int lab = 0; // PHOTOMETRIC_CIELAB or PHOTOMETRIC_ICCLAB for L*a*b* samples, 0 otherwise

    unsigned perPlane() const { return planar ? 1U : samples; }
    std::size_t rowBytes(std::uint32_t pixels) const {
        return static_cast<std::size_t>((std::uint64_t{pixels} * perPlane() * bits + 7) / 8);
    }
};

bool sampleBitsRead(const Layout& layout) {
    const bool palette = layout.photometric == PHOTOMETRIC_PALETTE;
    if (layout.lab != 0)
        return layout.format == SAMPLEFORMAT_UINT && (layout.bits == 8 || layout.bits == 16);
    switch (layout.format) {
    case SAMPLEFORMAT_UINT:
        return layout.bits >= 1 && layout.bits <= (palette ? 8 : 16);
    case SAMPLEFORMAT_INT:
        return !palette && (layout.bits == 8 || layout.bits == 16);
    case SAMPLEFORMAT_IEEEFP:
        return !palette && (layout.bits == 16 || layout.bits == 32 || layout.bits == 64);
    default:
        return false;
    }
}

bool readLayout(TIFF* tiff, Layout& layout) {
    if (TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &layout.width) != 1 ||
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &layout.height) != 1 ||
        TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &layout.photometric) != 1 || layout.width == 0 ||
        layout.height == 0)
        return false;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &layout.bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &layout.samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &layout.format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    layout.planar = planar == PLANARCONFIG_SEPARATE;
    layout.orientation = orientation;
    switch (layout.photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_PALETTE:
        layout.colours = 1;
        break;
    case PHOTOMETRIC_RGB:
        layout.colours = 3;
        break;
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB:
        layout.colours = 3;
        layout.lab = layout.photometric;
        break;
    default:
        return false;
    }
    if (layout.samples < layout.colours || layout.samples > kMostSamples || !sampleBitsRead(layout))
        return false;
    std::uint16_t* red = nullptr;
    std::uint16_t* green = nullptr;
    std::uint16_t* blue = nullptr;
    if (layout.photometric == PHOTOMETRIC_PALETTE &&
        TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) != 1)
        return false;
    std::uint16_t extras = 0;
    std::uint16_t* kinds = nullptr;
    if (layout.samples > layout.colours &&
        TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extras, &kinds) == 1 && extras > 0 &&
        (kinds[0] == EXTRASAMPLE_ASSOCALPHA || kinds[0] == EXTRASAMPLE_UNASSALPHA)) {
        layout.alpha = layout.colours;
        layout.premultiplied = kinds[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    layout.tiled = TIFFIsTiled(tiff) != 0;
    if (layout.tiled) {
        std::uint32_t tileLength = 0;
        if (TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &layout.tileWidth) != 1 ||
            TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileLength) != 1 || layout.tileWidth == 0 ||
            tileLength == 0 ||
            std::uint64_t{layout.tileWidth} * layout.perPlane() * layout.bits % 8)
            return false;
        layout.bandRows = tileLength;
    } else {
        std::uint32_t rows = 0;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rows);
        layout.bandRows = rows == 0 ? layout.height : std::min(rows, layout.height);
        // A strip of many megabytes (a whole page, as some writers make it) is decoded a few
        // rows at a time, so that its band stays small and the flag is looked at on the way.
        const std::size_t rowBytes = std::max<std::size_t>(layout.rowBytes(layout.width), 1);
        if (!layout.planar && rowBytes * layout.bandRows > kLargeStrip) {
            layout.scanlines = true;
            layout.bandRows = static_cast<std::uint32_t>(std::max<std::size_t>(
                1, std::min<std::size_t>(kLargeStrip / rowBytes, layout.bandRows)));
        }
    }
    return true;
}

// The decoded rows of one strip, or one row of tiles, plane by plane.
class Band {
public:
    explicit Band(const Layout& layout)
        : layout_(layout), rowBytes_(layout.rowBytes(layout.width)),
          planes_(layout.planar ? layout.samples : 1U) {
        // Two spare bytes let a sample of up to 16 bits be read through a 3-byte window.
        for (std::vector<std::uint8_t>& plane : planes_)
            plane.resize(rowBytes_ * layout.bandRows + 2);
        if (layout.tiled)
            tile_.resize(layout.rowBytes(layout.tileWidth) * layout.bandRows);
    }

    // Rows `first` to `first + rows` (at most one strip or row of tiles); false when the data
    // cannot be decoded or `stop` is set.
    bool read(TIFF* tiff, std::uint32_t first, std::uint32_t rows, StopFlag stop) {
        for (std::size_t plane = 0; plane < planes_.size(); ++plane) {
            const auto sample = static_cast<std::uint16_t>(plane);
            if (stop.set() || !(layout_.tiled ? readTiles(tiff, first, rows, sample)
                                              : readStrip(tiff, first, rows, sample)))
                return false;
        }
        return true;
    }

    // Row `row` of the band as stored (one plane: contiguous samples).
    const std::uint8_t* row(std::uint32_t row) const { return planes_[0].data() + row * rowBytes_; }

    // Sample `sample` of pixel `x` in row `row` of the band.
    std::uint64_t sample(std::uint32_t row, std::uint32_t x, int sample) const {
        const bool planar = layout_.planar;
        const std::uint8_t* line =
            planes_[planar ? static_cast<std::size_t>(sample) : 0].data() + row * rowBytes_;
        const std::size_t index =
            planar ? x : std::size_t{x} * layout_.samples + static_cast<std::size_t>(sample);
        switch (layout_.bits) {
        case 8:
            return line[index];
        case 16:
            return loaded<std::uint16_t>(line + 2 * index);
        case 32:
            return loaded<std::uint32_t>(line + 4 * index);
        case 64:
            return loaded<std::uint64_t>(line + 8 * index);
        default: {
            // Samples of other sizes are packed high bit first.
            const std::size_t bit = index * layout_.bits;
            const std::uint8_t* at = line + bit / 8;
            const std::uint32_t window =
                std::uint32_t{at[0]} << 16 | std::uint32_t{at[1]} << 8 | at[2];
            return window >> (24 - bit % 8 - layout_.bits) & ((1U << layout_.bits) - 1);
        }
        }
    }

private:
    template <typename T> static std::uint64_t loaded(const std::uint8_t* at) {
        T value = 0;
        std::memcpy(&value, at, sizeof value);
        return value;
    }

    bool readStrip(TIFF* tiff, std::uint32_t first, std::uint32_t rows, std::uint16_t plane) {
        if (layout_.scanlines) {
            for (std::uint32_t row = 0; row < rows; ++row) {
                if (TIFFReadScanline(tiff, planes_[plane].data() + row * rowBytes_, first + row,
                                     plane) != 1)
                    return false;
            }
            return true;
        }
        const auto wanted = static_cast<tmsize_t>(rows * rowBytes_);
        return TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, first, plane),
                                    planes_[plane].data(), wanted) >= wanted;
    }

    bool readTiles(TIFF* tiff, std::uint32_t first, std::uint32_t rows, std::uint16_t plane) {
        const std::size_t tileRow = layout_.rowBytes(layout_.tileWidth);
        for (std::uint32_t x = 0; x < layout_.width; x += layout_.tileWidth) {
            if (TIFFReadTile(tiff, tile_.data(), x, first, 0, plane) <
                static_cast<tmsize_t>(tile_.size()))
                return false;
            const std::size_t offset = layout_.rowBytes(x);
            const std::size_t count = std::min(tileRow, rowBytes_ - offset);
            for (std::uint32_t row = 0; row < rows; ++row)
                std::memcpy(planes_[plane].data() + row * rowBytes_ + offset,
                            tile_.data() + row * tileRow, count);
        }
        return true;
    }

    const Layout& layout_;
    std::size_t rowBytes_;
    std::vector<std::vector<std::uint8_t>> planes_;
    std::vector<std::uint8_t> tile_;
};

double halfValue(std::uint64_t bits) {
    const auto exponent = static_cast<int>(bits >> 10 & 0x1F);
    const auto mantissa = static_cast<double>(bits & 0x3FF);
    double magnitude = std::ldexp(mantissa + 1024.0, exponent - 25);
    if (exponent == 0)
        magnitude = std::ldexp(mantissa, -24);
    else if (exponent == 31)
        magnitude = mantissa == 0.0 ? std::numeric_limits<double>::infinity()
                                    : std::numeric_limits<double>::quiet_NaN();
    return (bits & 0x8000) != 0 ? -magnitude : magnitude;
}

// A colour or alpha sample as a level of `depth` bits, 0 for the least value of its kind.
unsigned level(std::uint64_t raw, const Layout& layout, int depth) {
    const std::uint64_t top = (1ULL << depth) - 1;
    if (layout.format == SAMPLEFORMAT_IEEEFP) {
        double value = 0.0;
        if (layout.bits == 16) {
            value = halfValue(raw);
        } else if (layout.bits == 32) {
            float single = 0.0F;
            const auto word = static_cast<std::uint32_t>(raw);
            std::memcpy(&single, &word, sizeof single);
            value = single;
        } else {
            std::memcpy(&value, &raw, sizeof value);
        }
        if (!(value > 0.0)) // NaN too
            return 0;
        return value >= 1.0 ? static_cast<unsigned>(top)
                            : static_cast<unsigned>(value * static_cast<double>(top) + 0.5);
    }
    // Signed 16-bit samples start at their least value, black (as ImageMagick shows them);
    // signed bytes are shown as stored, as libtiff's own reader, ImageMagick and Pillow do.
    if (layout.format == SAMPLEFORMAT_INT && layout.bits > 8)
        raw ^= 1ULL << (layout.bits - 1); // two's complement to offset binary
    const std::uint64_t most = (1ULL << layout.bits) - 1;
    return static_cast<unsigned>((raw * top + most / 2) / most);
}

// The page's colour map in 8 bits a sample; writers that store 8-bit values in the 16-bit
// table are recognised as libtiff recognises them.
std::vector<RGBQUAD> colourMap(TIFF* tiff, int bits) {
    std::uint16_t* red = nullptr;
    std::uint16_t* green = nullptr;
    std::uint16_t* blue = nullptr;
    TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue);
    const std::size_t entries = std::size_t{1} << bits;
    bool eightBit = true;
    for (std::size_t i = 0; i < entries; ++i)
        eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
    const auto eight = [eightBit](std::uint16_t value) {
        return static_cast<BYTE>(eightBit ? value : (value * 255U + 32767U) / 65535U);
    };
    std::vector<RGBQUAD> map(entries);
    for (std::size_t i = 0; i < entries; ++i)
        map[i] = {eight(blue[i]), eight(green[i]), eight(red[i]), 0};
    return map;
}

// L*a*b* samples turned into sRGB by Little CMS, a row at a time: relative to the page's white
// point (the WhitePoint tag, by default D50 as libtiff and Adobe's TIFF notes have it), so that
// white stays white.
class LabRows {
public:
    LabRows(TIFF* tiff, const Layout& layout) : layout_(layout) {
        float* white = nullptr;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_WHITEPOINT, &white);
        const cmsCIExyY point{white != nullptr ? white[0] : 0.3457,
                              white != nullptr ? white[1] : 0.3585, 1.0};
        cmsHPROFILE lab = cmsCreateLab4Profile(&point);
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        const bool deep = layout.bits == 16;
        if (lab != nullptr && srgb != nullptr)
            transform_ =
                cmsCreateTransform(lab, TYPE_Lab_DBL, srgb, deep ? TYPE_RGB_16 : TYPE_RGB_8,
                                   INTENT_RELATIVE_COLORIMETRIC, 0);
        if (lab != nullptr)
            cmsCloseProfile(lab);
        if (srgb != nullptr)
            cmsCloseProfile(srgb);
    }
    ~LabRows() {
        if (transform_ != nullptr)
            cmsDeleteTransform(transform_);
    }
    LabRows(const LabRows&) = delete;
    LabRows& operator=(const LabRows&) = delete;

    bool ready() const { return transform_ != nullptr; }

    // Band row `row` in 8- or 16-bit RGB levels, three a pixel.
    const std::vector<unsigned>& convert(const Band& band, std::uint32_t row) {
        const std::uint32_t width = layout_.width;
        lab_.resize(std::size_t{width} * 3);
        const bool deep = layout_.bits == 16;
        const double top = deep ? 65535.0 : 255.0;
        for (std::uint32_t x = 0; x < width; ++x) {
            double* pixel = &lab_[std::size_t{x} * 3];
            pixel[0] = static_cast<double>(band.sample(row, x, 0)) * 100.0 / top;
            for (int c = 1; c < 3; ++c) {
                const auto raw = static_cast<std::int64_t>(band.sample(row, x, c));
                // CIELAB stores a* and b* as signed numbers, ICCLAB with an offset of half.
                const std::int64_t half = deep ? 32768 : 128;
                const std::int64_t value = layout_.lab == PHOTOMETRIC_CIELAB
                                               ? (raw >= half ? raw - 2 * half : raw)
                                               : raw - half;
                pixel[c] = static_cast<double>(value) / (deep ? 256.0 : 1.0);
            }
        }
        rgb16_.resize(std::size_t{width} * 3);
        rgb8_.resize(std::size_t{width} * 3);
        cmsDoTransform(transform_, lab_.data(),
                       deep ? static_cast<void*>(rgb16_.data()) : static_cast<void*>(rgb8_.data()),
                       width);
        levels_.resize(std::size_t{width} * 3);
        for (std::size_t i = 0; i < levels_.size(); ++i)
            levels_[i] = deep ? rgb16_[i] : rgb8_[i];
        return levels_;
    }

private:
    const Layout& layout_;
    cmsHTRANSFORM transform_ = nullptr;
    std::vector<double> lab_;
    std::vector<std::uint16_t> rgb16_;
    std::vector<std::uint8_t> rgb8_;
    std::vector<unsigned> levels_;
};

enum class Output { Indexed, Gray16, Rgb8, Rgba8, Rgb16, Rgba16 };

// How stored samples become the values of a bitmap's pixels.
class Pixels {
public:
    Pixels(TIFF* tiff, const Layout& layout)
        : layout_(layout), palette_(layout.photometric == PHOTOMETRIC_PALETTE),
          inverted_(layout.photometric == PHOTOMETRIC_MINISWHITE),
          depth_(layout.bits > 8 || layout.format == SAMPLEFORMAT_IEEEFP ? 16 : 8),
          indexBits_(layout.bits == 1 || layout.bits == 4 ? layout.bits : 8) {
        if (layout.alpha >= 0)
            output_ = depth_ == 16 ? Output::Rgba16 : Output::Rgba8;
        else if (layout.colours == 3)
            output_ = depth_ == 16 ? Output::Rgb16 : Output::Rgb8;
        else if (depth_ == 16)
            output_ = Output::Gray16;
        if (palette_)
            map_ = colourMap(tiff, layout.bits);
    }

    Output output() const { return output_; }
    int indexBits() const { return indexBits_; }
    bool gray() const {
        return !palette_ && (output_ == Output::Indexed || output_ == Output::Gray16);
    }
    bool opaque() const { return opaque_; }

    // The palette of an indexed bitmap: the page's colour map, or gray levels.
    void fillPalette(RGBQUAD* entries) const {
        const unsigned count = 1U << indexBits_;
        for (unsigned i = 0; i < count; ++i) {
            const auto level = static_cast<BYTE>(i * 255 / (count - 1));
            entries[i] = palette_ ? (i < map_.size() ? map_[i] : RGBQUAD{})
                                  : RGBQUAD{level, level, level, 0};
        }
    }

    // Pixel `column` of band row `row`: an index, or red, green, blue and alpha levels; for
    // L*a*b* pages the colour levels are `converted`, the row in RGB.
    void value(const Band& band, std::uint32_t row, std::uint32_t column, unsigned* value,
               const std::vector<unsigned>* converted = nullptr) {
        const unsigned top = (1U << depth_) - 1;
        value[3] = top;
        if (output_ == Output::Indexed) {
            value[0] = palette_ ? static_cast<unsigned>(band.sample(row, column, 0))
                                : level(band.sample(row, column, 0), layout_, indexBits_);
            if (inverted_)
                value[0] = (1U << indexBits_) - 1 - value[0];
            return;
        }
        if (converted != nullptr) {
            for (std::size_t c = 0; c < 3; ++c)
                value[c] = (*converted)[std::size_t{column} * 3 + c];
        } else if (palette_) {
            const RGBQUAD& entry = map_[band.sample(row, column, 0)];
            value[0] = entry.rgbRed;
            value[1] = entry.rgbGreen;
            value[2] = entry.rgbBlue;
        } else {
            for (int c = 0; c < layout_.colours; ++c) {
                value[c] = level(band.sample(row, column, c), layout_, depth_);
                if (inverted_)
                    value[c] = top - value[c];
            }
            if (layout_.colours == 1)
                value[1] = value[2] = value[0];
        }
        if (layout_.alpha < 0)
            return;
        const unsigned alpha = level(band.sample(row, column, layout_.alpha), layout_, depth_);
        value[3] = alpha;
        opaque_ = opaque_ && alpha == top;
        for (int c = 0; layout_.premultiplied && c < 3; ++c)
            value[c] = alpha == 0 ? 0 : std::min(top, (value[c] * top + alpha / 2) / alpha);
    }

private:
    const Layout& layout_;
    bool palette_;
    bool inverted_;
    int depth_;
    int indexBits_;
    Output output_ = Output::Indexed;
    std::vector<RGBQUAD> map_;
    bool opaque_ = true;
};

// Where the pixels go: a FreeImage bitmap as the page is shown.
class Target {
public:
    Target(const Layout& layout, Output output, int indexBits)
        : output_(output), indexBits_(indexBits) {
        const bool turned = layout.orientation >= 5 && layout.orientation <= 8;
        const auto width = static_cast<int>(turned ? layout.height : layout.width);
        height_ = static_cast<int>(turned ? layout.width : layout.height);
        switch (output) {
        case Output::Indexed:
            bitmap_ = FreeImage_Allocate(width, height_, indexBits);
            break;
        case Output::Gray16:
            bitmap_ = FreeImage_AllocateT(FIT_UINT16, width, height_);
            break;
        case Output::Rgb8:
        case Output::Rgba8:
            bitmap_ = FreeImage_Allocate(width, height_, output == Output::Rgb8 ? 24 : 32,
                                         FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
            break;
        case Output::Rgb16:
            bitmap_ = FreeImage_AllocateT(FIT_RGB16, width, height_);
            break;
        case Output::Rgba16:
            bitmap_ = FreeImage_AllocateT(FIT_RGBA16, width, height_);
            break;
        }
    }

    FIBITMAP* bitmap() const { return bitmap_; }

    // Pixel (x, y) as shown: an index, or red, green, blue and alpha levels.
    void put(int x, int y, const unsigned* value) {
        BYTE* line = FreeImage_GetScanLine(bitmap_, height_ - 1 - y); // bottom row first
        switch (output_) {
        case Output::Indexed:
            putIndex(line, x, value[0]);
            break;
        case Output::Gray16:
            reinterpret_cast<WORD*>(line)[x] = static_cast<WORD>(value[0]);
            break;
        case Output::Rgb8:
        case Output::Rgba8: {
            BYTE* pixel = line + (output_ == Output::Rgb8 ? 3 : 4) * x;
            pixel[FI_RGBA_RED] = static_cast<BYTE>(value[0]);
            pixel[FI_RGBA_GREEN] = static_cast<BYTE>(value[1]);
            pixel[FI_RGBA_BLUE] = static_cast<BYTE>(value[2]);
            if (output_ == Output::Rgba8)
                pixel[FI_RGBA_ALPHA] = static_cast<BYTE>(value[3]);
            break;
        }
        case Output::Rgb16:
            reinterpret_cast<FIRGB16*>(line)[x] = {static_cast<WORD>(value[0]),
                                                   static_cast<WORD>(value[1]),
                                                   static_cast<WORD>(value[2])};
            break;
        case Output::Rgba16:
            reinterpret_cast<FIRGBA16*>(line)[x] = {
                static_cast<WORD>(value[0]), static_cast<WORD>(value[1]),
                static_cast<WORD>(value[2]), static_cast<WORD>(value[3])};
            break;
        }
    }

private:
    void putIndex(BYTE* line, int x, unsigned index) const {
        if (indexBits_ == 8) {
            line[x] = static_cast<BYTE>(index);
            return;
        }
        // 1 and 4 bits a pixel, the leftmost pixel in the high bits.
        const int perByte = 8 / indexBits_;
        const int shift = (perByte - 1 - x % perByte) * indexBits_;
        BYTE& byte = line[x / perByte];
        const unsigned mask = ((1U << indexBits_) - 1) << shift;
        byte = static_cast<BYTE>((byte & ~mask) | (index << shift & mask));
    }

    Output output_;
    int indexBits_;
    int height_ = 0;
    FIBITMAP* bitmap_ = nullptr;
};

// The profile when it describes the samples the bitmap holds: gray for gray, RGB otherwise.
void attachProfile(TIFF* tiff, FIBITMAP* bitmap, bool gray) {
    std::uint32_t size = 0;
    void* data = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &size, &data) != 1 || data == nullptr || size < 20)
        return;
    if (std::memcmp(static_cast<const char*>(data) + 16, gray ? "GRAY" : "RGB ", 4) == 0)
        FreeImage_CreateICCProfile(bitmap, data, static_cast<long>(size));
}

// 8-bit gray or RGB rows shown as stored, the usual scan: copied a row at a time, since going
// pixel by pixel through the general path takes several times as long.
bool copiesRows(const Layout& layout) {
    return layout.bits == 8 && layout.format == SAMPLEFORMAT_UINT && !layout.planar &&
           layout.orientation == ORIENTATION_TOPLEFT && layout.alpha < 0 &&
           (layout.photometric == PHOTOMETRIC_RGB || layout.photometric == PHOTOMETRIC_MINISBLACK);
}

void copyRow(const std::uint8_t* from, const Layout& layout, BYTE* to) {
    const std::size_t step = layout.samples;
    if (layout.colours == 1 && step == 1) {
        std::memcpy(to, from, layout.width);
        return;
    }
    for (std::uint32_t x = 0; x < layout.width; ++x, from += step) {
        if (layout.colours == 1) {
            *to++ = from[0];
            continue;
        }
        to[FI_RGBA_RED] = from[0];
        to[FI_RGBA_GREEN] = from[1];
        to[FI_RGBA_BLUE] = from[2];
        to += 3;
    }
}

} // namespace

bool hasPlainSamples(TIFF* tiff) {
    Layout layout;
    return readLayout(tiff, layout);
}

FIBITMAP* readTiffSamples(TIFF* tiff, StopFlag stop) {
    Layout layout;
    if (!readLayout(tiff, layout))
        return nullptr;
    Pixels pixels(tiff, layout);
    Target target(layout, pixels.output(), pixels.indexBits());
    FIBITMAP* bitmap = target.bitmap();
    if (bitmap == nullptr)
        return nullptr;
    if (pixels.output() == Output::Indexed)
        pixels.fillPalette(FreeImage_GetPalette(bitmap));
    Band band(layout);
    const bool byRows = copiesRows(layout);
    std::unique_ptr<LabRows> lab;
    if (layout.lab != 0) {
        lab = std::make_unique<LabRows>(tiff, layout);
        if (!lab->ready()) {
            FreeImage_Unload(bitmap);
            return nullptr;
        }
    }
    for (std::uint32_t first = 0; first < layout.height; first += layout.bandRows) {
        const std::uint32_t rows = std::min(layout.bandRows, layout.height - first);
        if (!band.read(tiff, first, rows, stop)) {
            FreeImage_Unload(bitmap);
            return nullptr;
        }
        for (std::uint32_t row = 0; row < rows && byRows; ++row)
            copyRow(band.row(row), layout,
                    FreeImage_GetScanLine(bitmap, layout.height - 1 - first - row));
        for (std::uint32_t row = 0; row < rows && !byRows; ++row) {
            if (row % kRowsPerStopCheck == 0 && stop.set())
                break;
            const std::vector<unsigned>* converted = lab ? &lab->convert(band, row) : nullptr;
            for (std::uint32_t column = 0; column < layout.width; ++column) {
                unsigned value[4] = {0, 0, 0, 0};
                pixels.value(band, row, column, value, converted);
                int x = 0;
                int y = 0;
                shownPosition(layout.orientation, static_cast<int>(column),
                              static_cast<int>(first + row), static_cast<int>(layout.width),
                              static_cast<int>(layout.height), x, y);
                target.put(x, y, value);
            }
        }
    }
    if (stop.set()) {
        FreeImage_Unload(bitmap);
        return nullptr;
    }
    if (layout.alpha >= 0 && pixels.opaque()) {
        FIBITMAP* solid = pixels.output() == Output::Rgba8 ? FreeImage_ConvertTo24Bits(bitmap)
                                                           : FreeImage_ConvertToRGB16(bitmap);
        FreeImage_Unload(bitmap);
        bitmap = solid;
    }
    if (bitmap != nullptr)
        attachProfile(tiff, bitmap, pixels.gray());
    return bitmap;
}

} // namespace pw::pictures
