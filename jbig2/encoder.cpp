#include "jbig2/encoder.h"

#include "jbig2/mq_encoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>

namespace pw::jbig2 {
namespace {

enum SegmentType : std::uint8_t {
    kImmediateLosslessGenericRegion = 39,
    kPageInformation = 48,
    kEndOfPage = 49,
    kEndOfFile = 51,
};

// Template 0's context of a row that repeats the one above (typical prediction).
constexpr unsigned kTypicalRowContext = 0x9B25;

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void patchU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// A segment header with no referred-to segments and a one-byte page association; returns where
// the data length goes.
std::size_t putSegmentHeader(std::vector<std::uint8_t>& out, std::uint32_t number, SegmentType type,
                             std::uint8_t page, std::uint32_t dataLength) {
    putU32(out, number);
    out.push_back(type);
    out.push_back(0); // no referred-to segments, no retention bits
    out.push_back(page);
    const std::size_t lengthAt = out.size();
    putU32(out, dataLength);
    return lengthAt;
}

void putPageInformation(std::vector<std::uint8_t>& out, std::uint32_t number, std::uint32_t width,
                        std::uint32_t height) {
    putSegmentHeader(out, number, kPageInformation, 1, 19);
    putU32(out, width);
    putU32(out, height);
    putU32(out, 0); // resolution unknown
    putU32(out, 0);
    out.push_back(0x01); // eventually lossless; white by default, combined by OR
    out.push_back(0);    // not striped
    out.push_back(0);
}

// The page's pixels coded as template 0 with typical prediction, after the segment header, a
// row at a time from the top.
class GenericRegion {
public:
    GenericRegion(std::uint32_t width, std::vector<std::uint8_t>& out)
        : width_(width), rowBytes_((std::size_t{width} + 7) / 8), coder_(out) {
        // White bytes around each row: one before and eight after, so that neighbours past its
        // ends read as white and whole words can be read near its end.
        for (auto& row : rows_)
            row.assign(rowBytes_ + 1 + kAfter, 0);
        const unsigned spare = static_cast<unsigned>(8 * rowBytes_ - width);
        lastMask_ = static_cast<std::uint8_t>(0xFF << spare);
        above2_ = rows_[0].data() + 1;
        above_ = rows_[1].data() + 1;
        row_ = rows_[2].data() + 1;
    }

    void addRow(const std::uint8_t* source, bool blackIs1) {
        load(row_, source, blackIs1);
        // A local coder, so that its registers stay in registers.
        MqEncoder coder = coder_;
        const bool same = std::memcmp(row_, above_, rowBytes_) == 0;
        coder.encode(states_[kTypicalRowContext], same != typical_ ? 1U : 0U);
        typical_ = same;
        if (!same)
            codeRow(coder, above2_, above_, row_);
        coder_ = coder;
        std::uint8_t* const oldest = above2_;
        above2_ = above_;
        above_ = row_;
        row_ = oldest;
    }

    void finish() { coder_.finish(); }

private:
    void load(std::uint8_t* row, const std::uint8_t* source, bool blackIs1) const {
        std::memcpy(row, source, rowBytes_);
        if (!blackIs1) {
            for (std::size_t i = 0; i < rowBytes_; ++i)
                row[i] = static_cast<std::uint8_t>(~row[i]);
        }
        row[rowBytes_ - 1] &= lastMask_;
    }

    // The pixels of one row. Around byte k of a row, a 24-bit window holds bytes k - 1, k and
    // k + 1, so pixel j of byte k is bit 15 - j, and template 0's neighbours of that pixel are
    // three runs of bits: x - 2 .. x + 2 two rows up, x - 3 .. x + 3 one row up (the adaptive
    // pixels at (3, -1), (-3, -1), (2, -2), (-2, -2) complete these runs) and x - 4 .. x - 1 on
    // the row itself. Shifting the windows left by one moves them on to the next pixel.
    void codeRow(MqEncoder& coder, const std::uint8_t* above2, const std::uint8_t* above,
                 const std::uint8_t* row) {
        const std::uint32_t width = width_;
        std::uint32_t white = 0; // pixels of white bytes in white surroundings not coded yet
        std::size_t k = 0;
        while (k < rowBytes_) {
            // Eight bytes at once while they and their neighbours are white in all three rows.
            if ((word(above2 + k - 1) | word(above2 + k + 1) | word(above + k - 1) |
                 word(above + k + 1) | word(row + k - 1) | word(row + k + 1)) == 0) {
                white += static_cast<std::uint32_t>(std::min<std::size_t>(64, width - 8 * k));
                k += 8;
                continue;
            }
            const std::size_t end = std::min(k + 8, rowBytes_);
            for (; k < end; ++k) {
                std::uint32_t r2 = window(above2 + k);
                std::uint32_t r1 = window(above + k);
                std::uint32_t r0 = window(row + k);
                const auto count = static_cast<unsigned>(std::min<std::size_t>(8, width - 8 * k));
                if (((r2 & 0x3FFC0U) | (r1 & 0x7FFE0U) | (r0 & 0xFFF00U)) == 0) {
                    white += count; // each a 0 in context 0
                    continue;
                }
                if (white > 0) {
                    coder.encodeZeros(states_[0], white);
                    white = 0;
                }
                for (unsigned j = 0; j < count; ++j) {
                    const std::uint32_t context =
                        ((r2 >> 2) & 0xF800U) | ((r1 >> 8) & 0x07F0U) | ((r0 >> 16) & 0x000FU);
                    coder.encode(states_[context], (r0 >> 15) & 1U);
                    r2 <<= 1;
                    r1 <<= 1;
                    r0 <<= 1;
                }
            }
        }
        if (white > 0)
            coder.encodeZeros(states_[0], white);
    }

