#include "paint_kit.h"

#include <QFontDatabase>
#include <QPainter>

namespace pw::artgen {

QColor rgb(unsigned hex, int alpha) {
    return QColor(static_cast<int>((hex >> 16) & 0xff), static_cast<int>((hex >> 8) & 0xff),
                  static_cast<int>(hex & 0xff), alpha);
}

bool loadFonts() {
    const char* files[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                           "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"};
    for (const char* file : files) {
        if (QFontDatabase::addApplicationFont(QString::fromLatin1(file)) < 0)
            return false;
    }
    return true;
}

QFont uiFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QRectF pixelRect(const layout::TwipRect& r) {
    const layout::PixelRect p = layout::toPixels(r);
    return QRectF(p.x, p.y, p.width, p.height);
}

QPainterPath roundedRect(const QRectF& r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

void drawText(QPainter& p, const QRectF& box, int flags, const QString& text, const QFont& font,
              const QColor& colour) {
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, flags, text);
    p.restore();
}

} // namespace pw::artgen
