#include "engine/modern_formats.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <jxl/decode.h>
#include <libheif/heif.h>
#include <webp/decode.h>

namespace pw::engine {

ModernFormat ModernFormatForExtension(const std::string& extension) {
    std::string lower = extension;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "heic" || lower == "heif" || lower == "avif")
        return ModernFormat::Heif;
    if (lower == "webp")
        return ModernFormat::Webp;
    if (lower == "jxl")
        return ModernFormat::Jxl;
    return ModernFormat::None;
}

ModernFormat ModernFormatOfContent(const std::string& narrowPath) {
    std::uint8_t head[64] = {};
    std::FILE* file = std::fopen(narrowPath.c_str(), "rb");
    if (file == nullptr)
        return ModernFormat::None;
    const std::size_t size = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    if (size >= 12 &&
        heif_check_filetype(head, static_cast<int>(size)) == heif_filetype_yes_supported)
        return ModernFormat::Heif;
    const JxlSignature jxl = JxlSignatureCheck(head, size);
    if (jxl == JXL_SIG_CODESTREAM || jxl == JXL_SIG_CONTAINER)
        return ModernFormat::Jxl;
    if (size >= 12 && std::equal(head, head + 4, "RIFF") && std::equal(head + 8, head + 12, "WEBP"))
        return ModernFormat::Webp;
    return ModernFormat::None;
}

FIBITMAP* DecodeModern(ModernFormat format, const std::string& narrowPath, std::string& problem,
                       StopFlag stop) {
    switch (format) {
    case ModernFormat::Heif:
        return DecodeHeif(narrowPath, problem, stop);
    case ModernFormat::Webp:
        return DecodeWebp(narrowPath, problem, stop);
    case ModernFormat::Jxl:
        return DecodeJxl(narrowPath, problem, stop);
    case ModernFormat::None:
        break;
    }
    return nullptr;
}

} // namespace pw::engine
