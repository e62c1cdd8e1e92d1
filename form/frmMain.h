#pragma once
// The front window: borderless, shaped by its artwork's key colour, with picture buttons laid
// over the artwork. A view of the application object: its lists mirror the application's
// FileList, and its presses, menus and drops fire the application's commands.
#include "filelist/front_view.h"
#include "form/image_area.h"
#include "form/scale_to_screen.h"
#include "platform/pump.h"

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

    // What the conversion job shows here, through the application object.
    void setLockedControlsEnabled(bool enabled);
    void setFilenameLabelVisible(bool visible);
    void setProgressText(const QString& text);
    void setProgressVisible(bool visible);
    double trackWidth() const;
    double barWidth() const;
    void setBarWidth(double width);
    // While a job runs, the Convert picture shows Stop and stops it (and so does Esc).
    void setJobRunning(bool running);

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

private:
    // The Convert picture as it rests or is hovered: Stop while a job runs.
    void showConvertPicture(bool hover);
    bool jobRunning_ = false;
    void buildControls();
    void connectButtons();
    void place(QWidget* widget, const form::TwipsRect& design);
    void scaleFonts();

    Application& app_;
    os::MessagePump& pump_;
    form::ScreenScale scale_;
    std::unique_ptr<SelectionDisplay> selection_;
    QPixmap background_;

    bool DragActive = false;
    QPoint DragAnchor;
};

} // namespace pw
