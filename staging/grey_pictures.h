#pragma once
// Gray pictures stored in colour: a picture whose pixels are all gray (exactly, or at a
// quality near enough, as a colour scan of a gray page) is staged with one channel, a third of
// the samples.
#include "jobfiles/job_options.h"
#include "pictures/bitmap.h"
#include "pictures/stop_flag.h"

#include <cstdint>
#include <vector>

struct FIBITMAP;

namespace pw::staging {

// How far from gray a picture may be and still be stored gray. Exactly gray (the default):
// every pixel's red, green and blue equal. Near gray: the mean colour of each block of
// kGreyBlock x kGreyBlock pixels (noise averaged out) has its largest and smallest of red,
// green and blue at most `chroma` apart, but for at most `outliersPerMillion` of the blocks.
struct GreyTolerance {
    int chroma = 0;
    std::uint32_t outliersPerMillion = 0;
};
inline constexpr GreyTolerance kExactGrey{};
inline constexpr unsigned kGreyBlock = 4;
// Measured on a gray page scanned in colour with a faint cast and colour noise: 0.001% of its
// blocks reach a chroma over 20; of pale blue (#EAF2FF) or cream (#FFF6E0) paper, sepia-toned
// or colour photos, 11% to 100% (bench/grey).
inline constexpr GreyTolerance kNearGrey{20, 1000};

// The tolerance the options allow: near gray at a quality, unless colour is to be kept;
// exactly gray without loss.
GreyTolerance greyToleranceFor(const jobfiles::JobOptions& options);

// Judges a picture's rows, from the top, against the tolerance.
class GreyJudge {
public:
    GreyJudge(GreyTolerance tolerance, std::uint32_t width, std::uint32_t height);
    // False once the pixels so far (rows of `width` triplets of red, green and blue in either
    // order) are not gray enough; the last row's call judges the blocks it ends.
    bool row(const std::uint8_t* rgb);

private:
    bool judgeBlocks(unsigned rows);

    GreyTolerance tolerance_;
    std::uint32_t width_;
    std::uint32_t height_;
    std::uint32_t y_ = 0;
    std::uint64_t allowed_ = 0;
    std::uint64_t outliers_ = 0;
    std::vector<std::uint32_t> sums_; // red, green, blue a block of the current band
};

// The gray level of a pixel: its luma (BT.601), red itself when all three are equal.
inline std::uint8_t greyLevel(unsigned red, unsigned green, unsigned blue) {
    return static_cast<std::uint8_t>((77 * red + 150 * green + 29 * blue + 128) >> 8);
}

// An 8-bit gray copy of a 24-bit bitmap whose every pixel is gray within `tolerance`, with its
// resolution and metadata (not its colour profile, which is for RGB); null for any other
// bitmap, found where its pixels that are not gray become too many, and once `stop` is set.
pictures::Bitmap neutralGreyCopy(FIBITMAP* bitmap, pictures::StopFlag stop = {},
                                 GreyTolerance tolerance = kExactGrey);

} // namespace pw::staging
