#include "outside/pdftool/png_planes.h"

#include "formats/png_bytes.h"

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <png.h>
#include <vector>

namespace pw::pdftool {
namespace {

constexpr png_alloc_size_t kMaxChunkMemory = 64u << 20;

struct ErrorState {
    char message[200];
};

[[noreturn]] void onError(png_structp png, png_const_charp message) {
    auto* state = static_cast<ErrorState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Decoded rows, one buffer for the whole picture.
struct Pixels {
    std::size_t rowBytes = 0;
    std::vector<unsigned char> data;
    std::vector<png_bytep> rows;
};

// Only plain values live across setjmp in these two functions; the buffers belong to callers.
bool readHeader(png_structp png, png_infop info, std::FILE* file, bool interlaced,
                std::size_t* rowBytes) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_chunk_malloc_max(png, kMaxChunkMemory);
    png_read_info(png, info);
    if (interlaced)
        png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool readRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    return true;
}

bool decode(const std::string& path, const formats::PngInfo& expected, Pixels& pixels,
            std::string& error) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot be opened";
        return false;
    }
    ErrorState state{};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onError, onWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        error = "out of memory";
        return false;
    }
    bool ok = readHeader(png, info, file.get(), expected.interlaced, &pixels.rowBytes) &&
              png_get_image_width(png, info) == static_cast<png_uint_32>(expected.width) &&
              png_get_image_height(png, info) == static_cast<png_uint_32>(expected.height) &&
              png_get_bit_depth(png, info) == expected.bitDepth &&
              png_get_color_type(png, info) == expected.colourType;
    if (ok) {
        pixels.data.resize(pixels.rowBytes * static_cast<std::size_t>(expected.height));
        pixels.rows.resize(static_cast<std::size_t>(expected.height));
        for (std::size_t y = 0; y < pixels.rows.size(); ++y)
            pixels.rows[y] = pixels.data.data() + y * pixels.rowBytes;
        ok = readRows(png, pixels.rows.data());
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok)
        error = state.message[0] != 0 ? state.message : "changed since it was checked";
    return ok;
}

void append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}

void flush(png_structp) {}

bool writeRows(png_structp png, png_infop info, std::string* out, int width, int height, int depth,
               int colourType, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, out, append, flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 depth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

// Compresses rows of gray or RGB samples the way PNG does (libpng picks the row filters) and
// returns the compressed data, which PDF reads with /Predictor 15.
bool compress(const std::vector<png_bytep>& rows, int width, int depth, int colours,
              std::string& result, std::string& error) {
    ErrorState state{};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, onError, onWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        error = "out of memory";
        return false;
    }
    std::string encoded;
    const bool ok = writeRows(png, info, &encoded, width, static_cast<int>(rows.size()), depth,
                              colours == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY,
                              const_cast<png_bytepp>(rows.data()));
    png_destroy_write_struct(&png, &info);
    if (!ok) {
        error = state.message;
        return false;
    }
    result = joinedIdat(encoded);
    return true;
}

unsigned sample(const unsigned char* row, std::size_t x, int depth) {
    switch (depth) {
    case 16:
        return (unsigned{row[2 * x]} << 8) | row[2 * x + 1];
    case 8:
        return row[x];
    default: {
        const std::size_t bit = x * static_cast<std::size_t>(depth);
        const unsigned shift = 8u - static_cast<unsigned>(depth) - static_cast<unsigned>(bit % 8);
        return (row[bit / 8] >> shift) & ((1u << depth) - 1u);
    }
    }
}

unsigned keyValue(const std::string& key, int index) {
    return (unsigned{static_cast<unsigned char>(key[2 * index])} << 8) |
           static_cast<unsigned char>(key[2 * index + 1]);
}

// Alpha from tRNS: the palette's alpha entries, or 0 where the colour equals the key.
void transparencyAlpha(const formats::PngInfo& info, const Pixels& pixels,
                       std::vector<unsigned char>& out) {
    const auto width = static_cast<std::size_t>(info.width);
    const std::string& trns = info.transparency;
    for (std::size_t y = 0; y < pixels.rows.size(); ++y) {
        const unsigned char* row = pixels.rows[y];
        unsigned char* alpha = out.data() + y * width;
        for (std::size_t x = 0; x < width; ++x) {
            if (info.colourType == 3) {
                const unsigned index = sample(row, x, info.bitDepth);
                alpha[x] = index < trns.size() ? static_cast<unsigned char>(trns[index]) : 255;
            } else if (info.colourType == 0) {
                const unsigned mask = (1u << info.bitDepth) - 1u;
                alpha[x] = sample(row, x, info.bitDepth) == (keyValue(trns, 0) & mask) ? 0 : 255;
            } else {
                bool same = true;
                for (int c = 0; c < 3; ++c)
                    same = same && sample(row, x * 3 + static_cast<std::size_t>(c),
                                          info.bitDepth) == keyValue(trns, c);
                alpha[x] = same ? 0 : 255;
            }
        }
    }
}

} // namespace

