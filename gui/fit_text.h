#pragma once
// Fitting a label's text into its width: first a smaller font, down to a readable minimum, then
// an ellipsis in the middle, so both ends of a path (its folder and its extension) stay.
#include <QFont>
#include <QString>

namespace pw::gui {

// base, or the largest font below it in half-point steps down to minPoints, that shows text
// within width pixels; minPoints when none does.
QFont fittedFont(const QFont& base, const QString& text, int width, double minPoints);

// text as it fits width pixels in font: whole, or elided in the middle.
QString fittedText(const QFont& font, const QString& text, int width);

} // namespace pw::gui
