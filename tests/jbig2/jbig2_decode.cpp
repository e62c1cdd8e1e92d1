#include "jbig2_decode.h"

#include <cstddef>
#include <cstring>
// jbig2.h defines `inline` away when it is no macro: it comes last, and the definition goes.
#include <jbig2.h>
#undef inline

namespace pw::jbig2::test {
namespace {

void heardMessage(void* data, const char* message, Jbig2Severity severity, std::uint32_t) {
    if (severity < JBIG2_SEVERITY_WARNING)
        return;
    auto* heard = static_cast<std::string*>(data);
    *heard += message;
    *heard += '\n';
}

} // namespace

std::optional<Decoded> decode(const std::vector<std::uint8_t>& data, bool embedded,
                              std::string& heard) {
    Jbig2Ctx* context = jbig2_ctx_new(nullptr, embedded ? JBIG2_OPTIONS_EMBEDDED : Jbig2Options{},
                                      nullptr, heardMessage, &heard);
    if (context == nullptr)
        return std::nullopt;
    std::optional<Decoded> decoded;
    if (jbig2_data_in(context, data.data(), data.size()) == 0 &&
        (!embedded || jbig2_complete_page(context) == 0)) {
        if (Jbig2Image* image = jbig2_page_out(context)) {
            Decoded page{image->width, image->height, {}};
            const std::size_t rowBytes = (std::size_t{image->width} + 7) / 8;
            page.rows.resize(rowBytes * image->height);
            const auto spare = static_cast<unsigned>(8 * rowBytes - image->width);
            for (std::uint32_t y = 0; y < image->height; ++y) {
                std::uint8_t* row = page.rows.data() + y * rowBytes;
                std::memcpy(row, image->data + std::size_t{y} * image->stride, rowBytes);
                if (rowBytes > 0)
                    row[rowBytes - 1] &= static_cast<std::uint8_t>(0xFF << spare);
            }
            jbig2_release_page(context, image);
            decoded = std::move(page);
        }
    }
    jbig2_ctx_free(context);
    return decoded;
}

} // namespace pw::jbig2::test
