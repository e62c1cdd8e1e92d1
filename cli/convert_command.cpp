#include "cli/convert_command.h"

#include "cli/command_line.h"
#include "cli/console_events.h"
#include "cli/console_prompts.h"
#include "cli/library_messages.h"
#include "cli/progress_display.h"
#include "core/picture_list_model.h"
#include "engine/ConversionJob.h"
#include "engine/ocr_languages.h"
#include "filelist/path_intake.h"
#include "jobfiles/pdfa_level.h"
#include "platform/paths.h"
#include "platform/private_folder.h"
#include "platform/pump.h"
#include "settings/document_options.h"
#include "settings/settings_file.h"

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
bool collectPictures(const std::vector<std::string>& inputs, PictureListModel& list,
                     std::vector<std::string>& refused) {
    bool fits = true;
    os::SleepingPump pump;
    for (const std::string& input : inputs) {
        std::string path = absolute(input);
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        switch (TakeNamedPath(path, list, pump)) {
        case PathIntake::Folder:
        case PathIntake::Picture:
            break;
        case PathIntake::Full:
            fits = false;
            break;
        case PathIntake::Missing:
            refused.push_back(input + ": no such file or folder");
            break;
        case PathIntake::NotAPicture:
            refused.push_back(input + ": not a picture");
            break;
        case PathIntake::NotCopied:
            refused.push_back(input + ": cannot be read under its name, and no copy could be "
                                      "made");
            break;
        }
    }
    return fits;
}

engine::ConversionJob* runningJob = nullptr;
volatile std::sig_atomic_t stopSignal = 0;

// Ctrl+C (and a polite kill or a hang-up) stop the job as Stop does in the window: the builder
// ends, the staged files go, PDFs already written stay.
void stopRunningJob(int signal) {
    stopSignal = signal;
    if (runningJob)
        runningJob->cancel();
}

// Page options of this command line that cannot work together; saved ones give way instead
// (sheets need paper, and a shared sheet splits nothing).
const char* layoutConflict(const ConvertRequest& request) {
    const engine::PageLayout& page = request.options.page;
    if (!request.perSheetGiven || page.sheetColumns * page.sheetRows == 1)
        return nullptr;
    if (page.size == engine::PageSize::Picture)
        return "--per-sheet needs a paper size (--page-size)";
    if (request.splitTallGiven)
        return "--per-sheet and --split-tall cannot be used together: each needs whole pages";
    return nullptr;
}

ConvertRequest savedRequest() {
    const StoredSettings saved = loadSettings();
    ConvertRequest request;
    request.outputFolder = saved.outputFolder;
    request.perPicture = onePdfPerPicture(saved.modeIndex);
    request.options = saved.options;
    request.properties = defaultDocumentProperties(pdfDateNow());
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
    if (request.options.pdfa != engine::PdfaLevel::Off && request.encryption.active()) {
        sayError(engine::kPdfaWithPasswordRefusal);
        return kExitUsage;
    }
    if (const char* conflict = layoutConflict(request)) {
        sayError(conflict);
        return kExitUsage;
    }

    const std::string ocrProblem = request.options.ocrLanguages.empty()
                                       ? std::string()
                                       : engine::OcrLanguageProblem(request.options.ocrLanguages);
    const std::string rotateProblem =
        request.options.autoRotate ? engine::OrientationDataProblem() : std::string();
    if (!ocrProblem.empty() || !rotateProblem.empty()) {
        sayError(ocrProblem.empty() ? rotateProblem : ocrProblem);
        return kExitUsage;
    }

    std::vector<std::string> refused;
    PictureListModel list;
    const bool fits = collectPictures(request.inputs, list, refused);
    for (const std::string& reason : refused)
        sayError(reason);
    if (!refused.empty())
        return kExitUsage;
    if (list.count() == 0)
        return usageError(request.inputs.empty() ? "no pictures given"
                                                 : "no pictures in the folders given");
    if (!fits)
        return usageError("more than " + std::to_string(PictureListModel::kMaxEntries) +
                          " pictures; convert them in parts");
    if (request.sort)
        list.sort();
    std::vector<std::string> pictures;
    pictures.reserve(static_cast<std::size_t>(list.count()));
    for (const PictureEntry& entry : list.entries())
        pictures.push_back(entry.working);

    // Every job stages in a folder of its own inside the per-user folder, so conversions and
    // the window run side by side.
    errno = 0;
    if (!os::makePrivateFolders(os::driveCFolder())) {
        sayError("the per-user folder " + os::driveCFolder() + " cannot be used (" +
                 std::generic_category().message(errno != 0 ? errno : ENOTDIR) + ")");
        return kExitNothing;
    }

    request.outputFolder = absolute(request.outputFolder);
    std::error_code folderError;
    fs::create_directories(request.outputFolder, folderError);
    if (!fs::is_directory(request.outputFolder)) {
        sayError("cannot make the output folder " + request.outputFolder + ": " +
                 folderError.message());
        return kExitNothing;
    }

    const auto style = request.quiet           ? ProgressDisplay::Style::Quiet
                       : isatty(STDERR_FILENO) ? ProgressDisplay::Style::Bar
                                               : ProgressDisplay::Style::Lines;
    ProgressDisplay progress(stderr, style);
    ConsolePrompts prompts(progress);
    silenceLibraryMessages();
    engine::JobRequest job;
    job.rotations.assign(pictures.size(), request.rotation);
    job.pictures = std::move(pictures);
    job.outputFolder = request.outputFolder;
    job.properties = request.properties;
    job.perPicture = request.perPicture;
    job.options = request.options;
    job.encryption = request.encryption;
    job.textSidecar = request.textSidecar.empty() ? std::string() : absolute(request.textSidecar);
    job.overwrite = request.overwrite ? engine::OverwritePolicy::Overwrite
                                      : engine::OverwritePolicy::KeepNumbered;
    if (!request.outputFile.empty()) {
        job.resultName = request.outputFile;
        job.replaceResult = request.overwrite;
    }
    ConsoleEvents events(progress, prompts);
    engine::ConversionJob conversion(std::move(job), events);
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

    const engine::JobResult& result = events.result();
    for (const std::string& pdf : result.written)
        std::printf("%s\n", pdf.c_str());
    std::fflush(stdout);
    const std::vector<std::string>& missing = result.missingReasons;
    for (const std::string& line : missing)
        sayError(line);
    if (result.outcome == engine::JobResult::Outcome::Cancelled) {
        sayError(events.stoppedText());
        return 128 + (stopSignal != 0 ? static_cast<int>(stopSignal) : SIGINT);
    }
    if (result.written.empty())
        return kExitNothing;
    return missing.empty() ? kExitDone : kExitSomeMissing;
}

} // namespace pw::cli
