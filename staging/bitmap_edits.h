#pragma once
// Edits of a decoded bitmap that staging makes before saving it.
#include "formats/resolution.h"
#include "pictures/stop_flag.h"

struct FIBITMAP;

namespace pw::staging {

// FreeImage drops the ICC profile when it converts 16-bit samples; this gives `to` the profile
// of `from` when it has none.
void keepIccProfile(FIBITMAP* from, FIBITMAP* to);

// A copy of `bitmap` scaled by `scale` (< 1), with its resolution scaled alike (so the page
// keeps its size), its metadata and ICC profile; nullptr when FreeImage cannot make it or
// `stop` is set meanwhile.
FIBITMAP* reducedCopy(FIBITMAP* bitmap, double scale, pictures::StopFlag stop = {});

// Sets the bitmap's resolution to `resolution`.
void setResolution(FIBITMAP* bitmap, const formats::Resolution& resolution);

} // namespace pw::staging
