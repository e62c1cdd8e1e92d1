#include "pictures/modern_formats.h"

#include "pictures/picture_kinds.h"

namespace pw::pictures {

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

ModernFormat modernFormatForExtension(const std::string& extension) {
    return modernFormatOf(kindForExtension(extension));
}

ModernFormat modernFormatOfContent(const std::string& narrowPath) {
    return modernFormatOf(kindOfFile(narrowPath));
}

Decoded decodeModern(ModernFormat format, const std::string& narrowPath, StopFlag stop) {
    return decodeModern(format, platform::OpenedFile(narrowPath), stop);
}

Decoded decodeModern(ModernFormat format, const platform::OpenedFile& file, StopFlag stop) {
    switch (format) {
    case ModernFormat::Heif:
        return decodeHeif(file, stop);
    case ModernFormat::Webp:
        return decodeWebp(file, stop);
    case ModernFormat::Jxl:
        return decodeJxl(file, stop);
    case ModernFormat::None:
        break;
    }
    return platform::Refusal{platform::Refusal::Code::Unsupported, {}};
}

} // namespace pw::pictures
