#include "staging/bilevel_staging.h"

#include "formats/g4_tiff.h"
#include "formats/jbig2_page.h"
#include "formats/pixel_limit.h"
#include "formats/tiff_page.h"
#include "jbig2/encoder.h"
#include "jobfiles/staged_names.h"
#include "pictures/picture_resolution.h"
#include "pictures/picture_size_check.h"
#include "platform/files.h"

#include <FreeImage.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <tiffio.h>
#include <vector>

namespace pw::staging {
namespace {

enum Tone : std::uint8_t { kBlack, kWhite, kOther };

Tone toneOf(BYTE red, BYTE green, BYTE blue) {
    if (red == 0 && green == 0 && blue == 0)
        return kBlack;
    return red == 255 && green == 255 && blue == 255 ? kWhite : kOther;
}

// The tone of each palette entry of a 1, 4 or 8-bit bitmap; entries not fully opaque are
// neither black nor white.
std::array<Tone, 256> paletteTones(FIBITMAP* bitmap) {
    std::array<Tone, 256> tones{};
    tones.fill(kOther);
    const RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    const unsigned entries = std::min(FreeImage_GetColorsUsed(bitmap), 256u);
    for (unsigned i = 0; palette != nullptr && i < entries; ++i)
        tones[i] = toneOf(palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue);
    if (FreeImage_IsTransparent(bitmap)) {
        const BYTE* alpha = FreeImage_GetTransparencyTable(bitmap);
        const unsigned count = std::min(FreeImage_GetTransparencyCount(bitmap), 256u);
        for (unsigned i = 0; alpha != nullptr && i < count; ++i) {
            if (alpha[i] != 255)
                tones[i] = kOther;
        }
    }
    return tones;
}

// The pixels of one FreeImage row by tone.
class RowTones {
public:
    explicit RowTones(FIBITMAP* bitmap)
        : bpp_(FreeImage_GetBPP(bitmap)),
          tones_(bpp_ <= 8 ? paletteTones(bitmap) : std::array<Tone, 256>{}) {}

    Tone at(const BYTE* row, unsigned x) const {
        switch (bpp_) {
        case 1:
            return tones_[(row[x >> 3] >> (7 - (x & 7))) & 1];
        case 4:
            return tones_[(row[x >> 1] >> ((x & 1) != 0 ? 0 : 4)) & 15];
        case 8:
            return tones_[row[x]];
        case 24:
            row += 3 * std::size_t{x};
            return toneOf(row[FI_RGBA_RED], row[FI_RGBA_GREEN], row[FI_RGBA_BLUE]);
        default:
            row += 4 * std::size_t{x};
            return row[FI_RGBA_ALPHA] != 255
                       ? kOther
                       : toneOf(row[FI_RGBA_RED], row[FI_RGBA_GREEN], row[FI_RGBA_BLUE]);
        }
    }
    // Every entry a pixel can name is black or white.
    bool paletteBilevel() const {
        if (bpp_ > 8)
            return false;
        for (unsigned i = 0; i < (1u << bpp_); ++i) {
            if (tones_[i] == kOther)
                return false;
        }
        return true;
    }
    // A 1-bit row is stored with 1 for black as it is, or inverted.
    bool plainBits() const { return bpp_ == 1 && tones_[0] == kWhite && tones_[1] == kBlack; }
    bool invertedBits() const { return bpp_ == 1 && tones_[0] == kBlack && tones_[1] == kWhite; }

private:
    unsigned bpp_;
    std::array<Tone, 256> tones_;
};

bool knownLayout(FIBITMAP* bitmap) {
    const unsigned bpp = FreeImage_GetBPP(bitmap);
    return FreeImage_GetImageType(bitmap) == FIT_BITMAP &&
           (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32);
}

// The bitmap's resolution for the TIFF tags: a PNG or BMP file's exact one, else the bitmap's,
// in whole dots per inch when it is that within what dots per metre can hold.
void setResolution(FIBITMAP* bitmap, const pictures::PictureFile& source, formats::G4Tiff& page) {
    formats::Resolution resolution;
    if (const std::optional<formats::Resolution> exact =
            pictures::metricResolution(source.file, source.kind)) {
        resolution = *exact;
    } else {
        const auto dpi = [](unsigned perMetre) {
            const double value = perMetre * formats::kMetresPerInch;
            return std::abs(value - std::round(value)) < 0.02 ? std::round(value) : value;
        };
        resolution = {dpi(FreeImage_GetDotsPerMeterX(bitmap)),
                      dpi(FreeImage_GetDotsPerMeterY(bitmap))};
    }
    if (!resolution.stated())
        return;
    page.xResolution = static_cast<float>(resolution.xDpi);
    page.yResolution = static_cast<float>(resolution.yDpi);
    page.resolutionUnit = RESUNIT_INCH;
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// Opens target for a one-strip Group 4 page of `page`'s size and resolution.
std::unique_ptr<TIFF, TiffCloser> openPage(const std::string& target, const formats::G4Tiff& page) {
    std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(target.c_str(), "w"));
    if (!tiff)
        return tiff;
    TIFF* t = tiff.get();
    bool set = TIFFSetField(t, TIFFTAG_IMAGEWIDTH, page.width) == 1 &&
               TIFFSetField(t, TIFFTAG_IMAGELENGTH, page.height) == 1 &&
               TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1) == 1 &&
               TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1) == 1 &&
               TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4) == 1 &&
               TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                            page.blackIs1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE) == 1 &&
               TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB) == 1 &&
               TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == 1 &&
               TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, page.height) == 1;
    if (set && page.xResolution > 0.0F && page.yResolution > 0.0F)
        set = TIFFSetField(t, TIFFTAG_XRESOLUTION, page.xResolution) == 1 &&
              TIFFSetField(t, TIFFTAG_YRESOLUTION, page.yResolution) == 1 &&
              TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, page.resolutionUnit) == 1;
    if (!set)
        tiff.reset();
    return tiff;
}

