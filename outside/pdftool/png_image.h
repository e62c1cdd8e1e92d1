#pragma once
// PNG pages: the image with Flate data and PNG predictors, and its soft mask.
#include "outside/pdftool/page_source.h"

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

    // Opaque pictures of at most 8 bits only (PDF/A-1): transparent parts are laid on white
    // (a palette's entries, or the decoded samples) and 16-bit samples reduced to 8 bits.
    void setOpaque(bool opaque) { opaque_ = opaque; }
    // Pictures whose transparency was laid on white so far.
    std::size_t laidOnWhite() const { return laidOnWhite_; }

    void provideStreamData(QPDFObjGen const& og, Pipeline* pipeline) override;

private:
    struct Binding {
        std::size_t page;
        bool alpha;
    };
    void copyIdat(const PageSource& page, Pipeline* pipeline);
    void need(const char* version);
    // Decoded and re-encoded opaque in 8 bits (setOpaque).
    bool flattens(const formats::PngInfo& info) const;

    const std::vector<PageSource>& pages_;
    const PageWritten& onPageWritten_;
    std::unordered_map<int, Binding> streams_;
    std::string minimumVersion_;
    bool opaque_ = false;
    std::size_t laidOnWhite_ = 0;
    std::vector<unsigned char> buffer_;
};

} // namespace pw::pdftool
