#pragma once
// The front window: borderless, shaped by its artwork's key colour, with picture buttons laid
// over the artwork. A view of the application object: its lists mirror the application's
// FileList, and its presses, menus and drops fire the application's commands.
#include "core/job_host.h"
#include "filelist/front_view.h"
#include "form/image_area.h"
#include "form/scale_to_screen.h"
#include "platform/pump.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>
#include <string>

class QLabel;
class QTimer;

namespace pw {

class Application;
class DropIntake;
class FileList;
class PictureListView;
class SelectionDisplay;
using form::ImageArea;

class frmMain : public QWidget, public FrontView {
    Q_OBJECT
public:
    frmMain(Application& app, os::MessagePump& pump, QWidget* parent = nullptr);
    ~frmMain() override;

    // The scale the load uses; by default the primary screen's twips per pixel.
    void setScreenScale(const form::ScreenScale& scale) { scale_ = scale; }
    const form::ScreenScale& screenScale() const { return scale_; }

    void Form_Load();
    void Timer1_Timer();

    // Frame.
    void imgExit_Click();
    void imgMin_Click();

    // Picture buttons.
    void ClearHoverImages();
    void imgToolbar_MouseDown(int index);
    void imgToolbar_MouseMove(int index);
    void imgMenu_MouseDown(int index);
    void imgMenu_MouseMove(int index);
    void imgConvert_MouseDown();
    void imgConvert_MouseMove();
    void imgUp_MouseDown();
    void imgUp_MouseMove();
    void imgDown_MouseDown();
    void imgDown_MouseMove();
    void lblUp_MouseDown() { imgUp_MouseDown(); }
    void lblUp_MouseMove() { imgUp_MouseMove(); }
    void lblDown_MouseDown() { imgDown_MouseDown(); }
    void lblDown_MouseMove() { imgDown_MouseMove(); }

    // Shows the window over the others, restored when it was minimised.
    void bringToFront();
    // The close picture's sequence: ends the program.
    void closeSequence();

    // The application's list and drop intake (made with this window).
    FileList& fileList() const;
    DropIntake& dropIntake() const;

    // FrontView
    void setHintVisible(bool visible) override;
    void setHintText(const std::string& text) override;
    void setPageText(const std::string& text) override;
    void setFilenameText(const std::string& text) override;
    void setFilenameToolTip(const std::string& path) override;
    void setFrontLocked(bool locked) override;
    void hideWelcomePanel() override;
    void repaint() override;

    // What the conversion job shows here, through the application object. Its state locks
    // the controls and hides the selected name, but while a job runs the Convert picture
    // shows Stop and stops it (and so does Esc). After a job the focus goes back where it
    // was; after Convert with nothing to convert, to the Add picture.
    void showJobState(JobState state, JobState was);
    void showProgress(const JobProgress& progress);
    void setLockedControlsEnabled(bool enabled);

    // Controls, by their design names.
    ImageArea* imgExit = nullptr;
    ImageArea* imgMin = nullptr;
    std::array<ImageArea*, 6> imgToolbar{};
    std::array<ImageArea*, 4> imgMenu{};
    ImageArea* imgConvert = nullptr;
    ImageArea* imgUp = nullptr;
    ImageArea* imgDown = nullptr;
    ImageArea* lblUp = nullptr;
    ImageArea* lblDown = nullptr;
    PictureListView* List1 = nullptr;
    PictureListView* List2 = nullptr;
    QLabel* picDoor = nullptr;
    QLabel* picText = nullptr;
    QLabel* lblText = nullptr;
    QLabel* lblPage = nullptr;
    QLabel* lblFilename = nullptr;
    QWidget* PicPB = nullptr;
    QWidget* shapePB = nullptr;
    QLabel* lblPB = nullptr;
    QTimer* Timer1 = nullptr;

signals:
    // Every text written to the progress label, in order (repeats included).
    void progressTextChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The Convert picture as it rests or is hovered: Stop while a job runs.
    void showConvertPicture(bool hover);
    bool jobRunning_ = false;
    QPointer<QWidget> focusBeforeJob_;
    bool listFocusMark_ = false; // the list took the focus from Tab or Shift+Tab
    void buildControls();
    void connectButtons();
    // Tab and Shift+Tab: the list, Move Up, Move Down, Convert, the tool bar, the menus.
    void orderFocus();
    void place(QWidget* widget, const form::TwipsRect& design);
    void scaleFonts();
    // The page label as wide as its text, the name label after it to the end of the row.
    void layoutSelectionRow();
    // Where the list's focus mark is drawn, around the list.
    QRectF listFocusRing() const;
    void fitFilename();

    Application& app_;
    os::MessagePump& pump_;
    form::ScreenScale scale_;
    std::unique_ptr<SelectionDisplay> selection_;
    QPixmap background_;
    QRect pageRoom_;    // the most the page label may take
    QRect filenameRow_; // the name label's own place
    QString filename_;  // the name as given, before it is fitted

    bool DragActive = false;
    QPoint DragAnchor;
};

} // namespace pw
