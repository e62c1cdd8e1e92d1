#pragma once
// The program's prompts: Qt message boxes and file, folder and colour dialogs.
#include "platform/prompts.h"

#include <QPointer>
#include <QWidget>

namespace pw {

class QtPrompts : public os::Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    // The window the dialogs are shown over (none: centred on the screen).
    void setParent(QWidget* parent) { parent_ = parent; }
    QWidget* parent() const { return parent_; }

    os::Answer messageBox(const std::string& text, const std::string& title, os::Buttons buttons,
                          os::Icon icon) override;
    // With flag 0x200 several files may be chosen; more than one comes back as the folder and
    // the names, separated by NULs. With flag 0x2 Save asks before replacing a file.
    bool openFile(const os::FileDialogRequest& request, os::FileDialogResult& result) override;
    bool saveFile(const os::FileDialogRequest& request, os::FileDialogResult& result) override;
    bool browseFolder(const std::string& prompt, std::string& folder) override;
    // Colours in the Windows layout 0x00BBGGRR.
    bool chooseColor(std::uint32_t initial, std::uint32_t& chosen) override;

private:
    bool fileDialog(const os::FileDialogRequest& request, os::FileDialogResult& result, bool save);

    QPointer<QWidget> parent_;
};

} // namespace pw
