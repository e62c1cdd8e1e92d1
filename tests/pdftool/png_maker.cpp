#include "png_maker.h"

#include <cstdio>
#include <png.h>
#include <random>

namespace pw::pdftool::test {

bool writePng(const std::string& path, const PngSpec& spec) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    static const int kSamples[7] = {1, 0, 3, 1, 2, 0, 4};
    const int samples = kSamples[spec.colourType];
    const std::size_t rowBytes =
        (static_cast<std::size_t>(spec.width) * samples * spec.bitDepth + 7) / 8;
    std::vector<unsigned char> data(rowBytes * static_cast<std::size_t>(spec.height));
    std::mt19937 random(spec.seed);
    for (auto& byte : data)
        byte = static_cast<unsigned char>(random());
    if (!spec.data.empty())
        data.assign(spec.data.begin(), spec.data.end());
    const bool hasAlpha = spec.colourType == 4 || spec.colourType == 6;
    const int sampleBytes = spec.bitDepth / 8;
    if (hasAlpha && spec.binaryAlpha) {
        // The last sample of each pixel is alpha: make it 0 or all ones.
        for (std::size_t i = 0; i + samples * sampleBytes <= data.size();
             i += static_cast<std::size_t>(samples * sampleBytes)) {
            const bool opaque = data[i] % 2 == 0;
            for (int b = 0; b < sampleBytes; ++b)
                data[i + static_cast<std::size_t>((samples - 1) * sampleBytes + b)] =
                    opaque ? 255 : 0;
        }
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(spec.height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = data.data() + y * rowBytes;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(spec.width),
                 static_cast<png_uint_32>(spec.height), spec.bitDepth, spec.colourType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    if (spec.colourType == 3) {
        palette.resize(std::size_t{1} << spec.bitDepth);
        for (auto& entry : palette)
            entry = {static_cast<png_byte>(random()), static_cast<png_byte>(random()),
                     static_cast<png_byte>(random())};
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    }
    if (!spec.transparency.empty()) {
        const auto* trns = reinterpret_cast<png_const_bytep>(spec.transparency.data());
        if (spec.colourType == 3) {
            png_set_tRNS(png, info, trns, static_cast<int>(spec.transparency.size()), nullptr);
        } else {
            png_color_16 key{};
            key.gray = static_cast<png_uint_16>(trns[0] << 8 | trns[1]);
            if (spec.transparency.size() >= 6) {
                key.red = static_cast<png_uint_16>(trns[0] << 8 | trns[1]);
                key.green = static_cast<png_uint_16>(trns[2] << 8 | trns[3]);
                key.blue = static_cast<png_uint_16>(trns[4] << 8 | trns[5]);
            }
            png_set_tRNS(png, info, nullptr, 0, &key);
        }
    }
    if (!spec.iccProfile.empty())
        png_set_iCCP(png, info, "test", 0,
                     reinterpret_cast<png_const_bytep>(spec.iccProfile.data()),
                     static_cast<png_uint_32>(spec.iccProfile.size()));
    if (spec.dotsPerMeter >= 0) {
        const auto dots = static_cast<png_uint_32>(spec.dotsPerMeter > 0 ? spec.dotsPerMeter : 3);
        png_set_pHYs(png, info, dots, dots,
                     spec.dotsPerMeter > 0 ? PNG_RESOLUTION_METER : PNG_RESOLUTION_UNKNOWN);
    }
    if (spec.filters != 0)
        png_set_filter(png, 0, spec.filters);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

std::vector<unsigned char> pngOverWhite(const std::string& path, int& width, int& height) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return {};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<unsigned char> pixels;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return {};
    }
    png_init_io(png, file);
    png_read_info(png, info);
    // 8-bit RGB(A) samples; 16-bit ones keep their high byte, as PDF readers show them.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    width = static_cast<int>(png_get_image_width(png, info));
    height = static_cast<int>(png_get_image_height(png, info));
    const int channels = png_get_channels(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    pixels.resize(rowBytes * static_cast<std::size_t>(height));
    rows.resize(static_cast<std::size_t>(height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = pixels.data() + y * rowBytes;
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    std::vector<unsigned char> rgb;
    rgb.reserve(static_cast<std::size_t>(width * height * 3));
    for (std::size_t i = 0; i < pixels.size(); i += static_cast<std::size_t>(channels)) {
        const int alpha = channels == 4 ? pixels[i + 3] : 255;
        for (std::size_t k = 0; k < 3; ++k)
            rgb.push_back(static_cast<unsigned char>(
                (pixels[i + k] * alpha + 255 * (255 - alpha) + 127) / 255));
    }
    return rgb;
}

} // namespace pw::pdftool::test
