#include "pictures/picture_size_check.h"

#include "formats/pixel_limit.h"
#include "formats/png_bytes.h"
#include "formats/tiff_page.h"
#include "pictures/bitmap.h"
#include "pictures/picture_kinds.h"
#include "pictures/stoppable_io.h"

#include <FreeImage.h>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <tiffio.h>
#include <webp/decode.h>
#include <webp/demux.h>

namespace pw::pictures {
namespace {

using formats::bigEndian32;

// A Zstandard block gives back at most 128 KB and takes at least 4 bytes (a run block: its
// 3-byte header and the byte repeated). A white 16384 x 16384 gray strip takes 8209 bytes.
constexpr std::uint64_t kMaxZstdRatio = (128 << 10) / 4;
// HEVC codes a block of at most 64 x 64 pixels with at least one bit: its intra mode's bypass
// bin. A white 4096 x 4096 HEIC takes 10 KB, 20 times this bound.
constexpr std::uint64_t kMaxHevcPixelsPerByte = 8 * 64 * 64;

// A PNG whose image data could not inflate to its pixels even at deflate's best ratio: a few
// bytes claiming a large picture, for which FreeImage would clear a whole bitmap before
// failing. Counts the IDAT chunks' lengths from their headers.
std::string pngDataTooShort(const platform::OpenedFile& file) {
    platform::OpenedFileStream in(file);
    std::array<unsigned char, 8 + 8 + 13> head{};
    if (!in.read(reinterpret_cast<char*>(head.data()), head.size()) ||
        std::memcmp(head.data() + 12, "IHDR", 4) != 0)
        return std::string();
    const std::uint32_t width = formats::bigEndian32(head.data() + 16);
    const std::uint32_t height = formats::bigEndian32(head.data() + 20);
    const unsigned depth = head[24];
    const int samples = formats::pngSamples(head[25]);
    if (samples == 0)
        return std::string();
    const std::uint64_t pixelBytes =
        static_cast<std::uint64_t>(width) * height * depth * static_cast<unsigned>(samples) / 8;
    std::uint64_t data = 0;
    in.seekg(8 + 8 + 13 + 4); // past the IHDR chunk and its CRC
    std::array<unsigned char, 8> chunk{};
    while (in.read(reinterpret_cast<char*>(chunk.data()), chunk.size())) {
        const std::uint32_t length = formats::bigEndian32(chunk.data());
        if (std::memcmp(chunk.data() + 4, "IDAT", 4) == 0)
            data += length;
        if (std::memcmp(chunk.data() + 4, "IEND", 4) == 0)
            break;
        in.seekg(static_cast<std::streamoff>(length) + 4, std::ios::cur);
    }
    if (formats::canInflateTo(data, pixelBytes))
        return std::string();
    return formats::tooLittleDataReason(width, height);
}

// The most pixel bytes one stored byte can give back in a TIFF, per compression; 0 when not
// bounded by a ratio.
std::uint64_t tiffMaxRatio(std::uint16_t compression) {
    switch (compression) {
    case COMPRESSION_NONE:
        return 1;
    case COMPRESSION_PACKBITS:
        return 64; // a run of 128 bytes in 2
    case COMPRESSION_LZW:
        return formats::kMaxRunRatio;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
        return formats::kMaxDeflateRatio;
    case COMPRESSION_ZSTD:
        return kMaxZstdRatio;
    default:
        return 0;
    }
}

// The fax codecs code a row in one bit at best (a row like the one above it, in two-dimensional
// coding), whatever its width: a white 10000 x 10000 page takes 1253 bytes in Group 4.
bool faxCompression(std::uint16_t compression) {
    return compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTRLEW ||
           compression == COMPRESSION_CCITTFAX3 || compression == COMPRESSION_CCITTFAX4;
}

// JPEG has no best ratio (arithmetic coding; libjpeg also makes up the rest of data cut
// short): it is held to the general rule, whatever colour space it decodes to.
bool jpegCompression(std::uint16_t compression) {
    return compression == COMPRESSION_JPEG || compression == COMPRESSION_OJPEG;
}

std::string tiffFirstPageTooShort(const platform::OpenedFile& file) {
    TIFF* tiff = formats::openTiffDescriptor(file.descriptor(), file.narrowPath());
    if (tiff == nullptr)
        return std::string();
    const std::string reason = tiffDataTooShort(tiff, file.size());
    TIFFClose(tiff);
    return reason;
}

} // namespace

std::string tiffDataTooShort(TIFF* tiff, std::uint64_t fileBytes) {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 1;
    std::uint16_t samples = 1;
    std::uint16_t compression = COMPRESSION_NONE;
    if (TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) != 1)
        return std::string();
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    std::uint16_t photometric = PHOTOMETRIC_RGB;
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    const std::uint64_t ratio = tiffMaxRatio(compression);
    const bool fax = faxCompression(compression);
    const bool jpeg = jpegCompression(compression);
    // YCbCr may store its colour subsampled; JPEG does so itself.
    if ((ratio == 0 && !fax && !jpeg) || (photometric == PHOTOMETRIC_YCBCR && !jpeg))
        return std::string();
    // Within the pixel limit (under 2^30 pixels) of up to 2^16 samples of 2^16 bits, the
    // product stays under 2^62.
    if (!formats::withinPixelLimit(width, height))
        return std::string();
    const std::uint64_t needed = static_cast<std::uint64_t>(width) * height * samples * bits / 8;
    // Counted as far as the file holds them: libtiff makes up the byte count of a single
    // uncompressed strip from the image size when the stored one is too small, and strips
    // may claim the same bytes twice.
    std::uint64_t stored = 0;
    const std::uint32_t pieces =
        TIFFIsTiled(tiff) ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
    for (std::uint32_t i = 0; i < pieces && stored < fileBytes; ++i) {
        const std::uint64_t offset = TIFFGetStrileOffset(tiff, i);
        if (offset < fileBytes)
            stored += std::min<std::uint64_t>(TIFFGetStrileByteCount(tiff, i), fileBytes - offset);
    }
    stored = std::min(stored, fileBytes);
    if (fax)
        return stored * 8 >= height ? std::string() : formats::tooLittleDataReason(width, height);
    if (jpeg)
        return formats::generalDataTooShort(width, height, needed, stored);
    return stored * ratio >= needed ? std::string() : formats::tooLittleDataReason(width, height);
}

