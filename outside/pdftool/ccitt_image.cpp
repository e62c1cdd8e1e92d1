#include "outside/pdftool/ccitt_image.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <qpdf/Pipeline.hh>
#include <stdexcept>
#include <sys/stat.h>

namespace pw::pdftool {
namespace {

using Handle = QPDFObjectHandle;

constexpr std::size_t kReadChunk = 1 << 18;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

JpegInfo g4PageInfo(const G4Tiff& page) {
    JpegInfo info;
    info.fileSize = page.fileSize;
    info.width = static_cast<int>(page.width);
    info.height = static_cast<int>(page.height);
    info.components = 1;
    info.xDpi = page.xDpi;
    info.yDpi = page.yDpi;
    return info;
}

CcittImages::CcittImages(const std::vector<PageSource>& pages, const PageWritten& onPageWritten)
    : pages_(pages), onPageWritten_(onPageWritten), buffer_(kReadChunk) {}

Handle CcittImages::image(QPDF& pdf, std::size_t index) {
    const G4Tiff& page = *pages_[index].g4;
    Handle parms = Handle::newDictionary();
    parms.replaceKey("/K", Handle::newInteger(-1));
    parms.replaceKey("/Columns", Handle::newInteger(page.width));
    parms.replaceKey("/Rows", Handle::newInteger(page.height));
    if (page.blackIs1)
        parms.replaceKey("/BlackIs1", Handle::newBool(true));
    Handle image = Handle::newStream(&pdf);
    image.replaceStreamData(shared_from_this(), Handle::newName("/CCITTFaxDecode"), parms);
    Handle dict = image.getDict();
    dict.replaceKey("/Type", Handle::newName("/XObject"));
    dict.replaceKey("/Subtype", Handle::newName("/Image"));
    dict.replaceKey("/Width", Handle::newInteger(page.width));
    dict.replaceKey("/Height", Handle::newInteger(page.height));
    dict.replaceKey("/BitsPerComponent", Handle::newInteger(1));
    dict.replaceKey("/ColorSpace", Handle::newName("/DeviceGray"));
    dict.replaceKey("/Length", Handle::newInteger(static_cast<long long>(page.stripBytes)));
    streams_[image.getObjGen().getObj()] = index;
    return image;
}

void CcittImages::provideStreamData(QPDFObjGen const& og, Pipeline* pipeline) {
    const auto found = streams_.find(og.getObj());
    if (found == streams_.end())
        throw std::logic_error("no picture for stream " + og.unparse(' '));
    const PageSource& source = pages_[found->second];
    const G4Tiff& page = *source.g4;
    if (onPageWritten_)
        onPageWritten_(found->second);
    const std::string changed = source.name + " changed while the PDF was written";
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(source.path.c_str(), "rb"));
    if (!file)
        throw std::runtime_error(source.name + " can no longer be opened");
    struct stat status {};
    if (fstat(fileno(file.get()), &status) != 0 ||
        static_cast<std::uint64_t>(status.st_size) != page.fileSize ||
        std::fseek(file.get(), static_cast<long>(page.stripOffset), SEEK_SET) != 0)
        throw std::runtime_error(changed);
    std::uint64_t left = page.stripBytes;
    while (left > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer_.size()));
        if (std::fread(buffer_.data(), 1, want, file.get()) != want)
            throw std::runtime_error(changed);
        pipeline->write(buffer_.data(), want);
        left -= want;
    }
    pipeline->finish();
}

} // namespace pw::pdftool
