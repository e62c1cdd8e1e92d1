#include "test_pictures.h"

#include "pictures/bitmap.h"

#include <FreeImage.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <tiffio.h>
#include <vector>
#include <zlib.h>

namespace pw::test {
namespace {

void put16le(std::string& out, int value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put16be(std::string& out, int value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

void put32be(std::string& out, long value) {
    put16be(out, static_cast<int>((value >> 16) & 0xFFFF));
    put16be(out, static_cast<int>(value & 0xFFFF));
}

} // namespace

bool writePicture(const std::string& path, int format, int width, int height, int bpp) {
    const pw::pictures::Bitmap owned(FreeImage_Allocate(width, height, bpp == 32 ? 32 : 24));
    FIBITMAP* bitmap = owned.get();
    if (bitmap == nullptr)
        return false;
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < width; ++x) {
            BYTE* pixel = line + x * (bpp == 32 ? 4 : 3);
            pixel[FI_RGBA_RED] = static_cast<BYTE>(x * 255 / width);
            pixel[FI_RGBA_GREEN] = static_cast<BYTE>(y * 255 / height);
            pixel[FI_RGBA_BLUE] = 128;
            if (bpp == 32)
                pixel[FI_RGBA_ALPHA] = static_cast<BYTE>(x % 2 == 0 ? 0 : 200);
        }
    }
    const pw::pictures::Bitmap quantized(
        format == FIF_GIF ? FreeImage_ColorQuantize(bitmap, FIQ_WUQUANT) : nullptr);
    FIBITMAP* toSave = format == FIF_GIF ? quantized.get() : bitmap;
    return toSave != nullptr &&
           FreeImage_Save(static_cast<FREE_IMAGE_FORMAT>(format), toSave, path.c_str(), 0) == TRUE;
}

bool writePcx(const std::string& path, int width, int height) {
    // 8 bits per pixel, 3 planes, every byte written as a run of one.
    std::string out;
    out += '\x0A'; // manufacturer
    out += '\x05'; // version
    out += '\x01'; // RLE
    out += '\x08'; // bits per plane
    put16le(out, 0);
    put16le(out, 0);
    put16le(out, width - 1);
    put16le(out, height - 1);
    put16le(out, 72);
    put16le(out, 72);
    out.append(48, '\0'); // 16-colour palette
    out += '\0';          // reserved
    out += '\x03';        // planes
    const int bytesPerLine = (width + 1) / 2 * 2;
    put16le(out, bytesPerLine);
    put16le(out, 1);
    out.append(128 - out.size(), '\0');
    for (int y = 0; y < height; ++y) {
        for (int plane = 0; plane < 3; ++plane) {
            for (int x = 0; x < bytesPerLine; ++x) {
                const int value = plane == 0 ? x * 15 : plane == 1 ? y * 30 : 128;
                out += '\xC1';
                out += static_cast<char>(value & 0xFF);
            }
        }
    }
    return writeBytes(path, out);
}

bool writeIlbm(const std::string& path, int width, int height) {
    // One bit plane with a two-colour map, uncompressed, a checker pattern.
    const int rowBytes = (width + 15) / 16 * 2;
    std::string bmhd;
    put16be(bmhd, width);
    put16be(bmhd, height);
    put16be(bmhd, 0);
    put16be(bmhd, 0);
    bmhd += '\x01'; // planes
    bmhd += '\0';   // masking
    bmhd += '\0';   // compression
    bmhd += '\0';
    put16be(bmhd, 0);
    bmhd += '\x01';
    bmhd += '\x01';
    put16be(bmhd, width);
    put16be(bmhd, height);
    const std::string cmap("\x00\x00\x00\xFF\xFF\xFF", 6);
    std::string body;
    for (int y = 0; y < height; ++y)
        body.append(static_cast<std::size_t>(rowBytes), y % 2 == 0 ? '\xAA' : '\x55');
    std::string form = "ILBM";
    form += "BMHD";
    put32be(form, static_cast<long>(bmhd.size()));
    form += bmhd;
    form += "CMAP";
    put32be(form, static_cast<long>(cmap.size()));
    form += cmap;
    form += "BODY";
    put32be(form, static_cast<long>(body.size()));
    form += body;
    std::string out = "FORM";
    put32be(out, static_cast<long>(form.size()));
    out += form;
    return writeBytes(path, out);
}

std::string withScanRepeated(const std::string& jpeg) {
    const auto scan = jpeg.find("\xFF\xDA");
    if (scan == std::string::npos || jpeg.size() < 2)
        return std::string();
    const std::string body = jpeg.substr(0, jpeg.size() - 2);
    return body + body.substr(scan) + "\xFF\xD9";
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return std::string();
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

bool writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace pw::test

namespace pw::test {
namespace {

void bigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void littleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void pngChunk(std::string& out, const std::string& type, const std::string& data) {
    bigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::string body = type + data;
    out += body;
    bigEndian(out, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                    static_cast<uInt>(body.size()))));
}

} // namespace

bool writeClaimedPng(const std::string& path, unsigned width, unsigned height) {
    std::string header;
    bigEndian(header, width);
    bigEndian(header, height);
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB, no interlace
    const std::string rows(4096, '\0');
    uLongf packedSize = compressBound(rows.size());
    std::string packed(packedSize, '\0');
    if (compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                 reinterpret_cast<const Bytef*>(rows.data()), rows.size()) != Z_OK)
        return false;
    packed.resize(packedSize);
    std::string png = "\x89PNG\r\n\x1A\n";
    pngChunk(png, "IHDR", header);
    pngChunk(png, "IDAT", packed);
    pngChunk(png, "IEND", "");
    return writeBytes(path, png);
}

