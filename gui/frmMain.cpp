#include "gui/frmMain.h"

#include "app/drop_intake.h"
#include "app/file_list.h"
#include "app/help_pages.h"
#include "gui/app_state.h"
#include "gui/command_actions.h"
#include "gui/drop_target.h"
#include "gui/fit_text.h"
#include "gui/frmPrinting.h"
#include "gui/list_preview.h"
#include "gui/pages_window.h"
#include "gui/picture_list_view.h"
#include "gui/selection_display.h"
#include "gui/window_host.h"
#include "outside/skin/skin_loader.h"
#include "platform/paths.h"
#include "platform/remove_folder_tree.h"
#include "resources/artwork.h"
#include "resources/layout.h"
#include "resources/theme.h"

#include <QAction>
#include <QBitmap>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace pw::gui {

namespace {

TwipsRect twips(const layout::TwipRect& r) {
    return {static_cast<double>(r.left), static_cast<double>(r.top), static_cast<double>(r.width),
            static_cast<double>(r.height)};
}

QColor colour(const layout::Rgb& rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

// The hint box sits in the middle of the list area.
constexpr layout::TwipRect kPicTextRect{1680, 2880, 2805, 720};
// The frame's design font.
constexpr double kDesignFontPoints = 9.0;
// The selected name's label shrinks no further than this.
constexpr double kMinFilenamePoints = 7.0;
// Menus drop below their picture by this many twips.
constexpr int kMenuDropTwips = 300;

} // namespace

frmMain::frmMain(WindowHost& app, platform::MessagePump& pump, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), app_(app), pump_(pump) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Pagewright"));
    setMouseTracking(true);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        scale_.twipsPerPixelX = twipsPerPixel(screen->logicalDotsPerInchX());
        scale_.twipsPerPixelY = twipsPerPixel(screen->logicalDotsPerInchY());
    }
    buildControls();
    connectButtons();
    orderFocus();
}

frmMain::~frmMain() = default;

app::FileList& frmMain::fileList() const {
    return *app_.fileList();
}

app::DropIntake& frmMain::dropIntake() const {
    return *app_.dropIntake();
}

