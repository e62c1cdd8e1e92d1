#include "job/ConversionJob.h"

#include "job/document_date.h"
#include "job/leftover_jobs.h"
#include "job/missing_pictures.h"
#include "job/pdf_names.h"
#include "job/staging_pool.h"
#include "job/tool_output.h"
#include "jobfiles/docinfo.h"
#include "jobfiles/page_options.h"
#include "jobfiles/page_turns.h"
#include "jobfiles/page_words.h"
#include "jobfiles/pdf_page_lists.h"
#include "jobfiles/picture_titles.h"
#include "ocr/ocr_pages.h"
#include "pictures/picture_file.h"
#include "platform/EndProcessesOfExecutable.h"
#include "platform/files.h"
#include "platform/path_parts.h"
#include "platform/paths.h"
#include "platform/private_folder.h"
#include "platform/processes.h"
#include "platform/remove_folder_tree.h"
#include "staging/picture_pages.h"
#include "staging/picture_staging.h"
#include "staging/resolution_ceiling.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <utility>

namespace pw::job {
namespace {

constexpr const char* kToolImage = "pdf.exe";
constexpr const char* kToolResult = "tmp.pdf";
constexpr const char* kToolByProduct = "tmpx.pdf";
constexpr int kMaxResultNumber = 10000;
constexpr const char* kStagedAheadFolder = "ahead";
constexpr int kLookaheadPerWorker = 2;

void makeFolderChain(const std::string& folder) {
    if (folder.empty() || platform::isDirectory(folder))
        return;
    const std::string parent = platform::pathPart(folder, 3);
    if (!parent.empty() && parent != folder)
        makeFolderChain(parent);
    platform::makeFolder(folder);
}

// What the builder is told: the request's encryption, trying each PDF's own password on every
// PDF of the list.
jobfiles::Encryption builderEncryption(const JobRequest& request) {
    jobfiles::Encryption encryption = request.encryption;
    encryption.morePasswords.insert(encryption.morePasswords.end(), request.pdfPasswords.begin(),
                                    request.pdfPasswords.end());
    return encryption;
}

} // namespace

ConversionJob::ConversionJob(JobRequest request, JobEvents& events)
    : request_(std::move(request)), events_(events),
      count_(static_cast<int>(request_.pictures.size())), objDOS_(wait_, runnerNotices_),
      objShell_(wait_, runnerNotices_) {
    objDOS_.ReceiveOutputs = [this](std::string& chunk) { builderOutput(chunk); };
    objDOS_.CommandOver = [this] { builderEnded(); };
    objShell_.CommandOver = [this] { builderEnded_ = true; };
    const auto stop = [this] { return cancelled_.load(); };
    objDOS_.StopRequested = stop;
    objShell_.StopRequested = stop;
    const jobfiles::Encryption encryption = builderEncryption(request_);
    if (encryption.handedOver()) {
        objDOS_.setInput(jobfiles::encryptionText(encryption));
        objShell_.setInput(jobfiles::encryptionText(encryption));
    }
}

std::string ConversionJob::toolPath() {
    return platform::joinPath(platform::joinPath(platform::programFilesFolder(), "data"),
                              kToolImage);
}

std::string ConversionJob::toolCommandLine() const {
    const std::string tool = toolPath();
    const std::string program =
        tool.find(' ') != std::string::npos ? platform::quoteArgument(tool) : tool;
    // The passwords themselves go to the builder's standard input.
    const std::string encrypt =
        builderEncryption(request_).handedOver() ? std::string(" ") + jobfiles::kEncryptSwitch : "";
    return program + " /NOASK" + encrypt + " " + platform::quoteArgument(stagingFolder_);
}

std::string ConversionJob::stagedStem(int index) const {
    char number[16];
    std::snprintf(number, sizeof number, "%05d", index);
    return platform::joinPath(stagingFolder_, number);
}

std::string ConversionJob::stagingFile(const char* name) const {
    return platform::joinPath(stagingFolder_, name);
}

bool ConversionJob::createFolders() {
    // Each on its own; one that exists already or cannot be made is passed over (a result
    // that cannot be placed then goes to the default output folder).
    makeFolderChain(request_.outputFolder);
    // The per-user folder standing for drive C: may be missing with its parents
    // (a fresh ~/.cache).
    platform::makePrivateFolders(platform::driveCFolder());
    platform::makeFolder(platform::scratchFolder());
    return prepareStaging();
}

bool ConversionJob::prepareStaging() {
    removeLeftoverJobFolders(toolPath());
    if (request_.staging == JobRequest::Staging::OwnFolder) {
        if (!jobFolder_.create(platform::jobsFolder()))
            return false;
        stagingFolder_ = jobFolder_.path();
        return true;
    }
    // Everything in the staging folder goes into the PDF, so nothing found there is trusted.
    return platform::resetPrivateFolder(stagingFolder_);
}

void ConversionJob::run() {
    const bool shared = request_.staging == JobRequest::Staging::Shared;
    // The window's staging folder is its alone: a builder still working there is a stray of an
    // earlier run. A folder of its own has none.
    stagingFolder_ = shared ? platform::stagingFolder() : platform::jobsFolder();
    if (shared)
        platform::EndProcessesOfExecutable(toolPath(), stagingFolder_);

    staging_.assign(static_cast<std::size_t>(count_), staging::PictureStaging());
    missing_.assign(static_cast<std::size_t>(count_), false);
    trouble_ = PlacementTrouble{request_.outputFolder, "", {}, 0};
    if (request_.perPicture)
        choosePdfNames();

    if (!createFolders()) {
        runnerNotices_.notices.push_back({"Cannot prepare the temporary folder " + stagingFolder_,
                                          "Convert", platform::Icon::Exclamation});
        finish(JobResult::Outcome::NotStarted);
        return;
    }
    report(JobStage::Preparing, 0);
    if (request_.options.lossless && request_.options.maxDpi > 0)
        notices_.push_back(staging::kCeilingIgnored);

    stageAll();
    if (!request_.perPicture && !cancelled_)
        runOnePdf();

    // A stopped job says how far it got, not that it got through.
    const double reached = cancelled_ ? reached_ : count_;
    events_.progress(JobStage::Removing, reached, count_);
    platform::removeFolderTree(stagingFolder_);
    jobFolder_.release();
    events_.progress(JobStage::Done, reached, count_);
    finish(cancelled_ ? JobResult::Outcome::Cancelled : JobResult::Outcome::Finished);
}

void ConversionJob::report(JobStage stage, double done) {
    reached_ = done;
    events_.progress(stage, done, count_);
}

void ConversionJob::finish(JobResult::Outcome outcome) {
    JobResult result;
    result.outcome = outcome;
    // The folder that holds the results when none could go where the user asked.
    const bool allElsewhere = !trouble_.placed.empty() && placedHere_ == 0;
    result.resultsFolder =
        allElsewhere ? platform::pathPart(trouble_.placed.front(), 3) : request_.outputFolder;
    result.written = written_;
    if (!sidecar_.close(written_))
        notices_.push_back(sidecar_.problem());
    if (outcome == JobResult::Outcome::Finished) {
        // Pages in a PDF without the text asked for; a picture in none is named as missing.
        std::vector<staging::PictureStaging> converted = staging_;
        for (std::size_t i = 0; i < converted.size() && i < missing_.size(); ++i)
            if (missing_[i])
                converted[i].textProblems.clear();
        result.unreadText = ocr::unreadTextLines(request_.pictures, converted);
        for (std::size_t i = 0; i < missing_.size(); ++i) {
            staging::PictureStaging staging = staging_[i];
            if (missing_[i])
                staging.pages = 0; // no result holds any of its pages
            const std::string entry = missingEntry(request_.pictures[i], staging);
            if (entry.empty())
                continue;
            result.missing.push_back(entry);
            result.missingReasons.push_back(missingReasonLine(request_.pictures[i], staging));
            events_.pictureMissing(static_cast<int>(i), result.missingReasons.back());
        }
    }
    // The runners' messages as they arose, then where the PDFs went, then the other notices.
    result.notices = runnerNotices_.notices;
    if (!trouble_.reason.empty())
        result.notices.push_back(
            {placementTroubleText(trouble_), platform::kProgramTitle, platform::Icon::Exclamation});
    for (const std::string& text : notices_)
        result.notices.push_back({text, platform::kProgramTitle, platform::Icon::Exclamation});
    if (laidOnWhite_ > 0) {
        result.notices.push_back({"PDF/A-1b allows no transparency: the transparent parts of " +
                                      std::to_string(laidOnWhite_) +
                                      (laidOnWhite_ == 1 ? " picture were" : " pictures were") +
                                      " laid on white.",
                                  platform::kProgramTitle, platform::Icon::Information});
    }
    events_.finished(result);
}

void ConversionJob::choosePdfNames() {
    const auto exists = [this](const std::string& name) {
        return platform::pathExists(platform::joinPath(request_.outputFolder, name));
    };
    const bool keep = request_.overwrite != OverwritePolicy::Overwrite;
    pdfNames_ = assignPdfNames(request_.pictures, keep, exists);
    jobNames_.clear();
    jobNames_.insert(pdfNames_.begin(), pdfNames_.end());
    for (const std::string& path : request_.pictures)
        jobNames_.insert(ownPdfName(path));
}

void ConversionJob::stageAll() {
    const bool perPicture = request_.perPicture;
    // In per-picture mode the builder reads every staged file, so pictures staged ahead wait
    // in a subfolder until their turn.
    const std::string ahead = platform::joinPath(stagingFolder_, kStagedAheadFolder);
    if (perPicture)
        platform::makeFolder(ahead);
    staging::initialiseFreeImage();
    if (!request_.textSidecar.empty() && !request_.options.ocrLanguages.empty())
        sidecar_.open(request_.textSidecar, request_.pictures);
    const int workers = StagingPool<staging::PictureStaging>::defaultWorkers();
    // Leaving early, the pool lets the pictures being staged finish and starts no more.
    StagingPool<staging::PictureStaging> pool(
        count_, workers, kLookaheadPerWorker * workers, [&](int i) {
            const std::string stem = stagedStem(i);
            const auto at = static_cast<std::size_t>(i);
            const pictures::StopFlag stop(cancelled_);
            const std::string& password =
                at < request_.pdfPasswords.size() && !request_.pdfPasswords[at].empty()
                    ? request_.pdfPasswords[at]
                    : request_.encryption.inputPassword;
            // Described once here: staging neither converts the path again nor sniffs its kind.
            staging::PictureStaging staged = staging::stagePicturePages(
                pictures::describePicture(request_.pictures[at]),
                perPicture ? platform::joinPath(ahead, platform::pathPart(stem, 1)) : stem,
                request_.options, stop, password);
            const int turn = at < request_.rotations.size() ? request_.rotations[at] : 0;
            if (!staged.pdf)
                ocr::recognisePages(staged, jobfiles::quarterTurn(turn), request_.options, stop);
            else if (staged.pages > 0 && (staged.pages = chosenPdfPages(at, staged.pages)) == 0)
                leaveOut(staged, "has none of the pages chosen from it");
            else if (staged.pages > 0)
                ocr::recognisePdfPages(staged, platform::pathPart(request_.pictures[at], 1),
                                       password, jobfiles::quarterTurn(turn), request_.options,
                                       at < request_.pdfPages.size() ? request_.pdfPages[at]
                                                                     : std::vector<int>(),
                                       stop);
            return staged;
        });
    for (int i = 0; i < count_ && !cancelled_; ++i) {
        const auto at = static_cast<std::size_t>(i);
        staging_[at] = pool.take(i, nullptr);
        for (const std::string& text : staging_[at].notices)
            if (std::find(notices_.begin(), notices_.end(), text) == notices_.end())
                notices_.push_back(text);
        if (perPicture)
            bringIntoPlace(staging_[at]);
        sidecar_.addPicture(staging_[at]);
        missing_[at] = staging_[at].pages == 0;
        if (perPicture)
            runPerPicture(i);
        if (!cancelled_)
            report(JobStage::Converting, i + 1);
    }
}

void ConversionJob::bringIntoPlace(staging::PictureStaging& staging) {
    if (staging.firstFile.empty())
        return;
    const std::string first =
        platform::joinPath(stagingFolder_, platform::pathPart(staging.firstFile, 1));
    if (staging.pdf) {
        if (!platform::renameFile(staging.firstFile, first))
            platform::removeFile(staging.firstFile);
        // The words of its pages read as pictures.
        for (int page = 1; page <= staging.pageCount; ++page) {
            const std::string words =
                jobfiles::wordsFileFor(staging::stagedPageName(staging.firstFile, page));
            if (platform::fileExists(words) &&
                !platform::renameFile(words,
                                      jobfiles::wordsFileFor(staging::stagedPageName(first, page))))
                platform::removeFile(words);
        }
        staging.firstFile = first;
        return;
    }
    for (int page = 1; page <= staging.pageCount; ++page) {
        const std::vector<std::string> to = staging::stagedPageFiles(first, page);
        const std::vector<std::string> from = staging::stagedPageFiles(staging.firstFile, page);
        for (std::size_t i = 0; i < from.size(); ++i) {
            if (platform::fileExists(from[i]) && !platform::renameFile(from[i], to[i]))
                platform::removeFile(
                    from[i]); // a page the builder does not get is reported as skipped
        }
    }
    staging.firstFile = first;
}

void ConversionJob::runPerPicture(int index) {
    const auto at = static_cast<std::size_t>(index);
    const std::string& path = request_.pictures[at];
    // Without a staged picture the builder has nothing to read; the picture is already
    // marked missing.
    if (staging_[at].pages > 0 && !builderUnavailable_ && !cancelled_) {
        writeDocumentProperties();
        writePageOptions();
        writePageTurns(index);
        writePdfPageLists(index);
        writePictureTitles(index);
        objShell_.setCommandLine(toolCommandLine());
        objShell_.setWorkingFolder(stagingFolder_);
        builderEnded_ = false;
        const std::string outputs = objShell_.ExecuteCommand();
        builderRan_ = builderRan_ || builderEnded_;
        const std::string result = stagingFile(kToolResult);
        std::string reason;
        if (cancelled_) {
            // Stopped while its PDF was made: the picture is left as if not reached.
        } else if (!builderEnded_) {
            builderUnavailable_ = true; // the runner has said why; once is enough
        } else if (platform::fileExists(result)) {
            noteSkippedPages(outputs);
            laidOnWhite_ += laidOnWhiteCount(outputs);
            const std::string& name = pdfNames_[at];
            // A name another job took meanwhile passes to the next free one.
            const NameAt nameAt = [&](long number) {
                if (number == 0)
                    return name;
                const std::string numbered = numberedPdfName(path, number);
                return jobNames_.count(numbered) != 0 ? std::string() : numbered;
            };
            const std::string& folder = request_.outputFolder;
            std::string target;
            if (request_.overwrite != OverwritePolicy::Overwrite)
                target = placeUnderFreeName(result, folder, nameAt, LONG_MAX, reason);
            else if (placeFile(result, platform::joinPath(folder, name), reason))
                target = platform::joinPath(folder, name);
            if (!target.empty()) {
                ++placedHere_;
                noteWritten(target);
            } else if (placeElsewhere(result, name, reason).empty()) {
                noteNoResult(at, "its PDF could not be saved: " + reason);
            }
        } else {
            // No failure when the builder skipped the picture as unusable: its line says why.
            noteSkippedPages(outputs);
            noteNoResult(at, builderFailureReason(outputs, objShell_.Ended()));
        }
    }
    // A builder missing from the start is said once by the runner; one that goes missing
    // after it ran leaves the remaining pictures without PDFs, and they are named.
    if (staging_[at].pages > 0 && builderUnavailable_ && builderRan_)
        noteNoResult(at, "the PDF builder could not be started");
    if (!staging_[at].firstFile.empty()) {
        staging::removeStagedPages(staging_[at].firstFile, staging_[at].pageCount);
    }
    platform::removeFile(stagingFile(kToolResult));
    platform::removeFile(stagingFile(kToolByProduct));
}

std::string ConversionJob::placeElsewhere(const std::string& source, const std::string& fileName,
                                          const std::string& reason) {
    if (trouble_.reason.empty())
        trouble_.reason = reason;
    const std::string fallback = platform::defaultOutputFolder();
    if (fallback != request_.outputFolder) {
        makeFolderChain(fallback);
        std::string ignored;
        const std::string target =
            fileName.empty()
                ? placeUnderFreeName(source, fallback, numberedNames(request_.resultName),
                                     kMaxResultNumber, ignored)
                : placeUnderFreeName(source, fallback, numberedNames(fileName), LONG_MAX, ignored);
        if (!target.empty()) {
            trouble_.placed.push_back(target);
            noteWritten(target);
            return target;
        }
    }
    ++trouble_.lost;
    return "";
}

void ConversionJob::noteWritten(const std::string& path) {
    written_.push_back(path);
    events_.pdfWritten(path);
}

void ConversionJob::noteNoResult(std::size_t index, const std::string& reason) {
    missing_[index] = true;
    if (!reason.empty())
        staging_[index].problem = reason;
}

void ConversionJob::noteBuilderFailure(const std::string& outputs) {
    const std::string text = builderFailureText(outputs, objDOS_.Ended());
    if (!text.empty() && std::find(notices_.begin(), notices_.end(), text) == notices_.end())
        notices_.push_back(text);
}

void ConversionJob::runOnePdf() {
    report(JobStage::Starting, 0);
    writeDocumentProperties();
    writePageOptions();
    writePageTurns();
    writePdfPageLists();
    writePictureTitles();
    builderEnded_ = false;
    objDOS_.setWorkingFolder(stagingFolder_);
    const std::string outputs = objDOS_.ExecuteCommand(toolCommandLine());
    // A builder that did not start (the runner has said so), failed on its own, was stopped
    // or wrote a result that could not be placed is no fault of the pictures.
    if (!builderEnded_ || cancelled_)
        return;
    if (!onePdfPlaced_ &&
        (!trouble_.reason.empty() || !builderFailureText(outputs, objDOS_.Ended()).empty())) {
        noteBuilderFailure(outputs);
        return;
    }
    noteSkippedPages(objDOS_.Outputs());
    laidOnWhite_ += laidOnWhiteCount(objDOS_.Outputs());
}

void ConversionJob::noteSkippedPages(const std::string& outputs) {
    for (const SkippedPage& skipped : skippedPages(outputs)) {
        if (skipped.index < 0 || static_cast<std::size_t>(skipped.index) >= missing_.size())
            continue;
        const auto at = static_cast<std::size_t>(skipped.index);
        notePageSkipped(staging_[at], skipped.page, skipped.reason);
        if (staging_[at].pages == 0)
            missing_[at] = true;
    }
}

void ConversionJob::writeDocumentProperties() {
    DocumentProperties properties = request_.properties;
    properties.creationDate = documentDate(properties.creationDate);
    // The builder falls back to its own defaults when the file is missing.
    jobfiles::writeDocInfo(stagingFolder_, properties);
}

void ConversionJob::writePageOptions() {
    // Written before every run. Should it fail, the builder finds no layout and keeps each page
    // as large as its picture: every picture still gets its page, so the job goes on.
    jobfiles::writePageOptions(stagingFolder_, request_.options);
}

void ConversionJob::writePageTurns(int only) {
    jobfiles::PageTurns turns;
    const auto& rotations = request_.rotations;
    for (std::size_t i = 0; i < request_.pictures.size(); ++i) {
        const int asked = i < rotations.size() ? rotations[i] : 0;
        const int turn = jobfiles::quarterTurn(asked + staging_[i].autoTurn);
        if (turn != 0 && (only < 0 || i == static_cast<std::size_t>(only)))
            turns[i] = turn;
    }
    // Rewritten before every run, so that no turn of an earlier run stays behind. Pages the
    // builder cannot find turns for come out as the pictures show themselves: said once.
    std::string error;
    if (!jobfiles::writePageTurns(stagingFolder_, turns, &error) && !turns.empty()) {
        const std::string text = "The pages could not be turned: " + error;
        if (std::find(notices_.begin(), notices_.end(), text) == notices_.end())
            notices_.push_back(text);
    }
}

void ConversionJob::leaveOut(staging::PictureStaging& staged, const std::string& problem) {
    platform::removeFile(staged.firstFile);
    staged.firstFile.clear();
    staged.problem = problem;
}

int ConversionJob::chosenPdfPages(std::size_t index, int pages) const {
    if (index >= request_.pdfPages.size() || request_.pdfPages[index].empty())
        return pages;
    // As the builder counts them.
    return static_cast<int>(
        jobfiles::keptPdfPages(request_.pdfPages[index], static_cast<std::size_t>(pages)).size());
}

void ConversionJob::writePdfPageLists(int only) {
    jobfiles::PdfPageLists lists;
    for (std::size_t i = 0; i < request_.pdfPages.size(); ++i)
        if (!request_.pdfPages[i].empty() && (only < 0 || i == static_cast<std::size_t>(only)))
            lists[i] = request_.pdfPages[i];
    // Rewritten before every run, as the turns are; without it the builder would copy
    // every page of each PDF.
    std::string error;
    if (!jobfiles::writePdfPageLists(stagingFolder_, lists, &error) && !lists.empty()) {
        const std::string text = "The chosen pages of the PDFs could not be handed over: " + error;
        if (std::find(notices_.begin(), notices_.end(), text) == notices_.end())
            notices_.push_back(text);
    }
}

void ConversionJob::writePictureTitles(int only) {
    const std::string file = stagingFile(jobfiles::kPictureTitlesFileName);
    if (!request_.options.bookmarks) {
        platform::removeFile(file);
        return;
    }
    jobfiles::PictureTitles titles;
    for (std::size_t i = 0; i < request_.pictures.size(); ++i) {
        if (only >= 0 && i != static_cast<std::size_t>(only))
            continue;
        const std::string& shown =
            i < request_.displayPaths.size() && !request_.displayPaths[i].empty()
                ? request_.displayPaths[i]
                : request_.pictures[i];
        const std::string base = platform::fileBaseName(shown);
        titles[i] = base.empty() ? platform::pathPart(shown, 1) : base;
    }
    // Without the file the PDF has no bookmarks: said once.
    std::string error;
    if (!jobfiles::writePictureTitles(stagingFolder_, titles, &error)) {
        platform::removeFile(file);
        const std::string text = "The bookmarks could not be written: " + error;
        if (std::find(notices_.begin(), notices_.end(), text) == notices_.end())
            notices_.push_back(text);
    }
}

void ConversionJob::builderOutput(const std::string& chunk) {
    report(JobStage::Creating, reportedIndex(chunk));
}

void ConversionJob::builderEnded() {
    builderEnded_ = true;
    // A stopped builder's PDF, if any, is incomplete or unwanted.
    if (cancelled_)
        return;
    report(JobStage::Moving, count_);
    const std::string source = stagingFile(kToolResult);
    if (platform::fileExists(source))
        placeOnePdf(source);
}

void ConversionJob::placeOnePdf(const std::string& source) {
    const std::string& folder = request_.outputFolder;
    std::string reason;
    std::string target = platform::joinPath(folder, request_.resultName);
    if (request_.replaceResult) {
        if (!placeFile(source, target, reason))
            target.clear();
    } else {
        target = placeUnderFreeName(source, folder, numberedNames(request_.resultName),
                                    kMaxResultNumber, reason);
    }
    onePdfPlaced_ = !target.empty();
    if (onePdfPlaced_) {
        ++placedHere_;
        noteWritten(target);
    } else {
        onePdfPlaced_ = !placeElsewhere(source, "", reason).empty();
    }
}

} // namespace pw::job
