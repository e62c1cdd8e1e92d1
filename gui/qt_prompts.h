#pragma once
// The program's prompts: Qt message boxes and file, folder and colour dialogs. Each prompt is
// centred over the window the user works with, never over a hidden one.
#include "platform/prompts.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace pw::gui {

class QtPrompts : public platform::Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    // A preferred owner; it is used only while it is shown.
    void setParent(QWidget* parent) { parent_ = parent; }
    QWidget* parent() const { return parent_; }

    // The window a prompt opens over: the modal window in front (the "Setting" window while
    // it is shown), else the active window, else the preferred owner when shown, else any
    // shown, not minimised top-level window; none (centred on the screen) when nothing is.
    QWidget* owner() const;
    // Where an open or save dialog starts: the request's folder, else the folder of its file
    // name, else the folder of the last file chosen here, else the user's Pictures folder if
    // it exists, else the home folder.
    QString startFolder(const platform::FileDialogRequest& request) const;

    platform::Answer messageBox(const std::string& text, const std::string& title,
                                platform::Buttons buttons, platform::Icon icon,
                                const std::string& details = {}) override;
    // With flag 0x200 several files may be chosen; more than one comes back as the folder and
    // the names, separated by NULs. With flag 0x2 Save asks before replacing a file.
    bool openFile(const platform::FileDialogRequest& request,
                  platform::FileDialogResult& result) override;
    bool saveFile(const platform::FileDialogRequest& request,
                  platform::FileDialogResult& result) override;
    bool browseFolder(const std::string& prompt, std::string& folder) override;
    // Colours in the Windows layout 0x00BBGGRR.
    bool chooseColor(std::uint32_t initial, std::uint32_t& chosen) override;
    bool askPassword(const std::string& text, const std::string& title,
                     std::string& password) override;

private:
    bool fileDialog(const platform::FileDialogRequest& request, platform::FileDialogResult& result,
                    bool save);

    QPointer<QWidget> parent_;
    QString lastFolder_;
};

} // namespace pw::gui
