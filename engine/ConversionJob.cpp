#include "engine/ConversionJob.h"

#include "engine/document_date.h"
#include "engine/missing_pictures.h"
#include "engine/path_parts.h"
#include "engine/picture_pages.h"
#include "engine/picture_staging.h"
#include "engine/remove_folder_tree.h"
#include "engine/staging_pool.h"
#include "engine/tool_output.h"
#include "outside/pdftool/docinfo.h"
#include "outside/pdftool/page_options.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/private_folder.h"
#include "platform/processes.h"
#include "process/EndProcessesOfExecutable.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace pw::engine {
namespace {

constexpr const char* kToolImage = "pdf.exe";
constexpr const char* kToolResult = "tmp.pdf";
constexpr const char* kToolByProduct = "tmpx.pdf";
constexpr int kMaxResultNumber = 10000;
constexpr std::chrono::milliseconds kStrayCheckInterval{200};
constexpr const char* kStagedAheadFolder = "ahead";
constexpr int kLookaheadPerWorker = 2;

std::string stagingFile(const char* name) {
    return os::joinPath(os::stagingFolder(), name);
}

// The builder's result goes into the output folder, replacing a file of that name. The staging
// folder is removed afterwards, so the file is moved when it can be and copied otherwise.
bool placeResult(const std::string& source, const std::string& target) {
    return os::renameFile(source, target) || os::copyFile(source, target, false);
}

} // namespace

ConversionJob::ConversionJob(JobHost& host, os::Prompts& prompts, os::MessagePump& pump,
                             DOSOutputs& objDOS, DOSOutputs& objShell)
    : host_(host), prompts_(prompts), pump_(pump), objDOS_(objDOS), objShell_(objShell) {
    objDOS_.ReceiveOutputs = [this](std::string& CommandOutputs) {
        objDOS_ReceiveOutputs(CommandOutputs);
    };
    objDOS_.CommandOver = [this] { objDOS_CommandOver(); };
}

ConversionJob::~ConversionJob() {
    objDOS_.ReceiveOutputs = nullptr;
    objDOS_.CommandOver = nullptr;
}

std::string ConversionJob::ToolPath() {
    return os::joinPath(os::joinPath(os::programFilesFolder(), "data"), kToolImage);
}

std::string ConversionJob::ToolCommandLine() {
    const std::string tool = ToolPath();
    const std::string program =
        tool.find(' ') != std::string::npos ? os::quoteArgument(tool) : tool;
    return program + " /NOASK";
}

