// The strict Group 4 check on the input's bytes: two bytes of width (1 to 1024), one of height
// (1 to 64), then the data. Data it takes must decode in libtiff, without a complaint, to the
// rows it gave; and whatever rows libtiff's encoder writes must pass it and come back alike, as
// the staged pages the builder checks are written by that encoder.
#include "formats/g4_stream.h"
#include "memory_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tiffio.h>
#include <vector>

namespace {

int heard(TIFF*, void* data, const char*, const char*, va_list) {
    ++*static_cast<int*>(data);
    return 1;
}

// A one-strip Group 4 page in `file`: its raw data, or `rows` coded by libtiff.
bool writePage(const pw::fuzz::MemoryFile& file, std::uint32_t width, std::uint32_t height,
               const std::uint8_t* raw, std::size_t size, const std::vector<std::uint8_t>* rows) {
    TIFF* tiff = TIFFOpen(file.path().c_str(), "w");
    if (tiff == nullptr)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
    bool written = true;
    const std::size_t rowBytes = (std::size_t{width} + 7) / 8;
    if (rows != nullptr) {
        for (std::uint32_t y = 0; written && y < height; ++y)
            written = TIFFWriteScanline(
                          tiff, const_cast<std::uint8_t*>(rows->data()) + y * rowBytes, y, 0) == 1;
    } else {
        written = TIFFWriteRawStrip(tiff, 0, const_cast<std::uint8_t*>(raw),
                                    static_cast<tmsize_t>(size)) == static_cast<tmsize_t>(size);
    }
    TIFFClose(tiff);
    return written;
}

// The page's rows as libtiff decodes them; empty when it complains.
std::vector<std::uint8_t> libtiffRows(const pw::fuzz::MemoryFile& file, std::uint32_t width,
                                      std::uint32_t height, std::vector<std::uint8_t>* raw) {
    int complaints = 0;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, heard, &complaints);
    TIFFOpenOptionsSetWarningHandlerExtR(options, heard, &complaints);
    TIFF* tiff = TIFFOpenExt(file.path().c_str(), "r", options);
    TIFFOpenOptionsFree(options);
    std::vector<std::uint8_t> rows((std::size_t{width} + 7) / 8 * height);
    if (tiff == nullptr)
        return {};
    const auto size = static_cast<tmsize_t>(rows.size());
    if (TIFFReadEncodedStrip(tiff, 0, rows.data(), size) != size)
        rows.clear();
    if (raw != nullptr) {
        raw->resize(static_cast<std::size_t>(TIFFGetStrileByteCount(tiff, 0)));
        TIFFReadRawStrip(tiff, 0, raw->data(), static_cast<tmsize_t>(raw->size()));
    }
    TIFFClose(tiff);
    return complaints == 0 ? rows : std::vector<std::uint8_t>();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const std::uint32_t width = 1 + ((std::uint32_t{data[0]} << 8 | data[1]) & 1023);
    const std::uint32_t height = 1 + (data[2] & 63);
    const std::uint8_t* stream = data + 3;
    const std::size_t bytes = size - 3;
    std::vector<std::uint8_t> strict;
    const std::string reason = pw::formats::checkG4Stream(stream, bytes, width, height, &strict);

    const pw::fuzz::MemoryFile file(nullptr, 0);
    if (!file.ok() || !writePage(file, width, height, stream, bytes, nullptr))
        return 0;
    const std::vector<std::uint8_t> decoded = libtiffRows(file, width, height, nullptr);
    if (reason.empty() && decoded != strict) {
        std::fprintf(stderr, "data taken by the check decodes otherwise in libtiff\n");
        std::abort();
    }
    // libtiff's rows coded anew by libtiff must pass.
    const std::vector<std::uint8_t>& rows = reason.empty() ? strict : decoded;
    if (rows.empty())
        return 0;
    const pw::fuzz::MemoryFile again(nullptr, 0);
    std::vector<std::uint8_t> coded;
    if (!again.ok() || !writePage(again, width, height, nullptr, 0, &rows) ||
        libtiffRows(again, width, height, &coded) != rows)
        return 0;
    std::vector<std::uint8_t> back;
    const std::string refusal =
        pw::formats::checkG4Stream(coded.data(), coded.size(), width, height, &back);
    if (!refusal.empty() || back != rows) {
        std::fprintf(stderr, "libtiff's own Group 4 is refused: %s\n", refusal.c_str());
        std::abort();
    }
    return 0;
}
