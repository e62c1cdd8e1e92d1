#include "pictures/heif_meta.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace pw::pictures {
namespace {

constexpr std::uint64_t kMaxMetaBytes = 64ull << 20;

std::uint32_t bigEndian32(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at]) << 24 |
                                      static_cast<unsigned char>(bytes[at + 1]) << 16 |
                                      static_cast<unsigned char>(bytes[at + 2]) << 8 |
                                      static_cast<unsigned char>(bytes[at + 3]));
}

std::uint64_t bigEndian64(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint64_t>(bigEndian32(bytes, at)) << 32 | bigEndian32(bytes, at + 4);
}

struct Box {
    std::size_t start = 0;   // of its header
    std::size_t payload = 0; // of what follows the header
    std::size_t end = 0;
    std::string type;
};

// The boxes one after another in bytes[begin, end), as far as their headers hold together.
std::vector<Box> boxesIn(const std::string& bytes, std::size_t begin, std::size_t end) {
    std::vector<Box> boxes;
    std::size_t at = begin;
    while (at <= end && end - at >= 8) {
        std::uint64_t size = bigEndian32(bytes, at);
        std::size_t header = 8;
        if (size == 1) {
            if (end - at < 16)
                break;
            size = bigEndian64(bytes, at + 8);
            header = 16;
        } else if (size == 0) {
            size = end - at; // up to the end of its parent
        }
        if (size < header || size > end - at)
            break;
        boxes.push_back(
            {at, at + header, at + static_cast<std::size_t>(size), bytes.substr(at + 4, 4)});
        at += static_cast<std::size_t>(size);
    }
    return boxes;
}

// The transformation a property box stands for; nullopt for other properties.
std::optional<HeifTransform> transformOf(const std::string& bytes, const Box& box) {
    const std::size_t length = box.end - box.payload;
    HeifTransform transform;
    if (box.type == "irot" && length >= 1) {
        transform.kind = HeifTransform::Kind::Rotate;
        transform.quarterTurns = bytes[box.payload] & 3;
    } else if (box.type == "imir" && length >= 1) {
        transform.kind = HeifTransform::Kind::Mirror;
        transform.leftRight = (bytes[box.payload] & 1) != 0;
    } else if (box.type == "clap" && length >= 32) {
        transform.kind = HeifTransform::Kind::Crop;
        for (std::size_t i = 0; i < 8; ++i)
            transform.aperture[i] = bigEndian32(bytes, box.payload + 4 * i);
    } else {
        return std::nullopt;
    }
    return transform;
}

// Adds the transformations an ipma box associates with each item, in its order.
void readAssociations(const std::string& bytes, const Box& ipma,
                      const std::vector<std::optional<HeifTransform>>& properties, HeifMeta& meta) {
    std::size_t at = ipma.payload;
    const auto left = [&](std::size_t count) { return at <= ipma.end && ipma.end - at >= count; };
    if (!left(8))
        return;
    const int version = static_cast<unsigned char>(bytes[at]);
    const bool wideIndices = (bytes[at + 3] & 1) != 0;
    const std::uint32_t entries = bigEndian32(bytes, at + 4);
    at += 8;
    for (std::uint32_t entry = 0; entry < entries; ++entry) {
        std::uint32_t item = 0;
        if (version < 1) {
            if (!left(2))
                return;
            item = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at]) << 8 |
                                              static_cast<unsigned char>(bytes[at + 1]));
            at += 2;
        } else {
            if (!left(4))
                return;
            item = bigEndian32(bytes, at);
            at += 4;
        }
        if (!left(1))
            return;
        const int associations = static_cast<unsigned char>(bytes[at++]);
        for (int i = 0; i < associations; ++i) {
            std::size_t index = 0; // 1-based, without the "essential" bit
            if (wideIndices) {
                if (!left(2))
                    return;
                index = (static_cast<unsigned char>(bytes[at]) & 0x7F) << 8 |
                        static_cast<unsigned char>(bytes[at + 1]);
                at += 2;
            } else {
                if (!left(1))
                    return;
                index = static_cast<unsigned char>(bytes[at++]) & 0x7F;
            }
            if (index >= 1 && index <= properties.size() && properties[index - 1])
                meta.transforms[item].push_back(*properties[index - 1]);
        }
    }
}

// 2 x 2 matrices of the EXIF orientations on pixel positions centred on the picture:
// shown x = a x + b y, shown y = c x + d y.
struct Turn {
    int a, b, c, d;
    bool operator==(const Turn&) const = default;
};
constexpr Turn kOrientations[9] = {{1, 0, 0, 1},   {1, 0, 0, 1},   {-1, 0, 0, 1},
                                   {-1, 0, 0, -1}, {1, 0, 0, -1},  {0, 1, 1, 0},
                                   {0, -1, 1, 0},  {0, -1, -1, 0}, {0, 1, -1, 0}};

Turn after(const Turn& first, const Turn& then) {
    return {then.a * first.a + then.b * first.c, then.a * first.b + then.b * first.d,
            then.c * first.a + then.d * first.c, then.c * first.b + then.d * first.d};
}

int orientationOf(const Turn& turn) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
        if (kOrientations[orientation] == turn)
            return orientation;
    }
    return 1;
}

