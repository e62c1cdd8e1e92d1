#pragma once
// Group 4 pages: the strip of a staged one-strip TIFF as a /CCITTFaxDecode image, byte for byte.
#include "outside/pdftool/page_source.h"

#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <unordered_map>
#include <vector>

namespace pw::pdftool {

// The size and resolution of a bilevel page (a Group 4 TIFF or a staged JBIG2 page), where the
// page layout reads them for every page.
template <class BilevelPage> formats::JpegInfo bilevelPageInfo(const BilevelPage& page) {
    formats::JpegInfo info;
    info.fileSize = page.fileSize;
    info.width = static_cast<int>(page.width);
    info.height = static_cast<int>(page.height);
    info.components = 1;
    info.xDpi = page.xDpi;
    info.yDpi = page.yDpi;
    return info;
}

class CcittImages : public QPDFObjectHandle::StreamDataProvider,
                    public std::enable_shared_from_this<CcittImages> {
public:
    CcittImages(const std::vector<PageSource>& pages, const PageWritten& onPageWritten);

    // The image XObject of page `index` (which has g4 set): 1-bit /DeviceGray.
    QPDFObjectHandle image(QPDF& pdf, std::size_t index);

    void provideStreamData(QPDFObjGen const& og, Pipeline* pipeline) override;

private:
    const std::vector<PageSource>& pages_;
    const PageWritten& onPageWritten_;
    std::unordered_map<int, std::size_t> streams_;
    std::vector<unsigned char> buffer_;
};

} // namespace pw::pdftool
