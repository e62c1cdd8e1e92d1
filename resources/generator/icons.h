#pragma once
// Line icons of the front window, drawn on a 24-unit grid scaled into a square box.
#include <QColor>
#include <QRectF>

class QPainter;

namespace pw::artgen {

enum class Icon {
    AddFile,
    Remove,
    AddFolder,
    Settings,
    Help,
    Exit,
    ArrowUp,
    ArrowDown,
    Pdf,
    Pictures,
    Drop
};

struct IconColours {
    QColor line;      // outlines and strokes
    QColor badge;     // the round "+" badge and other filled accents
    QColor badgeMark; // the mark drawn on the badge
};

void drawIcon(QPainter& p, Icon icon, const QRectF& box, const IconColours& colours);

} // namespace pw::artgen
