#pragma once
// The pages of a TIFF, read with libtiff: it reports each damaged directory on its own, where
// FreeImage's page count ends at the first damaged one. Gray, palette and RGB pages are read
// sample by sample (see tiff_samples.h); CMYK and other colour spaces by FreeImage where it can,
// by libtiff's RGBA reader otherwise.
#include "pictures/decoded.h"
#include "pictures/stop_flag.h"
#include "platform/opened_file.h"

#include <cstdint>
#include <memory>
#include <string>

struct FIMULTIBITMAP;
typedef struct tiff TIFF;

namespace pw::pictures {

class StoppableMultiBitmap;

class TiffPages {
public:
    // Once `stop` is set, every read of the file fails: a page being decoded is given up at its
    // next strip or tile, and decode() refuses it.
    explicit TiffPages(const std::string& narrowPath, StopFlag stop = {});
    // The file opened by the caller, which must outlive this.
    explicit TiffPages(const platform::OpenedFile& file, StopFlag stop = {});
    ~TiffPages();
    TiffPages(const TiffPages&) = delete;
    TiffPages& operator=(const TiffPages&) = delete;

    // 0 when the file cannot be opened as a TIFF.
    int count() const { return count_; }
    // Page `page` (1-based) as shown, with its resolution; refused when it is damaged, larger
    // than the pixel limit or of a kind no reader here knows (saying why when there is more to
    // say than "cannot be read").
    Decoded decode(int page);
    // False when page `page` (1-based) uses a compression no codec here decodes.
    bool codecKnown(int page);
    // The compression tag of page `page`; -1 when the page cannot be reached.
    int compression(int page);

private:
    bool selectPage(int page);
    bool compressionKnown(); // of the page selected
    Bitmap freeImagePage(int page, std::uint32_t width, std::uint32_t height);
    Bitmap pageBitmap(int page, std::string& problem);
    Bitmap rgbaPage(std::uint32_t width, std::uint32_t height, std::string& problem);

    struct Source;

    void open(const platform::OpenedFile& file, StopFlag stop);

    std::unique_ptr<platform::OpenedFile> owned_; // opened here for a path
    const platform::OpenedFile* file_ = nullptr;
    std::uint64_t fileBytes_ = 0;
    StopFlag stop_;
    std::unique_ptr<Source> source_; // what tiff_ reads through
    TIFF* tiff_ = nullptr;
    std::unique_ptr<StoppableMultiBitmap> pages_; // FreeImage's view, opened on first use
    int count_ = 0;
    int current_ = 0; // the page tiff_ is on (0: not known)
};

} // namespace pw::pictures