std::string webpDataTooShort(const std::uint8_t* data, std::size_t size) {
    const WebPData file{data, size};
    WebPDemuxer* demuxer = WebPDemux(&file);
    if (demuxer == nullptr)
        return std::string();
    const std::uint32_t width = WebPDemuxGetI(demuxer, WEBP_FF_CANVAS_WIDTH);
    const std::uint32_t height = WebPDemuxGetI(demuxer, WEBP_FF_CANVAS_HEIGHT);
    std::uint64_t coded = std::uint64_t{width} * height; // pixels held to the rule
    WebPIterator frame;
    if (WebPDemuxGetFrame(demuxer, 1, &frame)) {
        WebPBitstreamFeatures features;
        if (WebPGetFeatures(frame.fragment.bytes, frame.fragment.size, &features) ==
                VP8_STATUS_OK &&
            features.format == 2 && frame.width > 0 && frame.height > 0)
            coded -= std::min(coded, std::uint64_t{static_cast<std::uint32_t>(frame.width)} *
                                         static_cast<std::uint32_t>(frame.height));
        WebPDemuxReleaseIterator(&frame);
    }
    WebPDemuxDelete(demuxer);
    return formats::generalDataTooShort(width, height, coded * 4, size);
}

std::string hevcDataTooShort(std::uint32_t width, std::uint32_t height, std::uint64_t dataBytes) {
    if (static_cast<std::uint64_t>(width) * height > dataBytes * kMaxHevcPixelsPerByte)
        return formats::tooLittleDataReason(width, height);
    return std::string();
}

