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

void JobSession::lockControls() {
    host_.setCommand3Enabled(false);
    host_.setToolsBarEnabled(false);
    host_.setFrontControlsEnabled(false);
    host_.setFilenameLabelVisible(false);
}

void JobSession::unlockControls(bool focusToolsBar) {
    host_.setToolsBarEnabled(true);
    if (focusToolsBar)
        host_.focusToolsBarButtons();
    host_.setFrontControlsEnabled(true);
    host_.setFilenameLabelVisible(true);
}

void JobSession::restoreControls() {
    host_.setCommand3Enabled(true);
    unlockControls(false);
}

std::optional<engine::JobRequest> JobSession::begin(const Choices& choices) {
    const int count = host_.fileCount();
    if (count <= 0) {
        prompts_.messageBox("Please add a file", "Add File", os::Buttons::Ok,
                            os::Icon::Exclamation);
        host_.focusToolsBarButtons();
        return std::nullopt;
    }
    if (host_.jobOptions().pdfa != engine::PdfaLevel::Off && host_.encryption().active()) {
        prompts_.messageBox(engine::kPdfaWithPasswordRefusal, "Convert", os::Buttons::Ok,
                            os::Icon::Exclamation);
        return std::nullopt;
    }
    lockControls();

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
        host_.setJobRunning(true);
        return request;
    }

    if (os::fileExists(os::joinPath(outputFolder, host_.title() + ".pdf"))) {
        const os::Answer answer =
            prompts_.messageBox("The output filename exists, overwrite?", "Overwrite",
                                os::Buttons::OkCancel, os::Icon::None);
        if (answer != os::Answer::Ok) {
            restoreControls();
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
                restoreControls();
                return std::nullopt;
            }
            if (answer == os::Answer::Yes)
                request.overwrite = OverwritePolicy::Overwrite;
        }
    }
    host_.setJobRunning(true);
    return request;
}

void JobSession::showConverting(double done, int total) {
    if (total > 1) {
        const double f = (done - 1) / (total - 1);
        const auto percent = static_cast<long long>(std::floor(f * 100.0));
        host_.setEngineProgressText("Converting Files..." + std::to_string(percent) + "%");
        host_.setFrontProgressText(host_.engineProgressText());
        host_.setBarWidth(f * host_.trackWidth());
    } else {
        // One picture forms no percentage: the front shows what the engine label holds.
        host_.setBarWidth(0);
        host_.setFrontProgressText(host_.engineProgressText());
    }
}

void JobSession::showCreating(double done, int total) {
    const double f = total > 0 ? done / total : 0;
    const double track = host_.trackWidth();
    // The bar moves forward only.
    if (static_cast<float>(track * f) < host_.barWidth())
        return;
    host_.setProgressVisible(true);
    host_.setFrontProgressText("Creating PDF..." +
                               std::to_string(engine::RoundHalfEven(f * 100.0)) + "%");
    host_.setBarWidth(track * f);
}

void JobSession::progress(JobStage stage, double done, int total) {
    switch (stage) {
    case JobStage::Preparing:
        host_.setProgressVisible(true);
        host_.setFrontProgressText("Preparing Files...");
        break;
    case JobStage::Converting:
        showConverting(done, total);
        break;
    case JobStage::Starting:
        host_.setEngineProgressText("Now Start Creating...");
        host_.setFrontProgressText(host_.engineProgressText());
        host_.setBarWidth(1);
        break;
    case JobStage::Creating:
        showCreating(done, total);
        break;
    case JobStage::Moving:
        host_.setBarWidth(host_.trackWidth());
        host_.setFrontProgressText("Moving File(s)...100%");
        host_.setProgressVisible(false);
        break;
    case JobStage::Removing:
        host_.setFrontProgressText("Removing Temporary Files...");
        break;
    case JobStage::Done:
        break;
    }
}

void JobSession::finished(const JobResult& result) {
    result_ = result;
    host_.setJobRunning(false);
    if (result.outcome == JobResult::Outcome::NotStarted) {
        showMessages(result);
        host_.setCommand3Enabled(true);
        unlockControls(true);
        return;
    }
    host_.setCommand3Enabled(true);
    // A stopped job opens nothing and makes no sound: the user is already there.
    const bool finished = result.outcome == JobResult::Outcome::Finished;
    if (finished)
        host_.beep();
    unlockControls(true);
    host_.setBarWidth(0);
    if (result.outcome == JobResult::Outcome::Cancelled) {
        // Said where the progress was, until the next job.
        host_.setFrontProgressText("Stopped");
        host_.setProgressVisible(true);
    } else {
        host_.setFrontProgressText("Done.");
        host_.setProgressVisible(false);
    }
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
