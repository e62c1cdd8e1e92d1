#pragma once
// What the file-list commands need of the engine form (frmPrinting). The form implements
// it; tests record the calls.
#include <string>

namespace pw::app {

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
    // Opens an address in the default browser (QDesktopServices::openUrl).
    virtual void openUrl(const std::string& url) = 0;
    // The engine form's Exit (tool button 5, File > Exit). While the engine form is shown as the
    // Setting window it only closes that window; otherwise (its menu popped up from the front
    // window) it ends the program the way the front window's exit does.
    virtual void exitApplication() = 0;
};

} // namespace pw::app
