#include "formats/jbig2_page.h"

#include "formats/g4_tiff.h"
#include "formats/pixel_limit.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace pw::formats {
namespace {

constexpr char kMagic[8] = {'P', 'W', 'J', 'B', 'I', 'G', '2', '\n'};
constexpr std::size_t kHeaderBytes = 26;
// The page information segment (its header and 19 bytes), the generic region's segment header,
// its region fields (17 bytes), its flags and adaptive pixels.
constexpr std::size_t kPageSegmentBytes = 11 + 19;
constexpr std::size_t kRegionHeaderBytes = 11;
constexpr std::size_t kRegionFieldsBytes = 17 + 1 + 8;
constexpr std::size_t kStreamLeadBytes =
    kPageSegmentBytes + kRegionHeaderBytes + kRegionFieldsBytes;

void putU32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(value >> shift));
}

std::uint32_t u32(const unsigned char* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) |
           (std::uint32_t{at[2]} << 8) | at[3];
}

std::uint32_t floatBits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float bitsFloat(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The stream's lead, checked against the header: `reason` stays empty when it is as pw::jbig2
// writes it with `regionBytes` of region data after the region's segment header.
std::string checkLead(const unsigned char* lead, const Jbig2Page& page, std::uint64_t regionBytes) {
    // Segment 0, page information, no referrals, page 1, 19 bytes.
    constexpr std::array<unsigned char, 11> pageHeader{0, 0, 0, 0, 48, 0, 1, 0, 0, 0, 19};
    if (std::memcmp(lead, pageHeader.data(), pageHeader.size()) != 0 ||
        u32(lead + 11) != page.width || u32(lead + 15) != page.height)
        return "no JBIG2 page information of its size";
    const unsigned char* region = lead + kPageSegmentBytes;
    constexpr std::array<unsigned char, 7> regionHeader{0, 0, 0, 1, 39, 0, 1};
    if (std::memcmp(region, regionHeader.data(), regionHeader.size()) != 0 ||
        u32(region + 7) != regionBytes)
        return "no JBIG2 region of the file's length";
    const unsigned char* fields = region + kRegionHeaderBytes;
    constexpr std::array<unsigned char, 10> placement{0, 0, 0, 0, 0, 0, 0, 0, 0, 0x08};
    constexpr std::array<unsigned char, 8> adaptive{3, 0xFF, 0xFD, 0xFF, 2, 0xFE, 0xFE, 0xFE};
    if (u32(fields) != page.width || u32(fields + 4) != page.height ||
        std::memcmp(fields + 8, placement.data(), placement.size()) != 0 ||
        std::memcmp(fields + 18, adaptive.data(), adaptive.size()) != 0)
        return "a JBIG2 region other than the whole page in template 0";
    return {};
}

} // namespace

std::string jbig2PageHeader(const Jbig2Page& page) {
    std::string header(kMagic, sizeof kMagic);
    putU32(header, page.width);
    putU32(header, page.height);
    putU32(header, floatBits(page.xResolution));
    putU32(header, floatBits(page.yResolution));
    header.push_back(static_cast<char>(page.resolutionUnit >> 8));
    header.push_back(static_cast<char>(page.resolutionUnit));
    return header;
}

std::optional<Jbig2Page> readJbig2Page(const std::string& path, std::string& reason) {
    const std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    struct stat status {};
    if (!file || fstat(fileno(file.get()), &status) != 0) {
        reason = "cannot be opened";
        return std::nullopt;
    }
    Jbig2Page page;
    page.fileSize = static_cast<std::uint64_t>(status.st_size);
    std::array<unsigned char, kHeaderBytes + kStreamLeadBytes> lead{};
    // The smallest stream ends its coded data with the two bytes of the end marker.
    if (page.fileSize < lead.size() + 2 ||
        std::fread(lead.data(), 1, lead.size(), file.get()) != lead.size() ||
        std::memcmp(lead.data(), kMagic, sizeof kMagic) != 0) {
        reason = "not a staged JBIG2 page";
        return std::nullopt;
    }
    page.width = u32(lead.data() + 8);
    page.height = u32(lead.data() + 12);
    page.xResolution = bitsFloat(u32(lead.data() + 16));
    page.yResolution = bitsFloat(u32(lead.data() + 20));
    page.resolutionUnit = (lead[24] << 8) | lead[25];
    if (page.width == 0 || page.height == 0 || page.height == 0xFFFFFFFFU) {
        reason = "no size";
        return std::nullopt;
    }
    if (!withinPixelLimit(page.width, page.height)) {
        reason = pixelLimitReason(page.width, page.height);
        return std::nullopt;
    }
    page.streamOffset = kHeaderBytes;
    page.streamBytes = page.fileSize - kHeaderBytes;
    const std::uint64_t regionBytes = page.streamBytes - kPageSegmentBytes - kRegionHeaderBytes;
    reason = checkLead(lead.data() + kHeaderBytes, page, regionBytes);
    if (!reason.empty())
        return std::nullopt;
    std::array<unsigned char, 2> end{};
    if (std::fseek(file.get(), -2, SEEK_END) != 0 ||
        std::fread(end.data(), 1, end.size(), file.get()) != end.size() || end[0] != 0xFF ||
        end[1] != 0xAC) {
        reason = "JBIG2 data cut short";
        return std::nullopt;
    }
    if (page.xResolution > 0.0F && page.yResolution > 0.0F) {
        const Resolution resolution =
            tagResolution(page.xResolution, page.yResolution, page.resolutionUnit);
        page.xDpi = resolution.xDpi;
        page.yDpi = resolution.yDpi;
    }
    return page;
}

} // namespace pw::formats
