#include "job/job_plan.h"

#include "jobfiles/pdfa_level.h"
#include "ocr/ocr_languages.h"
#include "platform/paths.h"

namespace pw::job {

using platform::Refusal;

std::optional<Refusal> refusedOptions(const JobRequest& request, const OptionsGiven& given) {
    const jobfiles::JobOptions& options = request.options;
    if (options.pdfa != jobfiles::PdfaLevel::Off && request.encryption.active())
        return Refusal{Refusal::Code::Conflict, jobfiles::kPdfaWithPasswordRefusal};
    const jobfiles::PageLayout& page = options.page;
    if (given.perSheet && page.sheetColumns * page.sheetRows != 1) {
        if (page.size == jobfiles::PageSize::Picture)
            return Refusal{Refusal::Code::Conflict, "--per-sheet needs a paper size (--page-size)"};
        if (given.splitTall)
            return Refusal{Refusal::Code::Conflict,
                           "--per-sheet and --split-tall cannot be used together: each needs "
                           "whole pages"};
    }
    if (given.ocr || !options.ocrLanguages.empty()) {
        const std::string problem = ocr::OcrLanguageProblem(options.ocrLanguages);
        if (!problem.empty())
            return Refusal{Refusal::Code::Unavailable, problem};
    }
    if (options.autoRotate) {
        const std::string problem = ocr::OrientationDataProblem();
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
    request.displayPaths.resize(request.pictures.size());
    request.options.ocrLanguages = ocr::InstalledSpelling(request.options.ocrLanguages);
    return refusedOptions(request, given);
}

} // namespace pw::job