std::string ConversionJob::StagedStem(int index) {
    char number[16];
    std::snprintf(number, sizeof number, "%05d", index);
    return os::joinPath(os::stagingFolder(), number);
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

bool ConversionJob::createFolders(const std::string& outputFolder) {
    // Each on its own; one that exists already or cannot be made is passed over.
    os::makeFolder(outputFolder);
    // The per-user folder standing for drive C: may be missing with its parents
    // (a fresh ~/.cache).
    os::makePrivateFolders(os::driveCFolder());
    os::makeFolder(os::scratchFolder());
    // Everything in the staging folder goes into the PDF, so nothing found there is trusted.
    return os::resetPrivateFolder(os::stagingFolder());
}

void ConversionJob::Command3_Click() {
    EndProcessesOfExecutable(ToolPath());

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
            host_.setCommand3Enabled(true);
            unlockControls(false);
            return;
        }
    }

    if (!createFolders(outputFolder)) {
        prompts_.messageBox("Cannot prepare the temporary folder " + os::stagingFolder(), "Convert",
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
    staged_.assign(static_cast<std::size_t>(count), false);
    staging_.assign(static_cast<std::size_t>(count), PictureStaging());
    missing_.assign(static_cast<std::size_t>(count), false);
    placedNames_.clear();
    written_.clear();
    onePdfPlaced_ = false;
    options_ = host_.jobOptions();

    const bool perPicture = host_.onePdfPerPicture();
    stageAll(count, perPicture);
    EndProcessesOfExecutable(ToolPath());

    if (!perPicture)
        runOnePdf();

    host_.setCommand3Enabled(true);
    host_.openFolder(outputFolder);
    host_.beep();
    unlockControls(true);

    host_.setFrontProgressText("Removing Temporary Files...");
    pump_.pumpOnce();
    RemoveFolderTree(os::stagingFolder(), pump_);

    host_.setFrontProgressText("Done.");
    host_.reportProgress(JobStage::Done, count, count);
    host_.setProgressVisible(false);
    host_.setBarWidth(0);

    reportMissingPictures();
}

void ConversionJob::stageAll(int count, bool perPicture) {
    for (int i = 0; i < count; ++i)
        paths_[static_cast<std::size_t>(i)] = host_.workingPath(i);
    // In per-picture mode the builder reads every staged file, so pictures staged ahead wait
    // in a subfolder until their turn.
    const std::string ahead = os::joinPath(os::stagingFolder(), kStagedAheadFolder);
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
    auto lastStrayCheck = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        staging_[at] = pool.take(i, [this] { pump_.pumpOnce(); });
        if (perPicture)
            bringIntoPlace(staging_[at]);
        const bool staged = staging_[at].pages > 0;
        staged_[at] = staged;
        missing_[at] = !staged;
        pump_.pumpOnce();
        // Before each per-picture run the builder must be the only one. While one-PDF staging
        // runs no builder is started, and a walk of the process table costs as much as staging
        // a picture, so strays are ended a few times a second there; the walk after the loop
        // is unconditional.
        const auto now = std::chrono::steady_clock::now();
        if (perPicture || now - lastStrayCheck >= kStrayCheckInterval) {
            EndProcessesOfExecutable(ToolPath());
            lastStrayCheck = now;
        }
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
    const std::string first = os::joinPath(os::stagingFolder(), PathPart(staging.firstFile, 1));
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
    const std::string& path = paths_[at];
    // Without a staged picture the builder has nothing to read; the picture is already
    // marked missing.
    if (staged_[at]) {
        writeDocumentProperties();
        writePageOptions();
        objShell_.setCommandLine(ToolCommandLine());
        noteSkippedPages(objShell_.ExecuteCommand());
        const std::string target = perPictureTarget(path);
        if (os::fileExists(stagingFile(kToolResult)) &&
            placeResult(stagingFile(kToolResult), target)) {
            placedNames_.insert(target);
            written_.push_back(target);
        } else {
            missing_[at] = true;
        }
    }
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

std::string ConversionJob::perPictureTarget(const std::string& path) {
    // A name without "." keeps the whole name. The first picture of a base name replaces an
    // earlier job's result; later pictures of the same base name in this job get a number.
    std::string base = FileBaseName(path);
    if (base.empty())
        base = PathPart(path, 1);
    const std::string first = os::joinPath(outputFolder_, base + ".pdf");
    const bool keepExisting = policy_ == OverwritePolicy::KeepNumbered && os::pathExists(first);
    if (placedNames_.count(first) == 0 && !keepExisting)
        return first;
    for (int k = 1;; ++k) {
        const std::string numbered = os::joinPath(outputFolder_, base + std::to_string(k) + ".pdf");
        if (placedNames_.count(numbered) == 0 && !os::pathExists(numbered))
            return numbered;
    }
}

void ConversionJob::runOnePdf() {
    host_.setEngineProgressText("Now Start Creating...");
    host_.setFrontProgressText(host_.engineProgressText());
    host_.setBarWidth(1);
    writeDocumentProperties();
    writePageOptions();
    objDOS_.ExecuteCommand(ToolCommandLine());
    // Without a result nothing that was staged reached the user.
    if (!onePdfPlaced_) {
        missing_.assign(missing_.size(), true);
        return;
    }
    noteSkippedPages(objDOS_.Outputs());
}

void ConversionJob::noteSkippedPages(const std::string& outputs) {
    for (const SkippedPage& skipped : SkippedPages(outputs)) {
        if (skipped.index < 0 || static_cast<std::size_t>(skipped.index) >= missing_.size())
            continue;
        const auto at = static_cast<std::size_t>(skipped.index);
        NotePageSkipped(staging_[at], skipped.page);
        if (staging_[at].pages == 0)
            missing_[at] = true;
    }
}

void ConversionJob::writeDocumentProperties() {
    DocumentProperties properties = host_.documentProperties();
    properties.creationDate = DocumentDate(properties.creationDate);
    // The builder falls back to its own defaults when the file is missing.
    pdftool::writeDocInfo(os::stagingFolder(), properties);
}

void ConversionJob::writePageOptions() {
    // Written before every run. Should it fail, the builder finds no layout and keeps each page
    // as large as its picture: every picture still gets its page, so the job goes on.
    pdftool::writePageOptions(os::stagingFolder(), options_.page);
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
    host_.setBarWidth(host_.trackWidth());
    host_.setFrontProgressText("Moving File(s)...100%");
    host_.reportProgress(JobStage::Moving, host_.fileCount(), host_.fileCount());
    const std::string folder = host_.outputFolder();
    const std::string source = stagingFile(kToolResult);
    std::string target = os::joinPath(folder, "NewPDF.pdf");
    bool found = !os::fileExists(target);
    for (int k = 1; !found && k <= kMaxResultNumber; ++k) {
        target = os::joinPath(folder, "NewPDF" + std::to_string(k) + ".pdf");
        found = !os::fileExists(target);
    }
    if (found && os::fileExists(source))
        onePdfPlaced_ = placeResult(source, target);
    if (onePdfPlaced_)
        written_.push_back(target);
    host_.setProgressVisible(false);
}

std::vector<std::string> ConversionJob::missingPictures() const {
    std::vector<std::string> missing;
    for (std::size_t i = 0; i < missing_.size(); ++i) {
        PictureStaging staging = staging_[i];
        if (missing_[i])
            staging.pages = 0; // no result holds any of its pages
        const std::string entry = MissingEntry(paths_[i], staging);
        if (!entry.empty())
            missing.push_back(entry);
    }
    return missing;
}

void ConversionJob::reportMissingPictures() {
    const std::vector<std::string> missing = missingPictures();
    if (missing.empty())
        return;
    prompts_.messageBox(MissingPicturesText(missing), kMissingPicturesTitle, os::Buttons::Ok,
                        os::Icon::Exclamation);
}

} // namespace pw::engine
