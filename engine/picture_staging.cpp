#include "engine/picture_staging.h"

#include "engine/bmp_reader.h"
#include "engine/format_table.h"
#include "engine/gif_screen.h"
#include "engine/grey_pictures.h"
#include "engine/jpeg_pixels.h"
#include "engine/jxl_jpeg.h"
#include "engine/lossless_staging.h"
#include "engine/modern_formats.h"
#include "engine/opaque_bitmap.h"
#include "engine/path_parts.h"
#include "engine/picture_resolution.h"
#include "engine/picture_size_check.h"
#include "engine/png_freeimage.h"
#include "engine/png_rows.h"
#include "engine/refusal_reasons.h"
#include "engine/resolution_ceiling.h"
#include "engine/rgb_jpeg.h"
#include "engine/stoppable_io.h"
#include "engine/tiff_pages.h"
#include "engine/tone_staging.h"
#include "formats/jpeg_info.h"
#include "formats/png_info.h"
#include "platform/files.h"
#include "platform/narrow.h"

#include <FreeImage.h>
#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace pw::engine {
namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The format FreeImage reads from the content, then from the name; FIF_UNKNOWN otherwise.
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
    problem = BitmapTooLarge(bitmap);
    if (problem.empty())
        return bitmap;
    FreeImage_Unload(bitmap);
    return nullptr;
}

enum class JxlJpeg { None, Written, Failed };

// A JPEG XL file holding a losslessly recompressed JPEG gives back that JPEG.
JxlJpeg stageJxlJpeg(const std::string& narrowSource, const std::string& extension,
                     const std::string& target, std::string* problem, StopFlag stop) {
    if (ModernFormatForExtension(extension) != ModernFormat::Jxl &&
        ModernFormatOfContent(narrowSource) != ModernFormat::Jxl)
        return JxlJpeg::None;
    std::string why;
    if (const auto jpeg = RecoverJpegFromJxl(narrowSource, why, stop)) {
        if (WriteStagedBytes(*jpeg, target))
            return JxlJpeg::Written;
        if (problem != nullptr)
            *problem = kNotWritten;
        return JxlJpeg::Failed;
    }
    if (why.empty())
        return JxlJpeg::None;
    if (problem != nullptr)
        *problem = why;
    os::removeFile(target);
    return JxlJpeg::Failed;
}

// An 8-bit PNG goes straight from its rows to the JPEG writer, with the pixels FreeImage's
// decoding and saving would give (and its ICC profile kept), in about half the time; others
// return false untouched.
bool stagePngAsJpeg(const std::string& narrowSource, const std::string& target, int quality,
                    StopFlag stop) {
    PngRows& rows = ThreadPngRows();
    const bool written =
        rows.open(narrowSource, false, stop) && WritePngRowsJpeg(rows, target, quality, stop);
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
    if (HasJpegSignature(narrowSource)) {
        if (auto markers = pdftool::readJpegMarkers(narrowSource)) {
            profile = std::move(markers->iccProfile);
            exif = std::move(markers->exif);
        }
    } else if (auto png = pdftool::readPngIccProfile(narrowSource)) {
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
    std::optional<Resolution> exact = MetricResolution(narrowSource);
    FITAG* own = nullptr;
    if (!exact || FreeImage_GetMetadata(FIMD_EXIF_RAW, copy, "ExifRaw", &own))
        return;
    FreeImage_SetDotsPerMeterX(copy, 0);
    FreeImage_SetDotsPerMeterY(copy, 0);
    if (scale < 1.0) // scaled down: the page keeps the size it had
        *exact = {(exact->stated() ? exact->xDpi : kDefaultDpi) * scale,
                  (exact->stated() ? exact->yDpi : kDefaultDpi) * scale};
    if (!exact->stated())
        return;
    const std::vector<std::uint8_t> exif = ResolutionExif(*exact);
    setExifBlock(copy, std::string(exif.begin(), exif.end()));
}

} // namespace

void InitialiseFreeImage() {
    // FreeImage's documentation asks for one initialisation before any other call; the shared
    // library also initialises itself on load, this keeps a static build right.
    static const bool initialised = [] {
        FreeImage_Initialise(FALSE);
        InstallDecoderMessageHandlers();
        return true;
    }();
    (void)initialised;
}

