#include "engine/decoded_picture.h"
#include "engine/heif_variant.h"
#include "engine/modern_formats.h"
#include "engine/pixel_limit.h"

#include <FreeImage.h>
#include <bit>
#include <libheif/heif.h>
#include <memory>

namespace pw::engine {
namespace {

struct ContextFree {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleFree {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageFree {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

// The embedded ICC profile (colr prof or rICC); empty for nclx or none.
std::string iccProfile(const heif_image_handle* handle) {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
        return {};
    std::string profile(heif_image_handle_get_raw_color_profile_size(handle), '\0');
    if (profile.empty() ||
        heif_image_handle_get_raw_color_profile(handle, profile.data()).code != heif_error_Ok)
        return {};
    return profile;
}

// Registers libheif's decoders once, before pictures may be decoded on several threads; the
// library stays set up for the life of the program.
bool libheifReady() {
    static const bool ready = heif_init(nullptr).code == heif_error_Ok;
    return ready;
}

} // namespace

FIBITMAP* DecodeHeif(const std::string& narrowPath, std::string& problem) {
    if (!libheifReady())
        return nullptr;
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context ||
        !HeifSucceeded(heif_context_read_from_file(context.get(), narrowPath.c_str(), nullptr),
                       narrowPath, problem))
        return nullptr;
    heif_image_handle* rawHandle = nullptr;
    if (!HeifSucceeded(heif_context_get_primary_image_handle(context.get(), &rawHandle), narrowPath,
                       problem))
        return nullptr;
    std::unique_ptr<heif_image_handle, HandleFree> handle(rawHandle);

    // The stored size, before rotation or cropping, is what decoding allocates.
    const int width = heif_image_handle_get_ispe_width(handle.get());
    const int height = heif_image_handle_get_ispe_height(handle.get());
    if (width > 0 && height > 0 &&
        !pw::WithinPixelLimit(static_cast<std::uint32_t>(width),
                              static_cast<std::uint32_t>(height))) {
        problem = pw::PixelLimitReason(static_cast<std::uint32_t>(width),
                                       static_cast<std::uint32_t>(height));
        return nullptr;
    }

    std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    if (!options)
        return nullptr;
    options->ignore_transformations = 0; // irot, imir and clap apply
    // 10- and 12-bit pictures keep their depth in 16-bit samples; the JPEG staging brings them
    // to 8 bits, the lossless staging keeps 16.
    const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle.get()) > 8;
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    heif_chroma chroma = alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB;
    if (deep) {
        const bool little = std::endian::native == std::endian::little;
        chroma = alpha ? (little ? heif_chroma_interleaved_RRGGBBAA_LE
                                 : heif_chroma_interleaved_RRGGBBAA_BE)
                       : (little ? heif_chroma_interleaved_RRGGBB_LE
                                 : heif_chroma_interleaved_RRGGBB_BE);
    }
    heif_image* rawImage = nullptr;
    if (!HeifSucceeded(
            heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, chroma, options.get()),
            narrowPath, problem))
        return nullptr;
    std::unique_ptr<heif_image, ImageFree> image(rawImage);
    const int bits = heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved);
    if (deep ? (bits <= 8 || bits > 16) : bits != 8)
        return nullptr;

    int stride = 0;
    const std::uint8_t* data =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (data == nullptr || stride <= 0)
        return nullptr;
    PixelRows rows;
    rows.data = data;
    rows.stride = static_cast<std::size_t>(stride);
    rows.width = heif_image_get_width(image.get(), heif_channel_interleaved);
    rows.height = heif_image_get_height(image.get(), heif_channel_interleaved);
    rows.alpha = alpha;
    rows.sampleBits = bits;
    rows.icc = iccProfile(handle.get());
    if (rows.width <= 0 || rows.height <= 0)
        return nullptr;
    return BitmapFromRows(rows);
}

} // namespace pw::engine
