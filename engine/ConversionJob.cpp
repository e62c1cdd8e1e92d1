#include "engine/ConversionJob.h"

#include "engine/document_date.h"
#include "engine/leftover_jobs.h"
#include "engine/missing_pictures.h"
#include "engine/path_parts.h"
#include "engine/pdf_names.h"
#include "engine/picture_pages.h"
#include "engine/picture_staging.h"
#include "engine/remove_folder_tree.h"
#include "engine/staging_pool.h"
#include "engine/tool_output.h"
#include "jobfiles/docinfo.h"
#include "jobfiles/page_options.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/private_folder.h"
#include "platform/processes.h"
#include "process/EndProcessesOfExecutable.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace pw::engine {
namespace {

constexpr const char* kToolImage = "pdf.exe";
constexpr const char* kToolResult = "tmp.pdf";
constexpr const char* kToolByProduct = "tmpx.pdf";
constexpr int kMaxResultNumber = 10000;
constexpr const char* kStagedAheadFolder = "ahead";
constexpr int kLookaheadPerWorker = 2;

void makeFolderChain(const std::string& folder) {
    if (folder.empty() || os::isDirectory(folder))
        return;
    const std::string parent = PathPart(folder, 3);
    if (!parent.empty() && parent != folder)
        makeFolderChain(parent);
    os::makeFolder(folder);
}

} // namespace

ConversionJob::ConversionJob(JobHost& host, os::Prompts& prompts, os::MessagePump& pump,
                             DOSOutputs& objDOS, DOSOutputs& objShell)
    : host_(host), prompts_(prompts), pump_(pump), objDOS_(objDOS), objShell_(objShell) {
    objDOS_.ReceiveOutputs = [this](std::string& CommandOutputs) {
        objDOS_ReceiveOutputs(CommandOutputs);
    };
    objDOS_.CommandOver = [this] { objDOS_CommandOver(); };
    objShell_.CommandOver = [this] { builderEnded_ = true; };
}

ConversionJob::~ConversionJob() {
    objDOS_.ReceiveOutputs = nullptr;
    objDOS_.CommandOver = nullptr;
    objShell_.CommandOver = nullptr;
}

std::string ConversionJob::ToolPath() {
    return os::joinPath(os::joinPath(os::programFilesFolder(), "data"), kToolImage);
}

std::string ConversionJob::ToolCommandLine() const {
    const std::string tool = ToolPath();
    const std::string program =
        tool.find(' ') != std::string::npos ? os::quoteArgument(tool) : tool;
    return program + " /NOASK " + os::quoteArgument(stagingFolder_);
}

std::string ConversionJob::StagedStem(int index) const {
    char number[16];
    std::snprintf(number, sizeof number, "%05d", index);
    return os::joinPath(stagingFolder_, number);
}

std::string ConversionJob::stagingFile(const char* name) const {
    return os::joinPath(stagingFolder_, name);
}

void ConversionJob::setResultName(const std::string& name, bool replace) {
    resultName_ = name;
    replaceResult_ = replace;
}

void ConversionJob::lockControls() {
    host_.setCommand3Enabled(false);
    host_.setToolsBarEnabled(false);
    host_.setFrontControlsEnabled(false);
    host_.setFilenameLabelVisible(false);
}

void ConversionJob::unlockControls(bool focusToolsBar) {
    host_.setToolsBarEnabled(true);
    if (focusToolsBar)
        host_.focusToolsBarButtons();
    host_.setFrontControlsEnabled(true);
    host_.setFilenameLabelVisible(true);
}

void ConversionJob::restoreControls() {
    host_.setCommand3Enabled(true);
    unlockControls(false);
}

bool ConversionJob::createFolders(const std::string& outputFolder) {
    // Each on its own; one that exists already or cannot be made is passed over (a result
    // that cannot be placed then goes to the default output folder).
    makeFolderChain(outputFolder);
    // The per-user folder standing for drive C: may be missing with its parents
    // (a fresh ~/.cache).
    os::makePrivateFolders(os::driveCFolder());
    os::makeFolder(os::scratchFolder());
    return prepareStaging();
}