    // The eight bytes from `at` on, in any order.
    static std::uint64_t word(const std::uint8_t* at) {
        std::uint64_t value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }

    // Bytes at - 1, at and at + 1 as the high, middle and low byte.
    static std::uint32_t window(const std::uint8_t* at) {
        return (std::uint32_t{at[-1]} << 16) | (std::uint32_t{at[0]} << 8) | at[1];
    }

    static constexpr std::size_t kAfter = 8;

    std::uint32_t width_;
    std::size_t rowBytes_;
    std::uint8_t lastMask_;
    MqEncoder coder_;
    std::array<std::vector<std::uint8_t>, 3> rows_;
    std::uint8_t* above2_;
    std::uint8_t* above_;
    std::uint8_t* row_;
    bool typical_ = false;
    std::array<MqState, 65536> states_{};
};

// The generic region segment's header and region fields; returns where its data length goes.
std::size_t putGenericRegionHeader(std::vector<std::uint8_t>& out, std::uint32_t number,
                                   std::uint32_t width, std::uint32_t height) {
    const std::size_t lengthAt =
        putSegmentHeader(out, number, kImmediateLosslessGenericRegion, 1, 0);
    putU32(out, width);
    putU32(out, height);
    putU32(out, 0); // at the page's top left
    putU32(out, 0);
    out.push_back(0);    // combined by OR
    out.push_back(0x08); // arithmetic coding, template 0, typical prediction
    for (const int at : {3, -1, -3, -1, 2, -2, -2, -2})
        out.push_back(static_cast<std::uint8_t>(at));
    return lengthAt;
}

bool encodable(std::uint32_t width, std::uint32_t height) {
    // A page height of 2^32 - 1 means "not known yet".
    return width > 0 && height > 0 && height != 0xFFFFFFFFU;
}

} // namespace

struct PageCoder::State {
    std::vector<std::uint8_t> out;
    std::size_t lengthAt = 0;
    std::uint32_t height = 0;
    std::uint32_t added = 0;
    bool file = false;
    bool failed = false;
    std::unique_ptr<GenericRegion> region;
};

PageCoder::PageCoder(std::uint32_t width, std::uint32_t height, bool file)
    : state_(std::make_unique<State>()) {
    State& state = *state_;
    state.height = height;
    state.file = file;
    state.failed = !encodable(width, height);
    if (state.failed)
        return;
    try {
        if (file) {
            state.out = {0x97, 0x4A, 0x42, 0x32, 0x0D, 0x0A, 0x1A, 0x0A};
            state.out.push_back(0x01); // sequential, page count known
            putU32(state.out, 1);
        }
        putPageInformation(state.out, 0, width, height);
        state.lengthAt = putGenericRegionHeader(state.out, 1, width, height);
        state.region = std::make_unique<GenericRegion>(width, state.out);
    } catch (const std::bad_alloc&) {
        state.failed = true;
    }
}

PageCoder::~PageCoder() = default;

void PageCoder::addRow(const std::uint8_t* row, bool blackIs1) {
    State& state = *state_;
    if (state.failed || row == nullptr || state.added == state.height) {
        state.failed = true;
        return;
    }
    try {
        state.region->addRow(row, blackIs1);
        ++state.added;
    } catch (const std::bad_alloc&) {
        state.failed = true;
    }
}

std::vector<std::uint8_t> PageCoder::finish() {
    State& state = *state_;
    if (state.failed || state.added != state.height)
        return {};
    try {
        state.region->finish();
        const std::size_t start = state.lengthAt + 4;
        if (state.out.size() - start >= 0xFFFFFFFFU)
            return {}; // more than a segment's length field counts
        patchU32(state.out, state.lengthAt, static_cast<std::uint32_t>(state.out.size() - start));
        if (state.file) {
            putSegmentHeader(state.out, 2, kEndOfPage, 1, 0);
            putSegmentHeader(state.out, 3, kEndOfFile, 0, 0);
        }
    } catch (const std::bad_alloc&) {
        return {};
    }
    state.failed = true; // finished: no more rows
    return std::move(state.out);
}

namespace {

std::vector<std::uint8_t> encode(const Bitmap& bitmap, bool file) {
    if (bitmap.data == nullptr)
        return {};
    PageCoder coder(bitmap.width, bitmap.height, file);
    const std::uint8_t* row = bitmap.data;
    for (std::uint32_t y = 0; y < bitmap.height && encodable(bitmap.width, bitmap.height); ++y) {
        coder.addRow(row, bitmap.blackIs1);
        row += bitmap.stride;
    }
    return coder.finish();
}

} // namespace

std::vector<std::uint8_t> encodeEmbedded(const Bitmap& bitmap) {
    return encode(bitmap, false);
}

std::vector<std::uint8_t> encodeFile(const Bitmap& bitmap) {
    return encode(bitmap, true);
}

} // namespace pw::jbig2
