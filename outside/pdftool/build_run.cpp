#include "outside/pdftool/build_run.h"

#include "outside/pdftool/docinfo.h"
#include "outside/pdftool/icc_profiles.h"
#include "outside/pdftool/page_options.h"
#include "outside/pdftool/pdf_writer.h"
#include "outside/pdftool/progress_plan.h"
#include "outside/pdftool/staged_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace pw::pdftool {
namespace {

constexpr std::size_t kOutputBuffer = 1 << 20;

void line(std::FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

bool removeIfPresent(const std::string& path) {
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

// The size and resolution of a PNG page, where the page layout reads them for every page.
JpegInfo pageInfo(const PngInfo& png) {
    JpegInfo info;
    info.fileSize = png.fileSize;
    info.width = png.width;
    info.height = png.height;
    info.components = png.colours();
    info.xDpi = png.xDpi;
    info.yDpi = png.yDpi;
    return info;
}

std::vector<PageSource> readHeaders(const std::vector<StagedFile>& files, std::FILE* err) {
    std::vector<PageSource> pages;
    pages.reserve(files.size());
    for (const StagedFile& file : files) {
        std::string reason = file.problem;
        if (reason.empty() && isPngName(file.name)) {
            if (auto png = readPngInfo(file.path, reason)) {
                pages.push_back({file.name, file.path, pageInfo(*png), std::move(*png), 0, {}});
                keepProfileByContent(pages.back());
                continue;
            }
        } else if (reason.empty()) {
            if (auto info = readJpegInfo(file.path, reason)) {
                pages.push_back({file.name, file.path, std::move(*info), std::nullopt, 0, {}});
                keepProfileByContent(pages.back());
                continue;
            }
        }
        // Every skipped file gets its line: the job counts them to name the missing pictures.
        // "name:" keeps the word from reading as a progress word.
        line(err, "Skipped " + file.name + ": " + reason);
    }
    return pages;
}

} // namespace

int buildStagedPdf(const std::string& folder, std::FILE* out, std::FILE* err) {
    const std::string result = folder + "/tmp.pdf";
    const std::string partial = folder + "/tmpx.pdf";
    if (!removeIfPresent(result)) {
        line(err, kWriteFailure + std::string(std::strerror(errno)));
        return kExitWriteFailed;
    }
    removeIfPresent(partial); // best effort: opening it for writing below decides

    std::string error;
    const std::vector<StagedFile> files = listStagedFiles(folder, &error);
    if (!error.empty()) {
        line(err, "No staged pictures: " + error);
        return kExitNoPictures;
    }
    if (files.empty()) {
        line(err, "No staged pictures in " + folder);
        return kExitNoPictures;
    }
    const std::vector<PageSource> pages = readHeaders(files, err);
    if (pages.empty()) {
        line(err, "None of the " + std::to_string(files.size()) + " staged pictures is usable");
        return kExitNoUsablePictures;
    }

    DocInfo docInfo;
    if (auto read = readDocInfo(folder + "/" + kDocInfoFileName))
        docInfo = std::move(*read);
    const engine::PageLayout layout = readPageOptions(folder + "/" + kPageOptionsFileName);

    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        line(err, kWriteFailure + std::string(std::strerror(errno)));
        return kExitWriteFailed;
    }
    std::vector<char> buffer(kOutputBuffer);
    std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    const auto announce = [&pages, out](std::size_t index) {
        if (announcesPage(index, pages.size())) {
            std::fprintf(out, "Adding %s \n", pages[index].name.c_str());
            std::fflush(out);
        }
    };
    bool written = writePdf(pages, docInfo, layout, file, announce, error);
    if (written && (std::fflush(file) != 0 || std::ferror(file) != 0)) {
        written = false;
        error = std::strerror(errno);
    }
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = std::strerror(errno);
    }
    if (!written) {
        unlink(partial.c_str());
        line(err, kWriteFailure + error);
        return kExitWriteFailed;
    }
    if (std::rename(partial.c_str(), result.c_str()) != 0) {
        line(err, kWriteFailure + std::string(std::strerror(errno)));
        unlink(partial.c_str());
        return kExitWriteFailed;
    }
    line(out, "Wrote " + std::to_string(pages.size()) + " of " + std::to_string(files.size()) +
                  " pages");
    return kExitOk;
}

} // namespace pw::pdftool
