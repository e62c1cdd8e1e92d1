#include "staging/png_rows_jpeg.h"

#include "pictures/png_rows.h"
#include "staging/rgb_jpeg.h"

#include <vector>

namespace pw::staging {

// What the rows hold; reading stops at the first pixel that is not gray, or when stopped (as
// colour). Gray files are read as stored, a sample a pixel.
Tone rowsTone(pictures::PngRows& rows, pictures::StopFlag stop) {
    bool bilevel = true;
    const bool stored = rows.colourType() == 0;
    for (std::uint32_t y = 0; y < rows.height(); ++y) {
        if (y % pictures::kRowsPerStopCheck == 0 && stop.set())
            return Tone::Colour;
        if (stored) {
            const std::uint8_t* p = rows.nextStoredRow();
            for (std::uint32_t x = 0; bilevel && x < rows.width(); ++x)
                bilevel = p[x] == 0 || p[x] == 255;
            continue;
        }
        const std::uint8_t* p = rows.nextRow();
        for (std::uint32_t x = 0; x < rows.width(); ++x, p += 3) {
            if (p[0] != p[1] || p[1] != p[2])
                return Tone::Colour;
            bilevel = bilevel && (p[0] == 0 || p[0] == 255);
        }
    }
    return bilevel ? Tone::Bilevel : Tone::Grey;
}

// The rows as a JPEG; a gray one in one channel, without the RGB profile.
bool writeRowsJpeg(pictures::PngRows& rows, const std::string& target, int quality, bool grey,
                   pictures::StopFlag stop) {
    static_assert(pictures::PngRows::kRowsKept >= kJpegRowBatch);
    RgbJpeg picture;
    picture.stop = stop;
    picture.width = rows.width();
    picture.height = rows.height();
    picture.quality = quality;
    picture.resolution = rows.resolution();
    if (!grey) {
        picture.iccProfile = &rows.iccProfile();
        return writeRgbJpeg(target, picture, [&rows] { return rows.nextRow(); });
    }
    picture.components = 1;
    std::vector<std::uint8_t> samples(std::size_t{picture.width} * kJpegRowBatch);
    unsigned next = 0;
    return writeRgbJpeg(target, picture, [&]() -> const std::uint8_t* {
        const std::uint8_t* p = rows.nextRow();
        std::uint8_t* row = samples.data() + std::size_t{next++ % kJpegRowBatch} * picture.width;
        for (std::uint32_t x = 0; x < picture.width; ++x)
            row[x] = p[3 * x];
        return row;
    });
}

pictures::PngRows& threadPngRows() {
    thread_local pictures::PngRows rows;
    return rows;
}

bool writePngRowsJpeg(pictures::PngRows& rows, const std::string& target, int quality,
                      pictures::StopFlag stop) {
    const bool grey = rowsTone(rows, stop) != Tone::Colour;
    rows.rewind();
    return writeRowsJpeg(rows, target, quality, grey, stop);
}

} // namespace pw::staging