int alphaDepth(const formats::PngInfo& info) {
    return (info.colourType == 4 || info.colourType == 6) ? info.bitDepth : 8;
}

bool encodePngPlanes(const std::string& path, const formats::PngInfo& info, bool wantColour,
                     PngPlanes& planes, std::string& error) {
    planes = {};
    Pixels pixels;
    if (!decode(path, info, pixels, error))
        return false;
    const auto width = static_cast<std::size_t>(info.width);
    const auto height = static_cast<std::size_t>(info.height);
    const bool alphaChannel = info.colourType == 4 || info.colourType == 6;

    if (alphaChannel) {
        // Each pass takes its own samples out of the interleaved ones: the colour pass moves
        // them to the front of each row, in place; the alpha pass copies alpha aside.
        const std::size_t bytes = static_cast<std::size_t>(info.bitDepth) / 8;
        const std::size_t colours = static_cast<std::size_t>(info.colours());
        const std::size_t pixelBytes = (colours + 1) * bytes;
        if (wantColour) {
            for (std::size_t y = 0; y < height; ++y) {
                unsigned char* row = pixels.rows[y];
                for (std::size_t x = 0; x < width; ++x)
                    std::memmove(row + x * colours * bytes, row + x * pixelBytes, colours * bytes);
            }
        } else {
            std::vector<unsigned char> alpha(width * height * bytes);
            std::vector<png_bytep> alphaRows(height);
            for (std::size_t y = 0; y < height; ++y) {
                const unsigned char* row = pixels.rows[y];
                alphaRows[y] = alpha.data() + y * width * bytes;
                for (std::size_t x = 0; x < width; ++x)
                    std::memcpy(alphaRows[y] + x * bytes, row + x * pixelBytes + colours * bytes,
                                bytes);
            }
            if (!compress(alphaRows, info.width, info.bitDepth, 1, planes.alpha, error))
                return false;
        }
    } else if (!wantColour && !info.transparency.empty()) {
        std::vector<unsigned char> alpha(width * height);
        transparencyAlpha(info, pixels, alpha);
        std::vector<png_bytep> alphaRows(height);
        for (std::size_t y = 0; y < height; ++y)
            alphaRows[y] = alpha.data() + y * width;
        if (!compress(alphaRows, info.width, 8, 1, planes.alpha, error))
            return false;
    }
    if (wantColour &&
        !compress(pixels.rows, info.width, info.bitDepth, info.colours(), planes.colour, error))
        return false;
    return true;
}

bool encodeOpaquePng(const std::string& path, const formats::PngInfo& info, std::string& colour,
                     std::string& error) {
    Pixels pixels;
    if (!decode(path, info, pixels, error))
        return false;
    const auto width = static_cast<std::size_t>(info.width);
    const auto height = static_cast<std::size_t>(info.height);
    const auto colours = static_cast<std::size_t>(info.colours());
    const bool alphaChannel = info.colourType == 4 || info.colourType == 6;
    const std::size_t samples = colours + (alphaChannel ? 1 : 0);
    const double most = static_cast<double>((1u << info.bitDepth) - 1u);
    std::vector<unsigned char> keyAlpha;
    if (!alphaChannel && !info.transparency.empty()) {
        keyAlpha.resize(width * height);
        transparencyAlpha(info, pixels, keyAlpha);
    }
    std::vector<unsigned char> opaque(width * height * colours);
    std::vector<png_bytep> rows(height);
    for (std::size_t y = 0; y < height; ++y) {
        const unsigned char* row = pixels.rows[y];
        rows[y] = opaque.data() + y * width * colours;
        for (std::size_t x = 0; x < width; ++x) {
            const double alpha = alphaChannel
                                     ? sample(row, x * samples + colours, info.bitDepth) / most
                                 : keyAlpha.empty() ? 1.0
                                                    : keyAlpha[y * width + x] / 255.0;
            for (std::size_t c = 0; c < colours; ++c) {
                const double value = sample(row, x * samples + c, info.bitDepth) / most;
                rows[y][x * colours + c] =
                    static_cast<unsigned char>(std::lround((value * alpha + 1.0 - alpha) * 255.0));
            }
        }
    }
    return compress(rows, info.width, 8, info.colours(), colour, error);
}

std::string joinedIdat(const std::string& png) {
    std::string data;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const auto* p = reinterpret_cast<const unsigned char*>(png.data()) + at;
        const std::size_t length = formats::bigEndian32(p);
        if (at + 12 + length > png.size())
            return {};
        if (std::memcmp(p + 4, "IDAT", 4) == 0)
            data.append(png, at + 8, length);
        at += 12 + length;
    }
    return data;
}

} // namespace pw::pdftool
