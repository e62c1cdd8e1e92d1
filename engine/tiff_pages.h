#pragma once
// The pages of a multi-page TIFF after the first, read with libtiff: it reports each damaged
// directory on its own, where FreeImage's page count ends at the first damaged one.
#include <memory>
#include <string>

struct FIBITMAP;
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
    // False when page `page` (1-based) uses a compression no codec here decodes.
    bool codecKnown(int page);

private:
    TIFF* tiff_ = nullptr;
    int count_ = 0;
};

} // namespace pw::engine
