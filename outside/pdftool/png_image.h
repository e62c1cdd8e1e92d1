#pragma once
// PNG pages: the image with Flate data and PNG predictors, and its soft mask.
#include "outside/pdftool/pdf_writer.h"

#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <unordered_map>
#include <vector>

namespace pw::pdftool {

class PngImages : public QPDFObjectHandle::StreamDataProvider,
                  public std::enable_shared_from_this<PngImages> {
public:
    PngImages(const std::vector<PageSource>& pages, const PageWritten& onPageWritten);

    // The image XObject of page `index` (which has png set). `baseSpace` is the colour space of
    // its colours (gray or RGB, or the palette's entries), which a palette picture indexes.
    QPDFObjectHandle image(QPDF& pdf, std::size_t index, const QPDFObjectHandle& baseSpace);

    // The PDF version the pictures so far need (16-bit samples 1.5, soft masks 1.4), or "".
    const std::string& minimumVersion() const { return minimumVersion_; }

    void provideStreamData(QPDFObjGen const& og, Pipeline* pipeline) override;

private:
    struct Binding {
        std::size_t page;
        bool alpha;
    };
    void copyIdat(const PageSource& page, Pipeline* pipeline);
    void need(const char* version);

    const std::vector<PageSource>& pages_;
    const PageWritten& onPageWritten_;
    std::unordered_map<int, Binding> streams_;
    std::string minimumVersion_;
    std::vector<unsigned char> buffer_;
};

} // namespace pw::pdftool
