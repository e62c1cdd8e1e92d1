// The entry points of libSkinH.so. Nothing may escape into a caller that cannot handle C++
// exceptions, so each entry point stops at an exception and leaves the look as it was.
#include "skin_state.h"

#include <exception>

#define SKINH_EXPORT extern "C" __attribute__((visibility("default")))

SKINH_EXPORT void SkinH_Attach() {
    try {
        pw::skin::skin::attachSkin();
    } catch (const std::exception&) {
        return;
    }
}

SKINH_EXPORT void SkinH_AdjustHSV(int hue, int saturation, int value) {
    try {
        pw::skin::skin::adjustSkin(hue, saturation, value);
    } catch (const std::exception&) {
        return;
    }
}

SKINH_EXPORT void SkinH_Detach() {
    try {
        pw::skin::skin::detachSkin();
    } catch (const std::exception&) {
        return;
    }
}
