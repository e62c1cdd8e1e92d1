#include "app/picture_names.h"

#include "pictures/picture_kinds.h"

#include <cctype>

namespace pw::app {
namespace {

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string upperAscii(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::string lastCharacters(const std::string& utf8, int n) {
    std::size_t start = utf8.size();
    for (int taken = 0; taken < n && start > 0; ++taken) {
        --start;
        while (start > 0 && isContinuationByte(utf8[start]))
            --start;
    }
    return utf8.substr(start);
}

bool hasPdfExtension(const std::string& name) {
    return upperAscii(lastCharacters(name, 4)) == ".PDF";
}

bool hasPictureExtension(const std::string& name) {
    // Compared as a name's last characters, a dot and the extension.
    for (const std::string& extension : pictures::listedExtensions()) {
        const int length = static_cast<int>(extension.size()) + 1;
        if (upperAscii(lastCharacters(name, length)) == upperAscii("." + extension))
            return true;
    }
    return false;
}

} // namespace pw::app