namespace {

struct GifSizes {
    std::uint32_t screenWidth = 0; // the logical screen, the page
    std::uint32_t screenHeight = 0;
    std::uint32_t width = 0; // the first frame, which FreeImage decodes whole
    std::uint32_t height = 0;
    std::uint64_t data = 0; // bytes of the first frame's LZW data
};

// The sizes from a GIF's blocks; false when the file is not a GIF whose first frame can be
// found.
bool gifFirstFrame(const platform::OpenedFile& file, GifSizes& sizes) {
    platform::OpenedFileStream in(file);
    std::array<unsigned char, 13> head{};
    if (!in.read(reinterpret_cast<char*>(head.data()), head.size()) ||
        !fileShows(file, kindReadBy(Decoder::FreeImage, FIF_GIF)))
        return false;
    const auto littleEndian16 = [](const unsigned char* at) {
        return static_cast<std::uint32_t>(at[0] | at[1] << 8);
    };
    sizes.screenWidth = littleEndian16(head.data() + 6);
    sizes.screenHeight = littleEndian16(head.data() + 8);
    const auto skipColourTable = [&in](unsigned flags) {
        if (flags & 0x80)
            in.seekg(3 << ((flags & 7) + 1), std::ios::cur);
    };
    // Sub-blocks of up to 255 bytes, ended by an empty one; their bytes are added to `total`.
    const auto skipSubBlocks = [&in](std::uint64_t& total) {
        for (int size = in.get(); size > 0; size = in.get()) {
            total += static_cast<std::uint64_t>(size);
            in.seekg(size, std::ios::cur);
        }
        return static_cast<bool>(in);
    };
    skipColourTable(head[10]);
    for (int block = in.get(); in && block != 0x3B; block = in.get()) {
        std::uint64_t ignored = 0;
        if (block == 0x21) { // an extension: its label, then sub-blocks
            in.get();
            if (!skipSubBlocks(ignored))
                return false;
        } else if (block == 0x2C) {
            std::array<unsigned char, 9> descriptor{};
            if (!in.read(reinterpret_cast<char*>(descriptor.data()), descriptor.size()))
                return false;
            sizes.width = littleEndian16(descriptor.data() + 4);
            sizes.height = littleEndian16(descriptor.data() + 6);
            skipColourTable(descriptor[8]);
            in.get(); // the LZW minimum code size
            sizes.data = 0;
            skipSubBlocks(sizes.data); // a file cut short keeps what it holds
            return true;
        } else {
            return false;
        }
    }
    return false;
}

} // namespace

std::uint64_t fileBytes(const std::string& narrowPath) {
    struct stat info {};
    return ::stat(narrowPath.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

std::string headerTooLarge(int format, const std::string& narrowPath) {
    return headerTooLarge(format, platform::OpenedFile(narrowPath));
}

std::string headerTooLarge(int format, const platform::OpenedFile& file) {
    const auto fif = static_cast<FREE_IMAGE_FORMAT>(format);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint64_t bits = 0;   // of a pixel as FreeImage keeps it
    std::uint64_t stored = 0; // bytes holding the pixels
    if (fif == FIF_GIF) {
        // FreeImage cannot read a GIF's header alone; its first frame is what it decodes, then
        // placed on the logical screen.
        // The screen is judged as soon as it is read: a file may end after it.
        GifSizes gif;
        const bool framed = gifFirstFrame(file, gif);
        if (!formats::withinPixelLimit(gif.screenWidth, gif.screenHeight))
            return formats::pixelLimitReason(gif.screenWidth, gif.screenHeight);
        if (!framed)
            return std::string(); // the full load reports the failure
        width = gif.width;
        height = gif.height;
        stored = gif.data;
        bits = 8;
    } else if (fif != FIF_UNKNOWN && FreeImage_FIFSupportsNoPixels(fif)) {
        const Bitmap header(loadStoppable(fif, file, FIF_LOAD_NOPIXELS, {}));
        if (!header)
            return std::string(); // the full load reports the failure
        width = FreeImage_GetWidth(header.get());
        height = FreeImage_GetHeight(header.get());
        bits = FreeImage_GetBPP(header.get());
        stored = file.size();
    } else {
        return std::string();
    }
    if (width == 0 || height == 0)
        return std::string();
    if (!formats::withinPixelLimit(width, height))
        return formats::pixelLimitReason(width, height);
    if (fif == FIF_PNG)
        return pngDataTooShort(file);
    if (fif == FIF_TIFF)
        return tiffFirstPageTooShort(file);
    // Other formats: their codecs (PCX runs, PackBits in PSD and IFF, GIF's LZW, BMP runs)
    // give back at most a few thousand bytes for one, so a large picture in a few bytes is a
    // decompression bomb. The escapes of run-length BMPs may skip any number of pixels, but
    // their writers code every row. JPEGs (arithmetic coding) are never questioned.
    if (fif == FIF_JPEG)
        return std::string();
    return formats::generalDataTooShort(
        width, height, static_cast<std::uint64_t>(width) * height * bits / 8, stored);
}

std::string bitmapTooLarge(FIBITMAP* bitmap) {
    if (bitmap == nullptr)
        return std::string();
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    if (width == 0 || height == 0 || formats::withinPixelLimit(width, height))
        return std::string();
    return formats::pixelLimitReason(width, height);
}

} // namespace pw::pictures
