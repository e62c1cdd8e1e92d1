#pragma once
// The pages of a multi-page TIFF after the first, read with libtiff: it reports each damaged
// directory on its own, where FreeImage's page count ends at the first damaged one. Pages are
// read by FreeImage where it can, as page 1 is, for their own sample depth and colour space.
#include <cstdint>
#include <memory>
#include <string>

struct FIBITMAP;
struct FIMULTIBITMAP;
typedef struct tiff TIFF;

namespace pw::engine {

class TiffPages {
public:
    explicit TiffPages(const std::string& narrowPath);
    ~TiffPages();
    TiffPages(const TiffPages&) = delete;
    TiffPages& operator=(const TiffPages&) = delete;

    // 0 when the file cannot be opened as a TIFF.
    int count() const { return count_; }
    // Page `page` (1-based) upright as 24-bit RGB with its resolution; null when it is damaged
    // or larger than the pixel limit (`problem` then says so).
    FIBITMAP* decode(int page, std::string& problem);
    // Page `page` with its samples as stored (gray, palette, 1-bit, 16-bit, alpha), as FreeImage
    // reads page 1; a page stored turned, or one FreeImage cannot reach, comes from decode().
    FIBITMAP* decodeAsStored(int page, std::string& problem);
    // False when page `page` (1-based) uses a compression no codec here decodes.
    bool codecKnown(int page);
    // The compression tag of page `page`; -1 when the page cannot be reached.
    int compression(int page);

private:
    bool selectPage(int page);

    std::string narrowPath_;
    std::uint64_t fileBytes_ = 0;
    TIFF* tiff_ = nullptr;
    FIMULTIBITMAP* pages_ = nullptr; // FreeImage's view, opened on first use
    int count_ = 0;
};

} // namespace pw::engine