bool ConversionJob::prepareStaging() {
    RemoveLeftoverJobFolders(ToolPath(), pump_);
    if (stagingKind_ == Staging::OwnFolder) {
        if (!jobFolder_.create(os::jobsFolder()))
            return false;
        stagingFolder_ = jobFolder_.path();
        return true;
    }
    // Everything in the staging folder goes into the PDF, so nothing found there is trusted.
    return os::resetPrivateFolder(stagingFolder_);
}

void ConversionJob::Command3_Click() {
    // The window's staging folder is its alone: a builder still working there is a stray of an
    // earlier run. A folder of its own has none.
    stagingFolder_ = stagingKind_ == Staging::OwnFolder ? os::jobsFolder() : os::stagingFolder();
    if (stagingKind_ == Staging::Shared)
        EndProcessesOfExecutable(ToolPath(), stagingFolder_);

    const int count = host_.fileCount();
    if (count <= 0) {
        prompts_.messageBox("Please add a file", "Add File", os::Buttons::Ok,
                            os::Icon::Exclamation);
        host_.focusToolsBarButtons();
        return;
    }

    lockControls();

    std::string outputFolder = host_.outputFolder();
    // The root folder keeps its only separator.
    if (outputFolder.size() > 1 && outputFolder.back() == os::separator()) {
        outputFolder.pop_back();
        host_.setOutputFolder(outputFolder);
    }
    outputFolder_ = outputFolder;

    if (policy_ == OverwritePolicy::Ask &&
        os::fileExists(os::joinPath(outputFolder, host_.title() + ".pdf"))) {
        const os::Answer answer =
            prompts_.messageBox("The output filename exists, overwrite?", "Overwrite",
                                os::Buttons::OkCancel, os::Icon::None);
        if (answer != os::Answer::Ok) {
            restoreControls();
            return;
        }
    }

    const bool perPicture = host_.onePdfPerPicture();
    if (perPicture && !choosePdfNames(count)) {
        restoreControls();
        return;
    }

    if (!createFolders(outputFolder)) {
        prompts_.messageBox("Cannot prepare the temporary folder " + stagingFolder_, "Convert",
                            os::Buttons::Ok, os::Icon::Exclamation);
        host_.setCommand3Enabled(true);
        unlockControls(true);
        return;
    }

    host_.setProgressVisible(true);
    pump_.pumpOnce();
    host_.setFrontProgressText("Preparing Files...");
    host_.reportProgress(JobStage::Preparing, 0, count);

    paths_.assign(static_cast<std::size_t>(count), std::string());
    staging_.assign(static_cast<std::size_t>(count), PictureStaging());
    missing_.assign(static_cast<std::size_t>(count), false);
    written_.clear();
    onePdfPlaced_ = false;
    options_ = host_.jobOptions();
    placedHere_ = 0;
    builderUnavailable_ = false;
    builderRan_ = false;
    trouble_ = PlacementTrouble{outputFolder, "", {}, 0};
    notices_.clear();

    stageAll(count, perPicture);

    if (!perPicture)
        runOnePdf();

    host_.setCommand3Enabled(true);
    // The folder that holds the results when none could go where the user asked.
    const bool allElsewhere = !trouble_.placed.empty() && placedHere_ == 0;
    host_.openFolder(allElsewhere ? PathPart(trouble_.placed.front(), 3) : outputFolder);
    host_.beep();
    unlockControls(true);

    host_.setFrontProgressText("Removing Temporary Files...");
    pump_.pumpOnce();
    RemoveFolderTree(stagingFolder_, pump_);
    jobFolder_.release();

    host_.setFrontProgressText("Done.");
    host_.reportProgress(JobStage::Done, count, count);
    host_.setProgressVisible(false);
    host_.setBarWidth(0);

    reportNotices();
    reportMissingPictures();
}

