#include "formats/tiff_page.h"

#include <cerrno>
#include <cstdint>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>
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

struct DescriptorPlace {
    int fd;
    std::uint64_t at = 0;
};

tmsize_t readPlace(thandle_t handle, void* into, tmsize_t size) {
    auto& place = *static_cast<DescriptorPlace*>(handle);
    tmsize_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(place.fd, static_cast<char*>(into) + done,
                    static_cast<std::size_t>(size - done), static_cast<off_t>(place.at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 && done == 0 ? -1 : done;
        done += got;
        place.at += static_cast<std::uint64_t>(got);
    }
    return done;
}

tmsize_t writePlace(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t placeSize(thandle_t handle) {
    struct stat status {};
    return ::fstat(static_cast<DescriptorPlace*>(handle)->fd, &status) == 0
               ? static_cast<toff_t>(status.st_size)
               : 0;
}

toff_t seekPlace(thandle_t handle, toff_t offset, int whence) {
    auto& place = *static_cast<DescriptorPlace*>(handle);
    const auto signedOffset = static_cast<std::int64_t>(offset);
    const std::int64_t base = whence == SEEK_SET   ? 0
                              : whence == SEEK_CUR ? static_cast<std::int64_t>(place.at)
                                                   : static_cast<std::int64_t>(placeSize(handle));
    if (base + signedOffset < 0)
        return static_cast<toff_t>(-1);
    place.at = static_cast<std::uint64_t>(base + signedOffset);
    return place.at;
}

int closePlace(thandle_t handle) {
    delete static_cast<DescriptorPlace*>(handle);
    return 0;
}

int mapNothing(thandle_t, void**, toff_t*) {
    return 0;
}

void unmapNothing(thandle_t, void*, toff_t) {}

int heard(TIFF*, void* data, const char*, const char*, va_list) {
    ++*static_cast<int*>(data);
    return 1; // handled: the process-wide handlers hear nothing
}

// Whether page `page` of the file decodes its first strip without a complaint, read with the
// modified Huffman decoder in `mode` when `mode` is not negative.
bool decodesCleanly(TIFF* (*open)(const void*, TIFFOpenOptions*), const void* file, int page,
                    int mode) {
    int complaints = 0;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr)
        return false;
    TIFFOpenOptionsSetErrorHandlerExtR(options, heard, &complaints);
    TIFFOpenOptionsSetWarningHandlerExtR(options, heard, &complaints);
    TIFF* tiff = open(file, options);
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

namespace {

TIFF* openPath(const void* file, TIFFOpenOptions* options) {
    return TIFFOpenExt(static_cast<const std::string*>(file)->c_str(), "rm", options);
}

TIFF* openDescriptor(const void* file, TIFFOpenOptions* options) {
    return openTiffDescriptor(*static_cast<const int*>(file), "TIFF", options);
}

void chooseFaxDecoding(TIFF* tiff, TIFF* (*open)(const void*, TIFFOpenOptions*), const void* file,
                       int page) {
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint32_t options = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (compression == COMPRESSION_CCITTFAX3)
        TIFFGetField(tiff, TIFFTAG_GROUP3OPTIONS, &options);
    const bool oneDimensional =
        compression == COMPRESSION_CCITTRLE ||
        (compression == COMPRESSION_CCITTFAX3 && (options & GROUP3OPT_2DENCODING) == 0);
    if (!oneDimensional || decodesCleanly(open, file, page, -1))
        return;
    for (const int mode :
         {FAXMODE_NORTC | FAXMODE_NOEOL, FAXMODE_NORTC | FAXMODE_NOEOL | FAXMODE_BYTEALIGN}) {
        if (decodesCleanly(open, file, page, mode)) {
            TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTRLE);
            TIFFSetField(tiff, TIFFTAG_FAXMODE, mode);
            return;
        }
    }
}

} // namespace

void chooseFaxDecoding(TIFF* tiff, const std::string& path, int page) {
    chooseFaxDecoding(tiff, openPath, &path, page);
}

void chooseFaxDecoding(TIFF* tiff, int fd, int page) {
    chooseFaxDecoding(tiff, openDescriptor, &fd, page);
}

TIFF* openTiffDescriptor(int fd, const std::string& name, TIFFOpenOptions* options) {
    auto* place = new DescriptorPlace{fd};
    // "m": read, not mapped; a file cut short meanwhile would end the process.
    TIFF* tiff =
        options != nullptr
            ? TIFFClientOpenExt(name.c_str(), "rm", place, readPlace, writePlace, seekPlace,
                                closePlace, placeSize, mapNothing, unmapNothing, options)
            : TIFFClientOpen(name.c_str(), "rm", place, readPlace, writePlace, seekPlace,
                             closePlace, placeSize, mapNothing, unmapNothing);
    if (tiff == nullptr)
        delete place; // libtiff closes only what it opened
    return tiff;
}

} // namespace pw::formats