void frmMain::buildControls() {
    const auto area = [this](const QString& name, int index) {
        return new ImageArea(name, index, this);
    };
    imgExit = area(QStringLiteral("imgExit"), 0);
    imgMin = area(QStringLiteral("imgMin"), 0);
    for (int i = 0; i < 6; ++i)
        imgToolbar[static_cast<std::size_t>(i)] = area(QStringLiteral("imgToolbar_%1").arg(i), i);
    for (int i = 0; i < 4; ++i)
        imgMenu[static_cast<std::size_t>(i)] = area(QStringLiteral("imgMenu_%1").arg(i), i);
    imgConvert = area(QStringLiteral("imgConvert"), 0);
    imgUp = area(QStringLiteral("imgUp"), 0);
    imgDown = area(QStringLiteral("imgDown"), 0);
    lblUp = area(QStringLiteral("lblUp"), 0);
    lblDown = area(QStringLiteral("lblDown"), 0);
    lblUp->setText(QStringLiteral("Move Up"));
    lblDown->setText(QStringLiteral("Move Down"));
    for (QLabel* label : {static_cast<QLabel*>(lblUp), static_cast<QLabel*>(lblDown)}) {
        label->setScaledContents(false);
        label->setAlignment(Qt::AlignCenter);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour(layout::kLabelTextColour));
        label->setPalette(palette);
    }

    const auto list = [this](const QString& name) {
        auto* widget = new PictureListView(this);
        widget->setObjectName(name);
        return widget;
    };
    List1 = list(QStringLiteral("List1"));
    List2 = list(QStringLiteral("List2"));
    new ListPreview(*List2); // the picture as the list's tool tip
    selection_ = std::make_unique<SelectionDisplay>(List1, List2, *this);
    connect(List2, &QAbstractItemView::doubleClicked, this, [this] { app_.showPages(); });
    // Whatever adds a picture (menus, the relay, a drop on any target), the list must show.
    connect(List2, &PictureListView::rowsAdded, this, [this] {
        if (picDoor != nullptr && !picDoor->isHidden())
            picDoor->hide();
    });

    lblPage = new QLabel(QStringLiteral("Page Number: 0"), this);
    lblPage->setObjectName(QStringLiteral("lblPage"));
    lblFilename = new QLabel(this);
    lblFilename->setObjectName(QStringLiteral("lblFilename"));

    picText = new QLabel(this);
    picText->setObjectName(QStringLiteral("picText"));
    picText->setAcceptDrops(true);
    // A plain label shows its ampersand as it is.
    lblText = new QLabel(QString::fromUtf8(app::kDropHintText), picText);
    lblText->setObjectName(QStringLiteral("lblText"));
    lblText->setTextFormat(Qt::PlainText);
    lblText->setAlignment(Qt::AlignCenter);
    {
        QPalette palette = lblText->palette();
        palette.setColor(QPalette::WindowText, QColor(128, 128, 128));
        lblText->setPalette(palette);
    }

    picDoor = new QLabel(this);
    picDoor->setObjectName(QStringLiteral("picDoor"));
    picDoor->setScaledContents(true);
    picDoor->setAcceptDrops(true);

    PicPB = new QWidget(this);
    PicPB->setObjectName(QStringLiteral("PicPB"));
    PicPB->setAutoFillBackground(true);
    shapePB = new QWidget(PicPB);
    shapePB->setObjectName(QStringLiteral("shapePB"));
    shapePB->setAutoFillBackground(true);
    {
        QPalette track = PicPB->palette();
        track.setColor(QPalette::Window, QColor(0xff, 0xff, 0xff));
        PicPB->setPalette(track);
        QPalette fill = shapePB->palette();
        fill.setColor(QPalette::Window, QColor(0x0e, 0xa5, 0xe9));
        shapePB->setPalette(fill);
    }
    lblPB = new QLabel(QStringLiteral("0%"), this);
    lblPB->setObjectName(QStringLiteral("lblPB"));

    DropTarget::install(
        List2, [this](const QMimeData* dropped) { dropIntake().List2_OLEDragDrop(dropped); },
        [this] { dropIntake().List2_OLEDragOver(); });
    DropTarget::install(
        picDoor, [this](const QMimeData* dropped) { dropIntake().picDoor_OLEDragDrop(dropped); });
    DropTarget::install(
        picText, [this](const QMimeData* dropped) { dropIntake().picText_OLEDragDrop(dropped); });

    background_ = art::background();
    imgExit->setCursor(art::closeCursor());
    imgMin->setCursor(art::closeCursor());

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });

    // Design places; the load rescales them to the screen.
    resize(553, 371);
}

void frmMain::connectButtons() {
    connect(imgExit, &ImageArea::clicked, this, [this] { imgExit_Click(); });
    connect(imgMin, &ImageArea::clicked, this, [this] { imgMin_Click(); });
    for (ImageArea* button : imgToolbar) {
        connect(button, &ImageArea::pressed, this, [this](int i) { imgToolbar_MouseDown(i); });
        connect(button, &ImageArea::moved, this, [this](int i) { imgToolbar_MouseMove(i); });
    }
    for (ImageArea* button : imgMenu) {
        connect(button, &ImageArea::pressed, this, [this](int i) { imgMenu_MouseDown(i); });
        connect(button, &ImageArea::moved, this, [this](int i) { imgMenu_MouseMove(i); });
    }
    connect(imgConvert, &ImageArea::pressed, this, [this] { imgConvert_MouseDown(); });
    // The keys, and the list's context menu with the commands that work on it.
    const QList<QAction*> actions = addCommandActions(*this, app_.commands());
    List2->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (QAction* action : actions) {
        const QString name = action->objectName();
        if (name != QLatin1String("actionStop") && name != QLatin1String("actionHelp") &&
            name != QLatin1String("actionExit"))
            List2->addAction(action);
    }
    connect(imgConvert, &ImageArea::moved, this, [this] { imgConvert_MouseMove(); });
    connect(imgUp, &ImageArea::pressed, this, [this] { imgUp_MouseDown(); });
    connect(imgUp, &ImageArea::moved, this, [this] { imgUp_MouseMove(); });
    connect(imgDown, &ImageArea::pressed, this, [this] { imgDown_MouseDown(); });
    connect(imgDown, &ImageArea::moved, this, [this] { imgDown_MouseMove(); });
    connect(lblUp, &ImageArea::pressed, this, [this] { lblUp_MouseDown(); });
    connect(lblUp, &ImageArea::moved, this, [this] { lblUp_MouseMove(); });
    connect(lblDown, &ImageArea::pressed, this, [this] { lblDown_MouseDown(); });
    connect(lblDown, &ImageArea::moved, this, [this] { lblDown_MouseMove(); });
}

