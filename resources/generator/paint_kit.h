#pragma once
// Shared drawing helpers of the artwork generator: colours, fonts, rectangles, text.
#include "resources/layout.h"

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QRectF>
#include <QString>

class QPainter;

namespace pw::artgen {

QColor rgb(unsigned hex, int alpha = 255);

// Registers the DejaVu Sans faces with the font database; false when a file is missing.
bool loadFonts();
// DejaVu Sans at a fixed pixel size, so the output does not depend on the screen's DPI.
QFont uiFont(int pixelSize, bool bold = false);

// A design rectangle in pixels, as the window places it.
QRectF pixelRect(const layout::TwipRect& r);

QPainterPath roundedRect(const QRectF& r, qreal radius);

void drawText(QPainter& p, const QRectF& box, int flags, const QString& text, const QFont& font,
              const QColor& colour);

} // namespace pw::artgen
