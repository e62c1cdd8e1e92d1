#include "outside/pdftool/build_run.h"

#include "formats/jbig2_page.h"
#include "formats/pdf_document.h"
#include "jobfiles/docinfo.h"
#include "jobfiles/page_options.h"
#include "jobfiles/page_turns.h"
#include "jobfiles/pdf_page_lists.h"
#include "jobfiles/picture_titles.h"
#include "outside/pdftool/ccitt_image.h"
#include "outside/pdftool/icc_profiles.h"
#include "outside/pdftool/jbig2_image.h"
#include "outside/pdftool/pdf_writer.h"
#include "outside/pdftool/progress_plan.h"
#include "outside/pdftool/staged_files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <thread>
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
formats::JpegInfo pageInfo(const formats::PngInfo& png) {
    formats::JpegInfo info;
    info.fileSize = png.fileSize;
    info.width = png.width;
    info.height = png.height;
    info.components = png.colours();
    info.xDpi = png.xDpi;
    info.yDpi = png.yDpi;
    return info;
}

// A staged file's page from its header and checked structure, or why it is skipped.
struct Checked {
    std::optional<PageSource> page;
    std::string reason;
};

// With `jbig2` a Group 4 page is coded anew into it from the check's decode; a PDF of the list
// is opened with the first of `passwords` that opens it.
Checked checkStagedFile(const StagedFile& file, Jbig2Streams* jbig2,
                        const std::vector<std::string>& passwords) {
    Checked checked;
    checked.reason = file.problem;
    if (!checked.reason.empty())
        return checked;
    try {
        auto page = [&file](formats::JpegInfo info) {
            PageSource source;
            source.name = file.name;
            source.path = file.path;
            source.info = std::move(info);
            return source;
        };
        if (jobfiles::isPdfName(file.name)) {
            // Counted here, its pages let go; the writer opens it again to copy them.
            formats::PdfOpening opened;
            for (const std::string& password :
                 passwords.empty() ? std::vector<std::string>{""} : passwords) {
                opened = formats::countPdfPages(file.path, password);
                if (opened.pdf) {
                    checked.page = page({});
                    checked.page->pdf = std::move(opened.pdf);
                    checked.page->pdfPages = opened.pages;
                    checked.page->pdfPassword = password;
                }
                if (!opened.locked)
                    break;
            }
            if (!checked.page)
                checked.reason = opened.reason;
            return checked;
        }
        if (jobfiles::isJbig2Name(file.name)) {
            // Staging coded it; its structure is checked, its stream copied as it is.
            if (auto staged = formats::readJbig2Page(file.path, checked.reason)) {
                checked.page = page(bilevelPageInfo(*staged));
                checked.page->jbig2 = Jbig2Stream{staged->streamOffset, staged->streamBytes,
                                                  staged->width, staged->height, true};
            }
        } else if (jobfiles::isTiffName(file.name)) {
            // Coded anew, the page need only decode in libtiff; copied, PDF readers must
            // decode it alike.
            std::vector<std::uint8_t> rows;
            auto g4 = jbig2 != nullptr ? formats::decodeG4Tiff(file.path, checked.reason, rows)
                                       : formats::readG4Tiff(file.path, checked.reason);
            std::optional<Jbig2Stream> coded;
            if (g4 && (jbig2 == nullptr || (coded = jbig2->add(*g4, rows, checked.reason)))) {
                checked.page = page(bilevelPageInfo(*g4));
                checked.page->g4 = std::move(*g4);
                checked.page->jbig2 = coded;
            }
        } else if (jobfiles::isPngName(file.name)) {
            if (auto png = formats::readPngInfo(file.path, checked.reason)) {
                checked.page = page(pageInfo(*png));
                checked.page->png = std::move(*png);
            }
        } else if (auto info = formats::readJpegInfo(file.path, checked.reason)) {
            checked.page = page(std::move(*info));
        }
        if (checked.page)
            keepProfileByContent(*checked.page);
    } catch (const std::bad_alloc&) {
        checked.page.reset();
        checked.reason = "not enough memory to read it";
    }
    return checked;
}

// The checks read every byte of every picture (and code the JBIG2 pages). The builder runs
// after staging, with the other cores idle, so a few threads share the files out; the results
// keep the files' order.
std::vector<Checked> checkStagedFiles(const std::vector<StagedFile>& files, Jbig2Streams* jbig2,
                                      const std::vector<std::string>& passwords) {
    constexpr unsigned kMostThreads = 4;
    std::vector<Checked> checked(files.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++)
            checked[i] = checkStagedFile(files[i], jbig2, passwords);
    };
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, kMostThreads);
    std::vector<std::thread> helpers;
    for (unsigned k = 1; k < threads && k < files.size(); ++k)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    return checked;
}

