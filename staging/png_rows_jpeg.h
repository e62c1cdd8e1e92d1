#pragma once
// A PNG's rows read once for their tone, and written as a staged JPEG.
#include "pictures/stop_flag.h"

#include <string>

namespace pw::pictures {
class PngRows;
}

namespace pw::staging {

enum class Tone { Bilevel, Grey, Colour };

// What the rows of a freshly opened PngRows hold; reading stops at the first pixel that is
// not grey, or when stopped (as colour).
Tone rowsTone(pictures::PngRows& rows, pictures::StopFlag stop = {});

// The rows as a JPEG at `quality` with the PNG's resolution; a grey one in one channel,
// without the RGB profile.
bool writeRowsJpeg(pictures::PngRows& rows, const std::string& target, int quality, bool grey,
                   pictures::StopFlag stop = {});

// This thread's PngRows, whose buffers serve its next picture.
pictures::PngRows& threadPngRows();

// Writes the rows of a freshly opened PngRows as a staged JPEG at `quality` (1..100): RGB with
// its ICC profile, or one grey channel when every pixel is grey.
bool writePngRowsJpeg(pictures::PngRows& rows, const std::string& target, int quality,
                      pictures::StopFlag stop = {});

} // namespace pw::staging
