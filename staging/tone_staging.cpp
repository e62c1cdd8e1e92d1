#include "staging/tone_staging.h"

#include "formats/g4_tiff.h"
#include "formats/jpeg_info.h"
#include "formats/png_info.h"
#include "pictures/format_table.h"
#include "pictures/png_rows.h"
#include "platform/files.h"
#include "staging/bilevel_staging.h"
#include "staging/bitmap_edits.h"
#include "staging/grey_pictures.h"
#include "staging/lossless_staging.h"
#include "staging/page_skew.h"
#include "staging/picture_files.h"
#include "staging/png_rows_jpeg.h"
#include "staging/resolution_ceiling.h"
#include "staging/rgb_jpeg.h"

#include <FreeImage.h>
#include <algorithm>
#include <array>
#include <optional>
#include <sys/stat.h>
#include <tiffio.h>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace pw::staging {
namespace {

// Bit k of a byte moved to bit 7 - k: SSE2's movemask gives the first pixel the low bit.
constexpr std::array<std::uint8_t, 256> kReversed = [] {
    std::array<std::uint8_t, 256> reversed{};
    for (unsigned i = 0; i < 256; ++i) {
        for (unsigned k = 0; k < 8; ++k)
            reversed[i] |= static_cast<std::uint8_t>(((i >> k) & 1) << (7 - k));
    }
    return reversed;
}();

// Packs a row of 8-bit gray samples into bits, high bit first, 1 for black; false at a sample
// neither 0 nor 255.
bool packBilevelRow(const std::uint8_t* p, std::uint32_t width, std::uint8_t* out) {
    std::uint32_t x = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi8(-1);
    for (; x + 16 <= width; x += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x));
        const __m128i dark = _mm_cmpeq_epi8(v, zero);
        if (_mm_movemask_epi8(_mm_or_si128(dark, _mm_cmpeq_epi8(v, full))) != 0xFFFF)
            return false;
        const auto bits = static_cast<unsigned>(_mm_movemask_epi8(dark));
        out[x >> 3] = kReversed[bits & 0xFF];
        out[(x >> 3) + 1] = kReversed[bits >> 8];
    }
#endif
    for (; x < width; x += 8) {
        unsigned byte = 0;
        for (std::uint32_t k = x; k < x + 8; ++k) {
            if (k < width && p[k] != 0 && p[k] != 255)
                return false;
            byte = byte << 1 | unsigned{k < width && p[k] == 0};
        }
        out[x >> 3] = static_cast<std::uint8_t>(byte);
    }
    return true;
}

// A gray picture's rows packed into `bits`, 1 for black, when every sample is 0 or 255; reading
// stops at the first that is not, or when stopped.
bool packBilevelRows(pictures::PngRows& rows, std::vector<std::uint8_t>& bits,
                     pictures::StopFlag stop) {
    const std::size_t rowBytes = (std::size_t{rows.width()} + 7) / 8;
    bits.resize(rowBytes * rows.height());
    for (std::uint32_t y = 0; y < rows.height(); ++y) {
        if ((y % pictures::kRowsPerStopCheck == 0 && stop.set()) ||
            !packBilevelRow(rows.nextStoredRow(), rows.width(), bits.data() + y * rowBytes))
            return false;
    }
    return true;
}

// The rows as a bilevel page: from `bits` when packed already, from a 1-bit PNG's own bits, or
// from RGB rows of only black and white.
bool writeBilevelFromRows(pictures::PngRows& rows, const std::string& target,
                          const std::vector<std::uint8_t>& bits, pictures::StopFlag stop) {
    formats::G4Tiff page;
    page.width = rows.width();
    page.height = rows.height();
    if (rows.resolution().stated()) {
        page.xResolution = static_cast<float>(rows.resolution().xDpi);
        page.yResolution = static_cast<float>(rows.resolution().yDpi);
        page.resolutionUnit = RESUNIT_INCH;
    }
    std::vector<std::uint8_t> packed((page.width + 7) / 8);
    std::size_t y = 0;
    return writeBilevelPage(
        target, page,
        [&]() -> const std::uint8_t* {
            if (!bits.empty())
                return bits.data() + y++ * packed.size();
            if (rows.bitDepth() == 1) {
                const std::uint8_t* p = rows.nextStoredRow();
                for (std::size_t i = 0; i < packed.size(); ++i)
                    packed[i] = static_cast<std::uint8_t>(~p[i]); // PNG's 1 is white
                return packed.data();
            }
            const std::uint8_t* p = rows.nextRow();
            for (std::uint32_t x = 0; x < page.width; x += 8) {
                unsigned byte = 0;
                for (std::uint32_t k = x; k < x + 8; ++k)
                    byte = byte << 1 | unsigned{k < page.width && p[k * 3] == 0};
                packed[x >> 3] = static_cast<std::uint8_t>(byte);
            }
            return packed.data();
        },
        stop);
}

enum class RowsStaged { No, Bilevel, Grey, Colour };