bool ConversionJob::choosePdfNames(int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back(host_.workingPath(i));
    const auto exists = [this](const std::string& name) {
        return os::pathExists(os::joinPath(outputFolder_, name));
    };
    OverwritePolicy policy = policy_;
    if (policy == OverwritePolicy::Ask) {
        const int replaced = CountReplacedNames(paths, exists);
        if (replaced > 0) {
            const std::string text =
                replaced == 1 ? "A PDF file with the same name exists in the output folder. "
                                "Overwrite it?"
                              : std::to_string(replaced) +
                                    " PDF files with the same names exist in the output "
                                    "folder. Overwrite them?";
            const os::Answer answer = prompts_.messageBox(
                text, "Overwrite", os::Buttons::YesNoCancel, os::Icon::Question);
            if (answer != os::Answer::Yes && answer != os::Answer::No)
                return false;
            policy = answer == os::Answer::Yes ? OverwritePolicy::Overwrite
                                               : OverwritePolicy::KeepNumbered;
        }
    }
    pdfNames_ = AssignPdfNames(paths, policy == OverwritePolicy::KeepNumbered, exists);
    overwrite_ = policy == OverwritePolicy::Overwrite;
    jobNames_.clear();
    jobNames_.insert(pdfNames_.begin(), pdfNames_.end());
    for (const std::string& path : paths)
        jobNames_.insert(OwnPdfName(path));
    return true;
}

void ConversionJob::stageAll(int count, bool perPicture) {
    for (int i = 0; i < count; ++i)
        paths_[static_cast<std::size_t>(i)] = host_.workingPath(i);
    // In per-picture mode the builder reads every staged file, so pictures staged ahead wait
    // in a subfolder until their turn.
    const std::string ahead = os::joinPath(stagingFolder_, kStagedAheadFolder);
    if (perPicture)
        os::makeFolder(ahead);
    InitialiseFreeImage();
    const int workers = StagingPool<PictureStaging>::defaultWorkers();
    StagingPool<PictureStaging> pool(count, workers, kLookaheadPerWorker * workers, [&](int i) {
        const std::string stem = StagedStem(i);
        return StagePicturePages(paths_[static_cast<std::size_t>(i)],
                                 perPicture ? os::joinPath(ahead, PathPart(stem, 1)) : stem,
                                 options_);
    });
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        staging_[at] = pool.take(i, [this] { pump_.pumpOnce(); });
        if (perPicture)
            bringIntoPlace(staging_[at]);
        missing_[at] = staging_[at].pages == 0;
        pump_.pumpOnce();
        if (perPicture) {
            runPerPicture(i, count);
        } else {
            showConvertingProgress(i, count);
            pump_.pumpOnce();
        }
    }
}

void ConversionJob::bringIntoPlace(PictureStaging& staging) {
    if (staging.firstFile.empty())
        return;
    const std::string first = os::joinPath(stagingFolder_, PathPart(staging.firstFile, 1));
    for (int page = 1; page <= staging.pageCount; ++page) {
        const std::string from = StagedPageName(staging.firstFile, page);
        if (os::fileExists(from) && !os::renameFile(from, StagedPageName(first, page)))
            os::removeFile(from); // a page the builder does not get is reported as skipped
    }
    staging.firstFile = first;
}

void ConversionJob::showConvertingProgress(int index, int count) {
    host_.reportProgress(JobStage::Converting, index + 1, count);
    if (count > 1) {
        const double f = static_cast<double>(index) / (count - 1);
        const auto percent = static_cast<long long>(std::floor(f * 100.0));
        host_.setEngineProgressText("Converting Files..." + std::to_string(percent) + "%");
        host_.setFrontProgressText(host_.engineProgressText());
        host_.setBarWidth(f * host_.trackWidth());
    } else {
        host_.setFrontProgressText(host_.engineProgressText());
    }
}

