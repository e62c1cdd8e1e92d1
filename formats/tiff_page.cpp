#include "formats/tiff_page.h"

#include <tiffio.h>
#include <vector>

namespace pw::formats {

bool selectTiffPage(TIFF* tiff, int& current, int page) {
    if (tiff == nullptr || page < 1) {
        current = 0;
        return false;
    }
    if (current >= 1 && current < page) {
        while (current < page && TIFFReadDirectory(tiff) == 1)
            ++current;
        if (current == page)
            return true;
        // A damaged directory on the way: the long way decides, as for any other page.
    }
    // The current page too is read again, as its data may have been read since.
    const bool reached = TIFFSetDirectory(tiff, static_cast<tdir_t>(page - 1)) == 1;
    current = reached ? page : 0;
    return reached;
}

namespace {

int heard(TIFF*, void* data, const char*, const char*, va_list) {
    ++*static_cast<int*>(data);
    return 1; // handled: the process-wide handlers hear nothing
}

// Whether page `page` of the file decodes its first strip without a complaint, read with the
// modified Huffman decoder in `mode` when `mode` is not negative.
bool decodesCleanly(const std::string& path, int page, int mode) {
    int complaints = 0;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr)
        return false;
    TIFFOpenOptionsSetErrorHandlerExtR(options, heard, &complaints);
    TIFFOpenOptionsSetWarningHandlerExtR(options, heard, &complaints);
    TIFF* tiff = TIFFOpenExt(path.c_str(), "rm", options);
    TIFFOpenOptionsFree(options);
    if (tiff == nullptr)
        return false;
    int current = 1;
    bool clean = selectTiffPage(tiff, current, page) && !TIFFIsTiled(tiff);
    if (clean && mode >= 0)
        clean = TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTRLE) == 1 &&
                TIFFSetField(tiff, TIFFTAG_FAXMODE, mode) == 1;
    const tmsize_t size = clean ? TIFFStripSize(tiff) : 0;
    if (size > 0) {
        std::vector<std::uint8_t> strip(static_cast<std::size_t>(size));
        clean = TIFFReadEncodedStrip(tiff, 0, strip.data(), size) > 0 && complaints == 0;
    } else {
        clean = false;
    }
    TIFFClose(tiff);
    return clean;
}

} // namespace

void chooseFaxDecoding(TIFF* tiff, const std::string& path, int page) {
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint32_t options = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (compression == COMPRESSION_CCITTFAX3)
        TIFFGetField(tiff, TIFFTAG_GROUP3OPTIONS, &options);
    const bool oneDimensional =
        compression == COMPRESSION_CCITTRLE ||
        (compression == COMPRESSION_CCITTFAX3 && (options & GROUP3OPT_2DENCODING) == 0);
    if (!oneDimensional || decodesCleanly(path, page, -1))
        return;
    for (const int mode :
         {FAXMODE_NORTC | FAXMODE_NOEOL, FAXMODE_NORTC | FAXMODE_NOEOL | FAXMODE_BYTEALIGN}) {
        if (decodesCleanly(path, page, mode)) {
            TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTRLE);
            TIFFSetField(tiff, TIFFTAG_FAXMODE, mode);
            return;
        }
    }
}

} // namespace pw::formats
