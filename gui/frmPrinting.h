#pragma once
// The engine form: hidden for the whole run and shown only as the modal "Setting" window. A view
// of the application object: its fields show and edit the settings, its menus, tool buttons
// and command relay fire the application's commands.
#include "app/command_table.h"
#include "app/engine_view.h"
#include "gui/window_host.h"

#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QUrl;

namespace pw::gui {

class ArchiveGroup;
class frmMain;
class PageGroup;
class PasswordGroup;
class ResolutionGroup;
class SheetGroup;
class TallGroup;
class TextGroup;
class QualityControl;

class frmPrinting : public QDialog, public app::EngineView {
    Q_OBJECT
public:
    explicit frmPrinting(WindowHost& app, QWidget* parent = nullptr);
    ~frmPrinting() override;

    // The front window, owned by the application object.
    frmMain* front() const;
    // Forwards to the application object's one quit path.
    void requestQuit();
    // Asks the form to unload: it hides, and closes for good only when QuitRequested is set.
    // Runs Form_Unload itself, so it never depends on Qt delivering a close event.
    void Unload();
    // The unload handler: hides the form; without QuitRequested it sets Cancel and the form
    // stays loaded. With it, ends every pdf.exe and quits the application (once).
    void Form_Unload(bool& Cancel);
    bool unloaded() const { return unloaded_; }

    // Shows the settings in the fields.
    void showSettings(AppSettings settings);
    // Hands the fields' values to the application object; every field and control does it as
    // it changes.
    void handOverEdits();
    // The page layout and quality as shown.
    jobfiles::JobOptions jobOptions() const;

    // The engine menus by front menu index: 0 menuFile, 1 menuR, 2 menuContrl, 3 menuA.
    QMenu* engineMenu(int index) const;

    // Handlers. The tool buttons fire the commands of their index.
    void CmdToolsBar_Click(int index);
    void Command3_Click();
    void Command1_Click();

    // Opens a web page or a folder in the desktop's default program, false when it could not;
    // tests record instead.
    std::function<bool(const QUrl&)> urlOpener;
    // Sounds the system beep; tests record instead.
    std::function<void()> beeper;

    // EngineView
    void hideDropPanel() override;
    void repaint() override;
    void showRemoveMenu() override;
    // When no browser can show the page, a message says where it is.
    void openUrl(const std::string& url) override;
    void exitApplication() override;

    // What the conversion job shows here, through the application object.
    void setToolsBarEnabled(bool enabled);
    void focusToolsBarButtons();
    void setConvertEnabled(bool enabled);
    void setProgressText(const std::string& text);
    // Opens the folder of the PDFs; when it cannot, a message says where they are.
    void openFolder(const std::string& folder);
    void beep();
    // Keeps the font's size on screens of any DPI.
    void scaleToScreen();

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
    QCheckBox* chkBookmarks = nullptr;
    QCheckBox* chkKeepColour = nullptr;   // near-gray pictures kept in colour
    QCheckBox* chkDeskew = nullptr;       // pages turned upright by their skew
    QCheckBox* chkFolderPdfs = nullptr;   // Add Folder takes PDFs
    PasswordGroup* grpPassword = nullptr; // never saved
    TextGroup* grpText = nullptr;
    ArchiveGroup* grpArchive = nullptr;
    ResolutionGroup* grpResolution = nullptr;
    TallGroup* grpTall = nullptr;
    SheetGroup* grpSheet = nullptr;
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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fireToolsBar(int index);
    void fire(app::Command command);
    void buildControls();
    void buildMenus();
    void connectEdits();
    // Sheets and splitting need paper, and exclude each other.
    void enableLayoutGroups();

    WindowHost& app_;
    bool showing_ = false;
    bool unloaded_ = false;
};

} // namespace pw::gui
