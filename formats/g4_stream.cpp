#include "formats/g4_stream.h"

#include <algorithm>
#include <array>

namespace pw::formats {
namespace {

// T.4's run-length codes, as bit strings: terminating codes for runs of 0 to 63, then make-up
// codes for multiples of 64 up to 1728 (index i is (i - 63) * 64).
constexpr std::array<const char*, 91> kWhiteCodes = {
    "00110101",  "000111",    "0111",      "1000",      "1011",      "1100",      "1110",
    "1111",      "10011",     "10100",     "00111",     "01000",     "001000",    "000011",
    "110100",    "110101",    "101010",    "101011",    "0100111",   "0001100",   "0001000",
    "0010111",   "0000011",   "0000100",   "0101000",   "0101011",   "0010011",   "0100100",
    "0011000",   "00000010",  "00000011",  "00011010",  "00011011",  "00010010",  "00010011",
    "00010100",  "00010101",  "00010110",  "00010111",  "00101000",  "00101001",  "00101010",
    "00101011",  "00101100",  "00101101",  "00000100",  "00000101",  "00001010",  "00001011",
    "01010010",  "01010011",  "01010100",  "01010101",  "00100100",  "00100101",  "01011000",
    "01011001",  "01011010",  "01011011",  "01001010",  "01001011",  "00110010",  "00110011",
    "00110100",  "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",
    "01100100",  "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010",
    "011010011", "011010100", "011010101", "011010110", "011010111", "011011000", "011011001",
    "011011010", "011011011", "010011000", "010011001", "010011010", "011000",    "010011011"};

constexpr std::array<const char*, 91> kBlackCodes = {"0000110111",
                                                     "010",
                                                     "11",
                                                     "10",
                                                     "011",
                                                     "0011",
                                                     "0010",
                                                     "00011",
                                                     "000101",
                                                     "000100",
                                                     "0000100",
                                                     "0000101",
                                                     "0000111",
                                                     "00000100",
                                                     "00000111",
                                                     "000011000",
                                                     "0000010111",
                                                     "0000011000",
                                                     "0000001000",
                                                     "00001100111",
                                                     "00001101000",
                                                     "00001101100",
                                                     "00000110111",
                                                     "00000101000",
                                                     "00000010111",
                                                     "00000011000",
                                                     "000011001010",
                                                     "000011001011",
                                                     "000011001100",
                                                     "000011001101",
                                                     "000001101000",
                                                     "000001101001",
                                                     "000001101010",
                                                     "000001101011",
                                                     "000011010010",
                                                     "000011010011",
                                                     "000011010100",
                                                     "000011010101",
                                                     "000011010110",
                                                     "000011010111",
                                                     "000001101100",
                                                     "000001101101",
                                                     "000011011010",
                                                     "000011011011",
                                                     "000001010100",
                                                     "000001010101",
                                                     "000001010110",
                                                     "000001010111",
                                                     "000001100100",
                                                     "000001100101",
                                                     "000001010010",
                                                     "000001010011",
                                                     "000000100100",
                                                     "000000110111",
                                                     "000000111000",
                                                     "000000100111",
                                                     "000000101000",
                                                     "000001011000",
                                                     "000001011001",
                                                     "000000101011",
                                                     "000000101100",
                                                     "000001011010",
                                                     "000001100110",
                                                     "000001100111",
                                                     "0000001111",
                                                     "000011001000",
                                                     "000011001001",
                                                     "000001011011",
                                                     "000000110011",
                                                     "000000110100",
                                                     "000000110101",
                                                     "0000001101100",
                                                     "0000001101101",
                                                     "0000001001010",
                                                     "0000001001011",
                                                     "0000001001100",
                                                     "0000001001101",
                                                     "0000001110010",
                                                     "0000001110011",
                                                     "0000001110100",
                                                     "0000001110101",
                                                     "0000001110110",
                                                     "0000001110111",
                                                     "0000001010010",
                                                     "0000001010011",
                                                     "0000001010100",
                                                     "0000001010101",
                                                     "0000001011010",
                                                     "0000001011011",
                                                     "0000001100100",
                                                     "0000001100101"};

// Make-up codes both colours share, for 1792 to 2560 in steps of 64.
constexpr std::array<const char*, 13> kWideCodes = {
    "00000001000",  "00000001100",  "00000001101",  "000000010010", "000000010011",
    "000000010100", "000000010101", "000000010110", "000000010111", "000000011100",
    "000000011101", "000000011110", "000000011111"};

constexpr int kRunBits = 13; // the longest run code

enum class Mode : std::uint8_t { None, Pass, Horizontal, Vertical };

struct Entry {
    std::uint8_t length = 0; // 0: no code starts with these bits
    Mode mode = Mode::None;
    std::int16_t value = 0; // a run's length, or a vertical code's offset
};

struct Tables {
    std::array<Entry, 1 << kRunBits> white{};
    std::array<Entry, 1 << kRunBits> black{};
    std::array<Entry, 128> modes{}; // by the next 7 bits

