#pragma once
// A GIF's first frame on the logical screen its file states: the page is the screen.
struct FIBITMAP;

namespace pw::pictures {

// Places `frame`, as FreeImage decodes a GIF's first frame (1, 4 or 8 bits with a palette), at
// its offset on the file's logical screen: the screen around it is transparent, the part of the
// frame beyond the screen is cut off. Returns `frame` itself when it covers the screen exactly
// or no screen is stated; otherwise a new bitmap of the screen's size (8 bits with the frame's
// palette and a transparent index; 32 bits when the frame's shown pixels use all 256 indices),
// and `frame` is freed. Null when that bitmap cannot be allocated.
FIBITMAP* placeOnGifScreen(FIBITMAP* frame);

} // namespace pw::pictures
