#pragma once
// What the Convert command needs from the windows: the list and settings a job is made from,
// and the controls and progress display it drives. The front and Setting windows implement it;
// the command line has a windowless one; tests use a recording fake. Widths are in the
// progress track's own units.
#include "engine/job_request.h"

#include <string>

namespace pw {

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

    // The path the user sees for picture `index`; bookmarks are titled from it.
    virtual std::string displayPath(int index) const { return workingPath(index); }
    // The passwords and permissions for this job; never saved.
    virtual pdftool::Encryption encryption() const { return {}; }

    // txtPath, txtTitle, the document fields and the mode in force.
    virtual std::string outputFolder() const = 0;
    virtual void setOutputFolder(const std::string& folder) = 0;
    virtual std::string title() const = 0;
    virtual engine::DocumentProperties documentProperties() const = 0;
    virtual bool onePdfPerPicture() const = 0;
    // Page layout and quality in force for this job.
    virtual engine::JobOptions jobOptions() const = 0;

    // The locked set.
    virtual void setCommand3Enabled(bool enabled) = 0;      // engine Command3
    virtual void setToolsBarEnabled(bool enabled) = 0;      // engine CmdToolsBar 0..6
    virtual void focusToolsBarButtons() = 0;                // each CmdToolsBar button in turn
    virtual void setFrontControlsEnabled(bool enabled) = 0; // imgToolbar, imgMenu, imgConvert,
                                                            // imgUp, imgDown, lblUp, lblDown,
                                                            // List1, List2
    virtual void setFilenameLabelVisible(bool visible) = 0; // front lblFilename
    // A job runs (Convert now stops it) or has ended.
    virtual void setJobRunning(bool running) { (void)running; }

    // The progress display: engine lblPB, and the front PicPB / shapePB / lblPB.
    virtual std::string engineProgressText() const = 0;
    virtual void setEngineProgressText(const std::string& text) = 0;
    virtual void setFrontProgressText(const std::string& text) = 0;
    virtual void setProgressVisible(bool visible) = 0; // PicPB and the front lblPB
    virtual double trackWidth() const = 0;             // PicPB width
    virtual double barWidth() const = 0;               // shapePB width
    virtual void setBarWidth(double width) = 0;

    // The shell.
    virtual void openFolder(const std::string& folder) = 0;
    virtual void beep() = 0;
};

} // namespace pw