void frmMain::orderFocus() {
    // Each mark follows its drawn button's corners.
    for (ImageArea* button : imgToolbar)
        button->takeTabFocus(8);
    for (ImageArea* button : imgMenu)
        button->takeTabFocus(5);
    imgUp->takeTabFocus(10);
    imgDown->takeTabFocus(10);
    imgConvert->takeTabFocus(11);
    List1->setFocusPolicy(Qt::NoFocus);
    std::vector<QWidget*> chain = {List2, imgUp, imgDown, imgConvert};
    chain.insert(chain.end(), imgToolbar.begin(), imgToolbar.end());
    chain.insert(chain.end(), imgMenu.begin(), imgMenu.end());
    for (std::size_t i = 0; i + 1 < chain.size(); ++i)
        setTabOrder(chain[i], chain[i + 1]);
    for (QWidget* underPanel : {static_cast<QWidget*>(List2), static_cast<QWidget*>(imgUp),
                                static_cast<QWidget*>(imgDown), static_cast<QWidget*>(imgConvert)})
        underPanel->installEventFilter(this);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // As for the buttons, the list is marked when the keyboard brought the focus there.
    if (watched == List2 &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        listFocusMark_ = event->type() == QEvent::FocusIn &&
                         (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason);
        update(listFocusRing().toAlignedRect());
    }
    // The keyboard reaching a control under the welcome panel shows the list and the
    // buttons beside it, as a press of a tool button does.
    if (event->type() == QEvent::FocusIn && picDoor != nullptr && !picDoor->isHidden()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            picDoor->hide();
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::place(QWidget* widget, const TwipsRect& design) {
    const PixelRect r = designToPixels(design, scale_);
    widget->setGeometry(r.x, r.y, r.width, r.height);
}

void frmMain::scaleFonts() {
    QFont base(QStringLiteral("Tahoma"));
    base.setPointSizeF(ScaleToScreen(kDesignFontPoints, scale_));
    setFont(base);
    QFont bold = base;
    bold.setBold(true);
    lblText->setFont(bold);
    // Where Tahoma is missing, a wider fallback must still fit the arrow captions.
    for (QLabel* label : {static_cast<QLabel*>(lblUp), static_cast<QLabel*>(lblDown)})
        label->setFont(fittedFont(base, label->text(), label->width(), 5.0));
}

// --- load and first tick ------------------------------------------------------------------

void frmMain::Form_Load() {
    skin::skin::Attach();
    skin::skin::AdjustHSV(0, -90, 0);

    // Parked out of view until the first tick shapes and centres the window.
    const double parkLeft = -layout::kFormWidth - 100.0;
    const double parkTop = -layout::kFormHeight - 100.0;
    move(twipsToPixels(parkLeft, scale_.twipsPerPixelX),
         twipsToPixels(parkTop, scale_.twipsPerPixelY));

    pump_.pumpOnce();
    update();
    pump_.pumpOnce();

    // Every control keeps its pixel size at any DPI.
    const PixelRect window = designToPixels(
        {0, 0, static_cast<double>(layout::kFormWidth), static_cast<double>(layout::kFormHeight)},
        scale_);
    setFixedSize(window.width, window.height);
    place(imgExit, twips(layout::kImgExitRect));
    place(imgMin, twips(layout::kImgMinRect));
    for (std::size_t i = 0; i < imgToolbar.size(); ++i)
        place(imgToolbar[i], twips(layout::kImgToolbarRects[i]));
    for (std::size_t i = 0; i < imgMenu.size(); ++i)
        place(imgMenu[i], twips(layout::kImgMenuRects[i]));
    place(imgConvert, twips(layout::kImgConvertRect));
    place(imgUp, twips(layout::kImgUpRect));
    place(imgDown, twips(layout::kImgDownRect));
    place(lblUp, twips(layout::kLblUpRect));
    place(lblDown, twips(layout::kLblDownRect));
    place(List1, twips(layout::kList1Rect));
    place(picDoor, twips(layout::kPicDoorRect));
    place(picText, twips(kPicTextRect));
    lblText->setGeometry(0, 0, picText->width(), picText->height());
    place(lblPage, twips(layout::kLblPageRect));
    place(lblFilename, twips(layout::kLblFilenameRect));
    pageRoom_ = lblPage->geometry();
    filenameRow_ = lblFilename->geometry();
    place(lblPB, twips(layout::kLblPBRect));
    place(PicPB, twips(layout::kPicPBRect));
    // The fill starts at the track's left edge, centred in its height.
    const double fillTop = (layout::kPicPBRect.height - layout::kShapePBStartHeight) / 2.0;
    place(shapePB, {0, fillTop, static_cast<double>(layout::kShapePBStartWidth),
                    static_cast<double>(layout::kShapePBStartHeight)});
    scaleFonts();
    layoutSelectionRow();

    picDoor->setPixmap(art::welcomePanel());

    // The working list scrolls sideways for long paths; the visible list takes its place.
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    List2->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    List2->setGeometry(List1->geometry());
    List1->hide();
    List2->raise();
    picText->raise();
    picDoor->raise();
    List2->setFocus(); // where Tab starts

    update();
    Timer1->start();

    platform::removeFolderTree(platform::stagingFolder());
    platform::removeFolderTree(platform::scratchFolder());
}

void frmMain::Timer1_Timer() {
    Timer1->stop();
    if (!background_.isNull()) {
        const QColor key = colour(layout::kTransparentKey);
        setMask(background_.createMaskFromColor(key, Qt::MaskInColor));
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    pump_.pumpOnce();
    platform::removeFolderTree(platform::stagingFolder());
}

void frmMain::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    if (background_.isNull())
        painter.fillRect(rect(), QColor(0xe8, 0xed, 0xf3));
    else
        painter.drawPixmap(0, 0, background_);
    // The list's focus mark: the picture buttons' accent ring, around the list's panel.
    if (listFocusMark_ && List2->hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor::fromRgb(theme::kAccent), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(listFocusRing().adjusted(1, 1, -1, -1), 4, 4);
    }
}

QRectF frmMain::listFocusRing() const {
    return QRectF(List2->geometry()).adjusted(-3, -3, 3, 3);
}

// --- moving by the background, minimise, close --------------------------------------------

void frmMain::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        DragActive = true;
        DragAnchor = event->position().toPoint();
    }
    event->accept();
}

