#pragma once
// Reading the pixels of JPEGs that the usual decoding path refuses.
#include "pictures/bitmap.h"
#include "pictures/stop_flag.h"
#include "platform/opened_file.h"

#include <cstdio>
#include <string>

namespace pw::pictures {

// Decodes a grey, YCbCr or RGB JPEG into a 24-bit bitmap through libjpeg's raw component
// planes, so any whole-number or fractional chroma sampling is read, and stops after the
// picture's first complete pass (a later stray scan is ignored). The JFIF resolution is kept;
// without one the bitmap has none. Null when libjpeg cannot read it (or for CMYK).
// A JPEG whose data ends inside a scan is refused ("JPEG data ends early"), not filled in.
// Null too once `stop` is set, within a row of blocks. With `grey`, an 8-bit grey bitmap
// instead (a YCbCr picture's luma as it is stored).
Bitmap decodeJpegPixels(const std::string& narrowPath, StopFlag stop = {}, bool grey = false);
Bitmap decodeJpegPixels(const platform::OpenedFile& file, StopFlag stop = {}, bool grey = false);
// From a stream at the file's start, which is closed.
Bitmap decodeJpegPixels(std::FILE* file, StopFlag stop = {}, bool grey = false);

// Whether the file ends inside its picture data, so that part of the picture is missing
// (decoders fill it in, with a warning only). A file that lacks only its end-of-image marker
// is whole. Decodes the file only when its structure ends without that marker.
bool jpegCutShort(const std::string& narrowPath);
bool jpegCutShort(const platform::OpenedFile& file);
bool jpegCutShort(std::FILE* file); // closes it

} // namespace pw::pictures
