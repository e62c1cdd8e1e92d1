// Draws every picture of the front window and writes them as PNG files.
// Usage: pw_artgen <resources folder>   (writes into <folder>/images)
#include "face.h"
#include "paint_kit.h"
#include "resources/layout.h"
#include "welcome.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>

namespace {

using pw::artgen::Highlight;
using pw::artgen::Look;
using pw::artgen::Part;
namespace layout = pw::layout;

bool save(const QImage& image, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("wrote %s (%dx%d)\n", qPrintable(path), image.width(), image.height());
    return true;
}

// The button's area cut from a face drawn with that button lit or pushed.
QImage buttonPicture(const layout::TwipRect& area, const Highlight& highlight) {
    const layout::PixelRect r = layout::toPixels(area);
    return pw::artgen::drawFace(highlight).copy(r.x, r.y, r.width, r.height);
}

// Every pixel outside the outline is the key colour and no pixel inside is.
bool outlineIsClean(const QImage& face) {
    const QColor key(layout::kTransparentKey.r, layout::kTransparentKey.g,
                     layout::kTransparentKey.b);
    for (int y = 0; y < face.height(); ++y) {
        for (int x = 0; x < face.width(); ++x) {
            if ((face.pixelColor(x, y) == key) == pw::artgen::insideOutline(x, y)) {
                std::fprintf(stderr, "key colour wrong at %d,%d\n", x, y);
                return false;
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: pw_artgen <resources folder>\n");
        return 2;
    }
    if (!pw::artgen::loadFonts()) {
        std::fprintf(stderr, "DejaVu Sans not found (install fonts-dejavu-core)\n");
        return 1;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("images")) || !folder.cd(QStringLiteral("images"))) {
        std::fprintf(stderr, "cannot create %s/images\n", argv[1]);
        return 1;
    }

    const QImage face = pw::artgen::drawFace();
    if (!outlineIsClean(face))
        return 1;
    bool ok = save(face, folder, QStringLiteral("background.png"));
    ok = save(pw::artgen::drawWelcome(face), folder, QStringLiteral("welcome.png")) && ok;
    ok = save(pw::artgen::drawCursor(), folder, QStringLiteral("cursor_hand.png")) && ok;
    for (int i = 0; i < 6; ++i) {
        const auto& area = layout::kImgToolbarRects[i];
        ok = save(buttonPicture(area, {Part::Toolbar, i, Look::Hover}), folder,
                  QStringLiteral("toolbar_hover_%1.png").arg(i)) &&
             ok;
        ok = save(buttonPicture(area, {Part::Toolbar, i, Look::Pressed}), folder,
                  QStringLiteral("toolbar_pressed_%1.png").arg(i)) &&
             ok;
    }
    for (int i = 0; i < 4; ++i) {
        ok = save(buttonPicture(layout::kImgMenuRects[i], {Part::Menu, i, Look::Hover}), folder,
                  QStringLiteral("menu_hover_%1.png").arg(i)) &&
             ok;
    }
    ok = save(buttonPicture(layout::kImgConvertRect, {Part::Convert, 0, Look::Hover}), folder,
              QStringLiteral("convert_hover.png")) &&
         ok;
    ok = save(buttonPicture(layout::kImgConvertRect, {Part::Stop, 0, Look::Rest}), folder,
              QStringLiteral("stop.png")) &&
         ok;
    ok = save(buttonPicture(layout::kImgConvertRect, {Part::Stop, 0, Look::Hover}), folder,
              QStringLiteral("stop_hover.png")) &&
         ok;
    ok = save(buttonPicture(layout::kImgUpRect, {Part::Up, 0, Look::Hover}), folder,
              QStringLiteral("up_hover.png")) &&
         ok;
    ok = save(buttonPicture(layout::kImgDownRect, {Part::Down, 0, Look::Hover}), folder,
              QStringLiteral("down_hover.png")) &&
         ok;
    return ok ? 0 : 1;
}