void frmMain::mouseMoveEvent(QMouseEvent* event) {
    if (DragActive) {
        const QPoint travel = event->position().toPoint() - DragAnchor;
        move(pos() + travel);
    }
    ClearHoverImages();
    event->accept();
}

void frmMain::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        DragActive = false;
    event->accept();
}

void frmMain::imgMin_Click() {
    showMinimized();
}

void frmMain::bringToFront() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void frmMain::imgExit_Click() {
    closeSequence();
}

void frmMain::closeSequence() {
    if (!app_.requestQuit())
        return;
    close(); // a front window loaded without the engine form's start-up closes itself
}

void frmMain::closeEvent(QCloseEvent* event) {
    // However the window is closed (its own buttons, the window manager, the task bar), the
    // program ends, unless the user keeps a running job going.
    if (app_.requestQuit())
        event->accept();
    else
        event->ignore();
}

// --- picture buttons ----------------------------------------------------------------------

void frmMain::ClearHoverImages() {
    for (ImageArea* button : imgToolbar)
        button->clearPicture();
    for (ImageArea* button : imgMenu)
        button->clearPicture();
    imgUp->clearPicture();
    imgDown->clearPicture();
    showConvertPicture(false);
}

void frmMain::showConvertPicture(bool hover) {
    if (jobRunning_)
        imgConvert->showPicture(hover ? art::stopHover() : art::stopButton());
    else if (hover)
        imgConvert->showPicture(art::convertHover());
    else
        imgConvert->clearPicture();
}