// Closes the page, keeping target only when everything was written.
bool finish(std::unique_ptr<TIFF, TiffCloser> tiff, bool written, const std::string& target) {
    if (tiff && written)
        written = TIFFWriteDirectory(tiff.get()) == 1;
    if (tiff)
        TIFFClose(tiff.release());
    if (!written)
        platform::removeFile(target); // never leave a half-written picture for the builder
    return written;
}

// The page as a staged JBIG2 page: its header, then the stream.
bool writeJbig2Page(const std::string& target, const formats::G4Tiff& page,
                    const std::vector<std::uint8_t>& stream) {
    formats::Jbig2Page header;
    header.width = page.width;
    header.height = page.height;
    header.xResolution = page.xResolution;
    header.yResolution = page.yResolution;
    header.resolutionUnit = page.resolutionUnit;
    const std::string lead = formats::jbig2PageHeader(header);
    std::FILE* file = std::fopen(target.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = std::fwrite(lead.data(), 1, lead.size(), file) == lead.size() &&
                   std::fwrite(stream.data(), 1, stream.size(), file) == stream.size();
    written = std::fclose(file) == 0 && written;
    return written;
}

// A bilevel page written row by row, top first, in the coding the target's name says; each row
// holds 1 for black, or for white when `page` says blackIs1 (black stored as 0).
class PageWriter {
public:
    PageWriter(const std::string& target, const formats::G4Tiff& page)
        : target_(target), page_(page), jbig2_(jobfiles::isJbig2Name(target)) {
        if (jbig2_)
            coder_.emplace(page.width, page.height);
        else
            tiff_ = openPage(target, page);
    }

    bool opened() const { return jbig2_ || tiff_ != nullptr; }

    bool add(const std::uint8_t* row, std::uint32_t y) {
        if (jbig2_) {
            coder_->addRow(row, !page_.blackIs1);
            return true;
        }
        return TIFFWriteScanline(tiff_.get(), const_cast<std::uint8_t*>(row), y, 0) == 1;
    }

    // Closes the page, keeping the target only when every row was written.
    bool finish(bool written) {
        if (!jbig2_)
            return staging::finish(std::move(tiff_), written, target_);
        written = written && opened() && writeJbig2Page(target_, page_, coder_->finish());
        if (!written)
            platform::removeFile(target_);
        return written;
    }

private:
    std::string target_;
    formats::G4Tiff page_;
    bool jbig2_;
    std::optional<jbig2::PageCoder> coder_;
    std::unique_ptr<TIFF, TiffCloser> tiff_;
};

} // namespace