FIBITMAP* LoadPicture(const std::string& narrowPath, const std::string& extension,
                      std::string& problem, StopFlag stop) {
    // BMP files by their content, whatever their name; FreeImage reads those the project's
    // reader does not know.
    FIBITMAP* bitmap = nullptr;
    if (HasBmpSignature(narrowPath)) {
        problem = HeaderTooLarge(FIF_BMP, narrowPath);
        if (problem.empty())
            bitmap = LoadBmp(narrowPath, problem, stop);
        if (bitmap != nullptr || !problem.empty())
            return checkedSize(bitmap, problem);
    }
    const ModernFormat named = ModernFormatForExtension(extension);
    bitmap = DecodeModern(named, narrowPath, problem, stop);
    if (bitmap != nullptr || !problem.empty() || stop.set())
        return bitmap;
    // FreeImage formats are refused from their header when they reach the pixel limit; the
    // modern decoders check it themselves.
    bool cutShort = false; // a JPEG found cut short is not decoded again below
    const auto load = [&](FREE_IMAGE_FORMAT format) -> FIBITMAP* {
        problem = HeaderTooLarge(format, narrowPath);
        if (!problem.empty())
            return nullptr;
        if (format == FIF_PNG)
            return LoadPngWithFreeImage(narrowPath, stop);
        if (format == FIF_JPEG && (cutShort = JpegCutShort(narrowPath))) {
            ReportDecoderMessage("JPEG data ends early"); // FreeImage would fill it in
            return nullptr;
        }
        FIBITMAP* loaded = LoadStoppable(format, narrowPath, 0, stop);
        return format == FIF_GIF ? PlaceOnGifScreen(loaded) : loaded;
    };
    const std::optional<int> tableFormat = FormatForExtension(extension);
    // Page 1 of a TIFF is read as its later pages are.
    if (detectedFormat(narrowPath) == FIF_TIFF) {
        TiffPages pages(narrowPath, stop);
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
        const ModernFormat found = ModernFormatOfContent(narrowPath);
        if (found != named)
            bitmap = DecodeModern(found, narrowPath, problem, stop);
    }
    if (bitmap == nullptr && problem.empty() && !cutShort && !stop.set() &&
        HasJpegSignature(narrowPath)) {
        problem = HeaderTooLarge(FIF_JPEG, narrowPath);
        if (problem.empty())
            bitmap = DecodeJpegPixels(narrowPath, stop);
    }
    return checkedSize(bitmap, problem);
}

bool SaveBitmapFile(int format, FIBITMAP* bitmap, const std::string& fileName, int flags,
                    StopFlag stop) {
    if (bitmap == nullptr)
        return false;
    return SaveStoppable(format, bitmap, os::toNarrow(fileName), flags, stop);
}

bool NormalisePicture(const std::string& source, const std::string& extension,
                      const std::string& target, std::string* problem, int quality, StopFlag stop) {
    const std::string narrowSource = os::toNarrow(source);
    if (stagePngAsJpeg(narrowSource, target, quality, stop))
        return true;
    return DecodeAndSave(
        narrowSource, extension, target, problem,
        [&](FIBITMAP* bitmap) {
            return SaveStagedBitmap(bitmap, narrowSource, target, quality, 1.0, stop);
        },
        stop);
}

