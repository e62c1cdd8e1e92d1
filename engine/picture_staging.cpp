#include "engine/picture_staging.h"

#include "engine/bmp_fallback.h"
#include "engine/format_table.h"
#include "engine/jxl_jpeg.h"
#include "engine/modern_formats.h"
#include "engine/path_parts.h"
#include "engine/picture_resolution.h"
#include "platform/files.h"
#include "platform/narrow.h"

#include <FreeImage.h>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace pw::engine {
namespace {

constexpr int kJpegQualitySuperb = JPEG_QUALITYSUPERB; // 128

void initialiseFreeImage() {
    // The shared library initialises itself on load as well; this keeps a static build right.
    static const bool initialised = [] {
        FreeImage_Initialise(FALSE);
        return true;
    }();
    (void)initialised;
}

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

FIBITMAP* loadPicture(const std::string& narrowPath, const std::string& extension,
                      std::string& problem) {
    const ModernFormat named = ModernFormatForExtension(extension);
    FIBITMAP* bitmap = DecodeModern(named, narrowPath, problem);
    if (bitmap != nullptr || !problem.empty())
        return bitmap;
    const std::optional<int> tableFormat = FormatForExtension(extension);
    if (tableFormat)
        bitmap =
            FreeImage_Load(static_cast<FREE_IMAGE_FORMAT>(*tableFormat), narrowPath.c_str(), 0);
    if (bitmap != nullptr)
        return bitmap;
    // A scratch copy ("1.peg", "1.iff") or a file saved under the wrong extension.
    const FREE_IMAGE_FORMAT content = detectedFormat(narrowPath);
    if (content != FIF_UNKNOWN && !(tableFormat && content == *tableFormat))
        bitmap = FreeImage_Load(content, narrowPath.c_str(), 0);
    if (bitmap == nullptr && content == FIF_BMP)
        bitmap = LoadBmpWithClassicHeader(narrowPath);
    if (bitmap == nullptr && content == FIF_UNKNOWN) {
        const ModernFormat found = ModernFormatOfContent(narrowPath);
        if (found != named)
            bitmap = DecodeModern(found, narrowPath, problem);
    }
    return bitmap;
}

// FreeImage drops the ICC profile when it converts 16-bit samples; the staged picture keeps it.
void keepProfile(FIBITMAP* from, FIBITMAP* to) {
    FIICCPROFILE* profile = FreeImage_GetICCProfile(from);
    if (to == nullptr || profile == nullptr || profile->data == nullptr || profile->size <= 0 ||
        FreeImage_GetICCProfile(to)->data != nullptr)
        return;
    FreeImage_CreateICCProfile(to, profile->data, profile->size);
}

} // namespace

bool SaveBitmapFile(int format, FIBITMAP* bitmap, const std::string& fileName, int flags) {
    if (bitmap == nullptr)
        return false;
    const std::string narrow = os::toNarrow(fileName);
    return FreeImage_Save(static_cast<FREE_IMAGE_FORMAT>(format), bitmap, narrow.c_str(), flags) ==
           1;
}

bool NormalisePicture(const std::string& source, const std::string& extension,
                      const std::string& target, std::string* problem) {
    initialiseFreeImage();
    const std::string narrowSource = os::toNarrow(source);
    std::string why;
    FIBITMAP* bitmap = loadPicture(narrowSource, extension, why);
    if (problem != nullptr)
        *problem = why;
    if (bitmap == nullptr) {
        os::removeFile(target);
        return false;
    }
    const bool saved = SaveStagedBitmap(bitmap, narrowSource, target);
    FreeImage_Unload(bitmap);
    return saved;
}

bool SaveStagedBitmap(FIBITMAP* bitmap, const std::string& narrowSource,
                      const std::string& target) {
    initialiseFreeImage();
    FIBITMAP* copy = FreeImage_ConvertTo24Bits(bitmap);
    keepProfile(bitmap, copy);
    if (copy != nullptr && !StatesResolution(narrowSource)) {
        // A resolution FreeImage made up; without one the page gets the builder's default.
        FreeImage_SetDotsPerMeterX(copy, 0);
        FreeImage_SetDotsPerMeterY(copy, 0);
    }
    bool saved = false;
    if (copy != nullptr)
        saved = SaveBitmapFile(FIF_JPEG, copy, target, kJpegQualitySuperb);
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
    // as a copy and costs no writing; across file systems the file is copied.
    os::removeFile(target);
    std::error_code error;
    std::filesystem::create_hard_link(source, target, error);
    if (!error)
        return true;
    return os::copyFile(source, target, false);
}

bool StagePicture(const std::string& source, const std::string& target, std::string* problem) {
    const std::string extension = lowerCase(PathPart(source, 0));
    const std::string narrowSource = os::toNarrow(source);
    if (extension == "jpg" && HasJpegSignature(narrowSource))
        return StageUnchanged(narrowSource, target);
    if (ModernFormatForExtension(extension) == ModernFormat::Jxl ||
        ModernFormatOfContent(narrowSource) == ModernFormat::Jxl) {
        std::string why;
        if (const auto jpeg = RecoverJpegFromJxl(narrowSource, why))
            return WriteStagedBytes(*jpeg, target);
        if (!why.empty()) {
            if (problem != nullptr)
                *problem = why;
            os::removeFile(target);
            return false;
        }
    }
    return NormalisePicture(source, extension, target, problem);
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
