#pragma once
// The program-wide wrapper of the Open, Save As and Color dialogs. Its fields persist between
// calls, so the last chosen file is offered again. The dialogs themselves come from the
// prompts interface (Qt's dialogs in the program, scripted answers in tests).
#include <cstdint>
#include <string>

#include "platform/prompts.h"

namespace pw {

class CommonDlgsW {
public:
    explicit CommonDlgsW(os::Prompts& prompts) : prompts_(prompts) {}

    std::int32_t Flags = 0;
    std::string DefaultExt;
    std::string DialogTitle;
    std::string Title;
    std::string FileName;
    std::string FileTitle;
    std::string Filter = "All files (*.*)|*.*";
    std::int32_t FilterIndex = 1;
    std::string InitDir;
    std::int32_t MaxFileSize = 256;

    std::uint32_t Color() const { return color_; }
    // A negative value names a system colour (its low 16 bits); others are stored as given.
    void setColor(std::int32_t value);

    // Each returns true when the user confirmed; on cancel no field changes. A FileName or
    // InitDir longer than 256 characters throws std::invalid_argument before any dialog shows.
    bool ShowOpen();
    bool ShowSave();
    bool ShowColor();

private:
    os::Prompts& prompts_;
    std::uint32_t color_ = 12632256; // 0xC0C0C0
};

} // namespace pw
