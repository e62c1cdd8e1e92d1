#include "form/frmPrinting.h"
#include "settings/qt_prompts.h"
#include "settings/qt_pump.h"

#include <QApplication>

int main(int argc, char* argv[]) {
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
