#pragma once
// Every modal prompt of the program: message boxes, the file dialogs, the folder browser, the
// colour dialog and the password box. The windows implement it with Qt; tests answer it in advance.
#include <cstdint>
#include <string>

namespace pw::platform {

enum class Icon { None, Error, Exclamation, Information, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    std::string caption; // empty: the dialog's own caption
    std::string filter;  // "Desc|pattern|Desc|pattern", patterns separated by ';'
    int filterIndex = 1; // 1-based
    std::string initialDir;
    std::string fileName; // shown in the name box
    std::string defaultExt;
    std::uint32_t flags = 0; // 0x200: multiple selection
};

struct FileDialogResult {
    std::string fileName; // the chosen path (for several: folder and names, NUL-separated)
    std::uint32_t flags = 0;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // `details`, when given, is offered apart from the text ("Show Details...").
    virtual Answer messageBox(const std::string& text, const std::string& title, Buttons buttons,
                              Icon icon, const std::string& details = {}) = 0;
    // Each returns true when the user confirmed.
    virtual bool openFile(const FileDialogRequest& request, FileDialogResult& result) = 0;
    virtual bool saveFile(const FileDialogRequest& request, FileDialogResult& result) = 0;
    // The folder browser starts in `folder` (empty: its own place) and puts the chosen one there.
    virtual bool browseFolder(const std::string& prompt, std::string& folder) = 0;
    virtual bool chooseColor(std::uint32_t initial, std::uint32_t& chosen) = 0;
    // A password box (its text hidden as typed) under `text`, with OK and Cancel; OK puts the
    // typed text in `password`. Prompts that open no dialogs answer Cancel.
    virtual bool askPassword(const std::string& text, const std::string& title,
                             std::string& password) {
        (void)text;
        (void)title;
        (void)password;
        return false;
    }
};

// The program's title, used on the runner's message boxes.
inline constexpr const char* kProgramTitle = "Pagewright";

} // namespace pw::platform
