#include "pictures/pdf_image_pixels.h"

#include "formats/g4_stream.h"
#include "formats/pixel_limit.h"

#include <FreeImage.h>
#include <algorithm>
#include <cstdint>
#include <exception>
#include <qpdf/Buffer.hh>
#include <vector>

namespace pw::pictures {
namespace {

using Handle = QPDFObjectHandle;
using Code = platform::Refusal::Code;

enum class Colours { Grey, Rgb, Cmyk, Lab, Ink };

struct ColourSpace {
    Colours colours = Colours::Grey;
    int components = 1;
    // Indexed: the base space's colours for each index, `components` bytes each.
    bool indexed = false;
    int baseComponents = 0;
    std::string lookup;
};

ColourSpace plain(Colours colours, int components) {
    ColourSpace space;
    space.colours = colours;
    space.components = components;
    return space;
}

bool nameIs(Handle object, const char* name) {
    return object.isName() && object.getName() == name;
}

bool deviceSpace(Handle space, ColourSpace& result) {
    if (nameIs(space, "/DeviceGray") || nameIs(space, "/CalGray") || nameIs(space, "/G")) {
        result = plain(Colours::Grey, 1);
    } else if (nameIs(space, "/DeviceRGB") || nameIs(space, "/CalRGB") || nameIs(space, "/RGB")) {
        result = plain(Colours::Rgb, 3);
    } else if (nameIs(space, "/DeviceCMYK") || nameIs(space, "/CMYK")) {
        result = plain(Colours::Cmyk, 4);
    } else if (space.isArray() && space.getArrayNItems() >= 1) {
        Handle family = space.getArrayItem(0);
        if (nameIs(family, "/CalGray") || nameIs(family, "/CalRGB"))
            return deviceSpace(family, result);
        if (nameIs(family, "/Lab")) {
            result = plain(Colours::Lab, 3);
        } else if (nameIs(family, "/ICCBased") && space.getArrayNItems() >= 2 &&
                   space.getArrayItem(1).isStream()) {
            Handle n = space.getArrayItem(1).getDict().getKey("/N");
            const long long count = n.isInteger() ? n.getIntValue() : 0;
            if (count == 1)
                result = plain(Colours::Grey, 1);
            else if (count == 3)
                result = plain(Colours::Rgb, 3);
            else if (count == 4)
                result = plain(Colours::Cmyk, 4);
            else
                return false;
        } else {
            return false;
        }
    } else {
        return false;
    }
    return true;
}

// The image's colour space as read here; false for one it cannot take.
bool colourSpaceOf(Handle space, ColourSpace& result) {
    if (deviceSpace(space, result))
        return true;
    if (!space.isArray() || space.getArrayNItems() < 2)
        return false;
    Handle family = space.getArrayItem(0);
    if (nameIs(family, "/Separation")) {
        result = plain(Colours::Ink, 1);
        return true;
    }
    if (!(nameIs(family, "/Indexed") || nameIs(family, "/I")) || space.getArrayNItems() < 4)
        return false;
    ColourSpace base;
    Handle hival = space.getArrayItem(2);
    if (!deviceSpace(space.getArrayItem(1), base) || !hival.isInteger() ||
        hival.getIntValue() < 0 || hival.getIntValue() > 255)
        return false;
    Handle lookup = space.getArrayItem(3);
    try {
        if (lookup.isString()) {
            result.lookup = lookup.getStringValue();
        } else if (lookup.isStream()) {
            const auto data = lookup.getStreamData(qpdf_dl_generalized);
            result.lookup.assign(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
        } else {
            return false;
        }
    } catch (const std::exception&) {
        return false;
    }
    result.colours = base.colours;
    result.components = 1;
    result.indexed = true;
    result.baseComponents = base.components;
    result.lookup.resize(static_cast<std::size_t>(hival.getIntValue() + 1) *
                             static_cast<std::size_t>(base.components),
                         '\0');
    return true;
}

int greyOf(Colours colours, const int* value) {
    switch (colours) {
    case Colours::Rgb:
        return (299 * value[0] + 587 * value[1] + 114 * value[2]) / 1000;
    case Colours::Cmyk:
        return 255 -
               std::min(255, (299 * value[0] + 587 * value[1] + 114 * value[2]) / 1000 + value[3]);
    case Colours::Ink:
        return 255 - value[0];
    default: // grey, and Lab's lightness
        return value[0];
    }
}

// A filter's name, also the first of an array of one.
std::vector<std::string> filtersOf(Handle dict) {
    std::vector<std::string> names;
    Handle filter = dict.getKey("/Filter");
    if (filter.isName())
        names.push_back(filter.getName());
    else if (filter.isArray())
        for (Handle item : filter.aitems())
            names.push_back(item.isName() ? item.getName() : "");
    return names;
}

Handle lastParameters(Handle dict) {
    Handle parms = dict.getKey("/DecodeParms");
    if (parms.isArray())
        return parms.getArrayNItems() > 0 ? parms.getArrayItem(parms.getArrayNItems() - 1)
                                          : Handle::newNull();
    return parms;
}

int integerIn(Handle dict, const char* key, int otherwise) {
    Handle value = dict.isDictionary() ? dict.getKey(key) : Handle::newNull();
    return value.isInteger() ? value.getIntValueAsInt() : otherwise;
}

bool booleanIn(Handle dict, const char* key) {
    Handle value = dict.isDictionary() ? dict.getKey(key) : Handle::newNull();
    return value.isBool() && value.getBoolValue();
}

// The 1-bit rows of a Group 4 image, 1 for the samples 1 stands for, as a PDF reader decodes
// them; qpdf has no CCITT decoder.
platform::Result<std::string> groupFourSamples(Handle image, std::uint32_t width,
                                               std::uint32_t height) {
    Handle parms = lastParameters(image.getDict());
    if (integerIn(parms, "/K", 0) >= 0 || booleanIn(parms, "/EncodedByteAlign"))
        return platform::Refusal{Code::Unsupported, "its picture is coded in CCITT Group 3"};
    if (integerIn(parms, "/Columns", 1728) != static_cast<int>(width))
        return platform::Refusal{Code::Damaged, "its picture's coding is not as wide as it"};
    const auto data = image.getRawStreamData();
    std::vector<std::uint8_t> rows;
    const std::string problem =
        formats::checkG4Stream(data->getBuffer(), data->getSize(), width, height, &rows);
    if (rows.empty())
        return platform::Refusal{Code::Damaged, "its picture's data is damaged (" + problem + ")"};
    // The decoder gives 1 for the coded black, which is sample 0 unless /BlackIs1.
    if (!booleanIn(parms, "/BlackIs1"))
        for (std::uint8_t& byte : rows)
            byte = static_cast<std::uint8_t>(~byte);
    return std::string(rows.begin(), rows.end());
}

platform::Result<std::string> samplesOf(Handle image, std::uint32_t width, std::uint32_t height) {
    const std::vector<std::string> filters = filtersOf(image.getDict());
    const std::string last = filters.empty() ? "" : filters.back();
    if (last == "/JBIG2Decode")
        return platform::Refusal{Code::Unsupported, "its picture is coded in JBIG2"};
    if (last == "/JPXDecode")
        return platform::Refusal{Code::Unsupported, "its picture is coded in JPEG 2000"};
    try {
        if (last == "/CCITTFaxDecode") {
            if (filters.size() > 1)
                return platform::Refusal{Code::Unsupported,
                                         "its picture's coding is not supported"};
            return groupFourSamples(image, width, height);
        }
        const auto data = image.getStreamData(qpdf_dl_all);
        return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    } catch (const std::exception& e) {
        return platform::Refusal{Code::Damaged,
                                 std::string("its picture cannot be decoded (") + e.what() + ")"};
    }
}

} // namespace

Decoded pdfImagePixels(QPDFObjectHandle image) {
    if (!image.isStream())
        return platform::Refusal{Code::Damaged, "its picture is not an image"};
    Handle dict = image.getDict();
    const int width = integerIn(dict, "/Width", 0);
    const int height = integerIn(dict, "/Height", 0);
    if (width <= 0 || height <= 0)
        return platform::Refusal{Code::Damaged, "its picture has no size"};
    const auto w = static_cast<std::uint32_t>(width);
    const auto h = static_cast<std::uint32_t>(height);
    if (!formats::withinPixelLimit(w, h))
        return platform::Refusal{Code::TooLarge,
                                 "its picture of " + formats::pixelLimitReason(w, h)};
    const bool mask = booleanIn(dict, "/ImageMask");
    ColourSpace space;
    if (!mask && !colourSpaceOf(dict.getKey("/ColorSpace"), space))
        return platform::Refusal{Code::Unsupported, "its picture's colour space is not supported"};
    const int bits = mask ? 1 : integerIn(dict, "/BitsPerComponent", 8);
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16)
        return platform::Refusal{Code::Damaged,
                                 "its picture has " + std::to_string(bits) + " bits a sample"};
    // A /Decode of [1 0] for a single sample turns it round.
    Handle decode = dict.getKey("/Decode");
    const bool inverted =
        !space.indexed && space.components == 1 && decode.isArray() &&
        decode.getArrayNItems() >= 2 && decode.getArrayItem(0).isNumber() &&
        decode.getArrayItem(0).getNumericValue() > decode.getArrayItem(1).getNumericValue();
    auto samples = samplesOf(image, w, h);
    if (!samples)
        return samples.refusal();
    const std::string& data = samples.value();
    const std::size_t rowBytes =
        (static_cast<std::size_t>(w) * static_cast<std::size_t>(space.components * bits) + 7) / 8;
    if (data.size() / rowBytes < h)
        return platform::Refusal{Code::Damaged,
                                 "its picture's " + formats::tooLittleDataReason(w, h)};

