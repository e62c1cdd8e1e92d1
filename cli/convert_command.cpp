#include "cli/convert_command.h"

#include "app/document_options.h"
#include "app/path_intake.h"
#include "app/picture_list_model.h"
#include "app/settings_file.h"
#include "cli/command_line.h"
#include "cli/console_events.h"
#include "cli/console_prompts.h"
#include "cli/library_messages.h"
#include "cli/progress_display.h"
#include "job/ConversionJob.h"
#include "job/job_plan.h"
#include "platform/paths.h"
#include "platform/private_folder.h"
#include "platform/pump.h"

#include <QCoreApplication>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace pw::cli {
namespace {

namespace fs = std::filesystem;

int usageError(const std::string& message) {
    sayError(message);
    std::fputs("Try 'pagewright convert --help'.\n", stderr);
    return kExitUsage;
}

std::string absolute(const std::string& path) {
    std::error_code error;
    const fs::path full = fs::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

// Appends the pictures named by the arguments to `list`, in order, by the window's rules for
// pictures named at its start. Arguments that are neither pictures nor folders are named in
// `refused`. False when the list would hold more pictures than it can.
bool collectPictures(const std::vector<std::string>& inputs, app::PictureListModel& list,
                     std::vector<std::string>& refused, bool folderPdfs) {
    bool fits = true;
    platform::SleepingPump pump;
    for (const std::string& input : inputs) {
        std::string path = absolute(input);
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        switch (app::takeNamedPath(path, list, pump, folderPdfs)) {
        case app::PathIntake::Folder:
        case app::PathIntake::Picture:
            break;
        case app::PathIntake::Full:
            fits = false;
            break;
        case app::PathIntake::Missing:
            refused.push_back(input + ": no such file or folder");
            break;
        case app::PathIntake::NotAPicture:
            refused.push_back(input + ": not a picture");
            break;
        case app::PathIntake::NotCopied:
            refused.push_back(input + ": cannot be read under its name, and no copy could be "
                                      "made");
            break;
        }
    }
    return fits;
}

job::ConversionJob* runningJob = nullptr;
volatile std::sig_atomic_t stopSignal = 0;

// Ctrl+C (and a polite kill or a hang-up) stop the job as Stop does in the window: the builder
// ends, the staged files go, PDFs already written stay.
void stopRunningJob(int signal) {
    stopSignal = signal;
    if (runningJob)
        runningJob->cancel();
}

job::OptionsGiven optionsGiven(const ConvertRequest& request) {
    return {request.perSheetGiven, request.splitTallGiven, request.overlapGiven,
            request.gapGiven,      request.ocrGiven,       request.keepColourGiven};
}

// The job this command line asks for, its pictures apart.
job::JobRequest jobOf(const ConvertRequest& request) {
    job::JobRequest job;
    job.outputFolder = request.outputFolder;
    job.properties = request.properties;
    job.perPicture = request.perPicture;
    job.options = request.options;
    job.encryption = request.encryption;
    job.textSidecar = request.textSidecar.empty() ? std::string() : absolute(request.textSidecar);
    job.overwrite =
        request.overwrite ? job::OverwritePolicy::Overwrite : job::OverwritePolicy::KeepNumbered;
    if (!request.outputFile.empty()) {
        job.resultName = request.outputFile;
        job.replaceResult = request.overwrite;
    }
    return job;
}

ConvertRequest savedRequest() {
    const app::StoredSettings saved = app::loadSettings();
    ConvertRequest request;
    request.outputFolder = saved.outputFolder;
    request.perPicture = app::onePdfPerPicture(saved.modeIndex);
    request.options = saved.options;
    request.properties = app::defaultDocumentProperties(app::pdfDateNow());
    return request;
}

} // namespace

bool runProgramOption(const char* argument) {
    const std::string option = argument;
    if (option == "-V" || option == "--version") {
        std::printf("pagewright %s\n", PW_VERSION);
        return true;
    }
    if (option != "-h" && option != "--help")
        return false;
    std::fputs("Usage: pagewright                        start the window\n"
               "       pagewright PICTURE|FOLDER...      start it with these pictures listed, or\n"
               "                                         hand them to the running window\n"
               "       pagewright convert [OPTIONS] PICTURE|FOLDER...\n"
               "                                         make PDFs without a window (see\n"
               "                                         'pagewright convert --help')\n",
               stdout);
    return true;
}

int runConvertCommand(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Pagewright"));

    ConvertRequest request = savedRequest();
    std::string error;
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (!parseConvertArguments(args, request, error))
        return usageError(error);
    if (request.help) {
        std::fputs(convertUsage().c_str(), stdout);
        return kExitDone;
    }
    if (request.version) {
        std::printf("pagewright %s\n", PW_VERSION);
        return kExitDone;
    }
    // Options are checked before any picture is looked at.
    job::JobRequest job = jobOf(request);
    if (const std::optional<platform::Refusal> refusal =
            job::refusedOptions(job, optionsGiven(request))) {
        sayError(refusal->text);
        return kExitUsage;
    }

    std::vector<std::string> refused;
    app::PictureListModel list;
    const bool fits = collectPictures(request.inputs, list, refused, request.options.folderPdfs);
    for (const std::string& reason : refused)
        sayError(reason);
    if (!refused.empty())
        return kExitUsage;
    if (list.count() == 0)
        return usageError(request.inputs.empty() ? "no pictures given"
                                                 : "no pictures in the folders given");
    if (!fits)
        return usageError("more than " + std::to_string(app::PictureListModel::kMaxEntries) +
                          " pictures; convert them in parts");
    if (request.sort)
        list.sort();
    for (const app::PictureEntry& entry : list.entries())
        job.pictures.push_back(entry.working);
    job.rotations.assign(job.pictures.size(), request.rotation);

    // Every job stages in a folder of its own inside the per-user folder, so conversions and
    // the window run side by side.
    errno = 0;
    if (!platform::makePrivateFolders(platform::driveCFolder())) {
        sayError("the per-user folder " + platform::driveCFolder() + " cannot be used (" +
                 std::generic_category().message(errno != 0 ? errno : ENOTDIR) + ")");
        return kExitNothing;
    }

    job.outputFolder = absolute(job.outputFolder);
    if (const std::optional<platform::Refusal> refusal = job::planJob(job, optionsGiven(request))) {
        sayError(refusal->text);
        return kExitUsage;
    }
    if (job.encryption.restrictsForGood())
        sayError("restrictions applied with a random owner password");
    std::error_code folderError;
    fs::create_directories(job.outputFolder, folderError);
    if (!fs::is_directory(job.outputFolder)) {
        sayError("cannot make the output folder " + job.outputFolder + ": " +
                 folderError.message());
        return kExitNothing;
    }

    const auto style = request.quiet           ? ProgressDisplay::Style::Quiet
                       : isatty(STDERR_FILENO) ? ProgressDisplay::Style::Bar
                                               : ProgressDisplay::Style::Lines;
    ProgressDisplay progress(stderr, style);
    ConsolePrompts prompts(progress);
    silenceLibraryMessages();
    ConsoleEvents events(progress, prompts);
    job::ConversionJob conversion(std::move(job), events);
    runningJob = &conversion;
    // A hang-up (the terminal closed) stops it too, unless it was ignored from the start, as
    // under nohup.
    const int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction before[std::size(stopSignals)] = {};
    struct sigaction stop = {};
    stop.sa_handler = stopRunningJob;
    sigemptyset(&stop.sa_mask);
    for (std::size_t i = 0; i < std::size(stopSignals); ++i) {
        sigaction(stopSignals[i], nullptr, &before[i]);
        if (stopSignals[i] != SIGHUP || before[i].sa_handler != SIG_IGN)
            sigaction(stopSignals[i], &stop, nullptr);
    }
    conversion.run();
    for (std::size_t i = 0; i < std::size(stopSignals); ++i)
        sigaction(stopSignals[i], &before[i], nullptr);
    runningJob = nullptr;
    progress.breakLine();

    const job::JobResult& result = events.result();
    for (const std::string& pdf : result.written)
        std::printf("%s\n", pdf.c_str());
    std::fflush(stdout);
    const std::vector<std::string>& missing = result.missingReasons;
    for (const std::string& line : missing)
        sayError(line);
    for (const std::string& line : result.unreadText)
        sayError(line);
    if (result.outcome == job::JobResult::Outcome::Cancelled) {
        sayError(events.stoppedText());
        return 128 + (stopSignal != 0 ? static_cast<int>(stopSignal) : SIGINT);
    }
    if (result.written.empty())
        return kExitNothing;
    return missing.empty() && result.unreadText.empty() ? kExitDone : kExitSomeMissing;
}

} // namespace pw::cli
