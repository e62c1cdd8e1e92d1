#pragma once
// What the file-list commands need of the front window (frmMain). The window implements it;
// tests record the calls. Texts arrive as the user should see them: the hint label gets
// "Drag & Drop Files Here" with one ampersand (set it on a QLabel without a buddy, or with
// Qt::TextShowMnemonic off, so the ampersand shows as it is).
#include <string>

namespace pw {

class FrontView {
public:
    virtual ~FrontView() = default;
    // The hint box picText over the list area.
    virtual void setHintVisible(bool visible) = 0;
    // Its label lblText.
    virtual void setHintText(const std::string& text) = 0;
    // lblPage ("Page Number: 3 of 12").
    virtual void setPageText(const std::string& text) = 0;
    // lblFilename.
    virtual void setFilenameText(const std::string& text) = 0;
    // Its tool tip: the selected row's whole text ("" when nothing is selected).
    virtual void setFilenameToolTip(const std::string& path) = 0;
    // Disables (true) or enables again imgToolbar 0-6, imgMenu 0-3, imgConvert, imgUp,
    // imgDown, lblUp, lblDown, List1 and List2.
    virtual void setFrontLocked(bool locked) = 0;
    // Hides the welcome panel picDoor.
    virtual void hideWelcomePanel() = 0;
    // Repaints the front window.
    virtual void repaint() = 0;
};

// The hint label's texts, as shown.
inline constexpr const char* kDropHintText = "Drag & Drop Files Here";
inline constexpr const char* kSearchingText = "Searching Files...";
// lblPage for an empty list.
inline constexpr const char* kNoPageText = "Page Number: 0";

} // namespace pw