void frmMain::imgToolbar_MouseMove(int index) {
    ClearHoverImages();
    imgToolbar[static_cast<std::size_t>(index)]->showPicture(art::toolbarHover(index));
}

void frmMain::imgToolbar_MouseDown(int index) {
    picDoor->hide();
    pump_.pumpOnce();
    ClearHoverImages();
    imgToolbar[static_cast<std::size_t>(index)]->showPicture(art::toolbarPressed(index));
    const std::optional<app::Command> command = app::frontToolbarCommand(index);
    if (!command)
        return;
    app_.commands().fire(*command);
    if (*command == app::Command::Settings) {
        // The modal window has closed: no button stays lit.
        for (ImageArea* button : imgToolbar)
            button->clearPicture();
        for (ImageArea* button : imgMenu)
            button->clearPicture();
    }
}

void frmMain::imgMenu_MouseMove(int index) {
    ClearHoverImages();
    imgMenu[static_cast<std::size_t>(index)]->showPicture(art::menuHover(index));
}

void frmMain::imgMenu_MouseDown(int index) {
    ClearHoverImages();
    // Like a toolbar press: what the menu does shows in the list.
    picDoor->hide();
    QMenu* menu = app_.settingWindow().engineMenu(index);
    if (!menu)
        return;
    const ImageArea* button = imgMenu[static_cast<std::size_t>(index)];
    const int drop = twipsToPixels(kMenuDropTwips * scale_.fy(), scale_.twipsPerPixelY);
    const bool keyboard = button->hasFocus();
    menu->exec(mapToGlobal(QPoint(button->x(), button->y() + drop)));
    if (index == 0) {
        activateWindow();
        if (keyboard)
            imgMenu[0]->setFocus(); // the focus mark stays where the keyboard left it
        else
            setFocus();
    }
}

void frmMain::imgConvert_MouseMove() {
    ClearHoverImages();
    showConvertPicture(true);
}

void frmMain::imgConvert_MouseDown() {
    showConvertPicture(false);
    app::CommandTable& commands = app_.commands();
    commands.fire(commands.isEnabled(app::Command::Stop) ? app::Command::Stop
                                                         : app::Command::Convert);
}

void frmMain::imgUp_MouseMove() {
    ClearHoverImages();
    imgUp->showPicture(art::upHover());
}

void frmMain::imgDown_MouseMove() {
    ClearHoverImages();
    imgDown->showPicture(art::downHover());
}

void frmMain::imgUp_MouseDown() {
    imgUp->clearPicture();
    app_.commands().fire(app::Command::MoveUp);
}

void frmMain::imgDown_MouseDown() {
    imgDown->clearPicture();
    app_.commands().fire(app::Command::MoveDown);
}

// --- what the conversion job shows ------------------------------------------------------

void frmMain::setLockedControlsEnabled(bool enabled) {
    for (ImageArea* button : imgToolbar)
        button->setEnabled(enabled);
    for (ImageArea* button : imgMenu)
        button->setEnabled(enabled);
    for (QWidget* widget : {static_cast<QWidget*>(imgConvert), static_cast<QWidget*>(imgUp),
                            static_cast<QWidget*>(imgDown), static_cast<QWidget*>(lblUp),
                            static_cast<QWidget*>(lblDown), static_cast<QWidget*>(List1),
                            static_cast<QWidget*>(List2)})
        widget->setEnabled(enabled);
    if (PagesWindow* pages = app_.pagesWindow())
        pages->setEditable(enabled);
}

