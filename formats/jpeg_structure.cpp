#include "formats/jpeg_structure.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace pw::formats {
namespace {

constexpr int kTables = 4; // Huffman and quantization table slots
constexpr int kMaxScanComps = 4;
constexpr int kMaxMcuBlocks = 10;

// Sequential reader with a large buffer and a fast search for the next 0xFF.
class Reader {
public:
    explicit Reader(std::FILE* file) : file_(file), buffer_(1 << 16) {}

    bool byte(unsigned char& c) {
        if (pos_ == len_ && !refill())
            return false;
        c = buffer_[pos_++];
        return true;
    }
    bool u16(unsigned& v) {
        unsigned char hi = 0;
        unsigned char lo = 0;
        if (!byte(hi) || !byte(lo))
            return false;
        v = static_cast<unsigned>(hi) << 8 | lo;
        return true;
    }
    bool bytes(unsigned char* out, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!byte(out[i]))
                return false;
        }
        return true;
    }
    bool skip(std::size_t count) {
        while (count > 0) {
            if (pos_ == len_ && !refill())
                return false;
            const std::size_t step = std::min(count, len_ - pos_);
            pos_ += step;
            count -= step;
        }
        return true;
    }
    // Moves past the next 0xFF byte; returns the number of other bytes passed over.
    bool toNextFF(std::size_t& passed) {
        passed = 0;
        while (true) {
            if (pos_ == len_ && !refill())
                return false;
            const void* found = std::memchr(&buffer_[pos_], 0xFF, len_ - pos_);
            if (found != nullptr) {
                const auto at = static_cast<std::size_t>(static_cast<const unsigned char*>(found) -
                                                         buffer_.data());
                passed += at - pos_;
                pos_ = at + 1;
                return true;
            }
            passed += len_ - pos_;
            pos_ = len_;
        }
    }

private:
    bool refill() {
        len_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        pos_ = 0;
        return len_ > 0;
    }

    std::FILE* file_;
    std::vector<unsigned char> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
};

struct Component {
    int id = 0;
    int h = 1; // sampling factors
    int v = 1;
    int quantTable = 0;
};

// A Huffman table as a decoder builds it: usable when its code lengths fit, and as a DC table
// only when every symbol is a valid magnitude category.
struct HuffmanTable {
    bool defined = false;
    bool codesFit = false;
    bool dcSymbols = false;
};

class Walker {
public:
    explicit Walker(std::FILE* file) : in_(file) {}

    bool run(std::string& reason) {
        unsigned char a = 0;
        unsigned char b = 0;
        if (!in_.byte(a) || !in_.byte(b) || a != 0xFF || b != 0xD8)
            return fail(reason, "no start-of-image marker");
        unsigned char marker = 0;
        if (!nextMarker(marker))
            return fail(reason, "truncated");
        while (true) {
            if (marker == 0xD9) {
                if (!sawScanData_)
                    return fail(reason, "no image data");
                return true;
            }
            if (!segment(marker, reason))
                return false;
            const bool found = marker == 0xDA ? scanData(marker) : nextMarker(marker);
            if (!found)
                return fail(reason, kJpegTruncatedData);
        }
    }

private:
    static bool fail(std::string& reason, const std::string& why) {
        reason = why;
        return false;
    }

    // Next marker between segments; stray bytes before it are tolerated, as decoders do.
    bool nextMarker(unsigned char& marker) {
        while (true) {
            std::size_t passed = 0;
            if (!in_.toNextFF(passed))
                return false;
            unsigned char c = 0xFF;
            while (c == 0xFF) {
                if (!in_.byte(c))
                    return false;
            }
            if (c != 0x00) {
                marker = c;
                return true;
            }
        }
    }

    // Entropy-coded data up to the next marker that is neither stuffing nor a restart.
    bool scanData(unsigned char& marker) {
        while (true) {
            std::size_t passed = 0;
            if (!in_.toNextFF(passed))
                return false;
            if (passed > 0)
                sawScanData_ = true;
            unsigned char c = 0xFF;
            while (c == 0xFF) {
                if (!in_.byte(c))
                    return false;
            }
            if (c == 0x00 || (c >= 0xD0 && c <= 0xD7)) {
                sawScanData_ = true;
                continue;
            }
            marker = c;
            return true;
        }
    }

