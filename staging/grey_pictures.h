#pragma once
// Gray pictures stored in colour: a picture whose red, green and blue are equal everywhere is
// staged with one channel, a third of the samples.
#include "pictures/stop_flag.h"

struct FIBITMAP;

namespace pw::staging {

// An 8-bit gray copy of a 24-bit bitmap whose every pixel has equal red, green and blue, with
// its resolution and metadata (not its colour profile, which is for RGB); nullptr for any other
// bitmap, found at its first pixel that is not gray, and once `stop` is set.
FIBITMAP* neutralGreyCopy(FIBITMAP* bitmap, pictures::StopFlag stop = {});

} // namespace pw::staging
