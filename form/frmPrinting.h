#pragma once
// The engine form: the start-up object. It stays hidden for the whole run and is shown only
// as the modal "Setting" window. It owns the options, the menus, the tool buttons, the command
// relay and the two console runners, and hosts the conversion job.
#include "engine/job_host.h"
#include "filelist/command_table.h"
#include "filelist/engine_view.h"
#include "platform/prompts.h"
#include "platform/pump.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QUrl;

namespace pw {

class CommandRelay;
class InstanceServer;
class CommonDlgsW;
class SingleInstance;
class ToolCommands;
class DOSOutputs;
class frmMain;
class PageGroup;
class QualityControl;
namespace engine {
class ConversionJob;
}

class frmPrinting : public QDialog, public engine::JobHost, public EngineView {
    Q_OBJECT
public:
    frmPrinting(os::Prompts& prompts, os::MessagePump& pump, QWidget* parent = nullptr);
    ~frmPrinting() override;

    // Start-up. Returns false when another instance already runs or the per-user folder or
    // lock cannot be made (startFailed(), after a message box): the caller ends at once.
    bool Form_Load();
    // Pictures and folders from the command line, added to the list (opened_paths.h).
    void openPaths(const std::vector<std::string>& paths);
    // Shows the front window over the others, restored when it was minimised.
    void bringToFront();
    // The one way the program ends, whatever closes it (the front window's close picture or
    // close box, the window manager, the Exit commands): sets QuitRequested, detaches the skin,
    // closes the front window and unloads this form, which ends the event loops. Runs once.
    void requestQuit();
    bool startFailed() const { return startFailed_; }
    // Asks the form to unload: it hides, and closes for good only when QuitRequested is set.
    // Runs Form_Unload itself, so it never depends on Qt delivering a close event.
    void Unload();
    // The unload handler: hides the form; without QuitRequested it sets Cancel and the form
    // stays loaded. With it, ends every pdf.exe and quits the application (once).
    void Form_Unload(bool& Cancel);
    bool unloaded() const { return unloaded_; }

    frmMain* front() const { return front_.get(); }
    os::Prompts& prompts() const { return prompts_; }
    os::MessagePump& pump() const { return pump_; }
    CommonDlgsW* dialogs() const { return dialogs_.get(); }

    // Every command of the program; the windows fire them, this form binds them.
    CommandTable& commandTable() { return commandTable_; }

    // The engine menus by front menu index: 0 menuFile, 1 menuR, 2 menuContrl, 3 menuA.
    QMenu* engineMenu(int index) const;

    // Handlers.
    void CmdToolsBar_Click(int index);
    void Command3_Click();
    void Command1_Click();
    void cmdBrowse_Click();
    void cmdSave_Click();
    void txtMsg_Change();
    void menuSort_Click();
    void menuWeb_Click();

    // The page layout and quality in force: read at start-up, written by Save.
    void setJobOptions(const engine::JobOptions& options);

    // Opens a web page or a folder in the desktop's default program; tests record instead.
    std::function<void(const QUrl&)> urlOpener;
    // Sounds the system beep; tests record instead.
    std::function<void()> beeper;

    // EngineView
    void hideDropPanel() override;
    void repaint() override;
    void showRemoveMenu() override;
    void runConvert() override;
    void openUrl(const std::string& url) override;
    void exitApplication() override;

    // engine::JobHost
    int fileCount() const override;
    std::string workingPath(int index) const override;
    std::string outputFolder() const override;
    void setOutputFolder(const std::string& folder) override;
    std::string title() const override;
    engine::DocumentProperties documentProperties() const override;
    bool onePdfPerPicture() const override;
    engine::JobOptions jobOptions() const override;
    void setCommand3Enabled(bool enabled) override;
    void setToolsBarEnabled(bool enabled) override;
    void focusToolsBarButtons() override;
    void setFrontControlsEnabled(bool enabled) override;
    void setFilenameLabelVisible(bool visible) override;
    std::string engineProgressText() const override;
    void setEngineProgressText(const std::string& text) override;
    void setFrontProgressText(const std::string& text) override;
    void setProgressVisible(bool visible) override;
    double trackWidth() const override;
    double barWidth() const override;
    void setBarWidth(double width) override;
    void openFolder(const std::string& folder) override;
    void beep() override;

    // Controls, by their design names.
    QLabel* Label3 = nullptr;
    QLineEdit* txtPath = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cmbMode = nullptr;
    QPushButton* cmdSave = nullptr;
    PageGroup* grpPage = nullptr;
    QLabel* lblTitle = nullptr;
    QLineEdit* txtTitle = nullptr;
    QLabel* lblCreateFor = nullptr;
    QLineEdit* txtCreateFor = nullptr;
    QLabel* lblSubject = nullptr;
    QLineEdit* txtSubject = nullptr;
    QLabel* lblKeywords = nullptr;
    QLineEdit* txtKeywords = nullptr;
    QLabel* lblCreationDate = nullptr;
    QLineEdit* txtCreationDate = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* lblJPG = nullptr;
    QLabel* lblQuality = nullptr;
    QLabel* lblQtt = nullptr;
    QualityControl* qualityControl = nullptr; // spnQuality and chkLossless
    std::array<QPushButton*, 7> CmdToolsBar{};
    QPushButton* Command3 = nullptr;
    QLineEdit* txtMsg = nullptr;
    QLabel* picDoor = nullptr;
    QLabel* lblPB = nullptr;
    QMenuBar* menuBar = nullptr;
    QMenu* menuFile = nullptr;
    QMenu* menuR = nullptr;
    QMenu* menuContrl = nullptr;
    QMenu* menuA = nullptr;

    std::unique_ptr<DOSOutputs> objDOS;
    std::unique_ptr<DOSOutputs> objShell;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void bindOwnCommands();
    void fireToolsBar(int index);
    void buildControls();
    void buildMenus();
    void loadSettings();
    void scaleToScreen();
    void takeHandedOver(const std::vector<std::string>& paths);

    os::Prompts& prompts_;
    os::MessagePump& pump_;
    CommandTable commandTable_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<CommonDlgsW> dialogs_;
    std::unique_ptr<ToolCommands> commands_;
    std::unique_ptr<CommandRelay> relay_;
    std::unique_ptr<engine::ConversionJob> job_;
    std::unique_ptr<frmMain> front_;
    std::unique_ptr<InstanceServer> channel_;
    std::vector<std::string> handedOver_; // waiting for the running job to end
    engine::JobOptions jobOptions_;
    bool unloaded_ = false;
    bool quitting_ = false;
    bool startFailed_ = false;
};

} // namespace pw
