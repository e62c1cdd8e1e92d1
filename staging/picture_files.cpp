#include "staging/picture_files.h"

#include "formats/jpeg_info.h"
#include "formats/png_info.h"
#include "pictures/bmp_reader.h"
#include "pictures/format_table.h"
#include "pictures/gif_screen.h"
#include "pictures/jpeg_pixels.h"
#include "pictures/jxl_jpeg.h"
#include "pictures/modern_formats.h"
#include "pictures/opaque_bitmap.h"
#include "pictures/picture_kinds.h"
#include "pictures/picture_resolution.h"
#include "pictures/picture_size_check.h"
#include "pictures/png_freeimage.h"
#include "pictures/png_rows.h"
#include "pictures/refusal_reasons.h"
#include "pictures/stoppable_io.h"
#include "pictures/tiff_pages.h"
#include "platform/files.h"
#include "platform/narrow.h"
#include "platform/path_parts.h"
#include "staging/bitmap_edits.h"
#include "staging/grey_pictures.h"
#include "staging/png_rows_jpeg.h"
#include "staging/rgb_jpeg.h"

#include <FreeImage.h>
#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace pw::staging {
namespace {

FREE_IMAGE_FORMAT detectedFormat(const std::string& narrowPath) {
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(narrowPath.c_str(), 0);
    if (format == FIF_UNKNOWN)
        format = FreeImage_GetFIFFromFilename(narrowPath.c_str());
    if (format != FIF_UNKNOWN && !FreeImage_FIFSupportsReading(format))
        return FIF_UNKNOWN;
    return format;
}

// Formats that cannot read a header alone are checked once decoded.
FIBITMAP* checkedSize(FIBITMAP* bitmap, std::string& problem) {
    if (bitmap == nullptr)
        return nullptr;
    problem = pictures::bitmapTooLarge(bitmap);
    if (problem.empty())
        return bitmap;
    FreeImage_Unload(bitmap);
    return nullptr;
}

// An 8-bit PNG goes straight from its rows to the JPEG writer, with the pixels FreeImage's
// decoding and saving would give (and its ICC profile kept), in about half the time; others
// return false untouched.
bool stagePngAsJpeg(const std::string& narrowSource, const std::string& target, int quality,
                    pictures::StopFlag stop) {
    pictures::PngRows& rows = threadPngRows();
    const bool written =
        rows.open(narrowSource, false, stop) && writePngRowsJpeg(rows, target, quality, stop);
    rows.trim();
    return written;
}

// True for a profile of RGB pictures, the only kind a staged JPEG holds.
bool rgbProfile(const std::string& profile) {
    return profile.size() >= 128 && profile.compare(16, 4, "RGB ") == 0;
}

// Gives the bitmap the raw EXIF block ("Exif\0\0" and the TIFF data), which FreeImage's JPEG
// writer puts in an APP1 marker.
bool setExifBlock(FIBITMAP* bitmap, const std::string& exif) {
    FITAG* tag = FreeImage_CreateTag();
    if (tag == nullptr)
        return false;
    const auto size = static_cast<DWORD>(exif.size());
    const bool set = FreeImage_SetTagKey(tag, "ExifRaw") && FreeImage_SetTagType(tag, FIDT_BYTE) &&
                     FreeImage_SetTagCount(tag, size) && FreeImage_SetTagLength(tag, size) &&
                     FreeImage_SetTagValue(tag, exif.data()) &&
                     FreeImage_SetMetadata(FIMD_EXIF_RAW, bitmap, "ExifRaw", tag);
    FreeImage_DeleteTag(tag);
    return set;
}

// FreeImage reads no PNG iCCP chunk, and the JPEGs it cannot decode are read without their
// markers; so the file's own colour profile goes to `copy` when the decoder gave none, and a
// JPEG's EXIF block with it: its pixels are decoded as stored, so the builder still has to
// apply the turn the block states. False when FreeImage cannot take them.
bool keepFileMarkers(const std::string& narrowSource, FIBITMAP* copy) {
    std::string profile;
    std::string exif;
    if (pictures::hasJpegSignature(narrowSource)) {
        if (auto markers = formats::readJpegMarkers(narrowSource)) {
            profile = std::move(markers->iccProfile);
            exif = std::move(markers->exif);
        }
    } else if (auto png = formats::readPngIccProfile(narrowSource)) {
        profile = std::move(*png);
    }
    if (rgbProfile(profile) && FreeImage_GetICCProfile(copy)->data == nullptr &&
        FreeImage_CreateICCProfile(copy, profile.data(), static_cast<long>(profile.size())) ==
            nullptr)
        return false;
    return exif.empty() || setExifBlock(copy, exif);
}

// PNG and BMP files state their resolution per metre, which the JFIF density FreeImage writes
// would round to whole dots per inch; theirs goes into an EXIF block instead, exactly. A bitmap
// with EXIF data of its own keeps that, and the rounded density.
void stateExactResolution(FIBITMAP* copy, const std::string& narrowSource, double scale) {
    std::optional<formats::Resolution> exact = pictures::metricResolution(narrowSource);
    FITAG* own = nullptr;
    if (!exact || FreeImage_GetMetadata(FIMD_EXIF_RAW, copy, "ExifRaw", &own))
        return;
    FreeImage_SetDotsPerMeterX(copy, 0);
    FreeImage_SetDotsPerMeterY(copy, 0);
    if (scale < 1.0) // scaled down: the page keeps the size it had
        *exact = {(exact->stated() ? exact->xDpi : formats::kDefaultDpi) * scale,
                  (exact->stated() ? exact->yDpi : formats::kDefaultDpi) * scale};
    if (!exact->stated())
        return;
    const std::vector<std::uint8_t> exif = resolutionExif(*exact);
    setExifBlock(copy, std::string(exif.begin(), exif.end()));
}

} // namespace

