#pragma once
// What a decoder gives: the picture, or the refusal saying why there is none.
#include "pictures/bitmap.h"
#include "pictures/stop_flag.h"
#include "platform/refusal.h"

#include <string>

namespace pw::pictures {

// A refusal's text is the reason the user reads; it is empty when there is no more to say than
// "cannot be read" (refusal_reasons.h then finds one in the decoder's messages).
using Decoded = platform::Result<Bitmap>;

// `bitmap` when there is one; otherwise Stopped once `stop` is set, else Damaged with `problem`
// (Unreadable when that is empty).
Decoded decodedOrRefused(Bitmap bitmap, std::string problem, StopFlag stop);

// The bitmap of `decoded`, or null with `problem` set to its refusal's text.
Bitmap takeBitmap(Decoded decoded, std::string& problem);

} // namespace pw::pictures
