#pragma once
// The conversion job: stages the request's pictures as JPEG (or PNG) files, runs the PDF
// builder on them and places the results in the output folder, reporting each step as an
// event. It runs wholly on the thread that calls run() and can be stopped from any other.
#include "job/job_events.h"
#include "job/job_request.h"
#include "job/notice_prompts.h"
#include "job/result_placement.h"
#include "ocr/ocr_results.h"
#include "platform/DOSOutputs.h"
#include "platform/job_folder.h"
#include "platform/pump.h"
#include "staging/picture_pages.h"

#include <atomic>
#include <set>
#include <string>
#include <vector>

namespace pw::job {

class ConversionJob {
public:
    ConversionJob(JobRequest request, JobEvents& events);
    ConversionJob(const ConversionJob&) = delete;
    ConversionJob& operator=(const ConversionJob&) = delete;

    // The whole job, from making the staging folder to the finished event (always the last
    // one). Runs once.
    void run();
    // Safe from any thread, and from a signal handler: the job stops staging, ends the builder
    // it started, places nothing more, removes its staged files and finishes as Cancelled.
    void cancel() {
        cancelled_.store(true);
        objDOS_.interrupt();
        objShell_.interrupt();
    }
    bool cancelled() const { return cancelled_.load(); }

    // One chunk of the builder's output in one-PDF mode: progress as far as it has read.
    void builderOutput(const std::string& chunk);

    // The folder the job stages in (set once run() has begun).
    const std::string& stagingFolder() const { return stagingFolder_; }
    // The builder's command line: <application folder>/data/pdf.exe /NOASK <staging folder>, with
    // /ENCRYPT before the folder when the PDF is to be encrypted.
    std::string toolCommandLine() const;
    // This installation's builder, data/pdf.exe beside the program.
    static std::string toolPath();
    // The staged file of picture i without its extension: <staging>/00012.
    std::string stagedStem(int index) const;

private:
    static_assert(std::atomic<bool>::is_always_lock_free, "cancel() is called from signals");

    std::string stagingFile(const char* name) const;
    bool prepareStaging();
    bool createFolders();
    void choosePdfNames();
    void stageAll();
    // Moves a picture staged ahead into the staging folder, where the builder reads it.
    void bringIntoPlace(staging::PictureStaging& staging);
    void runPerPicture(int index);
    void runOnePdf();
    void builderEnded();
    void placeOnePdf(const std::string& source);
    std::string placeElsewhere(const std::string& source, const std::string& fileName,
                               const std::string& reason);
    void noteWritten(const std::string& path);
    // Picture `index` is in no PDF; a reason is shown with it among the missing pictures.
    void noteNoResult(std::size_t index, const std::string& reason);
    void noteBuilderFailure(const std::string& outputs);
    // Pages the builder reports as skipped in its output.
    void noteSkippedPages(const std::string& outputs);
    void writeDocumentProperties();
    void writePageOptions();
    // The turns of every picture, or of picture `only` alone.
    void writePageTurns(int only = -1);
    void writePdfPageLists(int only = -1);
    // The pages of PDF item `index` that go in, of the `pages` its file has.
    int chosenPdfPages(std::size_t index, int pages) const;
    // Takes back a staged picture that must not go in, for `problem`.
    static void leaveOut(staging::PictureStaging& staged, const std::string& problem);
    // Each picture's bookmark title (of picture `only` alone), or no titles file without
    // bookmarks.
    void writePictureTitles(int only = -1);
    void finish(JobResult::Outcome outcome);
    // Reports progress and keeps how far the job got.
    void report(JobStage stage, double done);

    const JobRequest request_;
    JobEvents& events_;
    std::atomic<bool> cancelled_{false};
    int count_ = 0;
    double reached_ = 0;          // `done` of the last progress reported
    platform::SleepingPump wait_; // the runners wait between passes; there is no window to serve
    NoticePrompts runnerNotices_;
    platform::DOSOutputs objDOS_;   // one-PDF mode: reports the builder's output as it comes
    platform::DOSOutputs objShell_; // per-picture mode: one run per picture
    std::string stagingFolder_;
    platform::JobFolder jobFolder_; // holds its lock while the job runs

    std::vector<staging::PictureStaging> staging_; // pages staged and lost, by picture
    std::vector<bool> missing_;                    // absent from the result
    std::vector<std::string> pdfNames_;            // per-picture mode: each picture's PDF file name
    std::set<std::string> jobNames_;               // those and the pictures' own names
    std::vector<std::string> written_;
    bool onePdfPlaced_ = false;
    int placedHere_ = 0;              // results placed in the output folder
    bool builderEnded_ = false;       // the last run of the builder started and ended
    bool builderUnavailable_ = false; // it could not be started: the runner has said so
    long long laidOnWhite_ = 0;       // pictures whose transparency PDF/A-1b laid on white
    bool builderRan_ = false;         // per-picture mode: a run of it ended
    PlacementTrouble trouble_;
    std::vector<std::string> notices_; // said once each at the end
    ocr::TextSidecar sidecar_;
};

} // namespace pw::job
