#include "pictures/heif_canvas.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <utility>
#include <vector>

// Boxes as ISO/IEC 14496-12 and 23008-12 lay them out; only what leads to the primary item's
// data and its tiles' ispe is read.
namespace pw::pictures {
namespace {

constexpr std::uint64_t kMaxMetaBytes = 16u << 20;
constexpr std::size_t kCanvasBytes = 16;   // a grid's or an overlay's header and size
constexpr std::size_t kMaxItems = 1 << 16; // entries kept of each kind, far above real files

// Big-endian numbers from a piece of memory; reading past its end fails the rest.
class Bytes {
public:
    Bytes() = default;
    Bytes(const char* data, std::size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    std::size_t left() const { return ok_ ? size_ - at_ : 0; }

    std::uint64_t number(std::uint64_t bytes) {
        if (!ok_ || bytes > 8 || bytes > size_ - at_) {
            ok_ = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::uint64_t i = 0; i < bytes; ++i)
            value = value << 8 | static_cast<unsigned char>(data_[at_++]);
        return value;
    }
    std::uint32_t u8() { return static_cast<std::uint32_t>(number(1)); }
    std::uint32_t u16() { return static_cast<std::uint32_t>(number(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(number(4)); }
    std::string fourcc() {
        const std::uint32_t value = u32();
        return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                static_cast<char>(value >> 8), static_cast<char>(value)};
    }
    // The next `bytes` as a piece of their own, skipped here.
    Bytes take(std::uint64_t bytes) {
        if (!ok_ || bytes > size_ - at_) {
            ok_ = false;
            return {};
        }
        Bytes piece(data_ + at_, static_cast<std::size_t>(bytes));
        at_ += static_cast<std::size_t>(bytes);
        return piece;
    }
    const char* here() const { return data_ + at_; }

    // The next box: its type and contents; false at the end or at a damaged header.
    bool box(std::string& type, Bytes& contents) {
        if (left() < 8)
            return false;
        std::uint64_t size = u32();
        type = fourcc();
        std::uint64_t header = 8;
        if (size == 1) {
            size = number(8);
            header = 16;
        } else if (size == 0) {
            size = header + left();
        }
        if (!ok_ || size < header)
            return false;
        contents = take(size - header);
        return ok_;
    }

private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t at_ = 0;
    bool ok_ = true;
};

struct Location {
    std::uint32_t method = 0; // 0 file offsets, 1 offsets into idat
    std::uint64_t base = 0;
    std::uint64_t offset = 0; // of the first extent; the header sits in it
    std::uint64_t length = 0; // 0: to the end
};

struct Meta {
    std::optional<std::uint32_t> primary;
    std::map<std::uint32_t, std::string> types;
    std::map<std::uint32_t, Location> locations;
    std::map<std::uint32_t, std::vector<std::uint32_t>> sources; // dimg: what derived items use
    std::map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> ispes; // by property index
    std::map<std::uint32_t, std::vector<std::uint32_t>> properties;         // by item
    std::string idat;
};

void readItemInfos(Bytes box, Meta& meta) {
    const std::uint32_t version = box.u8();
    box.number(3);
    box.number(version == 0 ? 2 : 4); // entry count
    std::string type;
    Bytes entry;
    while (meta.types.size() < kMaxItems && box.box(type, entry)) {
        const std::uint32_t entryVersion = entry.u8();
        entry.number(3);
        if (type != "infe" || entryVersion < 2)
            continue;
        const std::uint32_t id = entryVersion == 2 ? entry.u16() : entry.u32();
        entry.u16(); // protection
        const std::string itemType = entry.fourcc();
        if (entry.ok())
            meta.types[id] = itemType;
    }
}

void readLocations(Bytes box, Meta& meta) {
    const std::uint32_t version = box.u8();
    box.number(3);
    const std::uint32_t sizes = box.u8();
    const std::uint32_t more = box.u8();
    const std::uint64_t offsetSize = sizes >> 4;
    const std::uint64_t lengthSize = sizes & 15;
    const std::uint64_t baseSize = more >> 4;
    const std::uint64_t indexSize = version == 1 || version == 2 ? more & 15 : 0;
    const std::uint32_t count = version < 2 ? box.u16() : box.u32();
    for (std::uint32_t i = 0; i < count && i < kMaxItems && box.ok(); ++i) {
        const std::uint32_t id = version < 2 ? box.u16() : box.u32();
        Location location;
        if (version == 1 || version == 2)
            location.method = box.u16() & 15;
        box.u16(); // data reference
        location.base = box.number(baseSize);
        const std::uint32_t extents = box.u16();
        for (std::uint32_t e = 0; e < extents && box.ok(); ++e) {
            box.number(indexSize);
            const std::uint64_t offset = box.number(offsetSize);
            const std::uint64_t length = box.number(lengthSize);
            if (e == 0) {
                location.offset = offset;
                location.length = length;
            }
        }
        if (box.ok() && extents > 0)
            meta.locations[id] = location;
    }
}

void readReferences(Bytes box, Meta& meta) {
    const std::uint64_t idBytes = box.u8() == 0 ? 2 : 4;
    box.number(3);
    std::string type;
    Bytes reference;
    while (meta.sources.size() < kMaxItems && box.box(type, reference)) {
        const auto from = static_cast<std::uint32_t>(reference.number(idBytes));
        const std::uint32_t count = reference.u16();
        if (type != "dimg")
            continue;
        std::vector<std::uint32_t>& to = meta.sources[from];
        for (std::uint32_t i = 0; i < count && reference.ok(); ++i)
            to.push_back(static_cast<std::uint32_t>(reference.number(idBytes)));
    }
}

void readProperties(Bytes box, Meta& meta) {
    std::string type;
    Bytes child;
    while (box.box(type, child)) {
        if (type == "ipco") {
            std::uint32_t index = 0;
            std::string propertyType;
            Bytes property;
            while (index < kMaxItems && child.box(propertyType, property)) {
                ++index;
                if (propertyType != "ispe")
                    continue;
                property.number(4);
                const std::uint32_t width = property.u32();
                const std::uint32_t height = property.u32();
                if (property.ok())
                    meta.ispes[index] = {width, height};
            }
        } else if (type == "ipma") {
            const std::uint32_t version = child.u8();
            const auto flags = static_cast<std::uint32_t>(child.number(3));
            const std::uint32_t count = child.u32();
            for (std::uint32_t i = 0; i < count && i < kMaxItems && child.ok(); ++i) {
                const std::uint32_t id = version < 1 ? child.u16() : child.u32();
                const std::uint32_t associations = child.u8();
                std::vector<std::uint32_t>& indices = meta.properties[id];
                for (std::uint32_t a = 0; a < associations && child.ok(); ++a)
                    indices.push_back((flags & 1) != 0 ? child.u16() & 0x7FFF : child.u8() & 0x7F);
            }
        }
    }
}

Meta readMeta(Bytes box) {
    Meta meta;
    box.number(4); // version and flags
    std::string type;
    Bytes child;
    while (box.box(type, child)) {
        if (type == "pitm") {
            const std::uint32_t version = child.u8();
            child.number(3);
            const std::uint32_t id = version == 0 ? child.u16() : child.u32();
            if (child.ok())
                meta.primary = id;
        } else if (type == "iinf") {
            readItemInfos(child, meta);
        } else if (type == "iloc") {
            readLocations(child, meta);
        } else if (type == "iref") {
            readReferences(child, meta);
        } else if (type == "iprp") {
            readProperties(child, meta);
        } else if (type == "idat") {
            meta.idat.assign(child.here(), child.left());
        }
    }
    return meta;
}

// The first bytes of the item's data, from the file or from idat.
std::string itemStart(std::istream& file, const Meta& meta, const Location& location) {
    const std::uint64_t start = location.base + location.offset;
    const std::uint64_t wanted = location.length == 0
                                     ? kCanvasBytes
                                     : std::min<std::uint64_t>(location.length, kCanvasBytes);
    if (location.method == 1) {
        if (start >= meta.idat.size())
            return {};
        return meta.idat.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(wanted));
    }
    if (location.method != 0)
        return {};
    std::string data(static_cast<std::size_t>(wanted), '\0');
    file.clear();
    file.seekg(static_cast<std::streamoff>(start));
    file.read(data.data(), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<std::size_t>(file.gcount()));
    return data;
}

// The ispe of an item, when it has one.
std::optional<std::pair<std::uint32_t, std::uint32_t>> itemSize(const Meta& meta,
                                                                std::uint32_t id) {
    const auto found = meta.properties.find(id);
    if (found == meta.properties.end())
        return std::nullopt;
    for (const std::uint32_t index : found->second) {
        const auto ispe = meta.ispes.find(index);
        if (ispe != meta.ispes.end())
            return ispe->second;
    }
    return std::nullopt;
}

} // namespace

std::optional<HeifCanvas> readHeifCanvas(const std::string& narrowPath) {
    return readHeifCanvas(platform::OpenedFile(narrowPath));
}

std::optional<HeifCanvas> readHeifCanvas(const platform::OpenedFile& opened) {
    platform::OpenedFileStream file(opened);
    // The top-level boxes, up to 'meta', which is read whole.
    std::string metaBytes;
    for (;;) {
        char head[16];
        if (!file.read(head, 8))
            return std::nullopt;
        Bytes header(head, 8);
        std::uint64_t size = header.u32();
        const std::string type = header.fourcc();
        std::uint64_t headerSize = 8;
        if (size == 1) {
            if (!file.read(head + 8, 8))
                return std::nullopt;
            size = Bytes(head + 8, 8).number(8);
            headerSize = 16;
        }
        if (type == "meta") {
            if (size == 0)
                size = headerSize + kMaxMetaBytes; // to the end of the file
            if (size < headerSize || size - headerSize > kMaxMetaBytes)
                return std::nullopt;
            metaBytes.resize(static_cast<std::size_t>(size - headerSize));
            file.read(metaBytes.data(), static_cast<std::streamsize>(metaBytes.size()));
            metaBytes.resize(static_cast<std::size_t>(file.gcount()));
            break;
        }
        if (size < headerSize)
            return std::nullopt;
        file.seekg(static_cast<std::streamoff>(size - headerSize), std::ios::cur);
    }
    const Meta meta = readMeta(Bytes(metaBytes.data(), metaBytes.size()));
    if (!meta.primary)
        return std::nullopt;
    // An identity item ('iden') shows the one it is derived from.
    std::uint32_t item = *meta.primary;
    auto type = meta.types.find(item);
    for (int depth = 0; depth < 8 && type != meta.types.end() && type->second == "iden"; ++depth) {
        const auto source = meta.sources.find(item);
        if (source == meta.sources.end() || source->second.empty())
            return std::nullopt;
        item = source->second.front();
        type = meta.types.find(item);
    }
    const auto location = meta.locations.find(item);
    if (type == meta.types.end() || location == meta.locations.end() ||
        (type->second != "grid" && type->second != "iovl"))
        return std::nullopt;
    const std::string start = itemStart(file, meta, location->second);
    Bytes data(start.data(), start.size());
    const bool grid = type->second == "grid";
    data.u8(); // version
    const std::uint64_t sizeBytes = (data.u8() & 1) != 0 ? 4 : 2;
    std::uint32_t rows = 0;
    std::uint32_t columns = 0;
    if (grid) {
        rows = data.u8() + 1;
        columns = data.u8() + 1;
    } else {
        data.number(8); // the canvas colour, four 16-bit values
    }
    HeifCanvas canvas;
    canvas.width = static_cast<std::uint32_t>(data.number(sizeBytes));
    canvas.height = static_cast<std::uint32_t>(data.number(sizeBytes));
    if (!data.ok())
        return std::nullopt;
    const auto tiles = meta.sources.find(item);
    if (grid && tiles != meta.sources.end() && !tiles->second.empty()) {
        if (const auto tile = itemSize(meta, tiles->second.front()))
            canvas.covered = std::uint64_t{columns} * tile->first >= canvas.width &&
                             std::uint64_t{rows} * tile->second >= canvas.height;
    }
    return canvas;
}

} // namespace pw::pictures
