#pragma once
// The pixels of an image drawn on a PDF page (an image XObject of a PDF of the list), as grey:
// what text recognition reads of a scanned page.
#include "pictures/decoded.h"

#include <qpdf/QPDFObjectHandle.hh>

namespace pw::pictures {

// The image's pixels, its first row at the top: a 1-bit black-and-white bitmap for a 1-bit grey
// image or stencil mask, an 8-bit grey one for any other. Its data is decoded by qpdf (Flate,
// LZW, RunLength, DCT, with their predictors) or, coded in CCITT Group 4, by
// formats::checkG4Stream. Grey, RGB, CMYK, ICC-based, calibrated, Lab, indexed over those and
// single separations are taken, at 1, 2, 4, 8 or 16 bits a sample, its /Decode followed for
// single samples. Refused as Unsupported: JBIG2, JPEG 2000 and Group 3 images and other colour
// spaces; as TooLarge: images at the pixel limit; as Damaged: data that does not decode to the
// image's rows.
Decoded pdfImagePixels(QPDFObjectHandle image);

} // namespace pw::pictures
