#pragma once
// The welcome panel laid over the list area at start, and the close/minimise cursor.
#include <QImage>

namespace pw::artgen {

// 537 x 189, drawn over the matching patch of `face` so its corners blend in.
QImage drawWelcome(const QImage& face);

// 32 x 32 with alpha: a pointing hand, hotspot at layout::kCursorHotspotX/Y.
QImage drawCursor();

} // namespace pw::artgen