bool writeClaimedTiff(const std::string& path, unsigned width, unsigned height,
                      unsigned compression, unsigned samples, unsigned bits) {
    struct Entry {
        std::uint32_t tag, type, value;
    };
    const unsigned photometric = samples == 3 ? (compression == COMPRESSION_JPEG ? 6 : 2)
                                 : bits == 1  ? 0
                                              : 1;
    // Types: 3 SHORT, 4 LONG. The strip of 64 bytes follows the directory.
    const Entry entries[] = {{256, 4, width},       {257, 4, height},      {258, 3, bits},
                             {259, 3, compression}, {262, 3, photometric}, {273, 4, 0},
                             {277, 3, samples},     {278, 4, height},      {279, 4, 64}};
    const std::uint32_t count = sizeof entries / sizeof entries[0];
    const std::uint32_t stripOffset = 8 + 2 + count * 12 + 4;
    std::string tiff = "II*";
    tiff += '\0';
    littleEndian(tiff, 8, 4);
    littleEndian(tiff, count, 2);
    for (const Entry& entry : entries) {
        littleEndian(tiff, entry.tag, 2);
        littleEndian(tiff, entry.type, 2);
        littleEndian(tiff, 1, 4);
        littleEndian(tiff, entry.tag == 273 ? stripOffset : entry.value, 4);
    }
    littleEndian(tiff, 0, 4);
    tiff += std::string(64, '\x40');
    return writeBytes(path, tiff);
}

namespace {

// A BMP's headers and gray palette (for 8 bits or fewer), with `pixels` after them.
std::string bmpFile(unsigned width, unsigned height, unsigned bits, unsigned compression,
                    const std::string& pixels) {
    const std::uint32_t colours = bits <= 8 ? 1u << bits : 0u;
    const std::uint32_t offset = 14 + 40 + 4 * colours;
    std::string bmp = "BM";
    for (const std::uint32_t value :
         {offset + static_cast<std::uint32_t>(pixels.size()), 0u, offset, 40u, width, height})
        littleEndian(bmp, value, 4);
    littleEndian(bmp, 1, 2); // planes
    littleEndian(bmp, bits, 2);
    littleEndian(bmp, compression, 4);
    littleEndian(bmp, static_cast<std::uint32_t>(pixels.size()), 4);
    for (const std::uint32_t value : {2835u, 2835u, colours, 0u}) // resolution, colours
        littleEndian(bmp, value, 4);
    for (std::uint32_t i = 0; i < colours; ++i)
        littleEndian(bmp, i * 255 / (colours - 1) * 0x010101u, 4);
    return bmp + pixels;
}

} // namespace

bool writeClaimedBmp(const std::string& path, unsigned width, unsigned height, unsigned bits,
                     unsigned compression) {
    // Run-length pixels: only the end of the bitmap.
    return writeBytes(path, bmpFile(width, height, bits, compression,
                                    compression != 0 ? std::string("\0\x01", 2) : ""));
}

bool writeUniformRleBmp(const std::string& path, unsigned width, unsigned height, unsigned bits) {
    std::string row;
    for (unsigned left = width; left > 0; left -= std::min(left, 255u)) {
        row += static_cast<char>(std::min(left, 255u));
        row += '\xFF'; // the last colour (both of RLE4's)
    }
    row += std::string("\0\0", 2); // end of the row
    std::string pixels;
    pixels.reserve(row.size() * height + 2);
    for (unsigned y = 0; y < height; ++y)
        pixels += row;
    pixels += std::string("\0\x01", 2); // end of the bitmap
    return writeBytes(path, bmpFile(width, height, bits, bits == 8 ? 1 : 2, pixels));
}

