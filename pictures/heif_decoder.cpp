#include "formats/pixel_limit.h"
#include "pictures/decoded_picture.h"
#include "pictures/heif_canvas.h"
#include "pictures/heif_meta.h"
#include "pictures/heif_variant.h"
#include "pictures/modern_formats.h"
#include "pictures/picture_size_check.h"

#include <FreeImage.h>
#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <libheif/heif.h>
#include <memory>
#include <utility>

namespace pw::pictures {
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

// True for a file whose brands promise HEVC pictures (HEIC), not AV1 ones (AVIF).
bool hevcBrand(const platform::OpenedFile& file) {
    std::uint8_t head[256] = {};
    const int size = static_cast<int>(file.readAt(0, head, sizeof head));
    const auto has = [&head, size](const char* brand) {
        return heif_read_main_brand(head, size) == heif_fourcc_to_brand(brand) ||
               heif_has_compatible_brand(head, size, brand) == 1;
    };
    return (has("heic") || has("heix")) && !has("avif") && !has("avis");
}

// The file as libheif reads it: its own bytes, with the meta box replaced by the one prepared
// in HeifMeta (the same size, only box types renamed). libheif reads each tile's data when it
// decodes the tile; once the flag is set the reads give zeros, on which the decoders give up at
// once (libheif 1.15 asserts that a read of a tile succeeds, so it must not fail).
struct PreparedFile {
    const platform::OpenedFile* file = nullptr;
    std::uint64_t size = 0;
    std::uint64_t position = 0;
    const HeifMeta* meta = nullptr;
    StopFlag stop;
};

std::int64_t preparedPosition(void* userdata) {
    return static_cast<std::int64_t>(static_cast<PreparedFile*>(userdata)->position);
}

int preparedRead(void* data, std::size_t size, void* userdata) {
    auto& prepared = *static_cast<PreparedFile*>(userdata);
    if (prepared.stop.set()) {
        std::memset(data, 0, size);
        prepared.position += size;
        return 0;
    }
    if (size > prepared.size || prepared.position > prepared.size - size ||
        prepared.file->readAt(prepared.position, data, size) != size)
        return 1;
    const std::uint64_t metaEnd = prepared.meta->offset + prepared.meta->box.size();
    const std::uint64_t from = std::max(prepared.position, prepared.meta->offset);
    const std::uint64_t to = std::min(prepared.position + size, metaEnd);
    if (from < to)
        std::memcpy(static_cast<char*>(data) + (from - prepared.position),
                    prepared.meta->box.data() + (from - prepared.meta->offset), to - from);
    prepared.position += size;
    return 0;
}

int preparedSeek(std::int64_t position, void* userdata) {
    auto& prepared = *static_cast<PreparedFile*>(userdata);
    if (position < 0 || static_cast<std::uint64_t>(position) > prepared.size)
        return 1;
    prepared.position = static_cast<std::uint64_t>(position);
    return 0;
}

heif_reader_grow_status preparedGrow(std::int64_t target, void* userdata) {
    return target >= 0 &&
                   static_cast<std::uint64_t>(target) <= static_cast<PreparedFile*>(userdata)->size
               ? heif_reader_grow_status_size_reached
               : heif_reader_grow_status_size_beyond_eof;
}

constexpr heif_reader kPreparedReader = {1, preparedPosition, preparedRead, preparedSeek,
                                         preparedGrow};

// Registers libheif's decoders once, before pictures may be decoded on several threads; the
// library stays set up for the life of the program.
bool libheifReady() {
    static const bool ready = heif_init(nullptr).code == heif_error_Ok;
    return ready;
}

Bitmap decodeHeif(const platform::OpenedFile& file, std::string& problem, StopFlag stop) {
    if (!libheifReady())
        return {};
    const std::optional<HeifMeta> meta = readHeifMeta(file);
    if (!meta || !file.isOpen())
        return {};
    PreparedFile prepared{&file, file.size(), 0, &*meta, stop};
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context || !heifSucceeded(heif_context_read_from_reader(context.get(), &kPreparedReader,
                                                                 &prepared, nullptr),
                                   file, problem))
        return {};
    heif_item_id primary = 0;
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_primary_image_ID(context.get(), &primary).code != heif_error_Ok ||
        !heifSucceeded(heif_context_get_primary_image_handle(context.get(), &rawHandle), file,
                       problem))
        return {};
    std::unique_ptr<heif_image_handle, HandleFree> handle(rawHandle);

    // The stored size, before rotation or cropping, is what decoding allocates; a grid or an
    // overlay is put together at the size it states, whatever its ispe says.
    std::uint32_t width =
        static_cast<std::uint32_t>(std::max(heif_image_handle_get_ispe_width(handle.get()), 0));
    std::uint32_t height =
        static_cast<std::uint32_t>(std::max(heif_image_handle_get_ispe_height(handle.get()), 0));
    const std::optional<HeifCanvas> canvas = readHeifCanvas(file);
    if (canvas && std::uint64_t{canvas->width} * canvas->height > std::uint64_t{width} * height) {
        width = canvas->width;
        height = canvas->height;
    }
    if (width > 0 && height > 0) {
        // Tiles that do not reach a grid's edges leave libheif to fill in the rest: a few
        // hundred bytes decoding to gigabytes. AV1 has no best ratio (a white 4096 x 4096 AVIF
        // takes 443 bytes); HEVC has one.
        if (!pw::formats::withinPixelLimit(width, height))
            problem = pw::formats::pixelLimitReason(width, height);
        else if (canvas && !canvas->covered)
            problem = formats::tooLittleDataReason(width, height);
        else if (hevcBrand(file))
            problem = hevcDataTooShort(width, height, file.size());
        if (!problem.empty())
            return {};
    }

    std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    if (!options)
        return {};
    options->ignore_transformations = 1; // libheif sees none; they are applied below
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
    const heif_error decoded =
        heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, chroma, options.get());
    std::unique_ptr<heif_image, ImageFree> image(rawImage);
    if (stop.set() || !heifSucceeded(decoded, file, problem))
        return {};
    const int bits = heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved);
    if (deep ? (bits <= 8 || bits > 16) : bits != 8)
        return {};

    int stride = 0;
    const std::uint8_t* data =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (data == nullptr || stride <= 0)
        return {};
    const int storedWidth = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int storedHeight = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (storedWidth <= 0 || storedHeight <= 0)
        return {};
    const auto found = meta->transforms.find(primary);
    const HeifRegion shown =
        shownRegion(storedWidth, storedHeight,
                    found != meta->transforms.end() ? found->second : std::vector<HeifTransform>{});
    const std::size_t pixelBytes = (alpha ? 4u : 3u) * (deep ? 2u : 1u);
    PixelRows rows;
    rows.stride = static_cast<std::size_t>(stride);
    rows.data = data + static_cast<std::size_t>(shown.top) * rows.stride +
                static_cast<std::size_t>(shown.left) * pixelBytes;
    rows.width = shown.width;
    rows.height = shown.height;
    rows.orientation = shown.orientation;
    rows.alpha = alpha;
    rows.sampleBits = bits;
    rows.icc = iccProfile(handle.get());
    rows.stop = stop;
    return bitmapFromRows(rows);
}

} // namespace

Decoded decodeHeif(const std::string& narrowPath, StopFlag stop) {
    return decodeHeif(platform::OpenedFile(narrowPath), stop);
}

Decoded decodeHeif(const platform::OpenedFile& file, StopFlag stop) {
    std::string problem;
    Bitmap bitmap = decodeHeif(file, problem, stop);
    return decodedOrRefused(std::move(bitmap), std::move(problem), stop);
}

} // namespace pw::pictures