    Tables() {
        for (int i = 0; i < 91; ++i) {
            const int run = i < 64 ? i : (i - 63) * 64;
            add(white, kRunBits, kWhiteCodes[static_cast<std::size_t>(i)], Mode::None, run);
            add(black, kRunBits, kBlackCodes[static_cast<std::size_t>(i)], Mode::None, run);
        }
        for (int i = 0; i < 13; ++i) {
            add(white, kRunBits, kWideCodes[static_cast<std::size_t>(i)], Mode::None,
                1792 + 64 * i);
            add(black, kRunBits, kWideCodes[static_cast<std::size_t>(i)], Mode::None,
                1792 + 64 * i);
        }
        add(modes, 7, "0001", Mode::Pass, 0);
        add(modes, 7, "001", Mode::Horizontal, 0);
        add(modes, 7, "1", Mode::Vertical, 0);
        add(modes, 7, "011", Mode::Vertical, 1);
        add(modes, 7, "000011", Mode::Vertical, 2);
        add(modes, 7, "0000011", Mode::Vertical, 3);
        add(modes, 7, "010", Mode::Vertical, -1);
        add(modes, 7, "000010", Mode::Vertical, -2);
        add(modes, 7, "0000010", Mode::Vertical, -3);
    }

    // Every entry whose first bits are `code`.
    template <std::size_t N>
    static void add(std::array<Entry, N>& table, int bits, const char* code, Mode mode, int value) {
        unsigned prefix = 0;
        int length = 0;
        for (; code[length] != '\0'; ++length)
            prefix = prefix << 1 | (code[length] == '1' ? 1U : 0U);
        const unsigned spare = static_cast<unsigned>(bits - length);
        for (unsigned rest = 0; rest < (1U << spare); ++rest)
            table[(prefix << spare | rest) % N] = {static_cast<std::uint8_t>(length), mode,
                                                   static_cast<std::int16_t>(value)};
    }
};

const Tables& tables() {
    static const Tables built;
    return built;
}

// The data as a string of bits, high bit first; zeros are read past its end.
class Bits {
public:
    Bits(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // The next `count` bits (up to 24).
    unsigned peek(int count) const {
        const std::size_t at = static_cast<std::size_t>(position_ >> 3);
        std::uint32_t window = 0;
        for (std::size_t i = 0; i < 4; ++i)
            window = window << 8 | (at + i < size_ ? data_[at + i] : 0U);
        return (window << (position_ & 7) >> (32 - count)) & ((1U << count) - 1);
    }
    void skip(int count) { position_ += static_cast<std::uint64_t>(count); }
    bool overrun() const { return position_ > std::uint64_t{size_} * 8; }
    bool atEnd() const { return position_ >= std::uint64_t{size_} * 8; }

    // The zero bits from here on, up to the next one bit or the end.
    std::uint64_t zeros() {
        std::uint64_t count = 0;
        while (!atEnd() && peek(1) == 0) {
            skip(1);
            ++count;
        }
        return count;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::uint64_t position_ = 0;
};

// A run of one colour: make-up codes, then a terminating code; -1 when the bits are no such
// codes or the run is longer than any row.
std::int64_t readRun(Bits& bits, bool black, std::uint32_t width) {
    const auto& table = black ? tables().black : tables().white;
    std::int64_t run = 0;
    for (;;) {
        const Entry entry = table[bits.peek(kRunBits)];
        if (entry.length == 0)
            return -1;
        bits.skip(entry.length);
        run += entry.value;
        if (entry.value < 64)
            return run;
        if (run > std::int64_t{width})
            return -1;
    }
}

void fillRow(const std::vector<std::uint32_t>& changes, std::uint32_t width, std::uint8_t* row) {
    for (std::size_t i = 0; i < changes.size(); i += 2) {
        const std::uint32_t end = i + 1 < changes.size() ? changes[i + 1] : width;
        for (std::uint32_t x = changes[i]; x < end; ++x)
            row[x >> 3] = static_cast<std::uint8_t>(row[x >> 3] | 0x80U >> (x & 7));
    }
}

std::string rowFault(const char* what, std::uint32_t row) {
    return std::string(what) + " in row " + std::to_string(row + 1);
}

} // namespace

std::string checkG4Stream(const std::uint8_t* data, std::size_t size, std::uint32_t width,
                          std::uint32_t height, std::vector<std::uint8_t>* rows) {
    if (width == 0 || height == 0)
        return "no rows";
    const std::size_t rowBytes = (std::size_t{width} + 7) / 8;
    if (rows != nullptr)
        rows->assign(rowBytes * height, 0);
    const std::int64_t end = width;
    Bits bits(data, size);
    // Where the colour changes on the row above (white above the first), then the row's end
    // as often as a lookup past the last change may need it.
    std::vector<std::uint32_t> above(3, width);
    std::vector<std::uint32_t> changes;
    for (std::uint32_t row = 0; row < height; ++row) {
        changes.clear();
        std::int64_t a0 = -1; // before the first pixel
        bool black = false;
        std::size_t next = 0; // the first change above right of a0
        while (a0 < end) {
            if (bits.atEnd())
                return rowFault("the data ends", row);
            while (above[next] <= a0)
                ++next;
            // b1 changes to the colour a0 is not (even changes turn black), b2 back.
            const std::size_t b = next + ((next & 1) != (black ? 1U : 0U) ? 1 : 0);
            const std::int64_t b1 = above[b];
            const std::int64_t b2 = above[b + 1];
            const Entry entry = tables().modes[bits.peek(7)];
            bits.skip(entry.length);
            switch (entry.mode) {
            case Mode::Pass:
                if (b2 >= end)
                    return rowFault("a pass beyond the row's end", row);
                a0 = b2;
                break;
            case Mode::Horizontal: {
                const std::int64_t first = readRun(bits, black, width);
                const std::int64_t second = first < 0 ? -1 : readRun(bits, !black, width);
                if (second < 0)
                    return rowFault("a code that is none", row);
                const std::int64_t a1 = std::max<std::int64_t>(a0, 0) + first;
                const std::int64_t a2 = a1 + second;
                if (a2 > end)
                    return rowFault("a row longer than the page", row);
                if ((first == 0 && a0 >= 0) || (second == 0 && a2 < end))
                    return rowFault("an empty run", row);
                if (a1 < end)
                    changes.push_back(static_cast<std::uint32_t>(a1));
                if (a2 < end)
                    changes.push_back(static_cast<std::uint32_t>(a2));
                a0 = a2;
                break;
            }
            case Mode::Vertical: {
                const std::int64_t a1 = b1 + entry.value;
                if (a1 > end)
                    return rowFault("a row longer than the page", row);
                if (a0 >= 0 ? a1 <= a0 : a1 < 0)
                    return rowFault("a change of colour going back", row);
                if (a1 < end)
                    changes.push_back(static_cast<std::uint32_t>(a1));
                black = !black;
                a0 = a1;
                break;
            }
            case Mode::None:
                if (bits.peek(12) == 1)
                    return rowFault("an end of line", row);
                bits.zeros();
                return rowFault(bits.atEnd() ? "the data ends" : "a code that is none", row);
            }
            if (bits.overrun())
                return rowFault("the data ends", row);
        }
        if (rows != nullptr)
            fillRow(changes, width, rows->data() + rowBytes * row);
        above.assign(changes.begin(), changes.end());
        above.insert(above.end(), 3, width);
    }
    // Then nothing but zero bits, or an end-of-block code (two EOLs, the first perhaps after
    // fill bits) and zero bits. Fewer zeros than an EOL has before a one bit make a row's code.
    const std::uint64_t fill = bits.zeros();
    if (bits.atEnd())
        return {};
    if (fill < 11)
        return "data after the last row";
    bits.skip(1);
    if (bits.peek(12) != 1)
        return "data after the last row";
    bits.skip(12);
    bits.zeros();
    return bits.atEnd() ? std::string() : "data after the end of the page";
}

} // namespace pw::formats
