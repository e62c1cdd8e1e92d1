#pragma once
// What the conversion job needs from the windows. The engine form implements it; tests use a
// recording fake. Widths are in the progress track's own units.
#include "jobfiles/docinfo.h"
#include "jobfiles/job_options.h"

#include <string>

namespace pw::engine {

// Document information handed to the PDF builder: title, author, subject, keywords and the
// creation date as a PDF date text.
using DocumentProperties = pdftool::DocInfo;

// The steps of a job as progress reports name them.
enum class JobStage { Preparing, Converting, Creating, Moving, Done };

class JobHost {
public:
    virtual ~JobHost() = default;

    // The FileList's working paths (front List1).
    virtual int fileCount() const = 0;
    virtual std::string workingPath(int index) const = 0;

    // txtPath, txtTitle, the document fields and the mode in force.
    virtual std::string outputFolder() const = 0;
    virtual void setOutputFolder(const std::string& folder) = 0;
    virtual std::string title() const = 0;
    virtual DocumentProperties documentProperties() const = 0;
    virtual bool onePdfPerPicture() const = 0;
    // Page layout and quality in force for this job.
    virtual JobOptions jobOptions() const = 0;

    // The locked set.
    virtual void setCommand3Enabled(bool enabled) = 0;      // engine Command3
    virtual void setToolsBarEnabled(bool enabled) = 0;      // engine CmdToolsBar 0..6
    virtual void focusToolsBarButtons() = 0;                // each CmdToolsBar button in turn
    virtual void setFrontControlsEnabled(bool enabled) = 0; // imgToolbar, imgMenu, imgConvert,
                                                            // imgUp, imgDown, lblUp, lblDown,
                                                            // List1, List2
    virtual void setFilenameLabelVisible(bool visible) = 0; // front lblFilename

    // The progress display: engine lblPB, and the front PicPB / shapePB / lblPB.
    virtual std::string engineProgressText() const = 0;
    virtual void setEngineProgressText(const std::string& text) = 0;
    virtual void setFrontProgressText(const std::string& text) = 0;
    virtual void setProgressVisible(bool visible) = 0; // PicPB and the front lblPB
    virtual double trackWidth() const = 0;             // PicPB width
    virtual double barWidth() const = 0;               // shapePB width
    virtual void setBarWidth(double width) = 0;
    // Progress as numbers: `done` of `total` pictures (or pages, while creating) at `stage`.
    // The windows show the texts above instead.
    virtual void reportProgress(JobStage stage, int done, int total) {
        (void)stage;
        (void)done;
        (void)total;
    }

    // The shell.
    virtual void openFolder(const std::string& folder) = 0;
    virtual void beep() = 0;
};

} // namespace pw::engine
