#pragma once
// The font of the invisible text layer: a TrueType program with one glyph one em wide that
// draws nothing.
#include <string>

namespace pw::pdftool {

// Units per em of the font; its one glyph (glyph 1; glyph 0 is .notdef) advances this much.
inline constexpr int kGlyphlessUnits = 1000;

// The font program's bytes (a valid sfnt: head, hhea, maxp, OS/2, hmtx, cmap, loca, glyf, name,
// post), the same every time.
std::string glyphlessFontProgram();

} // namespace pw::pdftool