void initialiseFreeImage() {
    // FreeImage's documentation asks for one initialisation before any other call; the shared
    // library also initialises itself on load, this keeps a static build right.
    static const bool initialised = [] {
        FreeImage_Initialise(FALSE);
        pictures::installDecoderMessageHandlers();
        return true;
    }();
    (void)initialised;
}

FIBITMAP* loadPicture(const std::string& narrowPath, const std::string& extension,
                      std::string& problem, pictures::StopFlag stop) {
    // BMP files by their content, whatever their name; FreeImage reads those the project's
    // reader does not know.
    FIBITMAP* bitmap = nullptr;
    // A kind with a decoder of its own, by content or else by name; the file is looked at for
    // it only when the table holds such a kind.
    if (pictures::kindReadBy(pictures::Decoder::Own) != nullptr) {
        const pictures::PictureKind* kind = pictures::kindOfFile(narrowPath);
        if (kind == nullptr)
            kind = pictures::kindForExtension(extension);
        if (kind != nullptr && kind->decoder == pictures::Decoder::Own && kind->decode)
            return checkedSize(kind->decode(narrowPath, problem), problem);
    }
    if (pictures::hasBmpSignature(narrowPath)) {
        problem = pictures::headerTooLarge(FIF_BMP, narrowPath);
        if (problem.empty())
            bitmap = pictures::loadBmp(narrowPath, problem, stop);
        if (bitmap != nullptr || !problem.empty())
            return checkedSize(bitmap, problem);
    }
    const pictures::ModernFormat named = pictures::modernFormatForExtension(extension);
    bitmap = pictures::decodeModern(named, narrowPath, problem, stop);
    if (bitmap != nullptr || !problem.empty() || stop.set())
        return bitmap;
    // FreeImage formats are refused from their header when they reach the pixel limit; the
    // modern decoders check it themselves.
    bool cutShort = false; // a JPEG found cut short is not decoded again below
    const auto load = [&](FREE_IMAGE_FORMAT format) -> FIBITMAP* {
        problem = pictures::headerTooLarge(format, narrowPath);
        if (!problem.empty())
            return nullptr;
        if (format == FIF_PNG)
            return pictures::loadPngWithFreeImage(narrowPath, stop);
        if (format == FIF_JPEG && (cutShort = pictures::jpegCutShort(narrowPath))) {
            pictures::reportDecoderMessage("JPEG data ends early"); // FreeImage would fill it in
            return nullptr;
        }
        FIBITMAP* loaded = pictures::loadStoppable(format, narrowPath, 0, stop);
        return format == FIF_GIF ? pictures::placeOnGifScreen(loaded) : loaded;
    };
    const std::optional<int> tableFormat = pictures::formatForExtension(extension);
    // Page 1 of a TIFF is read as its later pages are.
    if (detectedFormat(narrowPath) == FIF_TIFF) {
        pictures::TiffPages pages(narrowPath, stop);
        if (pages.count() > 0)
            return pages.decode(1, problem);
    }
    if (tableFormat)
        bitmap = load(static_cast<FREE_IMAGE_FORMAT>(*tableFormat));
    if (bitmap != nullptr || !problem.empty() || stop.set())
        return checkedSize(bitmap, problem);
    // A scratch copy ("1.peg", "1.iff") or a file saved under the wrong extension.
    const FREE_IMAGE_FORMAT content = detectedFormat(narrowPath);
    if (content != FIF_UNKNOWN && !(tableFormat && content == *tableFormat))
        bitmap = load(content);
    if (bitmap == nullptr && problem.empty() && content == FIF_UNKNOWN) {
        const pictures::ModernFormat found = pictures::modernFormatOfContent(narrowPath);
        if (found != named)
            bitmap = pictures::decodeModern(found, narrowPath, problem, stop);
    }
    if (bitmap == nullptr && problem.empty() && !cutShort && !stop.set() &&
        pictures::hasJpegSignature(narrowPath)) {
        problem = pictures::headerTooLarge(FIF_JPEG, narrowPath);
        if (problem.empty())
            bitmap = pictures::decodeJpegPixels(narrowPath, stop);
    }
    return checkedSize(bitmap, problem);
}

