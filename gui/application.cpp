#include "gui/application.h"

#include "app/document_options.h"
#include "app/drop_intake.h"
#include "app/file_list.h"
#include "app/help_pages.h"
#include "app/job_runner.h"
#include "app/job_session.h"
#include "app/last_folder.h"
#include "app/opened_paths.h"
#include "app/output_folder.h"
#include "app/settings_file.h"
#include "app/single_instance.h"
#include "app/tool_commands.h"
#include "gui/app_state.h"
#include "gui/command_actions.h"
#include "gui/command_relay.h"
#include "gui/file_list_boxes.h"
#include "gui/frmMain.h"
#include "gui/frmPrinting.h"
#include "gui/instance_channel.h"
#include "gui/pages_window.h"
#include "gui/picture_list_view.h"
#include "job/ConversionJob.h"
#include "outside/skin/skin_loader.h"
#include "platform/EndProcessesOfExecutable.h"
#include "platform/paths.h"

#include <QTimer>
#include <cstdio>

namespace pw::gui {

Application::Application(platform::Prompts& prompts, platform::MessagePump& pump)
    : prompts_(prompts), pump_(pump) {
    engineForm_ = std::make_unique<frmPrinting>(*this);
    engineForm_->handOverEdits(); // the values the window starts with
    bindOwnCommands();
}

Application::~Application() {
    // The views and the job reach back into the rest; they go first.
    channel_.reset();
    relay_.reset();
    runner_.reset(); // stops a job still running
    session_.reset();
    toolCommands_.reset();
    drops_.reset();
    pages_.reset();
    listBoxes_.reset();
    front_.reset();
    fileList_.reset();
    engineForm_.reset();
}

void Application::bindOwnCommands() {
    commands_.bind(app::Command::Settings, [this] { engineForm_->exec(); });
    commands_.bind(app::Command::Help, [this] { engineForm_->openUrl(app::tutorialPageUrl()); });
    commands_.bind(app::Command::About, [this] { app::showAbout(prompts_); });
    commands_.bind(app::Command::Save, [this] { save(); });
    commands_.bind(app::Command::Browse, [this] { browse(); });
    commands_.bind(app::Command::Convert, [this] { convert(); });
    commands_.bind(app::Command::Stop, [this] { stopJob(); });
    commands_.bind(app::Command::Pages, [this] { showPages(); });
}

frmMain& Application::makeFront() {
    front_ = std::make_unique<frmMain>(*this, pump_);
    fileList_ = std::make_unique<app::FileList>();
    listBoxes_ = std::make_unique<FileListBoxes>(*fileList_, front_->List1, front_->List2);
    drops_ = std::make_unique<app::DropIntake>(*fileList_, *front_, *engineForm_, pump_);
    lastFolder_ = std::make_unique<app::LastFolder>(app::settingsFilePath());
    toolCommands_ = std::make_unique<app::ToolCommands>(*fileList_, *front_, *engineForm_,
                                                        *lastFolder_, prompts_, pump_);
    toolCommands_->folderPdfs = [this] { return settings_.options.folderPdfs; };
    app::bindToolCommands(commands_, *toolCommands_, *engineForm_);
    QObject::connect(&fileList_->model(), &app::PictureListModel::historyChanged,
                     [this] { enableHistoryCommands(); });
    enableHistoryCommands();
    return *front_;
}

bool Application::start() {
    instance_ = app::claimProgramInstance();
    if (!instance_->acquired()) {
        // Only a copy that already runs ends the start silently.
        if (instance_->state() != app::SingleInstance::State::HeldElsewhere) {
            startFailed_ = true;
            prompts_.messageBox(app::startFailureText(*instance_), platform::kProgramTitle,
                                platform::Buttons::Ok, platform::Icon::Error);
        }
        return false;
    }
    engineForm_->hide();
    QuitRequested = false;
    // The window's staging folder is its alone: a builder still working there is a stray of a
    // copy that ended without cleaning up. Conversions of other programs go on.
    platform::EndProcessesOfExecutable(job::ConversionJob::toolPath(), platform::stagingFolder());
    skin::skin::Attach();
    pump_.pumpOnce();

    session_ = std::make_unique<app::JobSession>(*this, prompts_);
    runner_ = std::make_unique<app::JobRunner>();
    QObject::connect(runner_.get(), &app::JobRunner::finished, [this] { jobEnded(); });

    engineForm_->setWindowTitle(QStringLiteral("Setting"));
    loadSettings();
    stampCreationDate();

    makeFront();
    relay_ = std::make_unique<CommandRelay>(engineForm_->txtMsg, commands_);
    front_->Form_Load();
    front_->show();
    channel_ = std::make_unique<InstanceServer>(
        [this](const std::vector<std::string>& paths) { takeHandedOver(paths); });
    if (!channel_->listening())
        std::fputs("pagewright: a second start cannot hand pictures to this window: "
                   "its local socket could not be opened\n",
                   stderr);

    pump_.pumpOnce();
    engineForm_->update();
    engineForm_->scaleToScreen();
    return true;
}

void Application::loadSettings() {
    const app::StoredSettings stored = pw::app::loadSettings();
    settings_.outputFolder = stored.outputFolder;
    if (stored.modeIndex >= 0 && stored.modeIndex < app::kModeCount)
        settings_.modeIndex = stored.modeIndex;
    settings_.options = stored.options;
    engineForm_->showSettings(settings_);
    OnePdfPerPicture = pw::app::onePdfPerPicture(settings_.modeIndex);
    pump_.pumpOnce();
}

void Application::openPaths(const std::vector<std::string>& paths) {
    if (front_ && fileList_ && !paths.empty())
        app::addOpenedPaths(paths, *fileList_, *front_, pump_);
}

void Application::bringToFront() {
    if (front_)
        front_->bringToFront();
}

bool Application::jobRunning() const {
    return runner_ && runner_->running();
}

void Application::takeHandedOver(const std::vector<std::string>& paths) {
    bringToFront();
    handedOver_.insert(handedOver_.end(), paths.begin(), paths.end());
    // The list must not change under a running job; the paths wait for it to end.
    if (jobRunning())
        return;
    const std::vector<std::string> waiting = std::move(handedOver_);
    handedOver_.clear();
    openPaths(waiting);
}

bool Application::requestQuit() {
    if (quitting_)
        return !jobRunning(); // closing the front window below comes back here
    if (jobRunning() && prompts_.messageBox("A conversion is running. Stop it and quit?",
                                            platform::kProgramTitle, platform::Buttons::YesNo,
                                            platform::Icon::Question) != platform::Answer::Yes)
        return false;
    quitting_ = true;
    if (jobRunning()) {
        // The window keeps answering while the job stops; the program closes once it is gone.
        // What the job would still show is dropped.
        runner_->abandon();
        app::JobProgress stopping = progress_;
        stopping.text = "Stopping...";
        stopping.visible = true;
        showProgress(stopping);
        return false;
    }
    closeForGood();
    return true;
}

void Application::closeForGood() {
    QuitRequested = true;
    runner_.reset();
    skin::skin::Detach();
    if (pages_)
        pages_->close();
    if (front_)
        front_->close();
    engineForm_->Unload();
}

void Application::showPages() {
    if (!front_ || !fileList_)
        return;
    if (!pages_) {
        pages_ = std::make_unique<PagesWindow>(fileList_->model());
        // The program's keys work here too; Delete removes every selected page instead.
        addCommandActions(*pages_, commands_, {app::Command::RemoveFile});
    }
    pages_->setEditable(front_->List2->isEnabled());
    pages_->show();
    pages_->raise();
    pages_->activateWindow();
    const QModelIndex current = pages_->view()->currentIndex();
    if (current.isValid())
        pages_->view()->scrollTo(current);
}

void Application::stopJob() {
    if (runner_)
        runner_->stop();
}

// --- commands ------------------------------------------------------------------------------

void Application::convert() {
    if (!runner_ || !session_)
        return;
    // One job at a time, however Convert arrives while one runs; the front window's Convert
    // picture and Esc stop it instead (Command::Stop).
    if (jobRunning())
        return;
    std::optional<job::JobRequest> request = session_->begin({});
    if (!request)
        return;
    runner_->start(std::move(*request), *session_);
}

void Application::jobEnded() {
    if (quitting_) {
        // Not from within the runner's own signal, which closing for good destroys.
        QTimer::singleShot(0, engineForm_.get(), [this] { closeForGood(); });
        return;
    }
    // Pictures handed over by a second start during the job join the list now.
    if (!handedOver_.empty())
        takeHandedOver({});
}

void Application::save() {
    OnePdfPerPicture =
        app::saveSettings(settings_.outputFolder, settings_.modeIndex, settings_.options);
    engineForm_->hide();
}

void Application::browse() {
    setOutputFolder(app::browseOutputFolder(prompts_));
}

void Application::stampCreationDate() {
    settings_.document.creationDate = app::pdfDateNow();
    engineForm_->showSettings(settings_);
}

// --- JobHost ---------------------------------------------------------------------------------

int Application::fileCount() const {
    return fileList_ ? fileList_->count() : 0;
}

std::string Application::workingPath(int index) const {
    return fileList_ ? fileList_->workingPath(index) : std::string();
}

std::string Application::displayPath(int index) const {
    return fileList_ ? fileList_->displayPath(index) : std::string();
}

int Application::rotation(int index) const {
    if (!fileList_)
        return 0;
    // The list keeps quarter turns clockwise; a row outside it gives none.
    const app::PictureListModel& model = fileList_->model();
    const int quarters = model.index(index).data(app::PictureListModel::RotationRole).toInt();
    return (quarters % 4 + 4) % 4 * 90;
}

std::vector<int> Application::pdfPages(int index) const {
    if (!fileList_ || index < 0 || index >= fileList_->model().count())
        return {};
    return fileList_->model().entries()[static_cast<std::size_t>(index)].pages;
}

std::string Application::outputFolder() const {
    return settings_.outputFolder;
}

void Application::setOutputFolder(const std::string& folder) {
    settings_.outputFolder = folder; // every other edit has reached the settings already
    engineForm_->showSettings(settings_);
}

std::string Application::title() const {
    return settings_.document.title;
}

job::DocumentProperties Application::documentProperties() const {
    return settings_.document;
}

bool Application::onePdfPerPicture() const {
    return OnePdfPerPicture;
}

jobfiles::JobOptions Application::jobOptions() const {
    return settings_.options;
}

void Application::jobStateChanged(app::JobState state) {
    const app::JobState was = jobState_;
    jobState_ = state;
    const bool locked = state != app::JobState::Idle;
    engineForm_->setConvertEnabled(!locked);
    engineForm_->setToolsBarEnabled(!locked);
    for (const app::Command command : app::kLockedDuringJob)
        commands_.setEnabled(command, !locked);
    commands_.setEnabled(app::Command::Stop, state == app::JobState::Running);
    enableHistoryCommands();
    if (front_)
        front_->showJobState(state, was);
    // After a job, or Convert with nothing to convert, the focus goes to the tool buttons;
    // not after a question answered Cancel.
    if (state == app::JobState::Idle && was != app::JobState::Preparing)
        engineForm_->focusToolsBarButtons();
}

void Application::enableHistoryCommands() {
    const app::PictureListModel* model = fileList_ ? &fileList_->model() : nullptr;
    const bool idle = jobState_ == app::JobState::Idle;
    commands_.setEnabled(app::Command::Undo, idle && model && model->canUndo());
    commands_.setEnabled(app::Command::Redo, idle && model && model->canRedo());
}

void Application::showProgress(const app::JobProgress& progress) {
    progress_ = progress;
    engineForm_->setProgressText(progress.settingText);
    if (front_)
        front_->showProgress(progress);
}

void Application::openFolder(const std::string& folder) {
    engineForm_->openFolder(folder);
}

void Application::beep() {
    engineForm_->beep();
}

} // namespace pw::gui
