#include "formats/exif.h"

#include <cstring>

namespace pw::pdftool {
namespace {

enum : std::uint16_t {
    kTagOrientation = 0x0112,
    kTagXResolution = 0x011A,
    kTagYResolution = 0x011B,
    kTagResolutionUnit = 0x0128,
};
enum : std::uint16_t { kTypeShort = 3, kTypeLong = 4, kTypeRational = 5 };

class TiffReader {
public:
    TiffReader(const std::uint8_t* data, std::size_t size, bool bigEndian)
        : data_(data), size_(size), bigEndian_(bigEndian) {}

    bool u16(std::size_t at, std::uint16_t& out) const {
        if (at > size_ || size_ - at < 2)
            return false;
        out = bigEndian_ ? static_cast<std::uint16_t>(data_[at] << 8 | data_[at + 1])
                         : static_cast<std::uint16_t>(data_[at + 1] << 8 | data_[at]);
        return true;
    }
    bool u32(std::size_t at, std::uint32_t& out) const {
        std::uint16_t a = 0;
        std::uint16_t b = 0;
        if (!u16(at, a) || !u16(at + 2, b))
            return false;
        out = bigEndian_ ? (std::uint32_t{a} << 16 | b) : (std::uint32_t{b} << 16 | a);
        return true;
    }
    std::size_t size() const { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    bool bigEndian_;
};

// The entry's single integer value (SHORT or LONG stored inline).
bool integerValue(const TiffReader& tiff, std::size_t entry, std::uint16_t type,
                  std::uint32_t count, std::uint32_t& out) {
    if (count != 1)
        return false;
    if (type == kTypeShort) {
        std::uint16_t v = 0;
        if (!tiff.u16(entry + 8, v))
            return false;
        out = v;
        return true;
    }
    return type == kTypeLong && tiff.u32(entry + 8, out);
}

// A RATIONAL entry's value (stored at an offset), 0 when unusable.
double rationalValue(const TiffReader& tiff, std::size_t entry, std::uint16_t type,
                     std::uint32_t count) {
    std::uint32_t offset = 0;
    std::uint32_t numerator = 0;
    std::uint32_t denominator = 0;
    if (type != kTypeRational || count != 1 || !tiff.u32(entry + 8, offset) ||
        !tiff.u32(offset, numerator) || !tiff.u32(std::size_t{offset} + 4, denominator) ||
        denominator == 0)
        return 0.0;
    return static_cast<double>(numerator) / static_cast<double>(denominator);
}

} // namespace

ExifFields parseExif(const std::uint8_t* data, std::size_t size) {
    ExifFields fields;
    static const char kHeader[] = "Exif\0\0";
    if (data == nullptr || size < 6 + 8 || std::memcmp(data, kHeader, 6) != 0)
        return fields;
    const std::uint8_t* tiffData = data + 6;
    const std::size_t tiffSize = size - 6;
    bool bigEndian = false;
    if (tiffData[0] == 'M' && tiffData[1] == 'M')
        bigEndian = true;
    else if (!(tiffData[0] == 'I' && tiffData[1] == 'I'))
        return fields;
    const TiffReader tiff(tiffData, tiffSize, bigEndian);
    std::uint16_t magic = 0;
    std::uint32_t ifd = 0;
    std::uint16_t entries = 0;
    if (!tiff.u16(2, magic) || magic != 42 || !tiff.u32(4, ifd) || !tiff.u16(ifd, entries))
        return fields;

    double xRes = 0.0;
    double yRes = 0.0;
    std::uint32_t unit = 2; // inches unless told otherwise
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t entry = std::size_t{ifd} + 2 + std::size_t{i} * 12;
        std::uint16_t tag = 0;
        std::uint16_t type = 0;
        std::uint32_t count = 0;
        if (!tiff.u16(entry, tag) || !tiff.u16(entry + 2, type) || !tiff.u32(entry + 4, count))
            break; // the directory runs past the block
        std::uint32_t value = 0;
        switch (tag) {
        case kTagOrientation:
            if (integerValue(tiff, entry, type, count, value) && value >= 1 && value <= 8)
                fields.orientation = static_cast<int>(value);
            break;
        case kTagResolutionUnit:
            if (integerValue(tiff, entry, type, count, value))
                unit = value;
            break;
        case kTagXResolution:
            xRes = rationalValue(tiff, entry, type, count);
            break;
        case kTagYResolution:
            yRes = rationalValue(tiff, entry, type, count);
            break;
        default:
            break;
        }
    }
    // Unit 1 means "no absolute unit": the values only give an aspect ratio.
    if (xRes > 0.0 && yRes > 0.0 && (unit == 2 || unit == 3)) {
        const double scale = unit == 3 ? 2.54 : 1.0;
        fields.xResolution = xRes * scale;
        fields.yResolution = yRes * scale;
    } else if (xRes > 0.0 && yRes > 0.0 && unit == 1) {
        fields.xShape = xRes;
        fields.yShape = yRes;
    }
    return fields;
}

} // namespace pw::pdftool
