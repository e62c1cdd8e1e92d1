#pragma once
// The MQ arithmetic encoder of ITU-T T.88 Annex E. A context's state is one byte,
// (probability index << 1) | MPS, so coding a decision costs one table row.
#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pw::jbig2 {

// Not a character type, so that storing a state does not make the compiler reload the coder's
// registers from memory.
enum class MqState : std::uint8_t {};

struct MqRow {
    std::uint16_t qe;
    MqState nextMps;
    MqState nextLps;
};

// Table E.1 (Qe, NMPS, NLPS, SWITCH) unfolded over both MPS values.
constexpr std::array<MqRow, 94> makeMqRows() {
    constexpr std::uint16_t qe[47] = {
        0x5601, 0x3401, 0x1801, 0x0AC1, 0x0521, 0x0221, 0x5601, 0x5401, 0x4801, 0x3801,
        0x3001, 0x2401, 0x1C01, 0x1601, 0x5601, 0x5401, 0x5101, 0x4801, 0x3801, 0x3401,
        0x3001, 0x2801, 0x2401, 0x2201, 0x1C01, 0x1801, 0x1601, 0x1401, 0x1201, 0x1101,
        0x0AC1, 0x09C1, 0x08A1, 0x0521, 0x0441, 0x02A1, 0x0221, 0x0141, 0x0111, 0x0085,
        0x0049, 0x0025, 0x0015, 0x0009, 0x0005, 0x0001, 0x5601};
    constexpr std::uint8_t nmps[47] = {1,  2,  3,  4,  5,  38, 7,  8,  9,  10, 11, 12,
                                       13, 29, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,
                                       25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36,
                                       37, 38, 39, 40, 41, 42, 43, 44, 45, 45, 46};
    constexpr std::uint8_t nlps[47] = {1,  6,  9,  12, 29, 33, 6,  14, 14, 14, 17, 18,
                                       20, 21, 14, 14, 15, 16, 17, 18, 19, 19, 20, 21,
                                       22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33,
                                       34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 46};
    std::array<MqRow, 94> rows{};
    for (unsigned i = 0; i < 47; ++i) {
        const unsigned flip = (i == 0 || i == 6 || i == 14) ? 1U : 0U; // SWITCH
        for (unsigned mps = 0; mps < 2; ++mps) {
            rows[2 * i + mps] = {qe[i], static_cast<MqState>(2 * nmps[i] + mps),
                                 static_cast<MqState>(2 * nlps[i] + (mps ^ flip))};
        }
    }
    return rows;
}

inline constexpr std::array<MqRow, 94> kMqRows = makeMqRows();

class MqEncoder {
public:
    // Codes into `out` after what it already holds.
    explicit MqEncoder(std::vector<std::uint8_t>& out) : out_(&out), start_(out.size()) {}

    // Codes `bit` (0 or 1) in the context whose state is `state`.
    void encode(MqState& state, unsigned bit) {
        const auto index = static_cast<unsigned>(state);
        const MqRow& row = kMqRows[index];
        const std::uint32_t qe = row.qe;
        a_ -= qe;
        const bool mps = bit == (index & 1U);
        if (mps && (a_ & 0x8000U) != 0) {
            c_ += qe; // the usual case: nothing else changes
            return;
        }
        // The MPS codes the upper interval unless the intervals are exchanged (A below Qe), the
        // LPS only then; the lower one leaves A = Qe. Chosen without branches, as which way
        // these go is hard to predict on noisy pages.
        const bool upper = mps != (a_ < qe);
        c_ += upper ? qe : 0U;
        a_ = upper ? a_ : qe;
        state = mps ? row.nextMps : row.nextLps;
        renormalize();
    }

    // Codes `count` zeros in one context, as many calls of encode(state, 0) would.
    void encodeZeros(MqState& state, std::uint32_t count) {
        while (count > 0) {
            const auto index = static_cast<unsigned>(state);
            const MqRow& row = kMqRows[index];
            if ((index & 1U) == 0 && a_ >= 0x8000U + row.qe) {
                // MPS decisions that leave A at or above 0x8000 only move A and C.
                const std::uint32_t steps = std::min<std::uint32_t>(count, (a_ - 0x8000U) / row.qe);
                a_ -= steps * row.qe;
                c_ += steps * row.qe;
                count -= steps;
                continue;
            }
            encode(state, 0);
            --count;
        }
    }

    // Ends the code: FLUSH, then the 0xFF 0xAC marker.
    void finish() {
        const std::uint32_t top = c_ + a_;
        c_ |= 0xFFFFU;
        if (c_ >= top)
            c_ -= 0x8000U;
        c_ <<= ct_;
        byteOut();
        c_ <<= ct_;
        byteOut();
        if (b_ != 0xFF)
            emit(0xFF);
        emit(0xAC);
    }

private:
    // Doubles A until it reaches 0x8000, C with it, writing a byte whenever CT runs out: all the
    // shifts before the next byte at once.
    void renormalize() {
        auto shift = static_cast<unsigned>(std::countl_zero(a_)) - 16U;
        while (shift >= static_cast<unsigned>(ct_)) {
            a_ <<= ct_;
            c_ <<= ct_;
            shift -= static_cast<unsigned>(ct_);
            byteOut();
        }
        a_ <<= shift;
        c_ <<= shift;
        ct_ -= static_cast<int>(shift);
    }

    void byteOut() {
        if (b_ == 0xFF) {
            emit(c_ >> 20);
            c_ &= 0xFFFFFU;
            ct_ = 7;
            return;
        }
        if (c_ >= 0x8000000U) {
            // The carry: the byte before the first is never reached (C stays below 2^27 there).
            ++b_;
            if (out_->size() > start_)
                out_->back() = b_;
            if (b_ == 0xFF) {
                c_ &= 0x7FFFFFFU;
                emit(c_ >> 20);
                c_ &= 0xFFFFFU;
                ct_ = 7;
                return;
            }
        }
        emit(c_ >> 19);
        c_ &= 0x7FFFFU;
        ct_ = 8;
    }

    void emit(std::uint32_t byte) {
        // push_back takes its argument's address: a copy, so that the coder's own registers
        // need not live in memory.
        const auto value = static_cast<std::uint8_t>(byte);
        b_ = value;
        out_->push_back(value);
    }

    std::vector<std::uint8_t>* out_; // a pointer, so that a copy kept in registers can be put back
    std::size_t start_;
    std::uint32_t a_ = 0x8000U;
    std::uint32_t c_ = 0;
    int ct_ = 12;
    std::uint8_t b_ = 0; // the last byte written (still open to a carry)
};

} // namespace pw::jbig2
