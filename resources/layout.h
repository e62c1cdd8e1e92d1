#pragma once
// Design positions of the front window, in twips at 15 twips per pixel (96 DPI).
// The window and the artwork generator both read them from here.

namespace pw::layout {

struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

struct PixelRect {
    int x;
    int y;
    int width;
    int height;
};

inline constexpr int kTwipsPerPixel = 15;

// Twips to whole pixels at 96 DPI, rounding to nearest (half up). The artwork is drawn at
// exactly these pixels, so a control placed with it lines up with its picture.
constexpr int toPixels(int twips) {
    return twips >= 0 ? (twips * 2 + kTwipsPerPixel) / (kTwipsPerPixel * 2)
                      : -((-twips * 2 + kTwipsPerPixel) / (kTwipsPerPixel * 2));
}

constexpr PixelRect toPixels(TwipRect r) {
    return {toPixels(r.left), toPixels(r.top), toPixels(r.width), toPixels(r.height)};
}

// The whole window: 553 x 371 pixels.
inline constexpr int kFormWidth = 553 * kTwipsPerPixel;
inline constexpr int kFormHeight = 371 * kTwipsPerPixel;

// Title bar buttons.
inline constexpr TwipRect kImgExitRect{7920, 90, 225, 255};
inline constexpr TwipRect kImgMinRect{7680, 90, 225, 255};

// Menu strip: File, Remove, Control, About.
inline constexpr TwipRect kImgMenuRects[4]{
    {120, 460, 675, 255},
    {860, 460, 1005, 255},
    {1920, 465, 1035, 255},
    {2990, 460, 885, 255},
};

// Toolbar: Add, Remove, Add Folder, Settings, Help, Exit.
inline constexpr TwipRect kImgToolbarRects[6]{
    {80, 795, 1035, 1080},  {1130, 795, 945, 1065}, {2190, 795, 1005, 1065},
    {3240, 795, 945, 1065}, {4290, 800, 945, 1065}, {5305, 795, 885, 1065},
};

inline constexpr TwipRect kImgConvertRect{6190, 3840, 1845, 945};
inline constexpr TwipRect kImgUpRect{6150, 2390, 825, 975};
inline constexpr TwipRect kImgDownRect{7100, 2390, 825, 975};
// "Move Up" / "Move Down" labels, drawn by the window in kLabelTextColour.
inline constexpr TwipRect kLblUpRect{6210, 3390, 720, 210};
inline constexpr TwipRect kLblDownRect{7050, 3390, 975, 210};

// The lists (List2 is laid over List1) and the welcome panel over them, which ends above the
// progress label.
inline constexpr TwipRect kList1Rect{150, 2070, 5865, 2340};
inline constexpr TwipRect kPicDoorRect{90, 2040, 8055, 2715};

// Selection display: one row under the list. The page label takes the width of its text, at
// most its rectangle's (room for "Page Number: 100000 of 100000"); the name label starts at
// its own rectangle's left or after the page label, whichever is further right, and ends
// with the list.
inline constexpr TwipRect kLblPageRect{150, 4485, 3300, 225};
inline constexpr TwipRect kLblFilenameRect{2115, 4485, 3900, 225};
// Between the two labels' texts.
inline constexpr int kSelectionGapTwips = 90;

// Progress display: status text above the track, the track, and the fill's start size.
inline constexpr TwipRect kLblPBRect{150, 4770, 5865, 225};
inline constexpr TwipRect kPicPBRect{150, 5040, 5865, 345};
inline constexpr int kShapePBStartWidth = 15;
inline constexpr int kShapePBStartHeight = 300;

// Colours the window uses for what it draws itself.
struct Rgb {
    int r;
    int g;
    int b;
};
inline constexpr Rgb kTransparentKey{255, 0, 255};
inline constexpr Rgb kLabelTextColour{64, 64, 64};

// The close/minimise cursor is 32 x 32; this is its hotspot (the fingertip).
inline constexpr int kCursorSize = 32;
inline constexpr int kCursorHotspotX = 11;
inline constexpr int kCursorHotspotY = 2;

} // namespace pw::layout
