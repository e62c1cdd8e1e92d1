#pragma once
// What the Convert command needs from the windows: the list and settings a job is made from,
// and where it reports the job's state and progress. It speaks in states, texts and numbers;
// the windows turn them into enabled controls, focus and bar widths. The application object
// implements it for the front and Setting windows; tests use a recording fake.
#include "job/job_request.h"

#include <string>
#include <vector>

namespace pw::app {

enum class JobState {
    Idle,      // no job
    Preparing, // the list checked and questions asked before a job: the controls locked
    Running,   // a job runs (Convert now stops it) until it has finished
};

// The progress display of both windows.
struct JobProgress {
    std::string text = "0%";        // the front window's progress label
    std::string settingText = "0%"; // the Setting window's progress label
    double bar = 0;                 // the part of the track the bar fills, 0..1
    bool sliver = false;            // the bar just begun: one pixel, less than any share
    bool visible = true;            // the track and the front window's label show
    bool operator==(const JobProgress&) const = default;
};

class JobHost {
public:
    virtual ~JobHost() = default;

    // The FileList's working paths (front List1).
    virtual int fileCount() const = 0;
    virtual std::string workingPath(int index) const = 0;
    // The user's turn of picture `index` in degrees clockwise (0, 90, 180 or 270), on top of
    // the turn the picture states itself.
    virtual int rotation(int index) const {
        (void)index;
        return 0;
    }

    // For a PDF of the list: the page numbers (from 1) of picture `index` that go in, in
    // order; empty: every page.
    virtual std::vector<int> pdfPages(int index) const {
        (void)index;
        return {};
    }

    // The path the user sees for picture `index`; bookmarks are titled from it.
    virtual std::string displayPath(int index) const { return workingPath(index); }
    // The passwords and permissions for this job; never saved.
    virtual jobfiles::Encryption encryption() const { return {}; }

    // txtPath, txtTitle, the document fields and the mode in force.
    virtual std::string outputFolder() const = 0;
    virtual void setOutputFolder(const std::string& folder) = 0;
    virtual std::string title() const = 0;
    virtual job::DocumentProperties documentProperties() const = 0;
    virtual bool onePdfPerPicture() const = 0;
    // Page layout and quality in force for this job.
    virtual jobfiles::JobOptions jobOptions() const = 0;

    // Where the Convert command stands. Idle comes also when Convert finds nothing to do (an
    // empty list), without a state before it. The window decides what each state locks and
    // where the focus goes.
    virtual void jobStateChanged(JobState state) = 0;
    // Everything the progress display shows, each time any of it changes.
    virtual void showProgress(const JobProgress& progress) = 0;

    // The shell.
    virtual void openFolder(const std::string& folder) = 0;
    virtual void beep() = 0;
};

} // namespace pw::app
