#include "formats/pixel_limit.h"
#include "pictures/decoded_picture.h"
#include "pictures/jxl_jpeg.h"
#include "pictures/modern_formats.h"
#include "pictures/refusal_reasons.h"

#include <FreeImage.h>
#include <algorithm>
#include <jxl/decode.h>
#include <memory>
#include <utility>
#include <vector>

namespace pw::pictures {
namespace {

struct DecoderDestroy {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};
using Decoder = std::unique_ptr<JxlDecoder, DecoderDestroy>;

// libjxl decodes as far as the input given so far reaches; the file goes over a slice at a
// time, so that the flag is looked at between slices.
constexpr std::size_t kJxlSlice = 256u << 10;

class Input {
public:
    Input(JxlDecoder* decoder, const std::vector<std::uint8_t>& bytes, StopFlag stop)
        : decoder_(decoder), bytes_(bytes), stop_(stop) {}

    // Hands over the next slice (the first when nothing was given yet); false when the whole
    // file was given already or the flag is set.
    bool more() {
        if (stop_.set() || (given_ == bytes_.size() && given_ > 0))
            return false;
        const std::size_t unread = given_ == 0 ? 0 : JxlDecoderReleaseInput(decoder_);
        const std::size_t from = given_ - unread;
        given_ = std::min(bytes_.size(), given_ + kJxlSlice);
        if (JxlDecoderSetInput(decoder_, bytes_.data() + from, given_ - from) != JXL_DEC_SUCCESS)
            return false;
        if (given_ == bytes_.size())
            JxlDecoderCloseInput(decoder_);
        return true;
    }

private:
    JxlDecoder* decoder_;
    const std::vector<std::uint8_t>& bytes_;
    StopFlag stop_;
    std::size_t given_ = 0;
};

Decoder openDecoder(int events) {
    Decoder decoder(JxlDecoderCreate(nullptr));
    if (!decoder || JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS)
        return nullptr;
    return decoder;
}

bool withinLimit(JxlDecoder* decoder, std::string& problem) {
    JxlBasicInfo info;
    if (JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS)
        return false;
    if (!pw::formats::withinPixelLimit(info.xsize, info.ysize)) {
        problem = pw::formats::pixelLimitReason(info.xsize, info.ysize);
        return false;
    }
    return true;
}

// The profile of the decoded pixels; empty when they are plain sRGB.
std::string pixelProfile(JxlDecoder* decoder) {
    JxlColorEncoding encoding;
    if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                           &encoding) == JXL_DEC_SUCCESS &&
        encoding.color_space == JXL_COLOR_SPACE_RGB &&
        encoding.white_point == JXL_WHITE_POINT_D65 && encoding.primaries == JXL_PRIMARIES_SRGB &&
        encoding.transfer_function == JXL_TRANSFER_FUNCTION_SRGB)
        return {};
    std::size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) !=
            JXL_DEC_SUCCESS ||
        size == 0)
        return {};
    std::string profile(size, '\0');
    if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                       reinterpret_cast<std::uint8_t*>(profile.data()),
                                       size) != JXL_DEC_SUCCESS)
        return {};
    return profile;
}

} // namespace

std::optional<std::vector<std::uint8_t>> recoverJpegFromJxl(const std::string& narrowPath,
                                                            std::string& problem, StopFlag stop) {
    return recoverJpegFromJxl(platform::OpenedFile(narrowPath), problem, stop);
}

std::optional<std::vector<std::uint8_t>> recoverJpegFromJxl(const platform::OpenedFile& file,
                                                            std::string& problem, StopFlag stop) {
    const auto bytes = file.readAll();
    if (!bytes)
        return std::nullopt;
    Decoder decoder =
        openDecoder(JXL_DEC_BASIC_INFO | JXL_DEC_JPEG_RECONSTRUCTION | JXL_DEC_FULL_IMAGE);
    Input input(decoder.get(), *bytes, stop);
    if (!decoder || !input.more())
        return std::nullopt;
    std::vector<std::uint8_t> jpeg;
    std::size_t written = 0;
    bool reconstructing = false;
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
        switch (status) {
        case JXL_DEC_NEED_MORE_INPUT:
            if (!input.more())
                return std::nullopt;
            break;
        case JXL_DEC_BASIC_INFO:
            if (!withinLimit(decoder.get(), problem))
                return std::nullopt;
            break;
        case JXL_DEC_JPEG_RECONSTRUCTION:
            reconstructing = true;
            jpeg.resize(bytes->size() * 2 + 65536);
            if (JxlDecoderSetJPEGBuffer(decoder.get(), jpeg.data(), jpeg.size()) != JXL_DEC_SUCCESS)
                return std::nullopt;
            break;
        case JXL_DEC_JPEG_NEED_MORE_OUTPUT:
            written = jpeg.size() - JxlDecoderReleaseJPEGBuffer(decoder.get());
            jpeg.resize(jpeg.size() * 2);
            if (JxlDecoderSetJPEGBuffer(decoder.get(), jpeg.data() + written,
                                        jpeg.size() - written) != JXL_DEC_SUCCESS)
                return std::nullopt;
            break;
        case JXL_DEC_FULL_IMAGE:
            if (!reconstructing)
                return std::nullopt;
            written = jpeg.size() - JxlDecoderReleaseJPEGBuffer(decoder.get());
            jpeg.resize(written);
            return jpeg;
        default:
            // No reconstruction data (the decoder asks for a pixel buffer), or damage.
            return std::nullopt;
        }
    }
}

