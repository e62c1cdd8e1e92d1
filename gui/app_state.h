#pragma once
// Program-wide state shared by the two windows.

namespace pw::gui {

// Set by the front window's exit commands; the engine form closes for good only when it is set.
inline bool QuitRequested = false;

// The conversion mode in force: true for one PDF per picture. Set at start-up and by Save.
inline bool OnePdfPerPicture = false;

} // namespace pw::gui