    bool segment(unsigned char marker, std::string& reason) {
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            return true; // parameterless
        unsigned length = 0;
        if (!in_.u16(length))
            return fail(reason, "truncated");
        if (length < 2)
            return fail(reason, "bad marker length");
        std::vector<unsigned char> body(length - 2);
        if (!in_.bytes(body.data(), body.size()))
            return fail(reason, "truncated");
        switch (marker) {
        case 0xC0:
        case 0xC1:
        case 0xC2:
            return frame(marker, body, reason);
        case 0xC4:
            return huffmanTables(body, reason);
        case 0xDB:
            return quantTables(body, reason);
        case 0xDA:
            return scanHeader(body, reason);
        case 0xDD:
            return body.size() == 2 || fail(reason, "bad restart interval");
        case 0xCC: // arithmetic conditioning, harmless
        case 0xDC: // number of lines
        case 0xFE: // comment
            return true;
        default:
            if (marker >= 0xE0 && marker <= 0xEF)
                return true; // application data
            if (marker >= 0xC0 && marker <= 0xCF)
                return fail(reason, "unsupported JPEG process");
            char text[48];
            std::snprintf(text, sizeof text, "unknown marker 0x%02X", marker);
            return fail(reason, text);
        }
    }

    bool frame(unsigned char marker, const std::vector<unsigned char>& body, std::string& reason) {
        if (sawFrame_)
            return fail(reason, "two frame headers");
        sawFrame_ = true;
        progressive_ = marker == 0xC2;
        if (body.size() < 6 || body.size() != 6u + 3u * body[5] || body[5] == 0)
            return fail(reason, "bad frame header");
        for (std::size_t i = 0; i < body[5]; ++i) {
            const unsigned char* c = &body[6 + 3 * i];
            const int h = c[1] >> 4;
            const int v = c[1] & 15;
            if (h < 1 || h > 4 || v < 1 || v > 4 || c[2] >= kTables)
                return fail(reason, "bad frame header");
            components_.push_back({c[0], h, v, c[2]});
            maxH_ = std::max(maxH_, h);
            maxV_ = std::max(maxV_, v);
        }
        // Decoders upsample by whole factors only ("fractional sampling not implemented").
        for (const Component& c : components_) {
            if (maxH_ % c.h != 0 || maxV_ % c.v != 0)
                return fail(reason, "fractional chroma sampling");
        }
        return true;
    }

    bool huffmanTables(const std::vector<unsigned char>& body, std::string& reason) {
        std::size_t at = 0;
        while (at < body.size()) {
            if (body.size() - at < 17)
                return fail(reason, "bad Huffman table");
            const int index = body[at];
            const bool ac = (index & 0x10) != 0;
            const int slot = index & ~0x10;
            if (slot >= kTables)
                return fail(reason, "bad Huffman table");
            std::array<int, 17> counts{};
            int total = 0;
            for (int l = 1; l <= 16; ++l) {
                counts[static_cast<std::size_t>(l)] = body[at + static_cast<std::size_t>(l)];
                total += counts[static_cast<std::size_t>(l)];
            }
            if (total > 256 || body.size() - at - 17 < static_cast<std::size_t>(total))
                return fail(reason, "bad Huffman table");
            HuffmanTable table;
            table.defined = true;
            // Canonical codes of each length must fit in that many bits.
            long code = 0;
            table.codesFit = true;
            for (int l = 1; l <= 16; ++l) {
                code += counts[static_cast<std::size_t>(l)];
                if (code >= (1L << l)) // the all-ones code is reserved
                    table.codesFit = false;
                code <<= 1;
            }
            table.dcSymbols = true;
            for (int i = 0; i < total; ++i) {
                if (body[at + 17 + static_cast<std::size_t>(i)] > 15)
                    table.dcSymbols = false;
            }
            (ac ? ac_ : dc_)[static_cast<std::size_t>(slot)] = table;
            at += 17 + static_cast<std::size_t>(total);
        }
        return true;
    }