std::vector<PageSource> readHeaders(const std::vector<StagedFile>& files,
                                    const jobfiles::PageTurns& turns,
                                    const jobfiles::PdfPageLists& pdfPages, Jbig2Streams* jbig2,
                                    const std::vector<std::string>& passwords, std::FILE* err) {
    std::vector<PageSource> pages;
    pages.reserve(files.size());
    std::vector<Checked> checked = checkStagedFiles(files, jbig2, passwords);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (checked[i].page) {
            PageSource& page = pages.emplace_back(std::move(*checked[i].page));
            page.turn = jobfiles::turnOfStagedName(turns, files[i].name);
            if (page.pdf) {
                page.pdfPageList = jobfiles::keptPdfPages(
                    jobfiles::pagesOfStagedName(pdfPages, files[i].name), page.pdfPages);
                if (!page.pdfPageList.empty())
                    page.pdfPages = page.pdfPageList.size();
            }
            continue;
        }
        // Every skipped file gets its line: the job counts them to name the missing pictures.
        // "name:" keeps the word from reading as a progress word.
        line(err, jobfiles::kSkippedLead + files[i].name + ": " + checked[i].reason);
    }
    return pages;
}

// Pages in the result: a PDF of the list counts its pages.
std::size_t pageCount(const std::vector<PageSource>& pages) {
    std::size_t count = 0;
    for (const PageSource& page : pages)
        count += page.pdf ? page.pdfPages : 1;
    return count;
}

} // namespace

int buildStagedPdf(const std::string& folder, std::FILE* out, std::FILE* err,
                   const std::optional<jobfiles::Encryption>& encryption) {
    const std::string result = folder + "/tmp.pdf";
    const std::string partial = folder + "/tmpx.pdf";
    if (!removeIfPresent(result)) {
        line(err, jobfiles::kFailedLead + std::string(std::strerror(errno)));
        return jobfiles::kExitWriteFailed;
    }
    removeIfPresent(partial); // best effort: opening it for writing below decides

    std::string error;
    const std::vector<StagedFile> files = listStagedFiles(folder, &error);
    if (!error.empty()) {
        line(err, "No staged pictures: " + error);
        return jobfiles::kExitNoPictures;
    }
    if (files.empty()) {
        line(err, "No staged pictures in " + folder);
        return jobfiles::kExitNoPictures;
    }
    const std::string optionsPath = folder + "/" + jobfiles::kPageOptionsFileName;
    std::optional<Jbig2Streams> jbig2;
    if (jobfiles::readBilevelCoding(optionsPath) == jobfiles::BilevelCoding::Jbig2)
        jbig2.emplace(folder);
    const std::vector<PageSource> pages =
        readHeaders(files, jobfiles::readPageTurns(folder + "/" + jobfiles::kPageTurnsFileName),
                    jobfiles::readPdfPageLists(folder + "/" + jobfiles::kPdfPageListsFileName),
                    jbig2 ? &*jbig2 : nullptr,
                    encryption ? encryption->inputPasswords() : std::vector<std::string>(), err);
    if (pages.empty()) {
        line(err, "None of the " + std::to_string(files.size()) + " staged pictures is usable");
        return jobfiles::kExitNoUsablePictures;
    }

    jobfiles::DocInfo docInfo;
    if (auto read = jobfiles::readDocInfo(folder + "/" + jobfiles::kDocInfoFileName))
        docInfo = std::move(*read);
    const jobfiles::PageLayout layout = jobfiles::readPageOptions(optionsPath);
    const std::optional<jobfiles::PictureTitles> titles =
        jobfiles::readPictureTitles(folder + "/" + jobfiles::kPictureTitlesFileName);

    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        line(err, jobfiles::kFailedLead + std::string(std::strerror(errno)));
        return jobfiles::kExitWriteFailed;
    }
    std::vector<char> buffer(kOutputBuffer);
    std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    const auto announce = [&pages, out](std::size_t index) {
        if (announcesPage(index, pages.size())) {
            std::fprintf(out, "Adding %s \n", pages[index].name.c_str());
            std::fflush(out);
        }
    };
    std::size_t laidOnWhite = 0;
    const WriteExtras extras{encryption ? &*encryption : nullptr, titles ? &*titles : nullptr,
                             jobfiles::readPdfaLevel(optionsPath), &laidOnWhite,
                             jbig2 ? &*jbig2 : nullptr};
    bool written = writePdf(pages, docInfo, layout, file, announce, error, extras);
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
        line(err, jobfiles::kFailedLead + error);
        return jobfiles::kExitWriteFailed;
    }
    if (std::rename(partial.c_str(), result.c_str()) != 0) {
        line(err, jobfiles::kFailedLead + std::string(std::strerror(errno)));
        unlink(partial.c_str());
        return jobfiles::kExitWriteFailed;
    }
    if (laidOnWhite > 0)
        line(out, jobfiles::kLaidOnWhiteLead + std::to_string(laidOnWhite));
    line(out, jobfiles::kWroteLead + std::to_string(pageCount(pages)) + " of " +
                  std::to_string(pageCount(pages) + files.size() - pages.size()) + " pages");
    return jobfiles::kExitOk;
}

} // namespace pw::pdftool
