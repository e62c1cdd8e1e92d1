#pragma once
// What the file-list commands need of the engine form (frmPrinting). The form implements
// it; tests record the calls.
#include <string>

namespace pw {

class EngineView {
public:
    virtual ~EngineView() = default;
    // Hides the engine form's drop panel picDoor.
    virtual void hideDropPanel() = 0;
    // Repaints the engine form.
    virtual void repaint() = 0;
    // Shows the menu menuR ("Remove a File", "Remove All Files") as a pop-up at the mouse
    // position; its items call the dispatcher with 2 and 3.
    virtual void showRemoveMenu() = 0;
    // The Convert command (Command3_Click): the conversion job.
    virtual void runConvert() = 0;
    // Opens an address in the default browser (QDesktopServices::openUrl).
    virtual void openUrl(const std::string& url) = 0;
    // Ends the program the way the front window's exit does: sets the quit flag, detaches the
    // skin, closes the front window and then the engine form. The File menu's Exit and the
    // Exit tool button (index 5) both end the program; merely hiding the engine form, which
    // is hidden already, would leave the command without any effect.
    virtual void exitApplication() = 0;
};

} // namespace pw