namespace {

// libjxl gives a status, no text.
void reportStatus(JxlDecoderStatus status) {
    if (status == JXL_DEC_NEED_MORE_INPUT)
        reportDecoderMessage("JPEG XL data ends early");
    else if (status == JXL_DEC_ERROR)
        reportDecoderMessage("JPEG XL decoder error");
}

Bitmap decodeJxl(const platform::OpenedFile& file, std::string& problem, StopFlag stop) {
    const auto bytes = file.readAll();
    if (!bytes)
        return {};
    Decoder decoder = openDecoder(JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE);
    // Alpha stored premultiplied is divided out, as the pixels are taken for straight alpha.
    if (!decoder || JxlDecoderSetUnpremultiplyAlpha(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS)
        return {};
    Input input(decoder.get(), *bytes, stop);
    if (!input.more())
        return {};
    // The decoder turns the pixels as the picture's orientation says (it is not asked to keep
    // them as stored).
    JxlBasicInfo info{};
    std::string profile;
    // Not cleared first (libjxl writes every byte): its pages are touched as the rows come,
    // between slices of the file, instead of all at once.
    std::unique_ptr<std::uint8_t[]> pixels;
    std::size_t pixelBytes = 0;
    JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
        if (status == JXL_DEC_NEED_MORE_INPUT && input.more())
            continue;
        if (stop.set())
            return {};
        switch (status) {
        case JXL_DEC_BASIC_INFO:
            if (!withinLimit(decoder.get(), problem) ||
                JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
                return {};
            // Deeper pictures keep 16 bits until staging decides.
            if (info.bits_per_sample > 8)
                format.data_type = JXL_TYPE_UINT16;
            break;
        case JXL_DEC_COLOR_ENCODING:
            profile = pixelProfile(decoder.get());
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            std::size_t size = 0;
            if (JxlDecoderImageOutBufferSize(decoder.get(), &format, &size) != JXL_DEC_SUCCESS)
                return {};
            pixels.reset(new std::uint8_t[size]);
            pixelBytes = size;
            if (JxlDecoderSetImageOutBuffer(decoder.get(), &format, pixels.get(), size) !=
                JXL_DEC_SUCCESS)
                return {};
            break;
        }
        case JXL_DEC_FULL_IMAGE: {
            // The first frame; the size as shown swaps the sides for a quarter turn.
            const bool turned = info.orientation >= JXL_ORIENT_TRANSPOSE;
            PixelRows rows;
            rows.data = pixels.get();
            rows.width = static_cast<int>(turned ? info.ysize : info.xsize);
            rows.height = static_cast<int>(turned ? info.xsize : info.ysize);
            rows.stride = static_cast<std::size_t>(rows.width) * 4 *
                          (format.data_type == JXL_TYPE_UINT16 ? 2 : 1);
            rows.alpha = true;
            rows.sampleBits = format.data_type == JXL_TYPE_UINT16 ? 16 : 8;
            rows.icc = std::move(profile);
            rows.stop = stop;
            if (pixelBytes < rows.stride * static_cast<std::size_t>(rows.height))
                return {};
            return bitmapFromRows(rows);
        }
        default:
            reportStatus(status);
            return {};
        }
    }
}

} // namespace

Decoded decodeJxl(const std::string& narrowPath, StopFlag stop) {
    return decodeJxl(platform::OpenedFile(narrowPath), stop);
}

Decoded decodeJxl(const platform::OpenedFile& file, StopFlag stop) {
    std::string problem;
    Bitmap bitmap = decodeJxl(file, problem, stop);
    return decodedOrRefused(std::move(bitmap), std::move(problem), stop);
}

} // namespace pw::pictures
