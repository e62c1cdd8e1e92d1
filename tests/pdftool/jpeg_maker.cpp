#include "jpeg_maker.h"

#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace pw::pdftool::test {
namespace {

void put16(std::string& out, int v) {
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}
void put32(std::string& out, long v) {
    put16(out, static_cast<int>((v >> 16) & 0xFFFF));
    put16(out, static_cast<int>(v & 0xFFFF));
}

// Big-endian EXIF with Orientation and, optionally, X/YResolution in inches.
std::string exifBlock(const JpegSpec& spec) {
    std::string tiff = "MM";
    put16(tiff, 42);
    put32(tiff, 8);
    const int entries = (spec.exifOrientation > 0 ? 1 : 0) + (spec.exifResolution > 0 ? 3 : 0);
    put16(tiff, entries);
    const long rationals = 8 + 2 + entries * 12 + 4;
    if (spec.exifOrientation > 0) {
        put16(tiff, 0x0112), put16(tiff, 3), put32(tiff, 1);
        put16(tiff, spec.exifOrientation), put16(tiff, 0);
    }
    if (spec.exifResolution > 0) {
        put16(tiff, 0x011A), put16(tiff, 5), put32(tiff, 1), put32(tiff, rationals);
        put16(tiff, 0x011B), put16(tiff, 5), put32(tiff, 1), put32(tiff, rationals + 8);
        put16(tiff, 0x0128), put16(tiff, 3), put32(tiff, 1), put16(tiff, 2), put16(tiff, 0);
    }
    put32(tiff, 0); // no next directory
    if (spec.exifResolution > 0) {
        put32(tiff, spec.exifResolution), put32(tiff, 1);
        put32(tiff, spec.exifResolution), put32(tiff, 1);
    }
    if (spec.brokenExif)
        tiff.resize(14); // the directory claims entries that are not there
    return std::string("Exif\0\0", 6) + tiff;
}

} // namespace

std::string fakeIccProfile(std::size_t size, const std::string& space) {
    std::string profile(size, '\0');
    for (std::size_t i = 128; i < size; ++i)
        profile[i] = static_cast<char>(i * 7 % 251);
    profile.replace(0, 4,
                    std::string{static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                                static_cast<char>(size >> 8), static_cast<char>(size)});
    profile.replace(12, 4, "mntr");
    profile.replace(16, 4, space);
    profile.replace(20, 4, "XYZ ");
    profile.replace(36, 4, "acsp");
    return profile;
}

bool writeJpeg(const std::string& path, const JpegSpec& spec) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(spec.width);
    cinfo.image_height = static_cast<JDIMENSION>(spec.height);
    cinfo.input_components = spec.components;
    cinfo.in_color_space = spec.components == 1   ? JCS_GRAYSCALE
                           : spec.components == 4 ? JCS_CMYK
                                                  : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (spec.progressive)
        jpeg_simple_progression(&cinfo);
    cinfo.arith_code = spec.arithmetic ? TRUE : FALSE;
    cinfo.write_JFIF_header = spec.densityUnit >= 0 ? TRUE : FALSE;
    if (spec.densityUnit >= 0) {
        cinfo.density_unit = static_cast<UINT8>(spec.densityUnit);
        cinfo.X_density = static_cast<UINT16>(spec.xDensity);
        cinfo.Y_density = static_cast<UINT16>(spec.yDensity);
    }
    jpeg_start_compress(&cinfo, TRUE);
    if (spec.exifOrientation > 0 || spec.exifResolution > 0 || spec.brokenExif) {
        const std::string exif = exifBlock(spec);
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()),
                          static_cast<unsigned>(exif.size()));
    }
    if (!spec.iccProfile.empty())
        jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET*>(spec.iccProfile.data()),
                               static_cast<unsigned>(spec.iccProfile.size()));
    // Red block over the stored top-left quarter; Adobe CMYK stores inverted ink.
    const int n = spec.components;
    std::vector<JSAMPLE> row(static_cast<std::size_t>(spec.width * n));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < spec.width; ++x) {
            const bool red = spec.red ? spec.red(x, y) : x < spec.width / 4 && y < spec.height / 4;
            JSAMPLE* px = &row[static_cast<std::size_t>(x * n)];
            if (n == 1) {
                px[0] = red ? 0 : 255;
            } else if (n == 3) {
                px[0] = 255, px[1] = red ? 0 : 255, px[2] = red ? 0 : 255;
            } else {
                px[0] = 255, px[1] = red ? 0 : 255, px[2] = red ? 0 : 255, px[3] = 255;
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

} // namespace pw::pdftool::test
