#pragma once
// Calls into the skin library libSkinH.so, loaded at the first call from the application
// folder, else by name from the library search path. A missing library or entry point makes
// the matching call do nothing.
#include <string>

namespace pw::skin::skin {

void Attach();
void AdjustHSV(int hue, int saturation, int value);
void Detach();

// True once a call has found the library (entry points may still be missing).
bool libraryLoaded();

// Tests: forget the library found so far and, from the next call, look only in `folder`.
// An empty folder restores the normal search.
void setLibraryFolderForTests(const std::string& folder);

} // namespace pw::skin::skin