bool DecodeAndSave(const std::string& narrowSource, const std::string& extension,
                   const std::string& target, std::string* problem,
                   const std::function<bool(FIBITMAP*)>& save, StopFlag stop) {
    InitialiseFreeImage();
    std::string why;
    FIBITMAP* bitmap = stop.set() ? nullptr : LoadPicture(narrowSource, extension, why, stop);
    if (problem != nullptr)
        *problem = why;
    if (bitmap != nullptr && stop.set()) {
        FreeImage_Unload(bitmap);
        bitmap = nullptr;
    }
    if (bitmap == nullptr) {
        os::removeFile(target);
        return false;
    }
    if (HasJpegSignature(narrowSource)) {
        // The resolution the builder would read from the JPEG itself (its EXIF block goes with
        // the staged copy, whose JFIF density FreeImage writes from the bitmap's).
        SetResolution(bitmap, pdftool::readJpegResolution(narrowSource).value_or(Resolution{}));
    } else if (!StatesResolution(narrowSource)) {
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

bool SaveStagedBitmap(FIBITMAP* bitmap, const std::string& narrowSource, const std::string& target,
                      int quality, double scale, StopFlag stop) {
    InitialiseFreeImage();
    // A 24-bit picture to be scaled down is scaled from itself: its opaque copy would be the
    // same pixels, made only to be dropped.
    const bool plain =
        FreeImage_GetImageType(bitmap) == FIT_BITMAP && FreeImage_GetBPP(bitmap) == 24;
    FIBITMAP* copy = nullptr;
    if (plain && scale < 1.0) {
        copy = ReducedCopy(bitmap, scale, stop);
    } else {
        copy = OpaqueCopy24(bitmap, HasBmpSignature(narrowSource), stop);
        KeepIccProfile(bitmap, copy);
        if (copy != nullptr && scale < 1.0) {
            FIBITMAP* reduced = ReducedCopy(copy, scale, stop);
            FreeImage_Unload(copy);
            copy = reduced;
        }
    }
    if (copy != nullptr)
        stateExactResolution(copy, narrowSource, scale);
    bool saved = false;
    const int level = std::clamp(quality, 1, 100);
    const int sampling = level >= kFullColourQuality ? JPEG_SUBSAMPLING_444 : JPEG_SUBSAMPLING_420;
    if (copy != nullptr && keepFileMarkers(narrowSource, copy)) {
        if (FIBITMAP* grey = NeutralGreyCopy(copy, stop)) { // one channel for a gray picture
            FreeImage_Unload(copy);
            copy = grey;
        }
        saved = SaveBitmapFile(FIF_JPEG, copy, target, level | sampling, stop);
    }
    if (copy != nullptr)
        FreeImage_Unload(copy);
    if (!saved)
        os::removeFile(target); // never leave a half-written picture for the builder
    return saved;
}

bool HasJpegSignature(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[3] = {0, 0, 0};
    if (!in.read(reinterpret_cast<char*>(head), sizeof head))
        return false;
    return head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

bool StageUnchanged(const std::string& source, const std::string& target) {
    // The builder only reads staged files, so a second name for the same bytes serves as well
    // as a copy and costs no writing; across file systems the file is copied. A symbolic link
    // is followed: the link itself would point nowhere from the staging folder.
    os::removeFile(target);
    if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    return os::copyFile(source, target, false);
}

bool IsEmbeddableJpeg(const std::string& narrowPath) {
    if (!HasJpegSignature(narrowPath))
        return false;
    std::string reason;
    return pdftool::readJpegInfo(narrowPath, reason).has_value();
}

namespace {

// A picture whose data cannot go in as it is, as a JPEG at `quality`: a JPEG XL file's own JPEG
// when it holds one, otherwise the decoded pixels.
bool stageAsJpeg(const std::string& source, const std::string& narrowSource,
                 const std::string& target, std::string* problem, int quality, StopFlag stop) {
    const std::string extension = lowerCase(PathPart(source, 0));
    const JxlJpeg jxl = stageJxlJpeg(narrowSource, extension, target, problem, stop);
    if (jxl != JxlJpeg::None)
        return jxl == JxlJpeg::Written;
    return NormalisePicture(source, extension, target, problem, quality, stop);
}

} // namespace

std::string StageForJob(const std::string& source, const std::string& stem,
                        const JobOptions& options, std::string* problem, StopFlag stop) {
    const std::string jpeg = stem + ".jpg";
    const std::string narrowSource = os::toNarrow(source);
    // A JPEG or PNG picture inside a BMP is staged as that picture, from a copy of its bytes
    // under a name the builder does not take for a page.
    if (HasBmpSignature(narrowSource)) {
        if (const std::optional<EmbeddedPicture> inner = BmpEmbeddedPicture(narrowSource)) {
            const std::string copy = stem + "_bmp." + inner->extension;
            const std::vector<std::uint8_t> bytes(inner->bytes.begin(), inner->bytes.end());
            if (!WriteStagedBytes(bytes, copy)) {
                if (problem != nullptr)
                    *problem = kNotWritten;
                return {};
            }
            std::string staged = StageForJob(copy, stem, options, problem, stop);
            os::removeFile(copy);
            return staged;
        }
    }
    // JPEG data goes into the PDF as it is, whatever the name and the quality chosen; one that
    // PDF readers could not decode is re-encoded as a JPEG, at the best quality when the
    // choice is Lossless (the quality shown then is not in force).
    if (IsEmbeddableJpeg(narrowSource)) {
        if (const std::optional<bool> reduced =
                StageReducedJpeg(narrowSource, jpeg, options, problem, stop))
            return *reduced ? jpeg : std::string();
        if (StageUnchanged(narrowSource, jpeg))
            return jpeg;
        if (problem != nullptr)
            *problem = kNotWritten;
        return {};
    }
    if (HasJpegSignature(narrowSource)) {
        const int quality = options.lossless ? kDefaultQuality : options.quality;
        return stageAsJpeg(source, narrowSource, jpeg, problem, quality, stop) ? jpeg
                                                                               : std::string();
    }
    const std::string extension = lowerCase(PathPart(source, 0));
    const JxlJpeg jxl = stageJxlJpeg(narrowSource, extension, jpeg, problem, stop);
    if (jxl != JxlJpeg::None)
        return jxl == JxlJpeg::Written ? jpeg : std::string();
    return StageByTone(narrowSource, extension, stem, options, problem, stop);
}

bool WriteStagedBytes(const std::vector<std::uint8_t>& bytes, const std::string& target) {
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out)
        return true;
    os::removeFile(target);
    return false;
}

} // namespace pw::engine
