#pragma once
// A FreeImage bitmap's pixels as a Leptonica picture, the form Leptonica's page tools and
// Tesseract take.
#include <memory>

struct FIBITMAP;
struct Pix; // Leptonica's picture

namespace pw::pictures {

struct PixFree {
    void operator()(Pix* pix) const;
};
using LeptonicaPicture = std::unique_ptr<Pix, PixFree>;

// The bitmap's rows, top row first: a 1-bit bitmap as 1 bit a pixel (1, Leptonica's black, for
// the darker of its two palette colours), an 8-bit grey one as 8 bits and a 24-bit one as 32-bit
// colour. Null for any other kind of bitmap, or without the memory.
LeptonicaPicture leptonicaPicture(FIBITMAP* bitmap);

} // namespace pw::pictures
