#include "staging/picture_pages.h"

#include "jobfiles/page_words.h"
#include "jobfiles/staged_names.h"
#include "pictures/format_table.h"
#include "pictures/picture_kinds.h"
#include "pictures/refusal_reasons.h"
#include "pictures/tiff_pages.h"
#include "platform/files.h"
#include "platform/narrow.h"
#include "platform/path_parts.h"
#include "staging/bilevel_staging.h"
#include "staging/picture_staging.h"
#include "staging/tone_staging.h"

#include <FreeImage.h>
#include <new>

namespace pw::staging {
std::string stagedPageName(const std::string& firstTarget, int page) {
    return jobfiles::stagedPageName(firstTarget, page);
}

namespace {

// Every page; `problem` is set only where a decoder told more than that it failed.
PictureStaging stagePages(const pictures::PictureFile& source, const std::string& stem,
                          const jobfiles::JobOptions& options, pictures::StopFlag stop) {
    PictureStaging result;
    if (!pictures::isTiffPicture(source, platform::pathPart(source.path, 0))) {
        result.firstFile = stageForJob(source, stem, options, &result.problem, stop);
        result.pages = result.firstFile.empty() ? 0 : 1;
        return result;
    }

    pictures::TiffPages pages(source.file, stop);
    // FreeImage paints a page in a compression no codec here knows black and calls it read.
    if (pages.count() < 1 || pages.codecKnown(1))
        result.firstFile = stageForJob(source, stem, options, &result.problem, stop);
    else
        result.problem = pictures::tiffCompressionReason(pages.compression(1));
    const bool firstStaged = !result.firstFile.empty();
    result.pages = firstStaged ? 1 : 0;
    const std::string firstTarget = stem + (options.lossless ? ".png" : ".jpg");
    result.pageCount = pages.count() < 1 ? 1 : pages.count();
    if (!firstStaged && result.pageCount > 1)
        result.damagedPages.push_back(1);
    TiffBilevelPages bilevel(source, stop);
    for (int page = 2; page <= result.pageCount && !stop.set(); ++page) {
        std::string pageStem = stagedPageName(stem + ".tif", page);
        pageStem.resize(pageStem.size() - 4);
        if (!options.deskew && bilevel.stage(page, bilevelTarget(pageStem, options.bilevel))) {
            ++result.pages;
            continue;
        }
        pictures::Bitmap bitmap;
        try {
            if (pictures::Decoded decoded = pages.decode(page))
                bitmap = std::move(decoded.value());
        } catch (const std::bad_alloc&) {
            // Only this page is missing; the pages already staged stay in the PDF.
        }
        const bool saved =
            bitmap && !saveByTone(bitmap.get(), source, pageStem, options, stop).empty();
        if (saved)
            ++result.pages;
        else
            result.damagedPages.push_back(page);
    }
    if (result.pages == 0)
        result.damagedPages.clear(); // the whole picture is missing
    else if (result.firstFile.empty())
        result.firstFile = firstTarget; // later pages are named after page 1's place
    return result;
}

} // namespace

PictureStaging stagePicturePages(const pictures::PictureFile& source, const std::string& stem,
                                 const jobfiles::JobOptions& options, pictures::StopFlag stop,
                                 const std::string& password) {
    // A pipe named like a picture (listed by Add Folder, say) would block its reader, and with
    // it the job and its Stop: refused before anything opens it.
    if (source.deviceOrPipe) {
        PictureStaging refused;
        refused.problem = "not a picture (a pipe or device, not a file)";
        return refused;
    }
    if (source.shows(pictures::kindReadBy(pictures::Decoder::PdfPages)))
        return stagePdf(source, stem, options, password);
    initialiseFreeImage(); // its callbacks bring the decoders' messages to `heard`
    const pictures::DecoderMessages heard;
    PictureStaging result = stagePages(source, stem, options, stop);
    if (result.pages == 0)
        result.problem = pictures::refusalReason(source.file, source.kind, result.problem, heard);
    return result;
}

PictureStaging stagePicturePages(const std::string& source, const std::string& stem,
                                 const jobfiles::JobOptions& options, pictures::StopFlag stop,
                                 const std::string& password) {
    return stagePicturePages(pictures::describePicture(source), stem, options, stop, password);
}

std::vector<std::string> stagedPageNames(const std::string& firstTarget, int page) {
    const std::string name = stagedPageName(firstTarget, page);
    std::vector<std::string> names;
    for (const char* extension : {".jpg", ".png", ".tif", ".jb2"})
        names.push_back(name.substr(0, name.size() - 4) + extension);
    return names;
}

std::string existingStagedPage(const std::string& firstTarget, int page) {
    const std::vector<std::string> names = stagedPageNames(firstTarget, page);
    for (const std::string& name : names) {
        if (platform::fileExists(name))
            return name;
    }
    return names.front();
}

std::vector<std::string> stagedPageFiles(const std::string& firstTarget, int page) {
    std::vector<std::string> files = stagedPageNames(firstTarget, page);
    files.push_back(jobfiles::wordsFileFor(files.front()));
    return files;
}

void removeStagedPages(const std::string& firstTarget, int pageCount) {
    if (jobfiles::isPdfName(firstTarget)) {
        platform::removeFile(firstTarget);
        for (int page = 1; page <= pageCount; ++page)
            platform::removeFile(jobfiles::wordsFileFor(stagedPageName(firstTarget, page)));
        return;
    }
    for (int page = 1; page <= pageCount; ++page) {
        for (const std::string& name : stagedPageFiles(firstTarget, page))
            platform::removeFile(name);
    }
}

} // namespace pw::staging
