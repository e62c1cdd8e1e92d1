#pragma once
// What the design's two windows ask of the application object that owns them, so that they
// depend on this and not on it.
#include "app/job_host.h"
#include "jobfiles/encryption.h"
#include "jobfiles/job_options.h"

#include <string>

namespace pw::app {
class CommandTable;
class DropIntake;
class FileList;
} // namespace pw::app

namespace pw::platform {
class Prompts;
}

namespace pw::gui {

class PagesWindow;
class frmMain;
class frmPrinting;

// What the Setting window edits. The mode in force is OnePdfPerPicture (app_state.h), set at
// start-up and by Save only.
struct AppSettings {
    std::string outputFolder;
    int modeIndex = 0; // the mode chosen in the Setting window
    job::DocumentProperties document;
    jobfiles::JobOptions options;
};

class WindowHost {
public:
    virtual ~WindowHost() = default;

    // A job still running is stopped first, and its staged files removed, once the user agrees;
    // false, and nothing done, when they do not. Runs once.
    virtual bool requestQuit() = 0;
    // Opens the "Pages" window over the list (made on first use).
    virtual void showPages() = 0;
    virtual PagesWindow* pagesWindow() const = 0;

    virtual app::CommandTable& commands() = 0;
    virtual frmPrinting& settingWindow() const = 0;
    virtual frmMain* front() const = 0;
    virtual app::FileList* fileList() const = 0;
    virtual app::DropIntake* dropIntake() const = 0;
    virtual platform::Prompts& prompts() const = 0;

    virtual const AppSettings& settings() const = 0;
    // The Setting window hands its edits over as they are made.
    virtual void takeEdits(const AppSettings& edited) = 0;
    // The Setting window's passwords, kept apart from the settings so they are never saved.
    virtual void takeEncryption(const jobfiles::Encryption& encryption) = 0;

    virtual void convert() = 0;
    virtual void stampCreationDate() = 0;
};

} // namespace pw::gui
