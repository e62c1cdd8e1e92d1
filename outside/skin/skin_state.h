#pragma once
// What attaching, shifting and detaching the skin do to the running QApplication.

namespace pw::skin::skin {

// Saves the application's palette and style sheet on the first attach, then applies the skin.
// Attaching again only reapplies it. Does nothing without a QApplication.
void attachSkin();
// Stores the shift (clamped to -360..360 degrees and -100..100) and reapplies when attached.
void adjustSkin(int hue, int saturation, int value);
// Restores the saved palette and style sheet exactly; does nothing when not attached.
void detachSkin();

} // namespace pw::skin::skin
