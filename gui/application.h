#pragma once
// The application object: created once in main, it owns the file list, the settings, the
// conversion job, the two console runners and both windows. The windows are views: they show
// this object's state and turn presses, menus, drops and relay words into its commands.
#include "app/command_table.h"
#include "app/job_host.h"
#include "gui/window_host.h"
#include "platform/prompts.h"
#include "platform/pump.h"

#include <memory>
#include <string>
#include <vector>

namespace pw::app {
class DropIntake;
class FileList;
class JobRunner;
class JobSession;
class LastFolder;
class SingleInstance;
class ToolCommands;
} // namespace pw::app

namespace pw::gui {

class CommandRelay;
class FileListBoxes;
class InstanceServer;
class PagesWindow;
class frmMain;
class frmPrinting;

class Application : public app::JobHost, public WindowHost {
public:
    // Makes the Setting window (hidden) and binds the commands that need no file list.
    Application(platform::Prompts& prompts, platform::MessagePump& pump);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Start-up: the instance lock, the runners, the job, the saved settings, the front window.
    // False when another instance already runs or the per-user folder or lock cannot be made
    // (startFailed(), after a message box): the caller ends at once.
    bool start();
    bool startFailed() const { return startFailed_; }
    // Makes the front window and its file list and binds the list's commands, without the rest
    // of the start-up. start() calls it; tests load the front window on its own through it.
    frmMain& makeFront();

    // Pictures and folders from the command line or a second start, added to the list.
    void openPaths(const std::vector<std::string>& paths);
    // Shows the front window over the others, restored when it was minimised.
    void bringToFront();
    // The one way the program ends, whatever closes it (the front window's close picture or
    // close box, the window manager, the Exit commands): sets QuitRequested, detaches the skin,
    // closes the front window and unloads the Setting window, which ends the event loops.
    // A job still running is stopped first, and its staged files removed, once the user agrees;
    // false, and nothing done, when they do not. While it stops the window stays and answers,
    // its progress label says "Stopping...", and false is returned; the program closes when the
    // job has gone. Runs once.
    bool requestQuit() override;
    // Opens the "Pages" window over the list (made on first use), editable unless the front
    // window's list is locked.
    void showPages() override;
    PagesWindow* pagesWindow() const override { return pages_.get(); }
    // Stops the running job, if any (the Convert picture while a job runs, Esc); it finishes
    // as a stopped job does.
    void stopJob();
    // A job runs: pictures handed over wait for its end.
    bool jobRunning() const;

    app::CommandTable& commands() override { return commands_; }
    frmPrinting& settingWindow() const override { return *engineForm_; }
    frmMain* front() const override { return front_.get(); }
    app::FileList* fileList() const override { return fileList_.get(); }
    app::DropIntake* dropIntake() const override { return drops_.get(); }
    platform::Prompts& prompts() const override { return prompts_; }
    platform::MessagePump& pump() const { return pump_; }

    const AppSettings& settings() const override { return settings_; }
    // The Setting window hands its edits over as they are made.
    void takeEdits(const AppSettings& edited) override { settings_ = edited; }
    // The Setting window's passwords, kept apart from the settings so they are never saved.
    void takeEncryption(const jobfiles::Encryption& encryption) override {
        encryption_ = encryption;
    }

    // Commands.
    void convert() override;
    void save();
    void browse();
    void stampCreationDate() override;

    // JobHost
    int fileCount() const override;
    std::string workingPath(int index) const override;
    std::string displayPath(int index) const override;
    jobfiles::Encryption encryption() const override { return encryption_; }
    int rotation(int index) const override;
    std::vector<int> pdfPages(int index) const override;
    std::string outputFolder() const override;
    void setOutputFolder(const std::string& folder) override;
    std::string title() const override;
    job::DocumentProperties documentProperties() const override;
    bool onePdfPerPicture() const override;
    jobfiles::JobOptions jobOptions() const override;
    // The windows lock their controls but Stop while a job is prepared or runs, and so do
    // the commands; after a job the focus returns (see frmMain).
    void jobStateChanged(app::JobState state) override;
    void showProgress(const app::JobProgress& progress) override;
    void openFolder(const std::string& folder) override;
    void beep() override;

private:
    void bindOwnCommands();
    void loadSettings();
    void takeHandedOver(const std::vector<std::string>& paths);
    void jobEnded();
    // The rest of the quit, once no job runs.
    void closeForGood();
    // Undo and Redo follow the list's history, and are off while the controls are locked.
    void enableHistoryCommands();

    platform::Prompts& prompts_;
    platform::MessagePump& pump_;
    app::CommandTable commands_;
    AppSettings settings_;
    jobfiles::Encryption encryption_;
    std::unique_ptr<app::SingleInstance> instance_;
    std::unique_ptr<app::LastFolder> lastFolder_; // where Add and Add Folder start
    std::unique_ptr<frmPrinting> engineForm_;
    std::unique_ptr<app::FileList> fileList_;
    std::unique_ptr<FileListBoxes> listBoxes_; // shows fileList_ in the front window's boxes
    std::unique_ptr<frmMain> front_;
    std::unique_ptr<PagesWindow> pages_; // a view of fileList_'s model
    std::unique_ptr<app::DropIntake> drops_;
    std::unique_ptr<app::ToolCommands> toolCommands_;
    std::unique_ptr<CommandRelay> relay_;
    std::unique_ptr<app::JobSession> session_;
    std::unique_ptr<app::JobRunner> runner_;
    std::unique_ptr<InstanceServer> channel_;
    std::vector<std::string> handedOver_; // waiting for the running job to end
    app::JobState jobState_ = app::JobState::Idle;
    app::JobProgress progress_; // as last shown
    bool quitting_ = false;
    bool startFailed_ = false;
};

} // namespace pw::gui
