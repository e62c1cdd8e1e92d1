#pragma once
// The program-wide wrapper of the Open, Save As and Color dialogs. Its fields persist between
// calls, so the last chosen file is offered again. The dialogs themselves come from the
// prompts interface (Qt's dialogs in the program, scripted answers in tests).
//
// After a confirmed file dialog:
// - FileTitle becomes "" and Flags becomes the flags the dialog returned;
// - with 0x200 (multiple selection) in Flags as set before the call, FileName holds the raw
//   list (folder and names, each ended by a NUL) padded with NULs to the 256-character buffer;
// - otherwise FileName is the chosen path and, unless Flags held 0x100 (no validation),
//   FileTitle and Title become the chosen file's name without its folder.
// A cancelled dialog, or a choice too long for the buffer (MaxFileSize characters, at most
// 256, closing NULs included), returns false and changes no field. Lengths are counted in
// UTF-16 characters, as the wide-character buffers hold them.
#include "platform/prompts.h"

#include <cstdint>
#include <string>

namespace pw::app {

class CommonDlgsW {
public:
    static constexpr int kBufferChars = 256;
    static constexpr std::int32_t kMultipleSelection = 0x200;
    static constexpr std::int32_t kNoValidation = 0x100;

    explicit CommonDlgsW(platform::Prompts& prompts) : prompts_(prompts) {}

    std::int32_t Flags = 0;
    std::string DefaultExt;
    std::string DialogTitle; // the dialog's caption; empty: the dialog's own
    std::string Title;       // output only; never the caption
    std::string FileName;
    std::string FileTitle;
    std::string Filter = "All files (*.*)|*.*";
    std::int32_t FilterIndex = 1;
    std::string InitDir;
    std::int32_t MaxFileSize = 256;

    // The colour in the Windows layout 0x00BBGGRR.
    std::uint32_t Color() const { return color_; }
    // A negative value names a system colour by its low 16 bits (see system_colors.h) and
    // stores that colour; other values are stored as given.
    void setColor(std::int32_t value);

    // Each returns true when the user confirmed; on cancel no field changes. A FileName or
    // InitDir longer than 256 characters throws std::invalid_argument before any dialog shows.
    bool ShowOpen();
    bool ShowSave();
    // The colour dialog opens at Color(); OK stores the chosen colour.
    bool ShowColor();

private:
    bool showFileDialog(bool save);

    platform::Prompts& prompts_;
    std::uint32_t color_ = 12632256; // 0xC0C0C0
};

// Length of UTF-8 text in UTF-16 code units.
std::size_t utf16Length(const std::string& utf8);

} // namespace pw::app