void ConversionJob::runPerPicture(int index, int count) {
    const auto at = static_cast<std::size_t>(index);
    // Without a staged picture the builder has nothing to read; the picture is already
    // marked missing.
    if (staging_[at].pages > 0 && !builderUnavailable_) {
        writeDocumentProperties();
        writePageOptions();
        objShell_.setCommandLine(ToolCommandLine());
        objShell_.setWorkingFolder(stagingFolder_);
        builderEnded_ = false;
        const std::string outputs = objShell_.ExecuteCommand();
        builderRan_ = builderRan_ || builderEnded_;
        const std::string result = stagingFile(kToolResult);
        std::string reason;
        if (!builderEnded_) {
            builderUnavailable_ = true; // the runner has said why; once is enough
        } else if (os::fileExists(result)) {
            noteSkippedPages(outputs);
            const std::string& name = pdfNames_[at];
            // A name another job took meanwhile passes to the next free one.
            const NameAt nameAt = [&](long number) {
                if (number == 0)
                    return name;
                const std::string numbered = NumberedPdfName(paths_[at], number);
                return jobNames_.count(numbered) != 0 ? std::string() : numbered;
            };
            std::string target;
            if (!overwrite_)
                target = PlaceUnderFreeName(result, outputFolder_, nameAt, LONG_MAX, reason);
            else if (PlaceFile(result, os::joinPath(outputFolder_, name), reason))
                target = os::joinPath(outputFolder_, name);
            if (!target.empty()) {
                ++placedHere_;
                written_.push_back(target);
            } else if (placeElsewhere(result, name, reason).empty()) {
                noteNoResult(at, "its PDF could not be saved: " + reason);
            }
        } else {
            // No failure when the builder skipped the picture as unusable: its line says why.
            noteSkippedPages(outputs);
            noteNoResult(at, BuilderFailureReason(outputs, objShell_.Ended()));
        }
    }
    // A builder missing from the start is said once by the runner; one that goes missing
    // after it ran leaves the remaining pictures without PDFs, and they are named.
    if (staging_[at].pages > 0 && builderUnavailable_ && builderRan_)
        noteNoResult(at, "the PDF builder could not be started");
    host_.setBarWidth(0);
    showConvertingProgress(index, count);
    pump_.pumpOnce();
    if (!staging_[at].firstFile.empty()) {
        os::removeFile(staging_[at].firstFile);
        RemoveLaterPages(staging_[at].firstFile, staging_[at].pageCount);
    }
    os::removeFile(stagingFile(kToolResult));
    os::removeFile(stagingFile(kToolByProduct));
    pump_.pumpOnce();
}

std::string ConversionJob::placeElsewhere(const std::string& source, const std::string& fileName,
                                          const std::string& reason) {
    if (trouble_.reason.empty())
        trouble_.reason = reason;
    const std::string fallback = os::defaultOutputFolder();
    if (fallback != outputFolder_) {
        makeFolderChain(fallback);
        std::string ignored;
        const std::string target =
            fileName.empty()
                ? PlaceUnderFreeName(source, fallback, NumberedNames(resultName_),
                                     kMaxResultNumber, ignored)
                : PlaceUnderFreeName(source, fallback, NumberedNames(fileName), LONG_MAX, ignored);
        if (!target.empty()) {
            trouble_.placed.push_back(target);
            written_.push_back(target);
            return target;
        }
    }
    ++trouble_.lost;
    return "";
}

void ConversionJob::noteNoResult(std::size_t index, const std::string& reason) {
    missing_[index] = true;
    if (!reason.empty())
        staging_[index].problem = reason;
}

void ConversionJob::noteBuilderFailure(const std::string& outputs) {
    const std::string text = BuilderFailureText(outputs);
    if (!text.empty() && std::find(notices_.begin(), notices_.end(), text) == notices_.end())
        notices_.push_back(text);
}

void ConversionJob::runOnePdf() {
    host_.setEngineProgressText("Now Start Creating...");
    host_.setFrontProgressText(host_.engineProgressText());
    host_.setBarWidth(1);
    writeDocumentProperties();
    writePageOptions();
    builderEnded_ = false;
    objDOS_.setWorkingFolder(stagingFolder_);
    const std::string outputs = objDOS_.ExecuteCommand(ToolCommandLine());
    // A builder that did not start (the runner has said so), failed on its own or wrote a
    // result that could not be placed is no fault of the pictures.
    if (!builderEnded_)
        return;
    if (!onePdfPlaced_ && (!trouble_.reason.empty() || !BuilderFailureText(outputs).empty())) {
        noteBuilderFailure(outputs);
        return;
    }
    noteSkippedPages(objDOS_.Outputs());
}

void ConversionJob::noteSkippedPages(const std::string& outputs) {
    for (const SkippedPage& skipped : SkippedPages(outputs)) {
        if (skipped.index < 0 || static_cast<std::size_t>(skipped.index) >= missing_.size())
            continue;
        const auto at = static_cast<std::size_t>(skipped.index);
        NotePageSkipped(staging_[at], skipped.page, skipped.reason);
        if (staging_[at].pages == 0)
            missing_[at] = true;
    }
}

