#pragma once
// What a conversion job reports while it runs and when it ends. The job raises no dialogs and
// touches no windows: its caller turns these into a display, on whatever thread it likes.
#include "platform/prompts.h"

#include <string>
#include <vector>

namespace pw::job {

// The steps of a job as progress reports name them.
enum class JobStage {
    Preparing,  // the staging folder is made
    Converting, // picture `done` of `total` is staged (in per-picture mode, also made a PDF)
    Starting,   // one-PDF mode: the builder is started
    Creating,   // one-PDF mode: the builder has read `done` of `total` pictures
    Moving,     // one-PDF mode: the builder has ended, its PDF is placed
    Removing,   // the staged files are removed
    Done,
};
// Removing and Done report `total` of `total`, or for a stopped job the `done` of the last
// report before them: where it stopped.

// A message the job leaves for the end, shown in the order the job met them.
struct JobNotice {
    std::string text;
    std::string title;
    platform::Icon icon = platform::Icon::Exclamation;
};

struct JobResult {
    enum class Outcome {
        Finished,   // every picture was tried
        Cancelled,  // cancel() ended it; PDFs already placed stay and are listed
        NotStarted, // the staging folder could not be made: `notices` says why
    };
    Outcome outcome = Outcome::Finished;
    // The folder that holds the results: the output folder, or the default one when no result
    // could go where the user asked.
    std::string resultsFolder;
    std::vector<std::string> written; // PDFs placed, in order
    // Pictures in no PDF, or some of whose pages are in none: as missingEntry gives them, and
    // as missingReasonLine gives them (with the reason).
    std::vector<std::string> missing;
    std::vector<std::string> missingReasons;
    // Pages in a PDF whose text was to be read and could not be, each as
    // ocr::unreadTextLines gives it.
    std::vector<std::string> unreadText;
    std::vector<JobNotice> notices;
};

class JobEvents {
public:
    virtual ~JobEvents() = default;
    // `done` may be fractional while creating: the builder reports pictures as it reads them.
    virtual void progress(JobStage stage, double done, int total) = 0;
    // A PDF placed; in per-picture mode one per picture, as they are made.
    virtual void pdfWritten(const std::string& path) { (void)path; }
    // Picture `index` of the request could not be converted, wholly or in part.
    virtual void pictureMissing(int index, const std::string& reason) {
        (void)index;
        (void)reason;
    }
    // The last event of every job.
    virtual void finished(const JobResult& result) = 0;
};

} // namespace pw::job