std::string bilevelTarget(const std::string& stem, jobfiles::BilevelCoding coding) {
    return stem + (coding == jobfiles::BilevelCoding::G4 ? ".tif" : ".jb2");
}

bool isBilevel(FIBITMAP* bitmap) {
    if (bitmap == nullptr || !knownLayout(bitmap) ||
        FreeImage_GetWidth(bitmap) > formats::kMostG4Width)
        return false;
    const RowTones tones(bitmap);
    if (tones.paletteBilevel())
        return true;
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(bitmap, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x) {
            if (tones.at(row, x) == kOther)
                return false;
        }
    }
    return true;
}

bool writeBilevelPage(const std::string& target, const formats::G4Tiff& page,
                      const std::function<const std::uint8_t*()>& nextRow,
                      pictures::StopFlag stop) {
    formats::G4Tiff coded = page;
    coded.blackIs1 = false; // 1 for black is "min is white"
    PageWriter writer(target, coded);
    bool written = writer.opened();
    for (std::uint32_t y = 0; written && y < page.height; ++y) {
        written = (y % pictures::kRowsPerStopCheck != 0 || !stop.set()) && writer.add(nextRow(), y);
    }
    return writer.finish(written);
}

bool saveBilevelBitmap(FIBITMAP* bitmap, const pictures::PictureFile& source,
                       const std::string& target, pictures::StopFlag stop) {
    formats::G4Tiff page;
    page.width = FreeImage_GetWidth(bitmap);
    page.height = FreeImage_GetHeight(bitmap);
    setResolution(bitmap, source, page);
    const RowTones tones(bitmap);
    std::vector<std::uint8_t> row((page.width + 7) / 8);
    int y = static_cast<int>(page.height);
    return writeBilevelPage(
        target, page,
        [&]() -> const std::uint8_t* {
            const BYTE* line = FreeImage_GetScanLine(bitmap, --y); // FreeImage keeps rows bottom up
            if (tones.plainBits() || tones.invertedBits()) {
                const BYTE flip = tones.invertedBits() ? 0xFF : 0x00;
                for (std::size_t i = 0; i < row.size(); ++i)
                    row[i] = line[i] ^ flip;
                return row.data();
            }
            std::fill(row.begin(), row.end(), 0);
            for (unsigned x = 0; x < page.width; ++x) {
                if (tones.at(line, x) == kBlack)
                    row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
            }
            return row.data();
        },
        stop);
}

TiffBilevelPages::TiffBilevelPages(const pictures::PictureFile& source, pictures::StopFlag stop)
    : source_(source), stop_(stop), g4_(source.file.descriptor(), source.narrowPath) {}

TiffBilevelPages::~TiffBilevelPages() {
    if (tiff_ != nullptr)
        TIFFClose(tiff_);
}

bool TiffBilevelPages::stage(int page, const std::string& target) {
    return stageG4(page, target) || stageBilevel(page, target);
}

