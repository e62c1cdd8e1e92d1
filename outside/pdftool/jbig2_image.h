#pragma once
// Black-and-white pages as /JBIG2Decode images (one generic region, no /JBIG2Globals): a staged
// JBIG2 page's stream is copied from its file as it is. With JBIG2 chosen, a staged Group 4
// page, decoded by the check that reads it, is coded anew with pw::jbig2 while the pages are
// checked, on the checking threads; those streams wait in an unnamed file in the staging folder
// until the writer copies them in, so memory holds one page per thread.
#include "formats/g4_tiff.h"
#include "outside/pdftool/page_source.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <unordered_map>
#include <vector>

namespace pw::pdftool {

// The JBIG2 streams of one run, in a file that vanishes when it is closed. add() may be called
// from several threads at once.
class Jbig2Streams {
public:
    explicit Jbig2Streams(std::string folder);
    ~Jbig2Streams();
    Jbig2Streams(const Jbig2Streams&) = delete;
    Jbig2Streams& operator=(const Jbig2Streams&) = delete;

    // Codes the page, `rows` as formats::readG4Tiff hands them back, and keeps its stream;
    // std::nullopt with `reason` when it cannot.
    std::optional<Jbig2Stream> add(const formats::G4Tiff& page,
                                   const std::vector<std::uint8_t>& rows, std::string& reason);
    // Copies a kept stream to `pipeline` through `buffer`; throws when it cannot be read back.
    void copy(const Jbig2Stream& stream, std::vector<unsigned char>& buffer,
              Pipeline* pipeline) const;

private:
    bool open(std::string& reason); // with mutex_ held

    std::string folder_;
    std::mutex mutex_;
    int fd_ = -1; // opened by the first add
    std::uint64_t end_ = 0;
};

class Jbig2Images : public QPDFObjectHandle::StreamDataProvider,
                    public std::enable_shared_from_this<Jbig2Images> {
public:
    Jbig2Images(const std::vector<PageSource>& pages, const Jbig2Streams* streams,
                const PageWritten& onPageWritten);

    // The image XObject of page `index` (which has jbig2 set): 1-bit /DeviceGray, 1 black.
    // `streams` may be null when no page is coded anew.
    QPDFObjectHandle image(QPDF& pdf, std::size_t index);

    void provideStreamData(QPDFObjGen const& og, Pipeline* pipeline) override;

private:
    const std::vector<PageSource>& pages_;
    const Jbig2Streams* streams_;
    const PageWritten& onPageWritten_;
    std::unordered_map<int, std::size_t> objects_;
    std::vector<unsigned char> buffer_;
};

} // namespace pw::pdftool
