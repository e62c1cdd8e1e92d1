#include "outside/pdftool/png_image.h"

#include "formats/png_bytes.h"
#include "outside/pdftool/png_planes.h"
#include "outside/pdftool/staged_image.h"

#include <cstring>
#include <qpdf/Pipeline.hh>
#include <stdexcept>

namespace pw::pdftool {
namespace {

using Handle = QPDFObjectHandle;

Handle predictorParms(int colours, int depth, int width) {
    Handle parms = Handle::newDictionary();
    parms.replaceKey("/Predictor", Handle::newInteger(15));
    parms.replaceKey("/Colors", Handle::newInteger(colours));
    parms.replaceKey("/BitsPerComponent", Handle::newInteger(depth));
    parms.replaceKey("/Columns", Handle::newInteger(width));
    return parms;
}

// The palette with each entry's transparency (tRNS) laid on white.
std::string paletteOnWhite(const formats::PngInfo& info) {
    std::string palette = info.palette;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const std::size_t entry = i / 3;
        if (entry >= info.transparency.size())
            break;
        const unsigned alpha = static_cast<unsigned char>(info.transparency[entry]);
        const unsigned value = static_cast<unsigned char>(palette[i]);
        palette[i] = static_cast<char>((value * alpha + 255 * (255 - alpha) + 127) / 255);
    }
    return palette;
}

void write(Pipeline* pipeline, const std::string& data) {
    pipeline->write(reinterpret_cast<const unsigned char*>(data.data()), data.size());
}

} // namespace

PngImages::PngImages(const std::vector<PageSource>& pages, const PageWritten& onPageWritten)
    : pages_(pages), onPageWritten_(onPageWritten), buffer_(kStagedReadChunk) {}

void PngImages::need(const char* version) {
    if (minimumVersion_.empty() || minimumVersion_ < version)
        minimumVersion_ = version;
}

bool PngImages::flattens(const formats::PngInfo& info) const {
    return opaque_ && info.colourType != 3 && (info.bitDepth == 16 || info.hasAlpha());
}

Handle PngImages::image(QPDF& pdf, std::size_t index, const Handle& baseSpace) {
    const formats::PngInfo& info = *pages_[index].png;
    const bool withMask = info.hasAlpha() && !opaque_;
    if (info.hasAlpha() && opaque_)
        ++laidOnWhite_;
    Handle space = baseSpace;
    if (info.colourType == 3) {
        const auto entries = static_cast<long long>(info.palette.size() / 3);
        const std::string palette = opaque_ ? paletteOnWhite(info) : info.palette;
        space = Handle::newArray({Handle::newName("/Indexed"), baseSpace,
                                  Handle::newInteger(entries - 1), Handle::newString(palette)});
    }
    const int imageDepth = flattens(info) ? 8 : info.bitDepth;
    if (imageDepth == 16)
        need("1.5");

    Handle image = Handle::newStream(&pdf);
    image.replaceStreamData(shared_from_this(), Handle::newName("/FlateDecode"),
                            predictorParms(info.colours(), imageDepth, info.width));
    Handle dict = image.getDict();
    describeImage(dict, info.width, info.height, imageDepth, space);
    streams_[image.getObjGen().getObj()] = {index, false};

    if (withMask) {
        need("1.4");
        const int depth = alphaDepth(info);
        Handle mask = Handle::newStream(&pdf);
        mask.replaceStreamData(shared_from_this(), Handle::newName("/FlateDecode"),
                               predictorParms(1, depth, info.width));
        Handle maskDict = mask.getDict();
        describeImage(maskDict, info.width, info.height, depth, Handle::newName("/DeviceGray"));
        streams_[mask.getObjGen().getObj()] = {index, true};
        dict.replaceKey("/SMask", mask);
    }
    return image;
}

void PngImages::provideStreamData(QPDFObjGen const& og, Pipeline* pipeline) {
    const auto found = streams_.find(og.getObj());
    if (found == streams_.end())
        throw std::logic_error("no picture for stream " + og.unparse(' '));
    const Binding binding = found->second;
    const PageSource& page = pages_[binding.page];
    const formats::PngInfo& info = *page.png;

    if (!binding.alpha && onPageWritten_)
        onPageWritten_(binding.page);
    if (!binding.alpha && flattens(info)) {
        std::string colour;
        std::string error;
        if (!encodeOpaquePng(page.path, info, colour, error))
            throw std::runtime_error(page.name + ": " + error);
        write(pipeline, colour);
    } else if (!binding.alpha && info.copiesIdat()) {
        copyIdat(page, pipeline);
    } else {
        // qpdf writes every image before any soft mask, so each of the two streams decodes
        // the picture for itself; keeping one page's mask would not last until it is written.
        PngPlanes planes;
        std::string error;
        if (!encodePngPlanes(page.path, info, !binding.alpha, planes, error))
            throw std::runtime_error(page.name + ": " + error);
        write(pipeline, binding.alpha ? planes.alpha : planes.colour);
    }
    pipeline->finish();
}

void PngImages::copyIdat(const PageSource& page, Pipeline* pipeline) {
    const formats::PngInfo& info = *page.png;
    StagedFileReader file(page.path, page.name, info.fileSize, info.firstIdat);
    std::uint64_t copied = 0;
    for (;;) {
        unsigned char head[8];
        file.read(head, 8);
        if (std::memcmp(head + 4, "IDAT", 4) != 0)
            break;
        const std::uint64_t length = formats::bigEndian32(head);
        copied += length;
        if (copied > info.idatLength)
            throw file.changed();
        file.copy(length, buffer_, pipeline);
        file.skip(4); // CRC, checked with the header
    }
    if (copied != info.idatLength)
        throw file.changed();
}

} // namespace pw::pdftool
