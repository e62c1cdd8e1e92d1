#include "staging/grey_pictures.h"

#include <FreeImage.h>
#include <algorithm>

namespace pw::staging {

GreyTolerance greyToleranceFor(const jobfiles::JobOptions& options) {
    return options.lossless || options.keepColour ? kExactGrey : kNearGrey;
}

GreyJudge::GreyJudge(GreyTolerance tolerance, std::uint32_t width, std::uint32_t height)
    : tolerance_(tolerance), width_(width), height_(height) {
    const std::uint64_t columns = (width + kGreyBlock - 1) / kGreyBlock;
    const std::uint64_t blocks = columns * ((height + kGreyBlock - 1) / kGreyBlock);
    allowed_ = blocks / 1000000 * tolerance.outliersPerMillion +
               blocks % 1000000 * tolerance.outliersPerMillion / 1000000;
    if (tolerance.chroma > 0)
        sums_.assign(columns * 3, 0);
}

bool GreyJudge::row(const std::uint8_t* rgb) {
    ++y_;
    if (sums_.empty()) {
        for (std::uint32_t x = 0; x < width_; ++x, rgb += 3) {
            if (rgb[0] != rgb[1] || rgb[1] != rgb[2])
                return false;
        }
        return true;
    }
    for (std::uint32_t x = 0; x < width_; ++x, rgb += 3) {
        std::uint32_t* sum = &sums_[x / kGreyBlock * 3];
        sum[0] += rgb[0];
        sum[1] += rgb[1];
        sum[2] += rgb[2];
    }
    if (y_ % kGreyBlock == 0)
        return judgeBlocks(kGreyBlock);
    if (y_ == height_)
        return judgeBlocks(y_ % kGreyBlock);
    return true;
}

bool GreyJudge::judgeBlocks(unsigned rows) {
    for (std::size_t block = 0; block * 3 < sums_.size(); ++block) {
        std::uint32_t* sum = &sums_[block * 3];
        const std::uint32_t left = static_cast<std::uint32_t>(block) * kGreyBlock;
        const std::uint32_t pixels = rows * (std::min(left + kGreyBlock, width_) - left);
        const auto [least, most] = std::minmax({sum[0], sum[1], sum[2]});
        if (most - least > static_cast<std::uint32_t>(tolerance_.chroma) * pixels &&
            ++outliers_ > allowed_)
            return false;
        sum[0] = sum[1] = sum[2] = 0;
    }
    return true;
}

namespace {

bool neutral(FIBITMAP* bitmap, pictures::StopFlag stop, GreyTolerance tolerance) {
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    GreyJudge judge(tolerance, width, height);
    for (unsigned y = 0; y < height; ++y) {
        if (y % pictures::kRowsPerStopCheck == 0 && stop.set())
            return false;
        if (!judge.row(FreeImage_GetScanLine(bitmap, static_cast<int>(height - 1 - y))))
            return false;
    }
    return true;
}

} // namespace

pictures::Bitmap neutralGreyCopy(FIBITMAP* bitmap, pictures::StopFlag stop, GreyTolerance tolerance) {
    if (bitmap == nullptr || FreeImage_GetImageType(bitmap) != FIT_BITMAP ||
        FreeImage_GetBPP(bitmap) != 24 || !neutral(bitmap, stop, tolerance))
        return {};
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    pictures::Bitmap owned(
        FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 8));
    FIBITMAP* grey = owned.get();
    if (grey == nullptr)
        return {};
    RGBQUAD* palette = FreeImage_GetPalette(grey);
    for (unsigned i = 0; i < 256; ++i) {
        const auto level = static_cast<BYTE>(i);
        palette[i] = {level, level, level, 0};
    }
    for (unsigned y = 0; y < height; ++y) {
        if (y % pictures::kRowsPerStopCheck == 0 && stop.set())
            return {};
        const BYTE* from = FreeImage_GetScanLine(bitmap, static_cast<int>(y));
        BYTE* to = FreeImage_GetScanLine(grey, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x, from += 3)
            to[x] = greyLevel(from[FI_RGBA_RED], from[FI_RGBA_GREEN], from[FI_RGBA_BLUE]);
    }
    FreeImage_SetDotsPerMeterX(grey, FreeImage_GetDotsPerMeterX(bitmap));
    FreeImage_SetDotsPerMeterY(grey, FreeImage_GetDotsPerMeterY(bitmap));
    FreeImage_CloneMetadata(grey, bitmap);
    return owned;
}

} // namespace pw::staging