void frmMain::showJobState(app::JobState state, app::JobState was) {
    const bool locked = state != app::JobState::Idle;
    if (locked && was == app::JobState::Idle)
        focusBeforeJob_ = focusWidget();
    setLockedControlsEnabled(!locked);
    lblFilename->setVisible(!locked);
    jobRunning_ = state == app::JobState::Running;
    imgConvert->setEnabled(jobRunning_ || !locked);
    imgConvert->setToolTip(jobRunning_ ? QStringLiteral("Stop (Esc)") : QString());
    showConvertPicture(false);
    if (locked)
        return;
    QWidget* before = std::exchange(focusBeforeJob_, nullptr).data();
    if (was == app::JobState::Idle)
        imgToolbar[0]->setFocus(); // nothing to convert: Add is what is wanted
    else if (before != nullptr && before->isEnabled() && before->isVisibleTo(this))
        before->setFocus();
}

// --- FrontView ----------------------------------------------------------------------------

void frmMain::setHintVisible(bool visible) {
    picText->setVisible(visible);
}

void frmMain::setHintText(const std::string& text) {
    lblText->setText(QString::fromStdString(text));
}

void frmMain::setPageText(const std::string& text) {
    lblPage->setText(QString::fromStdString(text));
    layoutSelectionRow();
}

void frmMain::layoutSelectionRow() {
    if (pageRoom_.isEmpty())
        return; // not loaded yet
    // A face wider than the design's shrinks the count before it would be cut.
    const QString count = lblPage->text();
    const double minimum = ScaleToScreen(kMinFilenamePoints, scale_);
    const QFont fitted = fittedFont(font(), count, pageRoom_.width(), minimum);
    if (fitted != lblPage->font())
        lblPage->setFont(fitted);
    const int needed = QFontMetrics(fitted).horizontalAdvance(count) + 2;
    lblPage->setGeometry(pageRoom_.x(), pageRoom_.y(), std::min(needed, pageRoom_.width()),
                         pageRoom_.height());
    const int gap = twipsToPixels(layout::kSelectionGapTwips * scale_.fx(), scale_.twipsPerPixelX);
    const int left = std::max(filenameRow_.x(), lblPage->geometry().right() + 1 + gap);
    const QRect row(left, filenameRow_.y(), filenameRow_.right() + 1 - left, filenameRow_.height());
    if (row == lblFilename->geometry())
        return;
    lblFilename->setGeometry(row);
    fitFilename();
}

void frmMain::setFilenameText(const std::string& text) {
    filename_ = QString::fromStdString(text);
    fitFilename();
}

void frmMain::fitFilename() {
    // The text was measured for Tahoma; in a wider face it shrinks, then loses its middle.
    const int width = lblFilename->contentsRect().width();
    const double minimum = ScaleToScreen(kMinFilenamePoints, scale_);
    const QFont fitted = fittedFont(font(), filename_, width, minimum);
    lblFilename->setFont(fitted);
    lblFilename->setText(fittedText(fitted, filename_, width));
}

void frmMain::setFilenameToolTip(const std::string& path) {
    lblFilename->setToolTip(QString::fromStdString(path));
}

void frmMain::setFrontLocked(bool locked) {
    setLockedControlsEnabled(!locked);
}

void frmMain::hideWelcomePanel() {
    picDoor->hide();
}

void frmMain::repaint() {
    QWidget::repaint();
}

void frmMain::showProgress(const app::JobProgress& progress) {
    const QString text = QString::fromStdString(progress.text);
    lblPB->setText(text);
    PicPB->setVisible(progress.visible);
    lblPB->setVisible(progress.visible);
    const double part = std::clamp(progress.bar, 0.0, 1.0);
    const int pixels = progress.sliver ? 1 : static_cast<int>(std::lround(part * PicPB->width()));
    shapePB->resize(pixels, shapePB->height());
    emit progressTextChanged(text);
}

} // namespace pw::gui
