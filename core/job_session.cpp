#include "core/job_session.h"

#include "engine/missing_pictures.h"
#include "engine/pdf_names.h"
#include "engine/tool_output.h"
#include "jobfiles/pdfa_level.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <cmath>

namespace pw {

using engine::JobResult;
using engine::JobStage;
using engine::OverwritePolicy;

JobSession::JobSession(JobHost& host, os::Prompts& prompts) : host_(host), prompts_(prompts) {}

void JobSession::show() {
    host_.showProgress(progress_);
}

std::optional<engine::JobRequest> JobSession::begin(const Choices& choices) {
    const int count = host_.fileCount();
    if (count <= 0) {
        prompts_.messageBox("Please add a file", "Add File", os::Buttons::Ok,
                            os::Icon::Exclamation);
        host_.jobStateChanged(JobState::Idle);
        return std::nullopt;
    }
    if (host_.jobOptions().pdfa != engine::PdfaLevel::Off && host_.encryption().active()) {
        prompts_.messageBox(engine::kPdfaWithPasswordRefusal, "Convert", os::Buttons::Ok,
                            os::Icon::Exclamation);
        return std::nullopt;
    }
    host_.jobStateChanged(JobState::Preparing);

    std::string outputFolder = host_.outputFolder();
    // The root folder keeps its only separator.
    if (outputFolder.size() > 1 && outputFolder.back() == os::separator()) {
        outputFolder.pop_back();
        host_.setOutputFolder(outputFolder);
    }

    engine::JobRequest request;
    request.outputFolder = outputFolder;
    for (int i = 0; i < count; ++i) {
        request.pictures.push_back(host_.workingPath(i));
        request.rotations.push_back(host_.rotation(i));
        request.displayPaths.push_back(host_.displayPath(i));
    }
    request.encryption = host_.encryption();
    request.properties = host_.documentProperties();
    request.perPicture = host_.onePdfPerPicture();
    request.options = host_.jobOptions();
    request.staging = choices.staging;
    request.resultName = choices.resultName;
    request.replaceResult = choices.replaceResult;
    request.overwrite = choices.overwrite == OverwritePolicy::Ask ? OverwritePolicy::KeepNumbered
                                                                  : choices.overwrite;
    if (choices.overwrite != OverwritePolicy::Ask) {
        host_.jobStateChanged(JobState::Running);
        return request;
    }

    if (os::fileExists(os::joinPath(outputFolder, host_.title() + ".pdf"))) {
        const os::Answer answer =
            prompts_.messageBox("The output filename exists, overwrite?", "Overwrite",
                                os::Buttons::OkCancel, os::Icon::None);
        if (answer != os::Answer::Ok) {
            host_.jobStateChanged(JobState::Idle);
            return std::nullopt;
        }
    }
    if (request.perPicture) {
        const int replaced =
            engine::CountReplacedNames(request.pictures, [&](const std::string& name) {
                return os::pathExists(os::joinPath(outputFolder, name));
            });
        if (replaced > 0) {
            const std::string text =
                replaced == 1 ? "A PDF file with the same name exists in the output folder. "
                                "Overwrite it?"
                              : std::to_string(replaced) +
                                    " PDF files with the same names exist in the output "
                                    "folder. Overwrite them?";
            const os::Answer answer = prompts_.messageBox(
                text, "Overwrite", os::Buttons::YesNoCancel, os::Icon::Question);
            if (answer != os::Answer::Yes && answer != os::Answer::No) {
                host_.jobStateChanged(JobState::Idle);
                return std::nullopt;
            }
            if (answer == os::Answer::Yes)
                request.overwrite = OverwritePolicy::Overwrite;
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
    progress_.text = "Creating PDF..." + std::to_string(engine::RoundHalfEven(f * 100.0)) + "%";
    progress_.bar = f;
    progress_.sliver = false;
    show();
}

void JobSession::progress(JobStage stage, double done, int total) {
    switch (stage) {
    case JobStage::Preparing:
        progress_.visible = true;
        progress_.text = "Preparing Files...";
        show();
        break;
    case JobStage::Converting:
        showConverting(done, total);
        break;
    case JobStage::Starting:
        progress_.settingText = "Now Start Creating...";
        progress_.text = progress_.settingText;
        progress_.bar = 0;
        progress_.sliver = true;
        show();
        break;
    case JobStage::Creating:
        showCreating(done, total);
        break;
    case JobStage::Moving:
        progress_.bar = 1;
        progress_.sliver = false;
        progress_.text = "Moving File(s)...100%";
        progress_.visible = false;
        show();
        break;
    case JobStage::Removing:
        progress_.text = "Removing Temporary Files...";
        show();
        break;
    case JobStage::Done:
        break;
    }
}

void JobSession::finished(const JobResult& result) {
    result_ = result;
    if (result.outcome == JobResult::Outcome::NotStarted) {
        showMessages(result);
        host_.jobStateChanged(JobState::Idle);
        return;
    }
    host_.jobStateChanged(JobState::Idle);
    // A stopped job opens nothing and makes no sound: the user is already there.
    const bool finished = result.outcome == JobResult::Outcome::Finished;
    if (finished)
        host_.beep();
    progress_.bar = 0;
    progress_.sliver = false;
    // A stop is said where the progress was, until the next job.
    const bool stopped = result.outcome == JobResult::Outcome::Cancelled;
    progress_.text = stopped ? "Stopped" : "Done.";
    progress_.visible = stopped;
    show();
    // The messages in the order things happened: what the job met, then the folder opened
    // (which says so in a message of its own when it cannot be).
    showMessages(result);
    if (finished)
        host_.openFolder(result.resultsFolder);
}

void JobSession::showMessages(const JobResult& result) {
    for (const engine::JobNotice& notice : result.notices)
        prompts_.messageBox(notice.text, notice.title, os::Buttons::Ok, notice.icon);
    if (result.missing.empty())
        return;
    // Every picture's reason, not only the first ten's, behind "Show Details...".
    std::string details;
    for (const std::string& line : result.missingReasons)
        details += (details.empty() ? "" : "\n") + line;
    prompts_.messageBox(engine::MissingPicturesText(result.missing), engine::kMissingPicturesTitle,
                        os::Buttons::Ok, os::Icon::Exclamation, details);
}

} // namespace pw