bool writeWhiteTiff(const std::string& path, unsigned width, unsigned height, unsigned compression,
                    unsigned samples, unsigned bits, unsigned rowsPerStrip) {
    const auto describe = [&](TIFF* tiff, unsigned rows) {
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, rows);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                     samples == 3 ? PHOTOMETRIC_RGB
                     : bits == 1  ? PHOTOMETRIC_MINISWHITE
                                  : PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    };
    // One strip coded by libtiff, its bytes (and a JPEG's tables) kept.
    const std::string scratch = path + ".strip";
    TIFF* tiff = TIFFOpen(scratch.c_str(), "w");
    if (tiff == nullptr)
        return false;
    describe(tiff, rowsPerStrip);
    if (compression == COMPRESSION_ZSTD)
        TIFFSetField(tiff, TIFFTAG_ZSTD_LEVEL, 19);
    std::vector<unsigned char> row(static_cast<std::size_t>(TIFFScanlineSize(tiff)),
                                   bits == 1 ? 0x00 : 0xFF);
    bool ok = true;
    for (unsigned y = 0; y < rowsPerStrip && ok; ++y)
        ok = TIFFWriteScanline(tiff, row.data(), y, 0) == 1;
    TIFFClose(tiff);
    std::string strip;
    std::string tables;
    tiff = ok ? TIFFOpen(scratch.c_str(), "r") : nullptr;
    if (tiff != nullptr) {
        strip.resize(static_cast<std::size_t>(TIFFGetStrileByteCount(tiff, 0)));
        ok = TIFFReadRawStrip(tiff, 0, strip.data(), static_cast<tmsize_t>(strip.size())) ==
             static_cast<tmsize_t>(strip.size());
        std::uint32_t count = 0;
        void* data = nullptr;
        if (TIFFGetField(tiff, TIFFTAG_JPEGTABLES, &count, &data) == 1)
            tables.assign(static_cast<const char*>(data), count);
        TIFFClose(tiff);
    }
    std::remove(scratch.c_str());
    tiff = ok && !strip.empty() ? TIFFOpen(path.c_str(), "w") : nullptr;
    if (tiff == nullptr)
        return false;
    describe(tiff, height);
    if (!tables.empty())
        TIFFSetField(tiff, TIFFTAG_JPEGTABLES, static_cast<std::uint32_t>(tables.size()),
                     tables.data());
    const std::uint32_t strips = (height + rowsPerStrip - 1) / rowsPerStrip;
    for (std::uint32_t i = 0; i < strips && ok; ++i)
        ok = TIFFWriteRawStrip(tiff, i, strip.data(), static_cast<tmsize_t>(strip.size())) ==
             static_cast<tmsize_t>(strip.size());
    TIFFClose(tiff);
    return ok;
}

bool writeClaimedGif(const std::string& path, unsigned width, unsigned height) {
    std::string gif = "GIF89a";
    littleEndian(gif, width, 2);
    littleEndian(gif, height, 2);
    gif += std::string("\x80\0\0\0\0\0\xFF\xFF\xFF,", 10); // two colours, then the frame
    for (const unsigned value : {0u, 0u, width, height})
        littleEndian(gif, value, 2);
    gif += std::string("\0\x02\x02\x44\x01\0;", 7); // one tiny LZW sub-block, the end
    return writeBytes(path, gif);
}

bool writeGif(const std::string& path, const GifFrame& frame) {
    std::string gif = "GIF89a";
    littleEndian(gif, frame.screenWidth, 2);
    littleEndian(gif, frame.screenHeight, 2);
    gif += std::string("\xF7\0\0", 3); // a table of 256 colours follows
    std::string table = frame.colours.substr(0, 3 * 256);
    table.resize(3 * 256, '\0');
    gif += table;
    if (frame.transparent >= 0) { // graphic control extension
        gif += std::string("\x21\xF9\x04\x01\0\0", 6);
        gif += static_cast<char>(frame.transparent);
        gif += '\0';
    }
    gif += ',';
    for (const unsigned value : {frame.left, frame.top, frame.width, frame.height})
        littleEndian(gif, value, 2);
    gif += '\0';
    // Each index a 9-bit code of its own, a clear code before the table would grow to 10 bits.
    gif += '\x08';
    std::string data;
    std::uint32_t bits = 0;
    int count = 0;
    const auto code = [&](unsigned value) {
        bits |= value << count;
        for (count += 9; count >= 8; count -= 8, bits >>= 8)
            data += static_cast<char>(bits & 0xFF);
    };
    for (std::size_t i = 0; i < frame.indices.size(); ++i) {
        if (i % 250 == 0)
            code(256);
        code(static_cast<unsigned char>(frame.indices[i]));
    }
    code(257);
    if (count > 0)
        data += static_cast<char>(bits & 0xFF);
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::string block = data.substr(at, 255);
        gif += static_cast<char>(block.size());
        gif += block;
    }
    gif += std::string("\0;", 2);
    return writeBytes(path, gif);
}

