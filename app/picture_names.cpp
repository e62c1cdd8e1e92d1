#include "app/picture_names.h"

#include <array>
#include <cctype>
#include <string_view>

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

bool hasPictureExtension(const std::string& name) {
    static constexpr std::array<std::string_view, 6> kFour = {".BMP", ".JPG", ".GIF",
                                                              ".PNG", ".TIF", ".JXL"};
    static constexpr std::array<std::string_view, 6> kFive = {".TIFF", ".JPEG", ".HEIC",
                                                              ".HEIF", ".AVIF", ".WEBP"};
    const std::string four = upperAscii(lastCharacters(name, 4));
    const std::string five = upperAscii(lastCharacters(name, 5));
    for (std::string_view extension : kFour) {
        if (four == extension)
            return true;
    }
    for (std::string_view extension : kFive) {
        if (five == extension)
            return true;
    }
    return false;
}

} // namespace pw::app