// An 8-bit PNG read by PngRows: a bilevel one is written to `bilevel`; others, at a quality, to
// `jpeg` from the same rows, a gray one in one channel. No when PngRows does not read the file,
// the picture is above the resolution ceiling or the file cannot be written.
RowsStaged stagePngRows(const pictures::PictureFile& source, const std::string& bilevel,
                        const std::string* jpeg, const jobfiles::JobOptions& options,
                        pictures::StopFlag stop) {
    pictures::PngRows& rows = threadPngRows();
    RowsStaged staged = RowsStaged::No;
    if (!stop.set() && rows.open(source.file, true, stop)) {
        // A gray picture is packed as it is judged, so its rows are read once.
        std::vector<std::uint8_t> bits;
        Tone tone = Tone::Bilevel;
        if (rows.colourType() == 0 && rows.bitDepth() == 8)
            tone = packBilevelRows(rows, bits, stop) ? Tone::Bilevel : Tone::Grey;
        else if (rows.bitDepth() == 8)
            tone = rowsTone(rows, stop, greyToleranceFor(options));
        rows.rewind();
        if (stop.set())
            staged = RowsStaged::No;
        else if (tone == Tone::Bilevel)
            staged = writeBilevelFromRows(rows, bilevel, bits, stop) ? RowsStaged::Bilevel
                                                                     : RowsStaged::No;
        else if (ceilingScale(rows.width(), rows.height(), rows.resolution(), options) < 1.0)
            staged = RowsStaged::No; // scaled down from a decoded bitmap
        else if (jpeg == nullptr)
            staged = tone == Tone::Grey ? RowsStaged::Grey : RowsStaged::Colour;
        else if (writeRowsJpeg(rows, *jpeg, options.quality, tone == Tone::Grey, stop))
            staged = tone == Tone::Grey ? RowsStaged::Grey : RowsStaged::Colour;
    }
    rows.trim();
    return staged;
}

// A PNG staged without loss: linked as it is unless it is bilevel (coded as `coding` says).
// Nothing when the file is no PNG the builder takes. `known` is what stagePngRows found for the
// file already, if it did.
std::optional<std::string> stageLosslessPng(const pictures::PictureFile& source,
                                            const std::string& extension, const std::string& stem,
                                            jobfiles::BilevelCoding coding, std::string* problem,
                                            pictures::StopFlag stop,
                                            std::optional<RowsStaged> known = std::nullopt) {
    std::string reason;
    const std::optional<formats::PngInfo> png =
        formats::readPngInfo(source.file.stream(), source.file.size(), reason);
    if (!png)
        return std::nullopt;
    const std::string bilevel = bilevelTarget(stem, coding);
    const std::string copy = stem + ".png";
    const auto linked = [&]() -> std::string {
        if (stageUnchanged(source, copy))
            return copy;
        if (problem != nullptr)
            *problem = kNotWritten;
        return {};
    };
    if (png->hasAlpha() || png->bitDepth == 16)
        return linked();
    if (png->bitDepth == 8 || (png->bitDepth == 1 && png->colourType == 0)) {
        jobfiles::JobOptions lossless;
        lossless.lossless = true;
        lossless.bilevel = coding;
        switch (known ? *known : stagePngRows(source, bilevel, nullptr, lossless, stop)) {
        case RowsStaged::Bilevel:
            return bilevel;
        case RowsStaged::Colour:
            return linked();
        case RowsStaged::Grey:
            if (png->colourType != 2)
                return linked(); // one sample a pixel already
            break;
        case RowsStaged::No:
            break;
        }
    }
    // Decoded to tell: fewer bits a sample, rows PngRows leaves alone, gray stored as RGB.
    std::string written;
    decodeAndSave(
        source, extension, copy, problem,
        [&](FIBITMAP* bitmap) {
            const pictures::Bitmap grey =
                png->colourType == 2 ? neutralGreyCopy(bitmap, stop) : pictures::Bitmap();
            if (stop.set())
                written.clear();
            else if (isBilevel(bitmap) && saveBilevelBitmap(bitmap, source, bilevel, stop))
                written = bilevel;
            else if (grey)
                written = saveLosslessBitmap(grey.get(), copy, stop) ? copy : std::string();
            else if (!stop.set())
                written = linked();
            return !written.empty();
        },
        stop);
    return written;
}

