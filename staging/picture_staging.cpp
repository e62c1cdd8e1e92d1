#include "staging/picture_staging.h"

#include "pictures/bmp_reader.h"
#include "pictures/format_table.h"
#include "pictures/jxl_jpeg.h"
#include "pictures/modern_formats.h"
#include "platform/files.h"
#include "platform/narrow.h"
#include "platform/path_parts.h"
#include "staging/page_skew.h"
#include "staging/resolution_ceiling.h"
#include "staging/tone_staging.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace pw::staging {
namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The format FreeImage reads from the content, then from the name; FIF_UNKNOWN otherwise.
enum class JxlJpeg { None, Written, Failed };

// A JPEG XL file holding a losslessly recompressed JPEG gives back that JPEG.
JxlJpeg stageJxlJpeg(const pictures::PictureFile& source, const std::string& extension,
                     const std::string& target, std::string* problem, pictures::StopFlag stop) {
    if (pictures::modernFormatForExtension(extension) != pictures::ModernFormat::Jxl &&
        !source.shows(pictures::kindReadBy(pictures::Decoder::Jxl)))
        return JxlJpeg::None;
    std::string why;
    if (const auto jpeg = pictures::recoverJpegFromJxl(source.file, why, stop)) {
        if (writeStagedBytes(*jpeg, target))
            return JxlJpeg::Written;
        if (problem != nullptr)
            *problem = kNotWritten;
        return JxlJpeg::Failed;
    }
    if (why.empty())
        return JxlJpeg::None;
    if (problem != nullptr)
        *problem = why;
    platform::removeFile(target);
    return JxlJpeg::Failed;
}

// A picture whose data cannot go in as it is, as a JPEG at `quality`: a JPEG XL file's own JPEG
// when it holds one, otherwise the decoded pixels.
bool stageAsJpeg(const pictures::PictureFile& source, const std::string& target,
                 std::string* problem, int quality, pictures::StopFlag stop) {
    const std::string extension = lowerCase(platform::pathPart(source.path, 0));
    const JxlJpeg jxl = stageJxlJpeg(source, extension, target, problem, stop);
    if (jxl != JxlJpeg::None)
        return jxl == JxlJpeg::Written;
    return normalisePicture(source, extension, target, problem, quality, stop);
}

// With deskew, a page found skewed is decoded once, turned and saved by its tone (a JPEG file
// re-encoded); nothing when it is straight (or cannot be decoded here), for the usual staging.
std::optional<std::string> stageStraightened(const pictures::PictureFile& source,
                                             const std::string& stem,
                                             const jobfiles::JobOptions& options,
                                             std::string* problem, pictures::StopFlag stop) {
    const std::string extension = lowerCase(platform::pathPart(source.path, 0));
    bool straight = false;
    std::string written;
    std::string why;
    const bool saved = decodeAndSave(
        source, extension, stem + ".jpg", &why,
        [&](FIBITMAP* bitmap) {
            const double skew = pageSkew(bitmap);
            if (skew == 0.0)
                return straight = true;
            written = saveTurnedByTone(bitmap, skew, source, stem, options, stop);
            return !written.empty();
        },
        stop);
    if (stop.set())
        return std::string();
    if (saved && straight)
        return std::nullopt;
    if (!saved && written.empty() && why != kNotWritten)
        return std::nullopt; // not decoded: the usual staging says why
    if (!saved && problem != nullptr)
        *problem = why;
    return written;
}

} // namespace

std::string stageForJob(const pictures::PictureFile& source, const std::string& stem,
                        const jobfiles::JobOptions& options, std::string* problem,
                        pictures::StopFlag stop) {
    const std::string jpeg = stem + ".jpg";
    // A JPEG or PNG picture inside a BMP is staged as that picture, from a copy of its bytes
    // under a name the builder does not take for a page.
    if (source.shows(pictures::kindReadBy(pictures::Decoder::Bmp))) {
        if (const std::optional<pictures::EmbeddedPicture> inner =
                pictures::bmpEmbeddedPicture(source.file)) {
            const std::string copy = stem + "_bmp." + inner->extension;
            const std::vector<std::uint8_t> bytes(inner->bytes.begin(), inner->bytes.end());
            if (!writeStagedBytes(bytes, copy)) {
                if (problem != nullptr)
                    *problem = kNotWritten;
                return {};
            }
            std::string staged = stageForJob(copy, stem, options, problem, stop);
            platform::removeFile(copy);
            return staged;
        }
    }
    if (options.deskew) {
        if (std::optional<std::string> turned =
                stageStraightened(source, stem, options, problem, stop))
            return *turned;
        jobfiles::JobOptions straight = options;
        straight.deskew = false;
        return stageForJob(source, stem, straight, problem, stop);
    }
    // JPEG data goes into the PDF as it is, whatever the name and the quality chosen; one that
    // PDF readers could not decode is re-encoded as a JPEG, at the best quality when the
    // choice is Lossless (the quality shown then is not in force).
    if (isEmbeddableJpeg(source)) {
        if (const std::optional<bool> reduced =
                stageReducedJpeg(source, jpeg, options, problem, stop))
            return *reduced ? jpeg : std::string();
        if (stageUnchanged(source, jpeg))
            return jpeg;
        if (problem != nullptr)
            *problem = kNotWritten;
        return {};
    }
    if (source.shows(pictures::kindReadBy(pictures::Decoder::JpegData))) {
        const int quality = options.lossless ? jobfiles::kDefaultQuality : options.quality;
        return stageAsJpeg(source, jpeg, problem, quality, stop) ? jpeg : std::string();
    }
    const std::string extension = lowerCase(platform::pathPart(source.path, 0));
    const JxlJpeg jxl = stageJxlJpeg(source, extension, jpeg, problem, stop);
    if (jxl != JxlJpeg::None)
        return jxl == JxlJpeg::Written ? jpeg : std::string();
    return stageByTone(source, extension, stem, options, problem, stop);
}

std::string stageForJob(const std::string& source, const std::string& stem,
                        const jobfiles::JobOptions& options, std::string* problem,
                        pictures::StopFlag stop) {
    return stageForJob(pictures::describePicture(source), stem, options, problem, stop);
}

} // namespace pw::staging