void ConversionJob::writeDocumentProperties() {
    DocumentProperties properties = host_.documentProperties();
    properties.creationDate = DocumentDate(properties.creationDate);
    // The builder falls back to its own defaults when the file is missing.
    pdftool::writeDocInfo(stagingFolder_, properties);
}

void ConversionJob::writePageOptions() {
    // Written before every run. Should it fail, the builder finds no layout and keeps each page
    // as large as its picture: every picture still gets its page, so the job goes on.
    pdftool::writePageOptions(stagingFolder_, options_.page);
}

void ConversionJob::objDOS_ReceiveOutputs(std::string& CommandOutputs) {
    const double k = ReportedIndex(CommandOutputs);
    const double f = k / host_.fileCount();
    const double track = host_.trackWidth();
    if (static_cast<float>(track * f) < host_.barWidth())
        return;
    host_.setProgressVisible(true);
    host_.setFrontProgressText("Creating PDF..." + std::to_string(RoundHalfEven(f * 100.0)) + "%");
    host_.reportProgress(JobStage::Creating, static_cast<int>(k), host_.fileCount());
    host_.setBarWidth(track * f);
}

void ConversionJob::objDOS_CommandOver() {
    builderEnded_ = true;
    host_.setBarWidth(host_.trackWidth());
    host_.setFrontProgressText("Moving File(s)...100%");
    host_.reportProgress(JobStage::Moving, host_.fileCount(), host_.fileCount());
    const std::string source = stagingFile(kToolResult);
    if (os::fileExists(source))
        placeOnePdf(source);
    host_.setProgressVisible(false);
}

void ConversionJob::placeOnePdf(const std::string& source) {
    const std::string folder = host_.outputFolder();
    std::string reason;
    std::string target = os::joinPath(folder, resultName_);
    if (replaceResult_) {
        if (!PlaceFile(source, target, reason))
            target.clear();
    } else {
        target = PlaceUnderFreeName(source, folder, NumberedNames(resultName_), kMaxResultNumber,
                                    reason);
    }
    onePdfPlaced_ = !target.empty();
    if (onePdfPlaced_) {
        ++placedHere_;
        written_.push_back(target);
    } else {
        onePdfPlaced_ = !placeElsewhere(source, "", reason).empty();
    }
}

void ConversionJob::reportNotices() {
    // Where the PDFs went comes first, then the other notices in the order they arose.
    if (!trouble_.reason.empty())
        prompts_.messageBox(PlacementTroubleText(trouble_), os::kProgramTitle, os::Buttons::Ok,
                            os::Icon::Exclamation);
    for (const std::string& text : notices_)
        prompts_.messageBox(text, os::kProgramTitle, os::Buttons::Ok, os::Icon::Exclamation);
}

std::vector<std::string>
ConversionJob::missingLines(std::string (*line)(const std::string&, const PictureStaging&)) const {
    std::vector<std::string> missing;
    for (std::size_t i = 0; i < missing_.size(); ++i) {
        PictureStaging staging = staging_[i];
        if (missing_[i])
            staging.pages = 0; // no result holds any of its pages
        const std::string entry = line(paths_[i], staging);
        if (!entry.empty())
            missing.push_back(entry);
    }
    return missing;
}

std::vector<std::string> ConversionJob::missingPictures() const {
    return missingLines(MissingEntry);
}

std::vector<std::string> ConversionJob::missingReasons() const {
    return missingLines(MissingReasonLine);
}

void ConversionJob::reportMissingPictures() {
    const std::vector<std::string> missing = missingPictures();
    if (missing.empty())
        return;
    // Every picture's reason, not only the first ten's, behind "Show Details...".
    std::string details;
    for (const std::string& line : missingReasons())
        details += (details.empty() ? "" : "\n") + line;
    prompts_.messageBox(MissingPicturesText(missing), kMissingPicturesTitle, os::Buttons::Ok,
                        os::Icon::Exclamation, details);
}

} // namespace pw::engine
