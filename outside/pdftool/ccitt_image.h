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

// The size and resolution of a Group 4 page, where the page layout reads them for every page.
formats::JpegInfo g4PageInfo(const formats::G4Tiff& page);

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
