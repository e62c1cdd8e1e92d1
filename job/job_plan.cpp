#include "job/job_plan.h"

#include "jobfiles/page_layout_text.h"
#include "jobfiles/pdfa_level.h"
#include "ocr/ocr_languages.h"
#include "platform/narrow.h"
#include "platform/paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace pw::job {

using platform::Refusal;

namespace {

Refusal conflict(std::string text) {
    return Refusal{Refusal::Code::Conflict, std::move(text)};
}

// Millimetres to one decimal, rounded down (but for the points' own rounding), so that a size
// just short of the least is not shown as that least; nothing below zero.
std::string shownMillimetres(double points) {
    char text[32];
    const double mm = std::max(0.0, jobfiles::pointsToMillimetres(points));
    std::snprintf(text, sizeof text, "%.1f", std::floor(mm * 10.0 + 1e-6) / 10.0);
    return text;
}

// The layout on paper leaves every picture at least kMinPictureRoomMm across and down, in each
// orientation its pages may take.
std::optional<Refusal> refusedRoom(const jobfiles::PageLayout& page) {
    if (page.size == jobfiles::PageSize::Picture)
        return std::nullopt;
    std::vector<bool> turns;
    if (page.orientation != jobfiles::Orientation::Landscape)
        turns.push_back(false);
    if (page.orientation != jobfiles::Orientation::Portrait)
        turns.push_back(true);
    // Exactly the least passes, whatever the rounding of millimetres to points.
    const double least = jobfiles::millimetresToPoints(jobfiles::kMinPictureRoomMm) - 1e-6;
    for (const bool landscape : turns) {
        const jobfiles::PictureRoom room = jobfiles::pictureRoom(page, landscape);
        if (room.width >= least && room.height >= least)
            continue;
        const bool shared = jobfiles::sharesSheets(page);
        const bool margin = page.marginMm > 0.0;
        const bool gap = shared && page.gapMm > 0.0;
        std::vector<std::string> remedies;
        if (shared)
            remedies.push_back("fewer per sheet");
        if (margin || gap)
            remedies.push_back(margin && gap ? "a smaller margin or gap"
                               : margin      ? "a smaller margin"
                                             : "a smaller gap");
        remedies.push_back("larger paper");
        std::string remedy;
        for (std::size_t i = 0; i < remedies.size(); ++i)
            remedy += (i == 0                    ? ""
                       : i + 1 < remedies.size() ? ", "
                       : remedies.size() > 2     ? ", or "
                                                 : " or ") +
                      remedies[i];
        return conflict("each picture would get " + shownMillimetres(room.width) + " x " +
                        shownMillimetres(room.height) + " mm; at least " +
                        std::to_string(static_cast<int>(jobfiles::kMinPictureRoomMm)) +
                        " mm is needed: " + remedy);
    }
    return std::nullopt;
}

// Options of the page layout stated on the command line that could not act.
std::optional<Refusal> refusedStated(const jobfiles::PageLayout& page, const OptionsGiven& given) {
    const bool paper = page.size != jobfiles::PageSize::Picture;
    const bool grid = jobfiles::sheetGrid(page).cells() > 1;
    const bool shared = jobfiles::sharesSheets(page);
    if (given.perSheet && grid && !paper)
        return conflict("--per-sheet needs a paper size (--page-size)");
    if (given.splitTall && !paper)
        return conflict("--split-tall needs a paper size (--page-size)");
    if (given.splitTall && shared)
        return conflict(given.perSheet ? "--per-sheet and --split-tall cannot be used together: "
                                         "each needs whole pages"
                                       : "--split-tall cannot act while the saved settings put "
                                         "several pictures on each sheet: add --per-sheet 1x1");
    if (given.overlap) {
        if (!page.splitTall)
            return conflict("--overlap needs --split-tall");
        if (!paper)
            return conflict("--overlap needs a paper size (--page-size)");
        if (shared)
            return conflict("--overlap cannot act while several pictures share a sheet "
                            "(--per-sheet): a shared sheet splits no picture");
    }
    if (page.splitTall && paper && !shared) {
        // A slice repeats at most half of the one before: the builder could do no more.
        const double window =
            std::min(jobfiles::tallArea(page).height, jobfiles::tallArea(page, true).width);
        if (jobfiles::millimetresToPoints(page.overlapMm) > window / 2.0 + 1e-6)
            return conflict("an overlap of " +
                            shownMillimetres(jobfiles::millimetresToPoints(page.overlapMm)) +
                            " mm is more than half of a slice: at most " +
                            shownMillimetres(window / 2.0) + " mm on this paper");
    }
    if (given.gap) {
        if (!grid)
            return conflict("--gap needs --per-sheet");
        if (!paper)
            return conflict("--gap needs a paper size (--page-size)");
    }
    return std::nullopt;
}

} // namespace

std::string passwordProblem(const std::string& password) {
    if (password.size() > jobfiles::kMostPasswordBytes)
        return "is longer than " + std::to_string(jobfiles::kMostPasswordBytes) + " bytes";
    if (password.find('\0') != std::string::npos)
        return "holds a NUL byte";
    if (!platform::isValidUtf8(password))
        return "is not UTF-8: passwords must be UTF-8 for AES-256";
    return "";
}

std::optional<Refusal> refusedOptions(const JobRequest& request, const OptionsGiven& given) {
    const jobfiles::JobOptions& options = request.options;
    const jobfiles::Encryption& encryption = request.encryption;
    for (const auto& [name, password] : {std::pair{"open", &encryption.openPassword},
                                         std::pair{"owner", &encryption.ownerPassword}}) {
        const std::string problem = passwordProblem(*password);
        if (!problem.empty())
            return conflict(std::string("the ") + name + " password " + problem);
    }
    if (options.pdfa != jobfiles::PdfaLevel::Off && encryption.active())
        return conflict(encryption.openPassword.empty() && encryption.ownerPassword.empty()
                            ? jobfiles::kPdfaWithRestrictionsRefusal
                            : jobfiles::kPdfaWithPasswordRefusal);
    if (std::optional<Refusal> refusal = refusedStated(options.page, given))
        return refusal;
    if (given.keepColour && options.lossless)
        return conflict("--keep-colour needs a quality (--quality 1-100): lossless keeps every "
                        "colour as it is");
    if (std::optional<Refusal> refusal = refusedRoom(options.page))
        return refusal;
    if (given.ocr || !options.ocrLanguages.empty()) {
        const std::string problem = ocr::ocrLanguageProblem(options.ocrLanguages);
        if (!problem.empty())
            return Refusal{Refusal::Code::Unavailable, problem};
    }
    if (options.autoRotate) {
        const std::string problem = ocr::orientationDataProblem();
        if (!problem.empty())
            return Refusal{Refusal::Code::Unavailable, problem};
    }
    return std::nullopt;
}

std::optional<Refusal> planJob(JobRequest& request, const OptionsGiven& given) {
    if (request.pictures.empty())
        return Refusal{Refusal::Code::NoPictures, "no pictures given"};
    // The root folder keeps its only separator.
    std::string& folder = request.outputFolder;
    if (folder.size() > 1 && folder.back() == platform::separator())
        folder.pop_back();
    request.rotations.resize(request.pictures.size(), 0);
    request.pdfPages.resize(request.pictures.size());
    request.displayPaths.resize(request.pictures.size());
    request.pdfPasswords.resize(request.pictures.size());
    request.options.ocrLanguages = ocr::installedSpelling(request.options.ocrLanguages);
    return refusedOptions(request, given);
}

} // namespace pw::job
