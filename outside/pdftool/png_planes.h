#pragma once
// The colour and alpha samples of a PNG, each as PDF image data: Flate with PNG predictors.
#include "formats/png_info.h"

#include <string>

namespace pw::pdftool {

struct PngPlanes {
    std::string colour; // empty when not asked for
    std::string alpha;  // empty when the picture has no transparency
};

// Bits per sample of the soft mask: a 16-bit alpha channel stays 16 bits, others become 8.
int alphaDepth(const formats::PngInfo& info);

// Decodes the picture and compresses, as a stream of its own, either its colour samples (as
// they are: gray, RGB or palette indices at the picture's bit depth; `wantColour`) or its alpha
// (the alpha channel, or what tRNS says; empty when it has none). Returns false with `error`
// set when the picture cannot be decoded.
bool encodePngPlanes(const std::string& path, const formats::PngInfo& info, bool wantColour,
                     PngPlanes& planes, std::string& error);

// Decodes the picture and compresses its colour samples in 8 bits, transparent parts (alpha or
// tRNS) laid on white; for gray and RGB pictures (a palette's transparency lies in its
// entries). Returns false with `error` set when the picture cannot be decoded.
bool encodeOpaquePng(const std::string& path, const formats::PngInfo& info, std::string& colour,
                     std::string& error);

// The data of a PNG's IDAT chunks, joined; empty when `png` is not a well-formed PNG.
std::string joinedIdat(const std::string& png);

} // namespace pw::pdftool