    bool quantTables(const std::vector<unsigned char>& body, std::string& reason) {
        std::size_t at = 0;
        while (at < body.size()) {
            const int slot = body[at] & 15;
            const std::size_t size = (body[at] >> 4) != 0 ? 128 : 64;
            if (slot >= kTables || body.size() - at - 1 < size)
                return fail(reason, "bad quantization table");
            quant_[static_cast<std::size_t>(slot)] = true;
            at += 1 + size;
        }
        return true;
    }

    bool scanHeader(const std::vector<unsigned char>& body, std::string& reason) {
        if (!sawFrame_)
            return fail(reason, "scan before the frame header");
        // A sequential picture whose first scan holds every component is complete after it;
        // decoders stop with "didn't expect more than one scan" at a second one.
        if (completeAfterFirstScan_)
            return fail(reason, "a second scan after a complete sequential scan");
        if (body.empty() || body[0] < 1 || body[0] > kMaxScanComps ||
            body.size() != 4u + 2u * body[0])
            return fail(reason, "bad scan header");
        const int count = body[0];
        const int ss = body[1 + 2 * count];
        const int se = body[2 + 2 * count];
        const int ah = body[3 + 2 * count] >> 4;
        const int al = body[3 + 2 * count] & 15;
        if (progressive_) {
            const bool dcBand = ss == 0;
            bool bad = dcBand ? se != 0 : (se < ss || se > 63 || count != 1);
            bad = bad || (ah != 0 && al != ah - 1) || al > 13;
            if (bad)
                return fail(reason, "bad progressive scan parameters");
        }
        int blocks = 0;
        std::vector<int> seen;
        for (int i = 0; i < count; ++i) {
            const int id = body[1 + 2 * static_cast<std::size_t>(i)];
            const int dcSlot = body[2 + 2 * static_cast<std::size_t>(i)] >> 4;
            const int acSlot = body[2 + 2 * static_cast<std::size_t>(i)] & 15;
            const Component* component = nullptr;
            for (const Component& c : components_) {
                if (c.id == id)
                    component = &c;
            }
            for (const int other : seen) {
                if (other == id)
                    component = nullptr;
            }
            if (component == nullptr)
                return fail(reason, "scan names an unknown component");
            seen.push_back(id);
            blocks += component->h * component->v;
            if (!quant_[static_cast<std::size_t>(component->quantTable)])
                return fail(reason, "undefined quantization table");
            const bool needsDc = !progressive_ || (ss == 0 && ah == 0);
            const bool needsAc = !progressive_ || ss != 0;
            if (needsDc && !usable(dc_, dcSlot, true))
                return fail(reason, "bad or undefined Huffman table");
            if (needsAc && !usable(ac_, acSlot, false))
                return fail(reason, "bad or undefined Huffman table");
        }
        if (count > 1 && blocks > kMaxMcuBlocks)
            return fail(reason, "too many blocks per MCU");
        if (!progressive_ && !sawScan_ && static_cast<std::size_t>(count) == components_.size())
            completeAfterFirstScan_ = true;
        sawScan_ = true;
        return true;
    }

    static bool usable(const std::array<HuffmanTable, kTables>& tables, int slot, bool dc) {
        if (slot >= kTables)
            return false;
        const HuffmanTable& table = tables[static_cast<std::size_t>(slot)];
        return table.defined && table.codesFit && (!dc || table.dcSymbols);
    }

    Reader in_;
    bool sawFrame_ = false;
    bool progressive_ = false;
    bool sawScanData_ = false;
    bool sawScan_ = false;
    bool completeAfterFirstScan_ = false;
    int maxH_ = 1;
    int maxV_ = 1;
    std::vector<Component> components_;
    std::array<HuffmanTable, kTables> dc_{};
    std::array<HuffmanTable, kTables> ac_{};
    std::array<bool, kTables> quant_{};
};

} // namespace

bool checkJpegStructure(std::FILE* file, std::string& reason) {
    if (std::fseek(file, 0, SEEK_SET) != 0)
        return false;
    Walker walker(file);
    return walker.run(reason);
}

} // namespace pw::formats
