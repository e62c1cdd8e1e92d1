#include "pictures/heif_variant.h"

#include "pictures/refusal_reasons.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <libheif/heif.h>
#include <optional>
#include <vector>

namespace pw::pictures {
namespace {

constexpr std::uint64_t kMostMetaBytes = 16U << 20;

std::uint32_t bigEndian(const std::uint8_t* at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | at[i];
    return value;
}

struct Box {
    std::string type;
    std::size_t body = 0; // where the contents start
    std::size_t end = 0;
};

// The box at `at` in data[0, end); none when its header does not fit.
std::optional<Box> boxAt(const std::vector<std::uint8_t>& data, std::size_t at, std::size_t end) {
    if (end - at < 8)
        return std::nullopt;
    std::uint64_t size = bigEndian(&data[at], 4);
    Box box{std::string(reinterpret_cast<const char*>(&data[at + 4]), 4), at + 8, end};
    if (size == 1) {
        if (end - at < 16)
            return std::nullopt;
        size = (static_cast<std::uint64_t>(bigEndian(&data[at + 8], 4)) << 32) |
               bigEndian(&data[at + 12], 4);
        box.body = at + 16;
    }
    if (size != 0) {
        if (size < box.body - at || size > end - at)
            return std::nullopt;
        box.end = at + static_cast<std::size_t>(size);
    }
    return box;
}

// The `meta` box's contents, after its version and flags.
std::vector<std::uint8_t> metaContents(const platform::OpenedFile& file) {
    platform::OpenedFileStream in(file);
    std::array<std::uint8_t, 16> head{};
    while (in.read(reinterpret_cast<char*>(head.data()), 8)) {
        std::uint64_t size = bigEndian(head.data(), 4);
        std::uint64_t header = 8;
        if (size == 1) {
            if (!in.read(reinterpret_cast<char*>(head.data() + 8), 8))
                return {};
            size = (static_cast<std::uint64_t>(bigEndian(head.data() + 8, 4)) << 32) |
                   bigEndian(head.data() + 12, 4);
            header = 16;
        }
        if (size < header)
            return {};
        if (std::string(reinterpret_cast<const char*>(head.data() + 4), 4) == "meta") {
            if (size - header < 4 || size - header > kMostMetaBytes)
                return {};
            std::vector<std::uint8_t> contents(static_cast<std::size_t>(size - header));
            if (!in.read(reinterpret_cast<char*>(contents.data()),
                         static_cast<std::streamsize>(contents.size())))
                return {};
            contents.erase(contents.begin(), contents.begin() + 4);
            return contents;
        }
        in.seekg(static_cast<std::streamoff>(size - header), std::ios::cur);
    }
    return {};
}

struct Variant {
    const char* itemType;
    const char* name;
    heif_compression_format format; // undefined: none in this libheif
};

constexpr Variant kVariants[] = {
    {"hvc1", "HEIF with HEVC data", heif_compression_HEVC},
    {"av01", "AVIF", heif_compression_AV1},
    {"avc1", "HEIF with H.264 data", heif_compression_AVC},
    {"jpeg", "HEIF with JPEG data", heif_compression_JPEG},
    {"j2k1", "HEIF with JPEG 2000 data", heif_compression_JPEG2000},
    {"vvc1", "HEIF with VVC data", heif_compression_VVC},
    {"evc1", "HEIF with EVC data", heif_compression_EVC},
    {"unci", "HEIF with uncompressed data", heif_compression_undefined},
};

std::string unsupportedVariant(const platform::OpenedFile& file) {
    const std::string type = heifPrimaryItemType(file);
    for (const Variant& variant : kVariants) {
        if (type != variant.itemType)
            continue;
        if (variant.format != heif_compression_undefined &&
            heif_have_decoder_for_format(variant.format) != 0)
            return {};
        return std::string(variant.name) + " is not supported by this system's libheif";
    }
    return {};
}

} // namespace

std::string heifPrimaryItemType(const platform::OpenedFile& file) {
    const std::vector<std::uint8_t> meta = metaContents(file);
    std::optional<std::uint32_t> primary;
    std::vector<std::pair<std::uint32_t, std::string>> items;
    for (std::size_t at = 0; at < meta.size();) {
        const std::optional<Box> box = boxAt(meta, at, meta.size());
        if (!box || box->end - box->body < 4)
            break;
        const std::uint8_t version = meta[box->body];
        const std::size_t body = box->body + 4;
        if (box->type == "pitm" && box->end - body >= (version == 0 ? 2U : 4U))
            primary = bigEndian(&meta[body], version == 0 ? 2 : 4);
        if (box->type == "iinf") {
            const std::size_t countBytes = version == 0 ? 2 : 4;
            for (std::size_t entry = body + countBytes; entry < box->end;) {
                const std::optional<Box> infe = boxAt(meta, entry, box->end);
                if (!infe || infe->type != "infe" || infe->end - infe->body < 4)
                    break;
                const std::uint8_t infeVersion = meta[infe->body];
                const std::size_t idBytes = infeVersion == 3 ? 4 : 2;
                const std::size_t fields = infe->body + 4;
                if (infeVersion >= 2 && infe->end - fields >= idBytes + 2 + 4)
                    items.emplace_back(
                        bigEndian(&meta[fields], static_cast<int>(idBytes)),
                        std::string(reinterpret_cast<const char*>(&meta[fields + idBytes + 2]), 4));
                entry = infe->end;
            }
        }
        at = box->end;
    }
    for (const auto& [id, type] : items) {
        if (primary && id == *primary)
            return type;
    }
    return {};
}

bool heifSucceeded(const heif_error& error, const platform::OpenedFile& file,
                   std::string& problem) {
    if (error.code == heif_error_Ok)
        return true;
    problem = unsupportedVariant(file);
    if (problem.empty() && error.message != nullptr)
        reportDecoderMessage(error.message);
    return false;
}

} // namespace pw::pictures
