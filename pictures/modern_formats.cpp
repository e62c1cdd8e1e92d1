#include "pictures/modern_formats.h"

#include "pictures/picture_kinds.h"

namespace pw::pictures {

namespace {

ModernFormat modernFormatOf(const PictureKind* kind) {
    if (kind == nullptr)
        return ModernFormat::None;
    switch (kind->decoder) {
    case Decoder::Heif:
        return ModernFormat::Heif;
    case Decoder::Webp:
        return ModernFormat::Webp;
    case Decoder::Jxl:
        return ModernFormat::Jxl;
    default:
        return ModernFormat::None;
    }
}

} // namespace

ModernFormat modernFormatForExtension(const std::string& extension) {
    return modernFormatOf(kindForExtension(extension));
}

ModernFormat modernFormatOfContent(const std::string& narrowPath) {
    return modernFormatOf(kindOfFile(narrowPath));
}

FIBITMAP* decodeModern(ModernFormat format, const std::string& narrowPath, std::string& problem,
                       StopFlag stop) {
    switch (format) {
    case ModernFormat::Heif:
        return decodeHeif(narrowPath, problem, stop);
    case ModernFormat::Webp:
        return decodeWebp(narrowPath, problem, stop);
    case ModernFormat::Jxl:
        return decodeJxl(narrowPath, problem, stop);
    case ModernFormat::None:
        break;
    }
    return nullptr;
}

} // namespace pw::pictures