// Narrows `region` to the clean aperture of what it shows, when that is sound.
void crop(HeifRegion& region, const std::uint32_t (&aperture)[8]) {
    const Turn turn = kOrientations[region.orientation];
    const bool sideways = turn.b != 0;
    const long double shownWidth = sideways ? region.height : region.width;
    const long double shownHeight = sideways ? region.width : region.height;
    if (aperture[1] == 0 || aperture[3] == 0 || aperture[5] == 0 || aperture[7] == 0)
        return;
    const long double width = static_cast<long double>(aperture[0]) / aperture[1];
    const long double height = static_cast<long double>(aperture[2]) / aperture[3];
    const long double across = static_cast<long double>(static_cast<std::int32_t>(aperture[4])) /
                               static_cast<long double>(aperture[5]);
    const long double down = static_cast<long double>(static_cast<std::int32_t>(aperture[6])) /
                             static_cast<long double>(aperture[7]);
    const long double left = std::floor(across + (shownWidth - width) / 2);
    const long double top = std::floor(down + (shownHeight - height) / 2);
    const long double right = left + std::round(width);
    const long double bottom = top + std::round(height);
    // Clipped to the picture, in shown pixels.
    const int x0 = static_cast<int>(std::clamp(left, 0.0L, shownWidth));
    const int y0 = static_cast<int>(std::clamp(top, 0.0L, shownHeight));
    const int x1 = static_cast<int>(std::clamp(right, 0.0L, shownWidth)) - 1;
    const int y1 = static_cast<int>(std::clamp(bottom, 0.0L, shownHeight)) - 1;
    if (x1 < x0 || y1 < y0)
        return;
    // Both corners back in stored pixels of the region, through the inverse (the transpose).
    const auto stored = [&](int x, int y, int& storedX, int& storedY) {
        const int centredX = 2 * x - (static_cast<int>(shownWidth) - 1);
        const int centredY = 2 * y - (static_cast<int>(shownHeight) - 1);
        storedX = (turn.a * centredX + turn.c * centredY + region.width - 1) / 2;
        storedY = (turn.b * centredX + turn.d * centredY + region.height - 1) / 2;
    };
    int ax = 0, ay = 0, bx = 0, by = 0;
    stored(x0, y0, ax, ay);
    stored(x1, y1, bx, by);
    region.left += std::min(ax, bx);
    region.top += std::min(ay, by);
    region.width = std::abs(bx - ax) + 1;
    region.height = std::abs(by - ay) + 1;
}

} // namespace

HeifMeta parseHeifMeta(std::string box, std::uint64_t offset) {
    HeifMeta meta;
    meta.offset = offset;
    const std::vector<Box> self = boxesIn(box, 0, box.size());
    if (self.size() == 1 && self[0].type == "meta" && self[0].end - self[0].payload >= 4) {
        std::vector<Box> properties;
        std::vector<Box> associations;
        for (const Box& child : boxesIn(box, self[0].payload + 4, self[0].end)) {
            if (child.type == "grpl")
                box.replace(child.start + 4, 4, "free");
            if (child.type != "iprp")
                continue;
            for (const Box& inner : boxesIn(box, child.payload, child.end)) {
                if (inner.type == "ipco" && properties.empty())
                    properties = boxesIn(box, inner.payload, inner.end);
                else if (inner.type == "ipma")
                    associations.push_back(inner);
            }
        }
        std::vector<std::optional<HeifTransform>> transforms;
        for (const Box& property : properties) {
            transforms.push_back(transformOf(box, property));
            if (transforms.back())
                box.replace(property.start + 4, 4, "free");
        }
        for (const Box& ipma : associations)
            readAssociations(box, ipma, transforms, meta);
    }
    meta.box = std::move(box);
    return meta;
}

std::optional<HeifMeta> readHeifMeta(const std::string& narrowPath) {
    return readHeifMeta(platform::OpenedFile(narrowPath));
}

std::optional<HeifMeta> readHeifMeta(const platform::OpenedFile& file) {
    platform::OpenedFileStream in(file);
    if (!in.seekg(0, std::ios::end))
        return std::nullopt;
    const auto fileSize = static_cast<std::uint64_t>(in.tellg());
    std::uint64_t at = 0;
    std::string header(16, '\0');
    while (fileSize - at >= 8 && in.seekg(static_cast<std::streamoff>(at)) &&
           in.read(header.data(), 8)) {
        std::uint64_t size = bigEndian32(header, 0);
        if (size == 1) {
            if (!in.read(header.data() + 8, 8))
                break;
            size = bigEndian64(header, 8);
        } else if (size == 0) {
            size = fileSize - at;
        }
        if (size < 8 || size > fileSize - at)
            break;
        if (header.compare(4, 4, "meta") == 0) {
            if (size > kMaxMetaBytes)
                return std::nullopt;
            std::string box(static_cast<std::size_t>(size), '\0');
            if (!in.seekg(static_cast<std::streamoff>(at)) ||
                !in.read(box.data(), static_cast<std::streamsize>(size)))
                return std::nullopt;
            return parseHeifMeta(std::move(box), at);
        }
        at += size;
    }
    return std::nullopt;
}

HeifRegion shownRegion(int width, int height, std::vector<HeifTransform> transforms) {
    // The format fixes the order, whatever the order the file lists them in: the clean
    // aperture, then the rotation, then the mirroring.
    std::stable_sort(
        transforms.begin(), transforms.end(),
        [](const HeifTransform& a, const HeifTransform& b) { return a.kind < b.kind; });
    HeifRegion region{0, 0, width, height, 1};
    for (const HeifTransform& transform : transforms) {
        Turn turn = kOrientations[region.orientation];
        switch (transform.kind) {
        case HeifTransform::Kind::Rotate: {
            constexpr int kAnticlockwise[4] = {1, 8, 3, 6};
            turn = after(turn, kOrientations[kAnticlockwise[transform.quarterTurns & 3]]);
            break;
        }
        case HeifTransform::Kind::Mirror:
            turn = after(turn, kOrientations[transform.leftRight ? 2 : 4]);
            break;
        case HeifTransform::Kind::Crop:
            crop(region, transform.aperture);
            break;
        }
        region.orientation = orientationOf(turn);
    }
    return region;
}

} // namespace pw::pictures
