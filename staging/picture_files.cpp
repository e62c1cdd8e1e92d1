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
#include <utility>

namespace pw::staging {
namespace {

FREE_IMAGE_FORMAT detectedFormat(const pictures::PictureFile& source) {
    auto format = static_cast<FREE_IMAGE_FORMAT>(pictures::fileTypeOf(source.file));
    if (format == FIF_UNKNOWN)
        format = FreeImage_GetFIFFromFilename(source.narrowPath.c_str());
    if (format != FIF_UNKNOWN && !FreeImage_FIFSupportsReading(format))
        return FIF_UNKNOWN;
    return format;
}

// Formats that cannot read a header alone are checked once decoded.
pictures::Bitmap checkedSize(pictures::Bitmap bitmap, std::string& problem) {
    if (!bitmap)
        return {};
    problem = pictures::bitmapTooLarge(bitmap.get());
    if (problem.empty())
        return bitmap;
    return {};
}

// An 8-bit PNG goes straight from its rows to the JPEG writer, with the pixels FreeImage's
// decoding and saving would give (and its ICC profile kept), in about half the time; others
// return false untouched.
bool stagePngAsJpeg(const pictures::PictureFile& source, const std::string& target, int quality,
                    pictures::StopFlag stop) {
    pictures::PngRows& rows = threadPngRows();
    const bool written =
        rows.open(source.file, false, stop) && writePngRowsJpeg(rows, target, quality, stop);
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
bool keepFileMarkers(const pictures::PictureFile& source, FIBITMAP* copy) {
    std::string profile;
    std::string exif;
    if (source.shows(pictures::kindReadBy(pictures::Decoder::JpegData))) {
        if (auto markers = formats::readJpegMarkers(source.file.stream())) {
            profile = std::move(markers->iccProfile);
            exif = std::move(markers->exif);
        }
    } else if (auto png = formats::readPngIccProfile(source.file.stream(), source.file.size())) {
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
void stateExactResolution(FIBITMAP* copy, const pictures::PictureFile& source, double scale) {
    std::optional<formats::Resolution> exact = pictures::metricResolution(source.file, source.kind);
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

namespace {

pictures::Bitmap loadPicture(const pictures::PictureFile& source, const std::string& extension,
                             std::string& problem, pictures::StopFlag stop) {
    const platform::OpenedFile& file = source.file;
    // BMP files by their content, whatever their name; FreeImage reads those the project's
    // reader does not know.
    pictures::Bitmap bitmap;
    // A kind with a decoder of its own, by content or else by name; the file is looked at for
    // it only when the table holds such a kind.
    if (pictures::kindReadBy(pictures::Decoder::Own) != nullptr) {
        const pictures::PictureKind* kind = source.kind;
        if (kind == nullptr)
            kind = pictures::kindForExtension(extension);
        if (kind != nullptr && kind->decoder == pictures::Decoder::Own && kind->decode)
            return checkedSize(pictures::takeBitmap(kind->decode(source.narrowPath), problem),
                               problem);
    }
    if (source.shows(pictures::kindReadBy(pictures::Decoder::Bmp))) {
        problem = pictures::headerTooLarge(FIF_BMP, file);
        if (problem.empty())
            bitmap = pictures::takeBitmap(pictures::loadBmp(file, stop), problem);
        if (bitmap || !problem.empty())
            return checkedSize(std::move(bitmap), problem);
    }
    const pictures::ModernFormat named = pictures::modernFormatForExtension(extension);
    if (named != pictures::ModernFormat::None)
        bitmap = pictures::takeBitmap(pictures::decodeModern(named, file, stop), problem);
    if (bitmap || !problem.empty() || stop.set())
        return bitmap;
    // FreeImage formats are refused from their header when they reach the pixel limit; the
    // modern decoders check it themselves.
    bool cutShort = false; // a JPEG found cut short is not decoded again below
    const auto load = [&](FREE_IMAGE_FORMAT format) -> pictures::Bitmap {
        problem = pictures::headerTooLarge(format, file);
        if (!problem.empty())
            return {};
        if (format == FIF_PNG)
            return pictures::loadPngWithFreeImage(file, stop);
        if (format == FIF_JPEG && (cutShort = pictures::jpegCutShort(file))) {
            pictures::reportDecoderMessage("JPEG data ends early"); // FreeImage would fill it in
            return {};
        }
        pictures::Bitmap loaded = pictures::loadStoppable(format, file, 0, stop);
        return format == FIF_GIF ? pictures::placeOnGifScreen(std::move(loaded))
                                 : std::move(loaded);
    };
    const std::optional<int> tableFormat = pictures::formatForExtension(extension);
    // Page 1 of a TIFF is read as its later pages are.
    const FREE_IMAGE_FORMAT content = detectedFormat(source);
    if (content == FIF_TIFF) {
        pictures::TiffPages pages(file, stop);
        if (pages.count() > 0)
            return pictures::takeBitmap(pages.decode(1), problem);
    }
    if (tableFormat)
        bitmap = load(static_cast<FREE_IMAGE_FORMAT>(*tableFormat));
    if (bitmap || !problem.empty() || stop.set())
        return checkedSize(std::move(bitmap), problem);
    // A scratch copy ("1.peg", "1.iff") or a file saved under the wrong extension.
    if (content != FIF_UNKNOWN && !(tableFormat && content == *tableFormat))
        bitmap = load(content);
    if (!bitmap && problem.empty() && content == FIF_UNKNOWN) {
        const pictures::ModernFormat found = pictures::modernFormatOf(source.kind);
        if (found != named)
            bitmap = pictures::takeBitmap(pictures::decodeModern(found, file, stop), problem);
    }
    if (!bitmap && problem.empty() && !cutShort && !stop.set() &&
        source.shows(pictures::kindReadBy(pictures::Decoder::JpegData))) {
        problem = pictures::headerTooLarge(FIF_JPEG, file);
        if (problem.empty())
            bitmap = pictures::decodeJpegPixels(file, stop);
    }
    return checkedSize(std::move(bitmap), problem);
}

} // namespace

pictures::Decoded loadPicture(const std::string& narrowPath, const std::string& extension,
                              pictures::StopFlag stop) {
    return loadPicture(pictures::describeNarrowPicture(narrowPath), extension, stop);
}

pictures::Decoded loadPicture(const pictures::PictureFile& source, const std::string& extension,
                              pictures::StopFlag stop) {
    std::string problem;
    pictures::Bitmap bitmap = loadPicture(source, extension, problem, stop);
    return pictures::decodedOrRefused(std::move(bitmap), std::move(problem), stop);
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
    return normaliseNarrowPicture(platform::toNarrow(source), extension, target, problem, quality,
                                  stop);
}

bool normaliseNarrowPicture(const std::string& narrowSource, const std::string& extension,
                            const std::string& target, std::string* problem, int quality,
                            pictures::StopFlag stop) {
    return normalisePicture(pictures::describeNarrowPicture(narrowSource), extension, target,
                            problem, quality, stop);
}

bool normalisePicture(const pictures::PictureFile& source, const std::string& extension,
                      const std::string& target, std::string* problem, int quality,
                      pictures::StopFlag stop) {
    if (stagePngAsJpeg(source, target, quality, stop))
        return true;
    return decodeAndSave(
        source, extension, target, problem,
        [&](FIBITMAP* bitmap) {
            return saveStagedBitmap(bitmap, source, target, quality, 1.0, stop);
        },
        stop);
}

bool decodeAndSave(const std::string& narrowSource, const std::string& extension,
                   const std::string& target, std::string* problem,
                   const std::function<bool(FIBITMAP*)>& save, pictures::StopFlag stop) {
    return decodeAndSave(pictures::describeNarrowPicture(narrowSource), extension, target, problem,
                         save, stop);
}

bool decodeAndSave(const pictures::PictureFile& source, const std::string& extension,
                   const std::string& target, std::string* problem,
                   const std::function<bool(FIBITMAP*)>& save, pictures::StopFlag stop) {
    initialiseFreeImage();
    std::string why;
    pictures::Bitmap owned;
    if (!stop.set())
        owned = pictures::takeBitmap(loadPicture(source, extension, stop), why);
    if (problem != nullptr)
        *problem = why;
    if (stop.set())
        owned.reset();
    FIBITMAP* bitmap = owned.get();
    if (bitmap == nullptr) {
        platform::removeFile(target);
        return false;
    }
    if (source.shows(pictures::kindReadBy(pictures::Decoder::JpegData))) {
        // The resolution the builder would read from the JPEG itself (its EXIF block goes with
        // the staged copy, whose JFIF density FreeImage writes from the bitmap's).
        setResolution(
            bitmap,
            formats::readJpegResolution(source.file.stream()).value_or(formats::Resolution{}));
    } else if (!pictures::statesResolution(source.file, source.kind)) {
        // A resolution the decoder made up; without one the page gets the builder's default.
        FreeImage_SetDotsPerMeterX(bitmap, 0);
        FreeImage_SetDotsPerMeterY(bitmap, 0);
    }
    const bool saved = save(bitmap);
    if (!saved && problem != nullptr)
        *problem = kNotWritten;
    return saved;
}

bool saveStagedBitmap(FIBITMAP* bitmap, const std::string& narrowSource, const std::string& target,
                      int quality, double scale, pictures::StopFlag stop, GreyTolerance grey) {
    return saveStagedBitmap(bitmap, pictures::describeNarrowPicture(narrowSource), target, quality,
                            scale, stop, grey);
}

bool saveStagedBitmap(FIBITMAP* bitmap, const pictures::PictureFile& source,
                      const std::string& target, int quality, double scale, pictures::StopFlag stop,
                      GreyTolerance grey) {
    initialiseFreeImage();
    // A 24-bit picture to be scaled down is scaled from itself: its opaque copy would be the
    // same pixels, made only to be dropped.
    const bool plain =
        FreeImage_GetImageType(bitmap) == FIT_BITMAP && FreeImage_GetBPP(bitmap) == 24;
    pictures::Bitmap copy;
    if (plain && scale < 1.0) {
        copy = reducedCopy(bitmap, scale, stop);
    } else {
        copy = pictures::opaqueCopy24(
            bitmap, source.shows(pictures::kindReadBy(pictures::Decoder::Bmp)), stop);
        keepIccProfile(bitmap, copy.get());
        if (copy && scale < 1.0)
            copy = reducedCopy(copy.get(), scale, stop);
    }
    if (copy)
        stateExactResolution(copy.get(), source, scale);
    bool saved = false;
    const int level = std::clamp(quality, 1, 100);
    const int sampling =
        level >= jobfiles::kFullColourQuality ? JPEG_SUBSAMPLING_444 : JPEG_SUBSAMPLING_420;
    if (copy && keepFileMarkers(source, copy.get())) {
        if (pictures::Bitmap one = neutralGreyCopy(copy.get(), stop, grey)) // one channel for gray
            copy = std::move(one);
        saved = saveBitmapFile(FIF_JPEG, copy.get(), target, level | sampling, stop);
    }
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

bool stageUnchanged(const pictures::PictureFile& source, const std::string& target) {
    return source.file.linkOrCopyTo(target);
}

bool isEmbeddableJpeg(const std::string& narrowPath) {
    return isEmbeddableJpeg(pictures::describeNarrowPicture(narrowPath));
}

bool isEmbeddableJpeg(const pictures::PictureFile& source) {
    if (!source.shows(pictures::kindReadBy(pictures::Decoder::JpegData)))
        return false;
    std::string reason;
    return formats::readJpegInfo(source.file.stream(), source.file.size(), reason).has_value();
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
