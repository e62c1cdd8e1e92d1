#include "cli/convert_command.h"
#include "form/frmPrinting.h"
#include "settings/qt_prompts.h"
#include "settings/qt_pump.h"

#include <QApplication>
#include <string_view>

int main(int argc, char* argv[]) {
    // The command line runs without a display: it returns before any GUI object exists.
    if (argc >= 2 && std::string_view(argv[1]) == "convert")
        return pw::cli::runConvertCommand(argc, argv);

    // The windows keep their pixel size at any DPI themselves (their layouts are rescaled
    // from twips at the screen's twips per pixel), so Qt must not scale them a second time.
    if (!qEnvironmentVariableIsSet("QT_ENABLE_HIGHDPI_SCALING"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pagewright"));
    // The program ends through the two forms' shutdown protocol only.
    QApplication::setQuitOnLastWindowClosed(false);

    pw::QtPrompts prompts;
    pw::QtMessagePump pump;
    pw::frmPrinting engineForm(prompts, pump);
    prompts.setParent(&engineForm);
    if (!engineForm.Form_Load())
        return 0;
    return QApplication::exec();
}
