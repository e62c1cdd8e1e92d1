#include "gui/frmPrinting.h"

#include "app/document_options.h"
#include "app/drop_intake.h"
#include "app/settings_file.h"
#include "gui/app_state.h"
#include "gui/archive_group.h"
#include "gui/command_actions.h"
#include "gui/drop_target.h"
#include "gui/page_group.h"
#include "gui/password_group.h"
#include "gui/quality_control.h"
#include "gui/resolution_group.h"
#include "gui/scale_to_screen.h"
#include "gui/sheet_group.h"
#include "gui/tall_group.h"
#include "gui/text_group.h"
#include "job/ConversionJob.h"
#include "jobfiles/page_layout_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace pw::gui {

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}
std::string s(const QString& text) {
    return text.toStdString();
}

struct ToolButton {
    const char* caption;
    const char* toolTip;
};

constexpr ToolButton kToolButtons[7] = {
    {"Add", "Add an Image File"},
    {"Add Folder", "Add Image Files from a Folder"},
    {"Remove", "Remove File(s) from List"},
    {"Clean", "Remove all from File List"},
    {"Move Down", "Move selected Down"},
    {"Exit", "Exit"},
    {"Move Up", "Up"},
};

QLabel* makeLabel(const char* name, const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

QLineEdit* makeEdit(const char* name, const QString& text, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromUtf8(name));
    return edit;
}

