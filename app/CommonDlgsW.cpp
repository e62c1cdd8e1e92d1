#include "app/CommonDlgsW.h"

#include "app/system_colors.h"
#include "platform/paths.h"

#include <algorithm>
#include <stdexcept>

namespace pw::app {

std::size_t utf16Length(const std::string& utf8) {
    std::size_t units = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) == 0x80)
            continue; // continuation byte
        units += (c >= 0xF0) ? 2 : 1;
    }
    return units;
}

void CommonDlgsW::setColor(std::int32_t value) {
    if (value < 0)
        color_ = systemColor(static_cast<int>(static_cast<std::uint32_t>(value) & 0xFFFFu));
    else
        color_ = static_cast<std::uint32_t>(value);
}

bool CommonDlgsW::ShowOpen() {
    return showFileDialog(false);
}

bool CommonDlgsW::ShowSave() {
    return showFileDialog(true);
}

bool CommonDlgsW::ShowColor() {
    std::uint32_t chosen = color_;
    if (!prompts_.chooseColor(color_, chosen))
        return false;
    color_ = chosen;
    return true;
}

bool CommonDlgsW::showFileDialog(bool save) {
    const auto limit = static_cast<std::size_t>(kBufferChars);
    if (utf16Length(FileName) > limit)
        throw std::invalid_argument("CommonDlgsW: FileName longer than 256 characters");
    if (utf16Length(InitDir) > limit)
        throw std::invalid_argument("CommonDlgsW: InitDir longer than 256 characters");

    platform::FileDialogRequest request;
    request.caption = DialogTitle;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.initialDir = InitDir;
    request.fileName = FileName.substr(0, FileName.find('\0'));
    request.defaultExt = DefaultExt;
    request.flags = static_cast<std::uint32_t>(Flags);

    platform::FileDialogResult result;
    const bool confirmed =
        save ? prompts_.saveFile(request, result) : prompts_.openFile(request, result);
    if (!confirmed)
        return false;

    const bool multiple = (Flags & kMultipleSelection) != 0;
    const std::size_t used = utf16Length(result.fileName);
    const std::size_t capacity =
        static_cast<std::size_t>(std::clamp<std::int32_t>(MaxFileSize, 0, kBufferChars));
    if (used + (multiple ? 2 : 1) > capacity)
        return false; // the buffer is too small: the dialog fails

    FileTitle.clear();
    if (multiple) {
        FileName = result.fileName + std::string(limit - used, '\0');
    } else {
        FileName = result.fileName.substr(0, result.fileName.find('\0'));
        if ((Flags & kNoValidation) == 0) {
            const auto slash = FileName.rfind(platform::separator());
            FileTitle = slash == std::string::npos ? FileName : FileName.substr(slash + 1);
            Title = FileTitle;
        }
    }
    Flags = static_cast<std::int32_t>(result.flags);
    return true;
}

} // namespace pw::app