// The size of a file; 0 when it cannot be read.
std::uint64_t fileBytes(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

// The JPEG written at a quality, or the lossless staging of its PNG source when that is smaller:
// a lossy copy larger than the exact one is worse on both counts. The PNG's own size stands for
// its lossless form (mostly the file linked as it is), so lossless staging runs only when it can
// win. Other sources are not compared: FreeImage takes 20 to 30 times the JPEG's time to write
// a PNG of a 2550 x 3300 gray scan (2.3 s against 0.07-0.11 s), and at zlib's fastest level the
// PNG is larger than the JPEG of quality 100.
std::string smallerOfJpegAndPng(const std::string& jpeg, const pictures::PictureFile& source,
                                const std::string& extension, const std::string& stem,
                                jobfiles::BilevelCoding coding, pictures::StopFlag stop,
                                std::optional<RowsStaged> known) {
    const std::uint64_t jpegBytes = fileBytes(jpeg);
    const std::uint64_t pngBytes = source.file.size();
    if (stop.set() || pngBytes == 0 || pngBytes >= jpegBytes)
        return jpeg;
    std::string problem; // the JPEG stays when the PNG cannot be staged
    const std::optional<std::string> png =
        stageLosslessPng(source, extension, stem, coding, &problem, stop, known);
    if (!png || png->empty())
        return jpeg;
    if (fileBytes(*png) == 0 || fileBytes(*png) >= jpegBytes) {
        platform::removeFile(*png);
        return jpeg;
    }
    platform::removeFile(jpeg);
    return *png;
}

} // namespace

std::string saveTurnedByTone(FIBITMAP* bitmap, double skew, const pictures::PictureFile& source,
                             const std::string& stem, const jobfiles::JobOptions& options,
                             pictures::StopFlag stop) {
    jobfiles::JobOptions level = options;
    level.deskew = false;
    if (skew == 0.0)
        return saveByTone(bitmap, source, stem, level, stop);
    int orientation = 1;
    if (options.lossless && source.shows(pictures::kindReadBy(pictures::Decoder::JpegData))) {
        std::string reason;
        if (const std::optional<formats::JpegInfo> info =
                formats::readJpegInfo(source.file.stream(), source.file.size(), reason))
            orientation = info->orientation;
    }
    const pictures::Bitmap turned = straightenedCopy(bitmap, skew, stop, orientation);
    if (!turned)
        return {};
    std::string written = saveByTone(turned.get(), source, stem, level, stop);
    return written;
}

std::string saveByTone(FIBITMAP* bitmap, const pictures::PictureFile& source,
                       const std::string& stem, const jobfiles::JobOptions& options,
                       pictures::StopFlag stop) {
    if (options.deskew)
        return saveTurnedByTone(bitmap, pageSkew(bitmap), source, stem, options, stop);
    if (isBilevel(bitmap)) {
        const std::string bilevel = bilevelTarget(stem, options.bilevel);
        return saveBilevelBitmap(bitmap, source, bilevel, stop) ? bilevel : std::string();
    }
    if (options.lossless) {
        const std::string png = stem + ".png";
        return saveLosslessBitmap(bitmap, png, stop) ? png : std::string();
    }
    const std::string jpeg = stem + ".jpg";
    const formats::Resolution resolution = stagedResolution(bitmap, source);
    const double scale =
        ceilingScale(FreeImage_GetWidth(bitmap), FreeImage_GetHeight(bitmap), resolution, options);
    if (scale < 1.0)
        setResolution(bitmap, resolution); // the one the page has, made explicit
    return saveStagedBitmap(bitmap, source, jpeg, options.quality, scale, stop,
                            greyToleranceFor(options))
               ? jpeg
               : std::string();
}

std::string stageByTone(const pictures::PictureFile& source, const std::string& extension,
                        const std::string& stem, const jobfiles::JobOptions& options,
                        std::string* problem, pictures::StopFlag stop) {
    // Only a TIFF is read with libtiff, whose complaints about any other file would be heard
    // as the picture's own.
    const std::string bilevel = bilevelTarget(stem, options.bilevel);
    if (pictures::isTiffPicture(source, extension) &&
        TiffBilevelPages(source, stop).stage(1, bilevel))
        return bilevel;
    if (options.lossless) {
        if (std::optional<std::string> png =
                stageLosslessPng(source, extension, stem, options.bilevel, problem, stop))
            return *png;
    } else {
        const std::string jpeg = stem + ".jpg";
        const RowsStaged rows = stagePngRows(source, bilevel, &jpeg, options, stop);
        switch (rows) {
        case RowsStaged::Bilevel:
            return bilevel;
        case RowsStaged::Grey:
        case RowsStaged::Colour:
            return smallerOfJpegAndPng(jpeg, source, extension, stem, options.bilevel, stop,
                                       rows);
        case RowsStaged::No:
            break;
        }
    }
    std::string written;
    bool wholeSize = true; // a picture scaled down for the ceiling is not set against its PNG
    decodeAndSave(
        source, extension, stem + (options.lossless ? ".png" : ".jpg"), problem,
        [&](FIBITMAP* bitmap) {
            wholeSize = ceilingScale(FreeImage_GetWidth(bitmap), FreeImage_GetHeight(bitmap),
                                     stagedResolution(bitmap, source), options) >= 1.0;
            written = saveByTone(bitmap, source, stem, options, stop);
            return !written.empty();
        },
        stop);
    if (!options.lossless && wholeSize && written == stem + ".jpg")
        return smallerOfJpegAndPng(written, source, extension, stem, options.bilevel, stop,
                                   std::nullopt);
    return written;
}

} // namespace pw::staging
