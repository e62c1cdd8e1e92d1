#include "cli/convert_command.h"
#include "gui/application.h"
#include "gui/frmPrinting.h"
#include "gui/instance_channel.h"
#include "gui/qt_prompts.h"
#include "gui/qt_pump.h"

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

// A copy of the window runs for this user but did not take the pictures.
constexpr int kExitWindowBusy = 4;

// The pictures and folders named after the program, as absolute paths.
std::vector<std::string> namedPaths(int argc, char* argv[]) {
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        const std::filesystem::path full = std::filesystem::absolute(argv[i], error);
        paths.push_back(error ? std::string(argv[i]) : full.lexically_normal().string());
    }
    return paths;
}

} // namespace

int main(int argc, char* argv[]) {
    // The command line runs without a display: it returns before any GUI object exists.
    if (argc >= 2 && std::string_view(argv[1]) == "convert")
        return pw::cli::runConvertCommand(argc, argv);
    if (argc == 2 && pw::cli::runProgramOption(argv[1]))
        return 0;

    // The windows keep their pixel size at any DPI themselves (their layouts are rescaled
    // from twips at the screen's twips per pixel), so Qt must not scale them a second time.
    if (!qEnvironmentVariableIsSet("QT_ENABLE_HIGHDPI_SCALING"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pagewright"));
    // The program ends through the application object's quit path only.
    QApplication::setQuitOnLastWindowClosed(false);

    pw::gui::QtPrompts prompts;
    pw::gui::QtMessagePump pump;
    pw::gui::Application core(prompts, pump);
    prompts.setParent(&core.settingWindow());
    const std::vector<std::string> paths = namedPaths(argc, argv);
    if (!core.start()) {
        if (core.startFailed())
            return 1; // the message box has said why
        // Another copy runs: its window takes the pictures and comes to the front.
        if (pw::gui::handToRunningCopy(paths))
            return 0;
        std::fputs("pagewright: another Pagewright window runs for this user but did not take "
                   "the pictures; try again when it has finished\n",
                   stderr);
        return kExitWindowBusy;
    }
    core.openPaths(paths);
    return QApplication::exec();
}
