#include "pictures/format_table.h"

#include <FreeImage.h>
#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <utility>

namespace pw::pictures {
namespace {

constexpr std::array<std::pair<const char*, FREE_IMAGE_FORMAT>, 11> kFormatTable{{
    {"bmp", FIF_BMP},
    {"dib", FIF_BMP},
    {"jpeg", FIF_JPEG},
    {"gif", FIF_GIF},
    {"png", FIF_PNG},
    {"ico", FIF_ICO},
    {"tif", FIF_TIFF},
    {"tiff", FIF_TIFF},
    {"iff", FIF_IFF},
    {"pcx", FIF_PCX},
    {"psd", FIF_PSD},
}};

} // namespace

std::optional<int> FormatForExtension(const std::string& extension) {
    std::string lower = extension;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const auto& [name, format] : kFormatTable) {
        if (lower == name)
            return static_cast<int>(format);
    }
    return std::nullopt;
}

bool IsTiffPicture(const std::string& narrowPath, const std::string& extension) {
    const std::optional<int> named = FormatForExtension(extension);
    if (named && *named == FIF_TIFF)
        return true;
    return FreeImage_GetFileType(narrowPath.c_str(), 0) == FIF_TIFF;
}

bool HasJpegSignature(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[3] = {0, 0, 0};
    if (!in.read(reinterpret_cast<char*>(head), sizeof head))
        return false;
    return head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

} // namespace pw::pictures
