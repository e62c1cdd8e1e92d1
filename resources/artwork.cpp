#include "resources/artwork.h"

#include "resources/layout.h"

#include <QString>

// The resources live in a static library; registering them here makes every user of these
// functions pull them in, with no Q_INIT_RESOURCE call of its own.
static void registerArtwork() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(artwork);
        return true;
    }();
    (void)registered;
}

namespace pw::art {
namespace {

QPixmap load(const QString& name) {
    registerArtwork();
    return QPixmap(QStringLiteral(":/art/") + name);
}

QPixmap indexed(const char* stem, int i, int count) {
    if (i < 0 || i >= count)
        return {};
    return load(QStringLiteral("%1_%2.png").arg(QLatin1String(stem)).arg(i));
}

} // namespace

QPixmap background() {
    return load(QStringLiteral("background.png"));
}
QPixmap welcomePanel() {
    return load(QStringLiteral("welcome.png"));
}
QPixmap toolbarHover(int i) {
    return indexed("toolbar_hover", i, 6);
}
QPixmap toolbarPressed(int i) {
    return indexed("toolbar_pressed", i, 6);
}
QPixmap menuHover(int i) {
    return indexed("menu_hover", i, 4);
}
QPixmap convertHover() {
    return load(QStringLiteral("convert_hover.png"));
}
QPixmap stopButton() {
    return load(QStringLiteral("stop.png"));
}
QPixmap stopHover() {
    return load(QStringLiteral("stop_hover.png"));
}
QPixmap upHover() {
    return load(QStringLiteral("up_hover.png"));
}
QPixmap downHover() {
    return load(QStringLiteral("down_hover.png"));
}
QPixmap cursorPixmap() {
    return load(QStringLiteral("cursor_hand.png"));
}

QCursor closeCursor() {
    return QCursor(cursorPixmap(), layout::kCursorHotspotX, layout::kCursorHotspotY);
}

} // namespace pw::art