bool TiffBilevelPages::stageBilevel(int page, const std::string& target) {
    if (!opened_) {
        opened_ = true;
        tiff_ = formats::openTiffDescriptor(source_.file.descriptor(), source_.narrowPath);
        current_ = tiff_ != nullptr ? 1 : 0;
    }
    TIFF* in = tiff_;
    if (in == nullptr || !formats::selectTiffPage(in, current_, page) || TIFFIsTiled(in))
        return false;
    formats::chooseFaxDecoding(in, source_.file.descriptor(), page);
    formats::G4Tiff found;
    std::uint16_t bits = 0;
    std::uint16_t samples = 1;
    std::uint16_t photometric = 0;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(in, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(in, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(in, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(in, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(in, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (TIFFGetField(in, TIFFTAG_IMAGEWIDTH, &found.width) != 1 ||
        TIFFGetField(in, TIFFTAG_IMAGELENGTH, &found.height) != 1 ||
        TIFFGetField(in, TIFFTAG_PHOTOMETRIC, &photometric) != 1 || bits != 1 || samples != 1 ||
        photometric > PHOTOMETRIC_MINISBLACK || orientation != ORIENTATION_TOPLEFT ||
        found.width == 0 || found.height == 0 ||
        !formats::withinPixelLimit(found.width, found.height) ||
        TIFFIsCODECConfigured(compression) != 1 ||
        !pictures::tiffDataTooShort(in, source_.file.size()).empty())
        return false;
    // The tags go over as they are: the builder reads them by the same rules as staging.
    if (TIFFGetField(in, TIFFTAG_XRESOLUTION, &found.xResolution) == 1 &&
        TIFFGetField(in, TIFFTAG_YRESOLUTION, &found.yResolution) == 1) {
        found.resolutionUnit = unit;
    } else {
        found.xResolution = found.yResolution = 0.0F;
    }
    // The rows go over as libtiff reads them, in the page's own sense of black.
    found.blackIs1 = photometric == PHOTOMETRIC_MINISBLACK;
    PageWriter writer(target, found);
    // Whole strips at a time: libtiff inflates Deflate data with libdeflate only so, and with
    // zlib, row by row, over twice as long.
    const std::size_t rowBytes = (std::size_t{found.width} + 7) / 8;
    std::uint32_t stripRows = found.height;
    TIFFGetFieldDefaulted(in, TIFFTAG_ROWSPERSTRIP, &stripRows);
    stripRows = std::clamp<std::uint32_t>(stripRows, 1, found.height);
    std::vector<std::uint8_t> strip;
    bool written = writer.opened() && static_cast<std::size_t>(TIFFScanlineSize(in)) == rowBytes &&
                   static_cast<std::size_t>(TIFFStripSize(in)) == rowBytes * stripRows;
    if (written)
        strip.resize(rowBytes * stripRows);
    for (std::uint32_t y = 0; written && y < found.height; y += stripRows) {
        const std::uint32_t rows = std::min(stripRows, found.height - y);
        const auto bytes = static_cast<tmsize_t>(rowBytes * rows);
        written = !stop_.set() && TIFFReadEncodedStrip(in, TIFFComputeStrip(in, y, 0), strip.data(),
                                                       bytes) == bytes;
        for (std::uint32_t k = 0; written && k < rows; ++k) {
            written = ((y + k) % pictures::kRowsPerStopCheck != 0 || !stop_.set()) &&
                      writer.add(strip.data() + k * rowBytes, y + k);
        }
    }
    return writer.finish(written);
}

bool TiffBilevelPages::stageG4(int page, const std::string& target) {
    std::string reason;
    if (jobfiles::isJbig2Name(target)) {
        // Decoded by libtiff alone: the data is coded anew, so PDF readers never see it.
        std::vector<std::uint8_t> rows;
        const std::optional<formats::G4Tiff> found = g4_.decode(page, reason, rows);
        if (!found || stop_.set())
            return false;
        PageWriter writer(target, *found);
        const std::size_t rowBytes = (std::size_t{found->width} + 7) / 8;
        bool written = writer.opened() && rows.size() == rowBytes * found->height;
        for (std::uint32_t y = 0; written && y < found->height; ++y)
            written = writer.add(rows.data() + y * rowBytes, y);
        return writer.finish(written);
    }
    std::string strip;
    const std::optional<formats::G4Tiff> found = g4_.read(page, reason, &strip);
    if (!found)
        return false;
    std::unique_ptr<TIFF, TiffCloser> tiff = openPage(target, *found);
    const bool written =
        tiff != nullptr &&
        TIFFWriteRawStrip(tiff.get(), 0, strip.data(), static_cast<tmsize_t>(strip.size())) ==
            static_cast<tmsize_t>(strip.size());
    return finish(std::move(tiff), written, target);
}

} // namespace pw::staging
