#include "skin_state.h"

#include "skin_colors.h"
#include "skin_style.h"

#include <QApplication>
#include <QPalette>
#include <QPointer>
#include <QString>
#include <algorithm>

namespace pw::skin::skin {
namespace {

struct State {
    QPointer<QApplication> app; // the application the saved look belongs to
    bool attached = false;
    QPalette savedPalette;
    QString savedStyleSheet;
    int hue = 0;
    int saturation = 0;
    int value = 0;
};

State& state() {
    static State s;
    return s;
}

QApplication* currentApp() {
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}

void apply(QApplication* app, const State& s) {
    const SkinColors colors = shiftedColors(s.hue, s.saturation, s.value);
    QApplication::setPalette(makePalette(colors));
    app->setStyleSheet(makeStyleSheet(colors));
}

} // namespace

void attachSkin() {
    QApplication* app = currentApp();
    if (app == nullptr)
        return;
    State& s = state();
    if (!s.attached || s.app != app) {
        s.app = app;
        s.savedPalette = QApplication::palette();
        s.savedStyleSheet = app->styleSheet();
        s.attached = true;
    }
    apply(app, s);
}

void adjustSkin(int hue, int saturation, int value) {
    State& s = state();
    s.hue = std::clamp(hue, -360, 360);
    s.saturation = std::clamp(saturation, -100, 100);
    s.value = std::clamp(value, -100, 100);
    QApplication* app = currentApp();
    if (s.attached && app != nullptr && s.app == app)
        apply(app, s);
}

void detachSkin() {
    State& s = state();
    QApplication* app = currentApp();
    if (!s.attached || app == nullptr || s.app != app) {
        s.attached = false;
        return;
    }
    app->setStyleSheet(s.savedStyleSheet);
    QApplication::setPalette(s.savedPalette);
    s.attached = false;
}

} // namespace pw::skin::skin