QPushButton* makeButton(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmPrinting::frmPrinting(WindowHost& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName(QStringLiteral("frmPrinting"));
    setWindowTitle(QStringLiteral("Pagewright"));
    urlOpener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    beeper = [] { QApplication::beep(); };
    buildMenus();
    buildControls();
    connectEdits();
}

frmPrinting::~frmPrinting() = default;

void frmPrinting::fire(app::Command command) {
    app_.commands().fire(command);
}

void frmPrinting::fireToolsBar(int index) {
    if (const std::optional<app::Command> command = app::toolsBarCommand(index))
        fire(*command);
}

frmMain* frmPrinting::front() const {
    return app_.front();
}

void frmPrinting::connectEdits() {
    for (QLineEdit* edit :
         {txtPath, txtTitle, txtCreateFor, txtSubject, txtKeywords, txtCreationDate})
        connect(edit, &QLineEdit::textChanged, this, [this] { handOverEdits(); });
    connect(cmbMode, &QComboBox::currentIndexChanged, this, [this] { handOverEdits(); });
    connect(grpPage, &PageGroup::changed, this, [this] { handOverEdits(); });
    connect(qualityControl, &QualityControl::changed, this, [this] { handOverEdits(); });
    connect(chkBookmarks, &QCheckBox::toggled, this, [this] { handOverEdits(); });
    connect(chkKeepColour, &QCheckBox::toggled, this, [this] { handOverEdits(); });
    connect(chkDeskew, &QCheckBox::toggled, this, [this] { handOverEdits(); });
    // Without loss every colour is kept anyway.
    connect(qualityControl, &QualityControl::changed, this,
            [this] { chkKeepColour->setEnabled(!qualityControl->lossless()); });
    connect(chkFolderPdfs, &QCheckBox::toggled, this, [this] { handOverEdits(); });
    connect(grpText, &TextGroup::changed, this, [this] { handOverEdits(); });
    connect(grpArchive, &ArchiveGroup::changed, this, [this] { handOverEdits(); });
    connect(grpResolution, &ResolutionGroup::changed, this, [this] { handOverEdits(); });
    connect(grpTall, &TallGroup::changed, this, [this] { handOverEdits(); });
    connect(grpPage, &PageGroup::changed, this, [this] { enableLayoutGroups(); });
    connect(grpSheet, &SheetGroup::changed, this, [this] {
        enableLayoutGroups();
        handOverEdits();
    });
    // The passwords go to the application object alone, never into the settings.
    connect(grpPassword, &PasswordGroup::changed, this,
            [this] { app_.takeEncryption(grpPassword->encryption()); });
}

void frmPrinting::showSettings(AppSettings settings) {
    showing_ = true;
    txtPath->setText(q(settings.outputFolder));
    if (settings.modeIndex >= 0 && settings.modeIndex < cmbMode->count())
        cmbMode->setCurrentIndex(settings.modeIndex);
    txtTitle->setText(q(settings.document.title));
    txtCreateFor->setText(q(settings.document.author));
    txtSubject->setText(q(settings.document.subject));
    txtKeywords->setText(q(settings.document.keywords));
    txtCreationDate->setText(q(settings.document.creationDate));
    grpPage->setPageLayout(settings.options.page);
    qualityControl->setQuality(settings.options.quality, settings.options.lossless);
    chkBookmarks->setChecked(settings.options.bookmarks);
    chkKeepColour->setChecked(settings.options.keepColour);
    chkKeepColour->setEnabled(!settings.options.lossless);
    chkDeskew->setChecked(settings.options.deskew);
    chkFolderPdfs->setChecked(settings.options.folderPdfs);
    grpText->setOptions(settings.options);
    grpArchive->setLevel(settings.options.pdfa);
    grpArchive->setBilevel(settings.options.bilevel);
    grpResolution->setMaxDpi(settings.options.maxDpi);
    grpTall->setValues(settings.options.page);
    grpSheet->setValues(settings.options.page);
    showing_ = false;
}

void frmPrinting::enableLayoutGroups() {
    const jobfiles::PageLayout layout = grpSheet->applied(grpPage->pageLayout());
    grpSheet->setPaper(layout.size != jobfiles::PageSize::Picture);
    const bool shared = jobfiles::sharesSheets(layout);
    if (shared)
        grpTall->chkSplitTall->setChecked(false);
    grpTall->setEnabled(!shared);
}

void frmPrinting::handOverEdits() {
    if (showing_)
        return; // half shown: the fields are not yet the settings
    AppSettings edited = app_.settings();
    edited.outputFolder = s(txtPath->text());
    edited.modeIndex = cmbMode->currentIndex();
    edited.document = {s(txtTitle->text()), s(txtCreateFor->text()), s(txtSubject->text()),
                       s(txtKeywords->text()), s(txtCreationDate->text())};
    edited.options = jobOptions();
    app_.takeEdits(edited);
}

jobfiles::JobOptions frmPrinting::jobOptions() const {
    jobfiles::JobOptions options = app_.settings().options;
    options.page = grpSheet->applied(grpTall->applied(grpPage->pageLayout())); // as shown
    options.quality = qualityControl->quality();
    options.lossless = qualityControl->lossless();
    options.bookmarks = chkBookmarks->isChecked();
    options.keepColour = chkKeepColour->isChecked();
    options.deskew = chkDeskew->isChecked();
    options.folderPdfs = chkFolderPdfs->isChecked();
    grpText->applyTo(options);
    options.pdfa = grpArchive->level();
    options.bilevel = grpArchive->bilevel();
    options.maxDpi = grpResolution->maxDpi();
    return options;
}

void frmPrinting::buildMenus() {
    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    app::CommandTable& commands = app_.commands();
    // Each item fires its command, follows its enabled state and shows its keys, which the
    // windows take themselves: here they act only while the menu is open.
    const auto item = [&commands](QMenu* menu, const char* name, app::Command command) {
        QAction* action = menu->addAction(QString::fromStdString(app::commandCaption(command)));
        action->setObjectName(QString::fromUtf8(name));
        action->setShortcuts(commandShortcuts(command));
        action->setShortcutContext(Qt::WidgetShortcut);
        followCommand(action, commands, command);
    };

    menuFile = menuBar->addMenu(QStringLiteral("File"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    item(menuFile, "menuAdd", app::Command::Add);
    item(menuFile, "menuFolder", app::Command::AddFolder);
    menuFile->addSeparator()->setObjectName(QStringLiteral("menuS"));
    item(menuFile, "menuExit", app::Command::Exit);

    menuR = menuBar->addMenu(QStringLiteral("Remove"));
    menuR->setObjectName(QStringLiteral("menuR"));
    item(menuR, "menuRemove", app::Command::RemoveFile);
    item(menuR, "menuRemoveAll", app::Command::RemoveAllFiles);

    menuContrl = menuBar->addMenu(QStringLiteral("Control"));
    menuContrl->setObjectName(QStringLiteral("menuContrl"));
    item(menuContrl, "menuUp", app::Command::MoveUp);
    item(menuContrl, "menuDown", app::Command::MoveDown);
    item(menuContrl, "menuSort", app::Command::Sort);
    item(menuContrl, "menuPages", app::Command::Pages);
    menuContrl->addSeparator()->setObjectName(QStringLiteral("menuSE"));
    item(menuContrl, "menuUndo", app::Command::Undo);
    item(menuContrl, "menuRedo", app::Command::Redo);

    menuA = menuBar->addMenu(QStringLiteral("About"));
    menuA->setObjectName(QStringLiteral("menuA"));
    item(menuA, "menuWeb", app::Command::Website);
    menuA->addSeparator()->setObjectName(QStringLiteral("menuSS"));
    item(menuA, "menuAbout", app::Command::About);
}

void frmPrinting::buildControls() {
    auto* root = new QVBoxLayout(this);
    root->setMenuBar(menuBar);
    root->setSpacing(10);

    // Output folder and conversion mode.
    auto* output = new QGroupBox(QStringLiteral("Output"), this);
    output->setObjectName(QStringLiteral("grpOutput"));
    auto* outputGrid = new QGridLayout(output);
    Label3 = makeLabel("Label3", "Output Path:", output);
    txtPath = makeEdit("txtPath", q(app::defaultSettings().outputFolder), output);
    txtPath->setToolTip(QStringLiteral("Select a Folder to Output"));
    cmdBrowse = makeButton("cmdBrowse", "Browse", output);
    cmdBrowse->setToolTip(QStringLiteral("Select an Output Folder"));
    Label1 = makeLabel("Label1", "Conversion Mode:", output);
    cmbMode = new QComboBox(output);
    cmbMode->setObjectName(QStringLiteral("cmbMode"));
    cmbMode->addItem(QStringLiteral("Convert All JPG to a Single PDF"));
    cmbMode->addItem(QStringLiteral("Convert Each Picture to its Own PDF"));
    cmdSave = makeButton("cmdSave", "Save", output);
    outputGrid->addWidget(Label3, 0, 0);
    outputGrid->addWidget(txtPath, 0, 1);
    outputGrid->addWidget(cmdBrowse, 0, 2);
    outputGrid->addWidget(Label1, 1, 0);
    outputGrid->addWidget(cmbMode, 1, 1);
    outputGrid->addWidget(cmdSave, 1, 2);
    outputGrid->setColumnStretch(1, 1);
    root->addWidget(output);

    // Two columns below it: the page and the document on the left, what the PDF becomes on
    // the right, so that the window fits a small screen.
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    root->addLayout(columns);

    grpPage = new PageGroup(this);
    left->addWidget(grpPage);
    grpSheet = new SheetGroup(this);
    left->addWidget(grpSheet);
    grpTall = new TallGroup(this);
    right->addWidget(grpTall);

    // Document properties and the quality captions.
    auto* document = new QGroupBox(QStringLiteral("Document"), this);
    document->setObjectName(QStringLiteral("grpDocument"));
    auto* documentGrid = new QGridLayout(document);
    lblTitle = makeLabel("lblTitle", "Document Title(Filename):", document);
    txtTitle = makeEdit("txtTitle", QString::fromUtf8(app::kDefaultDocumentTitle), document);
    lblCreateFor = makeLabel("lblCreateFor", "Author:", document);
    txtCreateFor = makeEdit("txtCreateFor", QString::fromUtf8(app::kDefaultAuthor), document);
    lblSubject = makeLabel("lblSubject", "Subject:", document);
    txtSubject = makeEdit("txtSubject", QString::fromUtf8(app::kDefaultSubject), document);
    lblKeywords = makeLabel("lblKeywords", "Keywords:", document);
    txtKeywords = makeEdit("txtKeywords", QString::fromUtf8(app::kDefaultKeywords), document);
    lblCreationDate = makeLabel("lblCreationDate", "Creation Date:", document);
    txtCreationDate = makeEdit("txtCreationDate", QString(), document);
    Command1 = makeButton("Command1", "Now", document);
    lblJPG = makeLabel("lblJPG", "Compress Quality:", document);
    lblQuality = makeLabel("lblQuality", "100%", document);
    lblQtt = makeLabel("lblQtt", "Good", document);
    const std::pair<QLabel*, QWidget*> rows[] = {{lblTitle, txtTitle},
                                                 {lblCreateFor, txtCreateFor},
                                                 {lblSubject, txtSubject},
                                                 {lblKeywords, txtKeywords},
                                                 {lblCreationDate, txtCreationDate}};
    int row = 0;
    for (const auto& [label, field] : rows) {
        documentGrid->addWidget(label, row, 0);
        documentGrid->addWidget(field, row, 1);
        ++row;
    }
    documentGrid->addWidget(Command1, row - 1, 2);
    qualityControl = new QualityControl(lblQuality, lblQtt, document);
    auto* quality = new QHBoxLayout;
    quality->addWidget(qualityControl);
    quality->addWidget(lblQuality);
    quality->addWidget(lblQtt);
    quality->addStretch(1);
    documentGrid->addWidget(lblJPG, row, 0);
    documentGrid->addLayout(quality, row, 1, 1, 2);
    chkBookmarks = new QCheckBox(QStringLiteral("Bookmarks"), document);
    chkBookmarks->setObjectName(QStringLiteral("chkBookmarks"));
    chkBookmarks->setToolTip(QStringLiteral("A bookmark per picture, titled by its file name"));
    documentGrid->addWidget(chkBookmarks, ++row, 1);
    chkKeepColour = new QCheckBox(QStringLiteral("Keep colour of near-gray pictures"), document);
    chkKeepColour->setObjectName(QStringLiteral("chkKeepColour"));
    chkKeepColour->setToolTip(
        QStringLiteral("Pictures whose pixels are all near gray (a colour scan of a gray page) "
                       "are stored gray, in a third of the data, unless this is checked"));
    documentGrid->addWidget(chkKeepColour, ++row, 1);
    chkDeskew = new QCheckBox(QStringLiteral("Straighten skewed pages"), document);
    chkDeskew->setObjectName(QStringLiteral("chkDeskew"));
    chkDeskew->setToolTip(
        QStringLiteral("Each page's skew is measured and the page turned upright, the corners "
                       "white; JPEG files so turned are re-encoded"));
    documentGrid->addWidget(chkDeskew, ++row, 1);
    chkFolderPdfs = new QCheckBox(QStringLiteral("Add Folder takes PDFs"), document);
    chkFolderPdfs->setObjectName(QStringLiteral("chkFolderPdfs"));
    chkFolderPdfs->setToolTip(
        QStringLiteral("Add Folder also lists the PDFs it finds; their pages go in as they are"));
    documentGrid->addWidget(chkFolderPdfs, ++row, 1);
    documentGrid->setColumnStretch(1, 1);
    left->addWidget(document);
    left->addStretch(1);
    grpResolution = new ResolutionGroup(this);
    right->addWidget(grpResolution);

    grpText = new TextGroup(this);
    right->addWidget(grpText);
    grpPassword = new PasswordGroup(this);
    right->addWidget(grpPassword);
    grpArchive = new ArchiveGroup(this);
    right->addWidget(grpArchive);
    right->addStretch(1);

    // The tool buttons.
    auto* tools = new QHBoxLayout;
    tools->setObjectName(QStringLiteral("toolsRow"));
    for (int i = 0; i < 7; ++i) {
        const std::string name = "CmdToolsBar_" + std::to_string(i);
        QPushButton* button = makeButton(name.c_str(), kToolButtons[i].caption, this);
        button->setToolTip(QString::fromUtf8(kToolButtons[i].toolTip));
        button->setProperty("Index", i);
        connect(button, &QPushButton::clicked, this, [this, i] { fireToolsBar(i); });
        CmdToolsBar[static_cast<std::size_t>(i)] = button;
        tools->addWidget(button);
    }
    root->addLayout(tools);

    // The drop panel, the progress text and the Convert button.
    auto* bottom = new QHBoxLayout;
    picDoor = makeLabel("picDoor", "Drop picture files here", this);
    picDoor->setFrameShape(QFrame::StyledPanel);
    picDoor->setAlignment(Qt::AlignCenter);
    picDoor->setMinimumHeight(40);
    picDoor->setAcceptDrops(true);
    lblPB = makeLabel("lblPB", "0%", this);
    lblPB->setMinimumWidth(160);
    Command3 = makeButton("Command3", "Convert To PDF Now", this);
    bottom->addWidget(picDoor, 1);
    bottom->addWidget(lblPB);
    bottom->addWidget(Command3);
    root->addLayout(bottom);

    // The command relay: never shown.
    txtMsg = makeEdit("txtMsg", QString(), this);
    txtMsg->hide();

    connect(cmdBrowse, &QPushButton::clicked, this, [this] { fire(app::Command::Browse); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { fire(app::Command::Save); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { fire(app::Command::Convert); });
    DropTarget::install(picDoor, [this](const QMimeData* dropped) {
        if (app::DropIntake* drops = app_.dropIntake())
            drops->EnginePicDoor_OLEDragDrop(dropped);
    });
}

QMenu* frmPrinting::engineMenu(int index) const {
    switch (index) {
    case 0:
        return menuFile;
    case 1:
        return menuR;
    case 2:
        return menuContrl;
    case 3:
        return menuA;
    default:
        return nullptr;
    }
}

void frmPrinting::scaleToScreen() {
    // Positions belong to the layouts, which already work in pixels; the font keeps its pixel
    // size at any DPI.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    ScreenScale scale;
    scale.twipsPerPixelX = twipsPerPixel(screen->logicalDotsPerInchX());
    scale.twipsPerPixelY = twipsPerPixel(screen->logicalDotsPerInchY());
    QFont scaled = font();
    if (scaled.pointSizeF() <= 0)
        return; // a pixel-sized font already keeps its size
    scaled.setPointSizeF(ScaleToScreen(scaled.pointSizeF(), scale));
    setFont(scaled);
}

void frmPrinting::requestQuit() {
    app_.requestQuit();
}

void frmPrinting::Unload() {
    // The handler runs here rather than from a close event: once the modal window has been
    // closed by Escape (reject), Qt reports a later close() as done without sending the event.
    bool cancel = false;
    Form_Unload(cancel);
}

void frmPrinting::Form_Unload(bool& Cancel) {
    hide();
    if (!QuitRequested) {
        Cancel = true;
        return;
    }
    if (unloaded_)
        return;
    unloaded_ = true;
    // Ends every running event loop, nested ones included, and with them the program.
    QCoreApplication::exit(0);
}

void frmPrinting::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void frmPrinting::Command1_Click() {
    app_.stampCreationDate();
}

void frmPrinting::Command3_Click() {
    app_.convert();
}

void frmPrinting::CmdToolsBar_Click(int index) {
    fireToolsBar(index);
}

// --- EngineView ---------------------------------------------------------------------------

void frmPrinting::hideDropPanel() {
    picDoor->hide();
}

void frmPrinting::repaint() {
    QWidget::repaint();
}

void frmPrinting::showRemoveMenu() {
    menuR->exec(QCursor::pos());
}

void frmPrinting::openUrl(const std::string& url) {
    const QUrl address(q(url));
    if (!urlOpener || urlOpener(address))
        return;
    const QString where = address.isLocalFile() ? address.toLocalFile() : address.toString();
    app_.prompts().messageBox("The help page could not be opened in a browser.\r\nYou will find "
                              "it at " +
                                  where.toStdString(),
                              platform::kProgramTitle, platform::Buttons::Ok,
                              platform::Icon::Information);
}

void frmPrinting::exitApplication() {
    if (isVisible()) {
        Unload(); // without the quit flag: the Setting window closes, the program keeps running
        return;
    }
    requestQuit();
}

// --- what the job shows here --------------------------------------------------------------

void frmPrinting::setToolsBarEnabled(bool enabled) {
    for (QPushButton* button : CmdToolsBar)
        button->setEnabled(enabled);
}

void frmPrinting::focusToolsBarButtons() {
    for (QPushButton* button : CmdToolsBar)
        button->setFocus();
}

void frmPrinting::setConvertEnabled(bool enabled) {
    Command3->setEnabled(enabled);
}

void frmPrinting::setProgressText(const std::string& text) {
    lblPB->setText(q(text));
}

void frmPrinting::openFolder(const std::string& folder) {
    if (!urlOpener || urlOpener(QUrl::fromLocalFile(q(folder))))
        return;
    app_.prompts().messageBox("The folder could not be opened.\r\nThe PDFs are in " + folder,
                              platform::kProgramTitle, platform::Buttons::Ok,
                              platform::Icon::Information);
}

void frmPrinting::beep() {
    if (beeper)
        beeper();
}

} // namespace pw::gui
