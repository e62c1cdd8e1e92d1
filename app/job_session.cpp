#include "app/job_session.h"

#include "formats/pdf_document.h"
#include "job/job_plan.h"
#include "job/missing_pictures.h"
#include "job/pdf_names.h"
#include "job/tool_output.h"
#include "jobfiles/pdfa_level.h"
#include "ocr/ocr_results.h"
#include "pictures/picture_file.h"
#include "pictures/picture_kinds.h"
#include "platform/files.h"
#include "platform/narrow.h"
#include "platform/path_parts.h"
#include "platform/paths.h"

#include <cmath>

namespace pw::app {

using job::JobResult;
using job::JobStage;
using job::OverwritePolicy;

JobSession::JobSession(JobHost& host, platform::Prompts& prompts)
    : host_(host), prompts_(prompts) {}

// A plan refused, in the window's words: the design's for an empty list, else the reason.
void JobSession::refuse(const platform::Refusal& refusal) {
    if (refusal.code == platform::Refusal::Code::NoPictures) {
        prompts_.messageBox("Please add a file", "Add File", platform::Buttons::Ok,
                            platform::Icon::Exclamation);
        host_.jobStateChanged(JobState::Idle);
        return;
    }
    prompts_.messageBox(refusal.text, "Convert", platform::Buttons::Ok,
                        platform::Icon::Exclamation);
}

void JobSession::show() {
    host_.showProgress(progress_);
}

void JobSession::askPdfPasswords(job::JobRequest& request) {
    std::vector<std::string> given = request.encryption.inputPasswords();
    for (std::size_t i = 0; i < request.pictures.size(); ++i) {
        // Described as staging does: a pipe named like a picture is never opened.
        const pictures::PictureFile file = pictures::describePicture(request.pictures[i]);
        if (!file.shows(pictures::kindReadBy(pictures::Decoder::PdfPages)))
            continue;
        const std::string& path = file.narrowPath;
        // A damaged PDF is not asked about: the job names it.
        bool locked = formats::pdfLocked(path, request.encryption.inputPassword);
        for (std::size_t k = 0; locked && k < given.size(); ++k) {
            locked = formats::pdfLocked(path, given[k]);
            if (!locked)
                request.pdfPasswords[i] = given[k];
        }
        if (!locked)
            continue;
        const std::string& shown =
            request.displayPaths[i].empty() ? request.pictures[i] : request.displayPaths[i];
        std::string name = platform::pathPart(shown, 1);
        name.insert(name.begin(), '"');
        name.push_back('"');
        std::string text = name + " is protected by a password. Enter it to convert its pages "
                                  "(Cancel leaves them out):";
        std::string typed;
        while (prompts_.askPassword(text, "Password", typed)) {
            if (!formats::pdfLocked(path, typed)) {
                request.pdfPasswords[i] = typed;
                given.push_back(typed);
                break;
            }
            text = "The password of " + name +
                   " is wrong. Enter it again (Cancel leaves its pages out):";
            typed.clear();
        }
    }
}

std::optional<job::JobRequest> JobSession::begin(const Choices& choices) {
    const int count = host_.fileCount();
    job::JobRequest request;
    request.outputFolder = host_.outputFolder();
    for (int i = 0; i < count; ++i) {
        request.pictures.push_back(host_.workingPath(i));
        request.rotations.push_back(host_.rotation(i));
        request.pdfPages.push_back(host_.pdfPages(i));
        request.displayPaths.push_back(host_.displayPath(i));
    }
    request.encryption = host_.encryption();
    request.properties = host_.documentProperties();
    request.perPicture = host_.onePdfPerPicture();
    request.options = host_.jobOptions();
    request.staging = choices.staging;
    request.resultName = choices.resultName;
    request.replaceResult = choices.replaceResult;
    if (const std::optional<platform::Refusal> refusal = job::planJob(request)) {
        refuse(*refusal);
        return std::nullopt;
    }
    host_.jobStateChanged(JobState::Preparing);
    askPdfPasswords(request);
    if (request.outputFolder != host_.outputFolder())
        host_.setOutputFolder(request.outputFolder);
    const std::string& outputFolder = request.outputFolder;

    request.overwrite = choices.overwrite == job::OverwritePolicy::Ask
                            ? job::OverwritePolicy::KeepNumbered
                            : choices.overwrite;
    if (choices.overwrite != job::OverwritePolicy::Ask) {
        host_.jobStateChanged(JobState::Running);
        return request;
    }

    if (platform::fileExists(platform::joinPath(outputFolder, host_.title() + ".pdf"))) {
        const platform::Answer answer =
            prompts_.messageBox("The output filename exists, overwrite?", "Overwrite",
                                platform::Buttons::OkCancel, platform::Icon::None);
        if (answer != platform::Answer::Ok) {
            host_.jobStateChanged(JobState::Idle);
            return std::nullopt;
        }
    }
    if (request.perPicture) {
        const int replaced =
            job::countReplacedNames(request.pictures, [&](const std::string& name) {
                return platform::pathExists(platform::joinPath(outputFolder, name));
            });
        if (replaced > 0) {
            const std::string text =
                replaced == 1 ? "A PDF file with the same name exists in the output folder. "
                                "Overwrite it?"
                              : std::to_string(replaced) +
                                    " PDF files with the same names exist in the output "
                                    "folder. Overwrite them?";
            const platform::Answer answer = prompts_.messageBox(
                text, "Overwrite", platform::Buttons::YesNoCancel, platform::Icon::Question);
            if (answer != platform::Answer::Yes && answer != platform::Answer::No) {
                host_.jobStateChanged(JobState::Idle);
                return std::nullopt;
            }
            if (answer == platform::Answer::Yes)
                request.overwrite = job::OverwritePolicy::Overwrite;
        }
    }
    host_.jobStateChanged(JobState::Running);
    return request;
}

void JobSession::showConverting(double done, int total) {
    progress_.sliver = false;
    if (total > 1) {
        const double f = (done - 1) / (total - 1);
        const auto percent = static_cast<long long>(std::floor(f * 100.0));
        progress_.settingText = "Converting Files..." + std::to_string(percent) + "%";
        progress_.bar = f;
    } else {
        // One picture forms no percentage: the front shows what the Setting window's label
        // holds.
        progress_.bar = 0;
    }
    progress_.text = progress_.settingText;
    show();
}

void JobSession::showCreating(double done, int total) {
    const double f = total > 0 ? done / total : 0;
    // The bar moves forward only, and a report of the first picture leaves it as begun.
    if (f < progress_.bar || (progress_.sliver && f <= 0))
        return;
    progress_.visible = true;
    progress_.text = "Creating PDF..." + std::to_string(job::roundHalfEven(f * 100.0)) + "%";
    progress_.bar = f;
    progress_.sliver = false;
    show();
}

void JobSession::progress(job::JobStage stage, double done, int total) {
    switch (stage) {
    case job::JobStage::Preparing:
        progress_.visible = true;
        progress_.text = "Preparing Files...";
        show();
        break;
    case job::JobStage::Converting:
        showConverting(done, total);
        break;
    case job::JobStage::Starting:
        progress_.settingText = "Now Start Creating...";
        progress_.text = progress_.settingText;
        progress_.bar = 0;
        progress_.sliver = true;
        show();
        break;
    case job::JobStage::Creating:
        showCreating(done, total);
        break;
    case job::JobStage::Moving:
        progress_.bar = 1;
        progress_.sliver = false;
        progress_.text = "Moving File(s)...100%";
        progress_.visible = false;
        show();
        break;
    case job::JobStage::Removing:
        progress_.text = "Removing Temporary Files...";
        show();
        break;
    case job::JobStage::Done:
        break;
    }
}

void JobSession::finished(const job::JobResult& result) {
    result_ = result;
    if (result.outcome == job::JobResult::Outcome::NotStarted) {
        showMessages(result);
        host_.jobStateChanged(JobState::Idle);
        return;
    }
    host_.jobStateChanged(JobState::Idle);
    // A stopped job opens nothing and makes no sound: the user is already there.
    const bool finished = result.outcome == job::JobResult::Outcome::Finished;
    if (finished)
        host_.beep();
    progress_.bar = 0;
    progress_.sliver = false;
    // A stop is said where the progress was, until the next job.
    const bool stopped = result.outcome == job::JobResult::Outcome::Cancelled;
    progress_.text = stopped ? "Stopped" : "Done.";
    progress_.visible = stopped;
    show();
    // The messages in the order things happened: what the job met, then the folder opened
    // (which says so in a message of its own when it cannot be).
    showMessages(result);
    if (finished)
        host_.openFolder(result.resultsFolder);
}

void JobSession::showMessages(const job::JobResult& result) {
    for (const job::JobNotice& notice : result.notices)
        prompts_.messageBox(notice.text, notice.title, platform::Buttons::Ok, notice.icon);
    if (!result.unreadText.empty()) {
        std::string details;
        for (const std::string& line : result.unreadText)
            details += (details.empty() ? "" : "\n") + line;
        prompts_.messageBox(ocr::unreadTextNotice(result.unreadText), platform::kProgramTitle,
                            platform::Buttons::Ok, platform::Icon::Exclamation, details);
    }
    if (result.missing.empty())
        return;
    // Every picture's reason, not only the first ten's, behind "Show Details...".
    std::string details;
    for (const std::string& line : result.missingReasons)
        details += (details.empty() ? "" : "\n") + line;
    prompts_.messageBox(job::missingPicturesText(result.missing), job::kMissingPicturesTitle,
                        platform::Buttons::Ok, platform::Icon::Exclamation, details);
}

} // namespace pw::app
