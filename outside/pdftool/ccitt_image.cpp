#include "outside/pdftool/ccitt_image.h"

#include "outside/pdftool/staged_image.h"

#include <stdexcept>

namespace pw::pdftool {

using Handle = QPDFObjectHandle;

CcittImages::CcittImages(const std::vector<PageSource>& pages, const PageWritten& onPageWritten)
    : pages_(pages), onPageWritten_(onPageWritten), buffer_(kStagedReadChunk) {}

Handle CcittImages::image(QPDF& pdf, std::size_t index) {
    const formats::G4Tiff& page = *pages_[index].g4;
    Handle parms = Handle::newDictionary();
    parms.replaceKey("/K", Handle::newInteger(-1));
    parms.replaceKey("/Columns", Handle::newInteger(page.width));
    parms.replaceKey("/Rows", Handle::newInteger(page.height));
    if (page.blackIs1)
        parms.replaceKey("/BlackIs1", Handle::newBool(true));
    Handle image = Handle::newStream(&pdf);
    image.replaceStreamData(shared_from_this(), Handle::newName("/CCITTFaxDecode"), parms);
    Handle dict = image.getDict();
    describeImage(dict, page.width, page.height, 1, Handle::newName("/DeviceGray"));
    dict.replaceKey("/Length", Handle::newInteger(static_cast<long long>(page.stripBytes)));
    streams_[image.getObjGen().getObj()] = index;
    return image;
}

void CcittImages::provideStreamData(QPDFObjGen const& og, Pipeline* pipeline) {
    const auto found = streams_.find(og.getObj());
    if (found == streams_.end())
        throw std::logic_error("no picture for stream " + og.unparse(' '));
    const PageSource& source = pages_[found->second];
    const formats::G4Tiff& page = *source.g4;
    if (onPageWritten_)
        onPageWritten_(found->second);
    StagedFileReader(source.path, source.name, page.fileSize, page.stripOffset)
        .copy(page.stripBytes, buffer_, pipeline);
    pipeline->finish();
}

} // namespace pw::pdftool