bool saveBitmapFile(int format, FIBITMAP* bitmap, const std::string& fileName, int flags,
                    pictures::StopFlag stop) {
    if (bitmap == nullptr)
        return false;
    return pictures::saveStoppable(format, bitmap, platform::toNarrow(fileName), flags, stop);
}

bool normalisePicture(const std::string& source, const std::string& extension,
                      const std::string& target, std::string* problem, int quality,
                      pictures::StopFlag stop) {
    const std::string narrowSource = platform::toNarrow(source);
    if (stagePngAsJpeg(narrowSource, target, quality, stop))
        return true;
    return decodeAndSave(
        narrowSource, extension, target, problem,
        [&](FIBITMAP* bitmap) {
            return saveStagedBitmap(bitmap, narrowSource, target, quality, 1.0, stop);
        },
        stop);
}

bool decodeAndSave(const std::string& narrowSource, const std::string& extension,
                   const std::string& target, std::string* problem,
                   const std::function<bool(FIBITMAP*)>& save, pictures::StopFlag stop) {
    initialiseFreeImage();
    std::string why;
    FIBITMAP* bitmap = stop.set() ? nullptr : loadPicture(narrowSource, extension, why, stop);
    if (problem != nullptr)
        *problem = why;
    if (bitmap != nullptr && stop.set()) {
        FreeImage_Unload(bitmap);
        bitmap = nullptr;
    }
    if (bitmap == nullptr) {
        platform::removeFile(target);
        return false;
    }
    if (pictures::hasJpegSignature(narrowSource)) {
        // The resolution the builder would read from the JPEG itself (its EXIF block goes with
        // the staged copy, whose JFIF density FreeImage writes from the bitmap's).
        setResolution(bitmap,
                      formats::readJpegResolution(narrowSource).value_or(formats::Resolution{}));
    } else if (!pictures::statesResolution(narrowSource)) {
        // A resolution the decoder made up; without one the page gets the builder's default.
        FreeImage_SetDotsPerMeterX(bitmap, 0);
        FreeImage_SetDotsPerMeterY(bitmap, 0);
    }
    const bool saved = save(bitmap);
    FreeImage_Unload(bitmap);
    if (!saved && problem != nullptr)
        *problem = kNotWritten;
    return saved;
}

bool saveStagedBitmap(FIBITMAP* bitmap, const std::string& narrowSource, const std::string& target,
                      int quality, double scale, pictures::StopFlag stop) {
    initialiseFreeImage();
    // A 24-bit picture to be scaled down is scaled from itself: its opaque copy would be the
    // same pixels, made only to be dropped.
    const bool plain =
        FreeImage_GetImageType(bitmap) == FIT_BITMAP && FreeImage_GetBPP(bitmap) == 24;
    FIBITMAP* copy = nullptr;
    if (plain && scale < 1.0) {
        copy = reducedCopy(bitmap, scale, stop);
    } else {
        copy = pictures::opaqueCopy24(bitmap, pictures::hasBmpSignature(narrowSource), stop);
        keepIccProfile(bitmap, copy);
        if (copy != nullptr && scale < 1.0) {
            FIBITMAP* reduced = reducedCopy(copy, scale, stop);
            FreeImage_Unload(copy);
            copy = reduced;
        }
    }
    if (copy != nullptr)
        stateExactResolution(copy, narrowSource, scale);
    bool saved = false;
    const int level = std::clamp(quality, 1, 100);
    const int sampling =
        level >= jobfiles::kFullColourQuality ? JPEG_SUBSAMPLING_444 : JPEG_SUBSAMPLING_420;
    if (copy != nullptr && keepFileMarkers(narrowSource, copy)) {
        if (FIBITMAP* grey = neutralGreyCopy(copy, stop)) { // one channel for a gray picture
            FreeImage_Unload(copy);
            copy = grey;
        }
        saved = saveBitmapFile(FIF_JPEG, copy, target, level | sampling, stop);
    }
    if (copy != nullptr)
        FreeImage_Unload(copy);
    if (!saved)
        platform::removeFile(target); // never leave a half-written picture for the builder
    return saved;
}

bool stageUnchanged(const std::string& source, const std::string& target) {
    // The builder only reads staged files, so a second name for the same bytes serves as well
    // as a copy and costs no writing; across file systems the file is copied. A symbolic link
    // is followed: the link itself would point nowhere from the staging folder.
    platform::removeFile(target);
    if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    return platform::copyFile(source, target, false);
}

bool isEmbeddableJpeg(const std::string& narrowPath) {
    if (!pictures::hasJpegSignature(narrowPath))
        return false;
    std::string reason;
    return formats::readJpegInfo(narrowPath, reason).has_value();
}

bool writeStagedBytes(const std::vector<std::uint8_t>& bytes, const std::string& target) {
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out)
        return true;
    platform::removeFile(target);
    return false;
}

} // namespace pw::staging
