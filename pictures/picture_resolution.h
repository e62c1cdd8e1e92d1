#pragma once
// Whether a picture file states its resolution. FreeImage makes one up when it does not (72 dpi
// for PNG and GIF, 300 dpi for TIFF), which would give the same picture a different page size
// in each format; such pictures are staged without a resolution, so the PDF builder uses the
// same default as for a JPEG without one.
#include "formats/resolution.h"
#include "pictures/picture_kinds.h"
#include "platform/opened_file.h"

#include <optional>
#include <string>

namespace pw::pictures {

// False for a GIF, a PNG without a pHYs chunk in metres and a TIFF whose first directory has
// no XResolution tag; true otherwise (other formats keep what FreeImage read). A JPEG's is read
// as the builder reads it (formats::readJpegResolution).
bool statesResolution(const std::string& path);
// The same for an opened file of `kind` (its first bytes as the table reads them).
bool statesResolution(const platform::OpenedFile& file, const PictureKind* kind);

// The resolution a PNG (pHYs) or BMP (info header) file states, exactly: both state it per
// metre, which whole dots per inch would round (3780 per metre is 96.012 dpi). By the rules of
// formats/resolution.h: one outside 10 to 10000 dpi counts as none, and a pHYs chunk without
// a unit gives the pixels' shape. nullopt for other formats.
std::optional<formats::Resolution> metricResolution(const std::string& path);
std::optional<formats::Resolution> metricResolution(const platform::OpenedFile& file,
                                                    const PictureKind* kind);

} // namespace pw::pictures
