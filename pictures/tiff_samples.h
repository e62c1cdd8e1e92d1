#pragma once
// A TIFF page read sample by sample with libtiff: gray, palette and RGB pages of 1 to 16 bits a
// sample, signed or floating-point samples, strips or tiles, one plane or one plane a sample,
// with or without alpha; and L*a*b* pages of 8 or 16 bits, turned into sRGB by Little CMS.
// FreeImage reads many of these wrongly or not at all.
#include "pictures/stop_flag.h"

struct FIBITMAP;
typedef struct tiff TIFF;

namespace pw::pictures {

// True when readTiffSamples reads the directory `tiff` is at.
bool hasPlainSamples(TIFF* tiff);

// The page `tiff` is at, turned and mirrored as its Orientation tag says, without a
// resolution; null when its data cannot be decoded or FreeImage cannot allocate it.
// Samples keep their values: 1- and 4-bit gray and palette pages stay at their depth, other
// pages of 8 bits or fewer come in 8 bits (levels spread over 0..255: 2-bit gray 0, 85, 170,
// 255); deeper ones in 16 bits (12-bit samples with their high bits repeated below, floats
// clamped to 0..1). Signed bytes come as stored (-1 white), signed 16-bit samples shifted to
// start at 0 (-32768 black). An alpha sample becomes straight alpha (a premultiplied one is
// divided out), palette and gray pages with one coming as RGBA; other extra samples are left
// out. Null too once `stop` is set, looked at between strips (every few rows of a large one).
FIBITMAP* readTiffSamples(TIFF* tiff, StopFlag stop = {});

} // namespace pw::pictures