namespace {

bool writeTiffPage(TIFF* tiff, const TiffPage& page) {
    const std::size_t rowBytes = (std::size_t{page.width} * page.samples * page.bits + 7) / 8;
    if (page.data.size() != rowBytes * page.height)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, page.photometric);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, page.bits);
    if (page.samples != 1)
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, page.samples);
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, page.sampleFormat);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, page.compression);
    if (page.photometric == PHOTOMETRIC_LOGLUV)
        TIFFSetField(tiff, TIFFTAG_SGILOGDATAFMT, SGILOGDATAFMT_FLOAT);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, page.orientation);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG,
                 page.planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    if (page.extraSample >= 0) {
        const auto extra = static_cast<std::uint16_t>(page.extraSample);
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (page.xResolution > 0) {
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, page.xResolution);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, page.yResolution);
        if (page.resolutionUnit != 0)
            TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, page.resolutionUnit);
    }
    if (!page.colourMap.empty()) {
        const std::size_t entries = page.colourMap.size() / 3;
        auto* map = const_cast<std::uint16_t*>(page.colourMap.data());
        TIFFSetField(tiff, TIFFTAG_COLORMAP, map, map + entries, map + 2 * entries);
    }
    const int planes = page.planar ? page.samples : 1;
    const std::size_t sampleBytes = static_cast<std::size_t>(page.bits / 8);
    const std::size_t perPlane = page.planar ? 1 : page.samples;
    // The plane's row `y` from `x`, `count` pixels long.
    const auto planeRowAt = [&](int plane, std::uint32_t y, std::uint32_t x, std::uint32_t count) {
        if (!page.planar)
            return page.data.substr(y * rowBytes + x * perPlane * sampleBytes,
                                    count * perPlane * sampleBytes);
        std::string out;
        for (std::uint32_t i = x; i < x + count; ++i)
            out += page.data.substr(
                y * rowBytes + (i * page.samples + static_cast<unsigned>(plane)) * sampleBytes,
                sampleBytes);
        return out;
    };
    if (page.tile == 0) {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 4);
        for (int plane = 0; plane < planes; ++plane) {
            for (std::uint32_t y = 0; y < page.height; ++y) {
                std::string row = page.planar ? planeRowAt(plane, y, 0, page.width)
                                              : page.data.substr(y * rowBytes, rowBytes);
                if (TIFFWriteScanline(tiff, row.data(), y, static_cast<std::uint16_t>(plane)) != 1)
                    return false;
            }
        }
    } else {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, page.tile);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, page.tile);
        std::string buffer(page.tile * page.tile * perPlane * sampleBytes, '\0');
        for (int plane = 0; plane < planes; ++plane) {
            for (std::uint32_t ty = 0; ty < page.height; ty += page.tile) {
                for (std::uint32_t tx = 0; tx < page.width; tx += page.tile) {
                    std::fill(buffer.begin(), buffer.end(), '\0');
                    const std::uint32_t across = std::min(page.tile, page.width - tx);
                    for (std::uint32_t y = ty; y < std::min(ty + page.tile, page.height); ++y) {
                        const std::string part = planeRowAt(plane, y, tx, across);
                        std::memcpy(buffer.data() + (y - ty) * page.tile * perPlane * sampleBytes,
                                    part.data(), part.size());
                    }
                    if (TIFFWriteTile(tiff, buffer.data(), tx, ty, 0,
                                      static_cast<std::uint16_t>(plane)) < 0)
                        return false;
                }
            }
        }
    }
    return TIFFWriteDirectory(tiff) == 1;
}

} // namespace

bool writeTiff(const std::string& path, const std::vector<TiffPage>& pages) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr)
        return false;
    bool written = true;
    for (const TiffPage& page : pages)
        written = written && writeTiffPage(tiff, page);
    TIFFClose(tiff);
    return written;
}

std::string packSamples(const std::vector<unsigned>& samples, int bits, std::size_t perRow) {
    std::string out;
    unsigned long pending = 0;
    int pendingBits = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        pending = pending << bits | (samples[i] & ((1U << bits) - 1));
        pendingBits += bits;
        while (pendingBits >= 8) {
            pendingBits -= 8;
            out += static_cast<char>(pending >> pendingBits & 0xFF);
        }
        if ((i + 1) % perRow == 0 && pendingBits > 0) {
            out += static_cast<char>(pending << (8 - pendingBits) & 0xFF);
            pendingBits = 0;
        }
    }
    return out;
}

} // namespace pw::test
