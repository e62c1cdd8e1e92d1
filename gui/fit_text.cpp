#include "gui/fit_text.h"

#include <QFontMetrics>

namespace pw::gui {

QFont fittedFont(const QFont& base, const QString& text, int width, double minPoints) {
    QFont fitted = base;
    while (fitted.pointSizeF() - 0.5 >= minPoints &&
           QFontMetrics(fitted).horizontalAdvance(text) > width)
        fitted.setPointSizeF(fitted.pointSizeF() - 0.5);
    return fitted;
}

QString fittedText(const QFont& font, const QString& text, int width) {
    return QFontMetrics(font).elidedText(text, Qt::ElideMiddle, width);
}

} // namespace pw::gui