    const bool bilevel = bits == 1 && !space.indexed && space.components == 1;
    Bitmap bitmap(FreeImage_Allocate(width, height, bilevel ? 1 : 8));
    if (!bitmap)
        return platform::Refusal{Code::TooLarge, "not enough memory to read it"};
    RGBQUAD* palette = FreeImage_GetPalette(bitmap.get());
    if (bilevel) {
        // Sample 0 is black in grey and paints a stencil mask; ink (Separation) is the reverse.
        const bool zeroBlack = (space.colours != Colours::Ink) != inverted;
        palette[0] = zeroBlack ? RGBQUAD{0, 0, 0, 0} : RGBQUAD{255, 255, 255, 0};
        palette[1] = zeroBlack ? RGBQUAD{255, 255, 255, 0} : RGBQUAD{0, 0, 0, 0};
        for (std::uint32_t y = 0; y < h; ++y)
            std::copy_n(data.data() + y * rowBytes, rowBytes,
                        reinterpret_cast<char*>(
                            FreeImage_GetScanLine(bitmap.get(), static_cast<int>(h - 1 - y))));
        return bitmap;
    }
    for (int level = 0; level < 256; ++level) {
        const auto value = static_cast<BYTE>(level);
        palette[level] = {value, value, value, 0};
    }
    const int most = (1 << bits) - 1;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    const auto lookup = reinterpret_cast<const std::uint8_t*>(space.lookup.data());
    const std::size_t colours = space.lookup.size() / std::max(space.baseComponents, 1);
    int value[4] = {0, 0, 0, 0};
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* row = bytes + y * rowBytes;
        BYTE* to = FreeImage_GetScanLine(bitmap.get(), static_cast<int>(h - 1 - y));
        std::size_t sample = static_cast<std::size_t>(0);
        for (std::uint32_t x = 0; x < w; ++x) {
            for (int c = 0; c < space.components; ++c, ++sample) {
                int raw = 0;
                if (bits == 8)
                    raw = row[sample];
                else if (bits == 16)
                    raw = row[sample * 2];
                else
                    raw = (row[sample * bits / 8] >>
                           (8 - bits - static_cast<int>(sample * bits % 8))) &
                          most;
                value[c] = space.indexed || bits >= 8 ? raw : raw * 255 / most;
            }
            if (space.indexed) {
                const auto index = std::min(static_cast<std::size_t>(value[0]), colours - 1);
                for (int c = 0; c < space.baseComponents; ++c)
                    value[c] = lookup[index * static_cast<std::size_t>(space.baseComponents) +
                                      static_cast<std::size_t>(c)];
            } else if (inverted) {
                value[0] = 255 - value[0];
            }
            to[x] = static_cast<BYTE>(std::clamp(greyOf(space.colours, value), 0, 255));
        }
    }
    return bitmap;
}

} // namespace pw::pictures
