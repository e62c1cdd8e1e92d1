#include "pictures/png_rows.h"

#include "formats/pixel_limit.h"
#include "formats/png_bytes.h"
#include "pictures/over_white.h"
#include "pictures/picture_kinds.h"

#include <FreeImage.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <isa-l/igzip_lib.h>
#include <libdeflate.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace pw::pictures {
namespace {

constexpr std::size_t kMaxIccBytes = 64u << 20;
constexpr std::size_t kKeptScratch = 64u << 20;
constexpr std::uint64_t kMaxFileBytes = 4ull << 30;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool kCheckCrc = false; // lets mutated chunks reach the code behind the check
#else
constexpr bool kCheckCrc = true;
#endif

bool isType(const std::uint8_t* type, const char* name) {
    return std::memcmp(type, name, 4) == 0;
}

libdeflate_decompressor* threadDecompressor() {
    struct Owner {
        libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
        ~Owner() { libdeflate_free_decompressor(decompressor); }
    };
    thread_local Owner owner;
    return owner.decompressor;
}

// Inflates a whole zlib stream into exactly outBytes. Both inflaters are kept for what each
// does best, measured on 1000 x 750 pictures: ISA-L inflates literal-heavy data (photos,
// whose PNG data keeps over a third of the pixel bytes) about 1.5 times as fast as libdeflate;
// libdeflate inflates long matches (screenshots, drawings) 2 to 5 times as fast as ISA-L.
// Bytes read, copied or inflated between two looks at the stop flag.
constexpr std::size_t kStopStep = 16u << 20;
// Rows of more bytes than this are inflated a slice at a time (by ISA-L, the one of the two
// that can), so that the flag is looked at on the way; smaller ones take a few tenths of a
// second in one go.
constexpr std::size_t kSlicedInflate = 64u << 20;

// ISA-L's stateful inflater, kStopStep bytes of output at a time.
bool inflateInSlices(const std::uint8_t* in, std::size_t inBytes, std::uint8_t* out,
                     std::size_t outBytes, StopFlag stop) {
    thread_local const std::unique_ptr<inflate_state> state(new inflate_state);
    isal_inflate_init(state.get());
    state->next_in = const_cast<std::uint8_t*>(in); // only read
    state->avail_in = static_cast<std::uint32_t>(inBytes);
    state->crc_flag = ISAL_ZLIB;
    std::size_t done = 0;
    while (state->block_state != ISAL_BLOCK_FINISH) {
        if (stop.set() || done == outBytes)
            return false; // stopped, or more data than the rows hold
        const std::size_t slice = std::min(kStopStep, outBytes - done);
        state->next_out = out + done;
        state->avail_out = static_cast<std::uint32_t>(slice);
        if (isal_inflate(state.get()) != ISAL_DECOMP_OK)
            return false;
        done += slice - state->avail_out;
        if (state->avail_out != 0 && state->block_state != ISAL_BLOCK_FINISH)
            return false; // the data ended early
    }
    return done == outBytes;
}

bool inflateExactly(const std::uint8_t* in, std::size_t inBytes, std::uint8_t* out,
                    std::size_t outBytes, StopFlag stop) {
    if (outBytes > kSlicedInflate && inBytes <= UINT32_MAX)
        return inflateInSlices(in, inBytes, out, outBytes, stop);
    if (inBytes > outBytes / 3 && inBytes <= UINT32_MAX && outBytes <= UINT32_MAX) {
        thread_local const std::unique_ptr<inflate_state> state(new inflate_state);
        isal_inflate_init(state.get());
        state->next_in = const_cast<std::uint8_t*>(in); // only read
        state->avail_in = static_cast<std::uint32_t>(inBytes);
        state->next_out = out;
        state->avail_out = static_cast<std::uint32_t>(outBytes);
        state->crc_flag = ISAL_ZLIB; // the Adler-32 checksum is verified too
        return isal_inflate_stateless(state.get()) == ISAL_DECOMP_OK && state->avail_out == 0;
    }
    libdeflate_decompressor* const decompressor = threadDecompressor();
    std::size_t inflated = 0;
    return decompressor != nullptr &&
           libdeflate_zlib_decompress(decompressor, in, inBytes, out, outBytes, &inflated) ==
               LIBDEFLATE_SUCCESS &&
           inflated == outBytes;
}

bool readAll(int fd, std::uint8_t* into, std::size_t size, StopFlag stop) {
    std::size_t done = 0;
    while (done < size) {
        if (stop.set())
            return false;
        const ssize_t got =
            ::pread(fd, into + done, std::min(size - done, kStopStep), static_cast<off_t>(done));
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

int paeth(int a, int b, int c) {
    const int p = b - c;
    const int q = a - c;
    const int pa = std::abs(p);
    const int pb = std::abs(q);
    const int pc = std::abs(p + q);
    if (pb < pa)
        return pc < pb ? c : b;
    return pc < pa ? c : a;
}

// Undoes one row's filter in place; `prev` is the row above, already undone, or null for the
// first row (which filters against zeros). The left pixel is carried in registers: reading it
// back from memory would put a store-to-load delay on every byte's dependency chain.
template <std::size_t Bpp, int Filter, bool HasPrev>
void unfilterWithLeft(std::uint8_t* cur, const std::uint8_t* prev, std::size_t n) {
    unsigned left[Bpp] = {};   // the pixel to the left, undone
    unsigned corner[Bpp] = {}; // the pixel above that one
    for (std::size_t i = 0; i < n; i += Bpp) {
#pragma GCC unroll 4
        for (std::size_t k = 0; k < Bpp; ++k) {
            const unsigned up = HasPrev ? prev[i + k] : 0;
            unsigned predicted = left[k]; // Sub, and Paeth against a zero row
            if constexpr (Filter == 3)
                predicted = (left[k] + up) >> 1;
            if constexpr (Filter == 4 && HasPrev)
                predicted = static_cast<unsigned>(paeth(
                    static_cast<int>(left[k]), static_cast<int>(up), static_cast<int>(corner[k])));
            left[k] = (cur[i + k] + predicted) & 0xFF;
            cur[i + k] = static_cast<std::uint8_t>(left[k]);
            corner[k] = up;
        }
    }
}

#ifdef __SSE2__
// Writes the first `Bytes` (12 or 16) bytes of `block`, and nothing after them.
template <std::size_t Bytes> void storeBlock(std::uint8_t* at, __m128i block) {
    if constexpr (Bytes == 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), block);
    } else {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at), block);
        const auto high = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(block, 8)));
        std::memcpy(at + 8, &high, 4);
    }
}

// The Average filter, vectorised. Kept complemented, the chain from pixel to pixel is two
// instructions: with na = ~left and nb = ~up, pavgb(na, nb) is ~floor((left + up) / 2), so
// ~out = pavgb(na, nb) - cur, where the scalar form needs four per byte.
// Each step takes a block of whole pixels (12 bytes of RGB, 16 of others) with 16-byte loads
// inside the row; lanes above a pixel's own carry junk that never reaches the lanes below.
template <std::size_t Bpp, int K>
[[gnu::always_inline]] inline __m128i averageStep(__m128i& notLeft, __m128i bytes, __m128i notUp,
                                                  __m128i mask) {
    notLeft = _mm_sub_epi8(_mm_avg_epu8(notLeft, _mm_srli_si128(notUp, K * Bpp)),
                           _mm_srli_si128(bytes, K * Bpp));
    return _mm_slli_si128(_mm_and_si128(notLeft, mask), K * Bpp);
}

template <std::size_t Bpp, int... K>
[[gnu::always_inline]] inline __m128i averageBlock(__m128i& notLeft, __m128i bytes, __m128i notUp,
                                                   __m128i mask, std::integer_sequence<int, K...>) {
    // A comma fold: its steps run in order, which each one's update of notLeft needs.
    __m128i out = _mm_setzero_si128();
    ((out = _mm_or_si128(out, averageStep<Bpp, K>(notLeft, bytes, notUp, mask))), ...);
    return out;
}

template <std::size_t Bpp>
void unfilterAverage(std::uint8_t* cur, const std::uint8_t* prev, std::size_t n) {
    constexpr std::size_t kBlock = Bpp == 3 ? 12 : 16;
    const __m128i ones = _mm_set1_epi8(-1);
    const __m128i mask = _mm_srli_si128(ones, 16 - Bpp);
    __m128i notLeft = ones;
    std::size_t i = 0;
    for (; i + 16 <= n; i += kBlock) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + i));
        const __m128i notUp =
            _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i)), ones);
        const __m128i out =
            _mm_xor_si128(averageBlock<Bpp>(notLeft, bytes, notUp, mask,
                                            std::make_integer_sequence<int, kBlock / Bpp>()),
                          ones);
        storeBlock<kBlock>(cur + i, out);
    }
    // The last few pixels, byte by byte, from the left pixel the vectors reached.
    std::uint8_t left[Bpp];
    const auto notLeftBytes = static_cast<std::uint32_t>(_mm_cvtsi128_si32(notLeft));
    for (std::size_t k = 0; k < Bpp; ++k)
        left[k] = static_cast<std::uint8_t>(~(notLeftBytes >> (8 * k)));
    for (; i < n; ++i) {
        const std::size_t k = i % Bpp;
        left[k] = static_cast<std::uint8_t>(cur[i] + ((left[k] + prev[i]) >> 1));
        cur[i] = left[k];
    }
}

[[gnu::always_inline]] inline __m128i abs16(__m128i x) {
    return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
}

// Per lane: `mask` all ones picks `whenSet`, all zeros `otherwise`.
[[gnu::always_inline]] inline __m128i pick(__m128i mask, __m128i whenSet, __m128i otherwise) {
    return _mm_or_si128(_mm_and_si128(mask, whenSet), _mm_andnot_si128(mask, otherwise));
}

// The Paeth filter, vectorised: a pixel's samples in 16-bit lanes and its predictor picked
// with compares and masks. The branches of the byte loop mispredict on photographs, which made
// it three times as slow as this.
template <std::size_t Bpp, int K>
[[gnu::always_inline]] inline __m128i paethStep(__m128i& left, __m128i bytes, __m128i up,
                                                __m128i upLeft, __m128i mask) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i b = _mm_unpacklo_epi8(_mm_srli_si128(up, K * Bpp), zero);
    const __m128i c = _mm_unpacklo_epi8(_mm_srli_si128(upLeft, K * Bpp), zero);
    const __m128i x = _mm_unpacklo_epi8(_mm_srli_si128(bytes, K * Bpp), zero);
    const __m128i p = _mm_sub_epi16(b, c);
    const __m128i q = _mm_sub_epi16(left, c);
    const __m128i pa = abs16(p);
    const __m128i pb = abs16(q);
    const __m128i pc = abs16(_mm_add_epi16(p, q));
    const __m128i predicted = pick(_mm_cmplt_epi16(pb, pa), pick(_mm_cmplt_epi16(pc, pb), c, b),
                                   pick(_mm_cmplt_epi16(pc, pa), c, left));
    left = _mm_and_si128(_mm_add_epi16(predicted, x), _mm_set1_epi16(0xFF));
    return _mm_slli_si128(_mm_and_si128(_mm_packus_epi16(left, left), mask), K * Bpp);
}

template <std::size_t Bpp, int... K>
[[gnu::always_inline]] inline __m128i paethBlock(__m128i& left, __m128i bytes, __m128i up,
                                                 __m128i upLeft, __m128i mask,
                                                 std::integer_sequence<int, K...>) {
    __m128i out = _mm_setzero_si128(); // steps in order, as in averageBlock
    ((out = _mm_or_si128(out, paethStep<Bpp, K>(left, bytes, up, upLeft, mask))), ...);
    return out;
}

template <std::size_t Bpp>
void unfilterPaeth(std::uint8_t* cur, const std::uint8_t* prev, std::size_t n) {
    constexpr std::size_t kBlock = Bpp == 3 ? 12 : 16;
    const __m128i mask = _mm_srli_si128(_mm_set1_epi8(-1), 16 - Bpp);
    __m128i left = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 16 <= n; i += kBlock) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + i));
        const __m128i up = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
        // The first pixel's up-left neighbour is zero, like its left one.
        const __m128i upLeft =
            i == 0 ? _mm_slli_si128(up, Bpp)
                   : _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i - Bpp));
        if constexpr (Bpp == 1) {
            // Paeth picks the left pixel wherever the pixel above equals either the one up-left
            // or the left one. Under a row flat across the block (most of a scanned page) it
            // does so all along, and the block is the Sub filter's: a prefix sum, in four
            // steps where the pixel-to-pixel chain below takes sixteen.
            const int leftByte = _mm_cvtsi128_si32(left) & 0xFF;
            const int same = _mm_movemask_epi8(_mm_cmpeq_epi8(up, upLeft));
            if ((same | 1) == 0xFFFF && ((same & 1) != 0 || prev[i] == leftByte)) {
                __m128i sum = _mm_add_epi8(bytes, _mm_slli_si128(bytes, 1));
                sum = _mm_add_epi8(sum, _mm_slli_si128(sum, 2));
                sum = _mm_add_epi8(sum, _mm_slli_si128(sum, 4));
                sum = _mm_add_epi8(sum, _mm_slli_si128(sum, 8));
                sum = _mm_add_epi8(sum, _mm_set1_epi8(static_cast<char>(leftByte)));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(cur + i), sum);
                left = _mm_srli_si128(sum, 15);
                continue;
            }
            if (__builtin_popcount(static_cast<unsigned>(same)) >= 12) {
                // A few edges above: pixel by pixel, the branches mostly taken the same way.
                int a = leftByte;
                for (std::size_t k = i; k < i + 16; ++k) {
                    a = (cur[k] + paeth(a, prev[k], k == 0 ? 0 : prev[k - 1])) & 0xFF;
                    cur[k] = static_cast<std::uint8_t>(a);
                }
                left = _mm_cvtsi32_si128(a);
                continue;
            }
        }
        const __m128i out = paethBlock<Bpp>(left, bytes, up, upLeft, mask,
                                            std::make_integer_sequence<int, kBlock / Bpp>());
        storeBlock<kBlock>(cur + i, out);
    }
    // The last few pixels, byte by byte, from the left pixel the vectors reached.
    alignas(16) std::int16_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), left);
    int leftBytes[Bpp];
    for (std::size_t k = 0; k < Bpp; ++k)
        leftBytes[k] = lanes[k];
    for (; i < n; ++i) {
        const std::size_t k = i % Bpp;
        const int upLeft = i >= Bpp ? prev[i - Bpp] : 0;
        leftBytes[k] = (cur[i] + paeth(leftBytes[k], prev[i], upLeft)) & 0xFF;
        cur[i] = static_cast<std::uint8_t>(leftBytes[k]);
    }
}
#else
template <std::size_t Bpp>
void unfilterAverage(std::uint8_t* cur, const std::uint8_t* prev, std::size_t n) {
    unfilterWithLeft<Bpp, 3, true>(cur, prev, n);
}

template <std::size_t Bpp>
void unfilterPaeth(std::uint8_t* cur, const std::uint8_t* prev, std::size_t n) {
    unfilterWithLeft<Bpp, 4, true>(cur, prev, n);
}
#endif

// The rows never overlap (the one above ends before this one's filter byte), but the compiler
// cannot know it and at -O2 leaves a byte loop; screenshots use this filter for most rows.
void unfilterUp(std::uint8_t* cur, const std::uint8_t* prev, std::size_t n) {
    std::size_t i = 0;
#ifdef __SSE2__
    for (; i + 16 <= n; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + i));
        const __m128i up = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cur + i), _mm_add_epi8(bytes, up));
    }
#endif
    for (; i < n; ++i)
        cur[i] = static_cast<std::uint8_t>(cur[i] + prev[i]);
}

template <std::size_t Bpp>
void unfilter(std::uint8_t* cur, const std::uint8_t* prev, std::size_t n, int filter) {
    const bool hasPrev = prev != nullptr;
    switch (filter) {
    case 1:
        unfilterWithLeft<Bpp, 1, false>(cur, prev, n);
        break;
    case 2:
        if (hasPrev)
            unfilterUp(cur, prev, n);
        break;
    case 3:
        hasPrev ? unfilterAverage<Bpp>(cur, prev, n)
                : unfilterWithLeft<Bpp, 3, false>(cur, prev, n);
        break;
    case 4:
        hasPrev ? unfilterPaeth<Bpp>(cur, prev, n) : unfilterWithLeft<Bpp, 1, false>(cur, prev, n);
        break;
    default:
        break;
    }
}

void unfilterRow(std::size_t bpp, std::uint8_t* cur, const std::uint8_t* prev, std::size_t n,
                 int filter) {
    switch (bpp) {
    case 1:
        unfilter<1>(cur, prev, n, filter);
        break;
    case 2:
        unfilter<2>(cur, prev, n, filter);
        break;
    case 3:
        unfilter<3>(cur, prev, n, filter);
        break;
    default:
        unfilter<4>(cur, prev, n, filter);
        break;
    }
}

} // namespace

std::uint8_t* PngRows::Scratch::get(std::size_t size) {
    if (size > capacity) {
        data.reset(new (std::nothrow) std::uint8_t[size]);
        capacity = data ? size : 0;
    }
    return data.get();
}

void PngRows::trim() {
    for (Scratch* scratch : {&file_, &idat_, &pixels_, &rgb_}) {
        if (scratch->capacity > kKeptScratch) {
            scratch->data.reset();
            scratch->capacity = 0;
        }
    }
}

void PngRows::rewind() {
    row_ = 0;
}

bool PngRows::open(const std::string& narrowPath, bool oneBitGrey, StopFlag stop) {
    return open(platform::OpenedFile(narrowPath), oneBitGrey, stop);
}

bool PngRows::open(const platform::OpenedFile& file, bool oneBitGrey, StopFlag stop) {
    const int fd = file.descriptor();
    if (fd < 0)
        return false;
    // The signature and the header first: other PNGs (16-bit, interlaced...) are not read
    // whole only to be left to FreeImage.
    struct stat info {};
    std::uint8_t head[33];
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
              static_cast<std::uint64_t>(info.st_size) < kMaxFileBytes &&
              ::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
              fileShows(file, kindReadBy(Decoder::FreeImage, FIF_PNG)) &&
              (head[24] == 8 || (oneBitGrey && head[24] == 1 && head[25] == 0)) && head[28] == 0;
    const auto size = ok ? static_cast<std::size_t>(info.st_size) : 0;
    std::uint8_t* data = ok ? file_.get(size) : nullptr;
    ok = data != nullptr && readAll(fd, data, size, stop);
    return ok && readChunks(data, size, oneBitGrey, stop);
}

bool PngRows::readChunks(const std::uint8_t* data, std::size_t size, bool oneBitGrey,
                         StopFlag stop) {
    std::size_t pos = sizeof formats::kPngSignature;
    std::size_t idatBytes = 0;
    bool seenIdat = false;
    bool idatEnded = false;
    bool seenIend = false;
    const std::uint8_t* plte = nullptr;
    std::size_t plteBytes = 0;
    const std::uint8_t* trns = nullptr;
    std::size_t trnsBytes = 0;
    const std::uint8_t* iccp = nullptr;
    std::size_t iccpBytes = 0;
    resolution_ = {};
    icc_.clear();
    row_ = 0;
    unfiltered_ = 0;
    std::uint8_t* idat = idat_.get(size);
    if (idat == nullptr)
        return false;
    while (!seenIend) {
        if (size - pos < 12)
            return false;
        const std::uint32_t length = formats::bigEndian32(data + pos);
        const std::uint8_t* type = data + pos + 4;
        const std::uint8_t* body = data + pos + 8;
        if (length > size - pos - 12 || (kCheckCrc && libdeflate_crc32(0, type, length + 4) !=
                                                          formats::bigEndian32(body + length)))
            return false;
        const bool first = pos == sizeof formats::kPngSignature;
        pos += std::size_t{length} + 12;
        if (first != isType(type, "IHDR"))
            return false;
        if (isType(type, "IDAT")) {
            if (idatEnded ||
                ((idatBytes + length) / kStopStep != idatBytes / kStopStep && stop.set()))
                return false;
            std::memcpy(idat + idatBytes, body, length);
            idatBytes += length;
            seenIdat = true;
            continue;
        }
        idatEnded = seenIdat;
        if (isType(type, "IHDR")) {
            if (length != 13)
                return false;
            width_ = formats::bigEndian32(body);
            height_ = formats::bigEndian32(body + 4);
            colourType_ = body[9];
            bitDepth_ = body[8];
            const int samples = formats::pngSamples(body[9]);
            const bool oneBit = oneBitGrey && bitDepth_ == 1 && colourType_ == 0;
            if (width_ == 0 || height_ == 0 || width_ > 0x7FFFFFFF || height_ > 0x7FFFFFFF ||
                !formats::withinPixelLimit(width_, height_) || (bitDepth_ != 8 && !oneBit) ||
                samples == 0 || body[10] != 0 || body[11] != 0 || body[12] != 0)
                return false;
            // Filters work on whole bytes: one a pixel's neighbour for 1-bit rows.
            bytesPerPixel_ = static_cast<std::size_t>(samples);
            rowBytes_ = oneBit ? (std::size_t{width_} + 7) / 8 : bytesPerPixel_ * width_;
        } else if (isType(type, "IEND")) {
            seenIend = true;
        } else if (isType(type, "eXIf")) {
            return false; // an orientation FreeImage may carry over
        } else if (isType(type, "PLTE") || isType(type, "tRNS") || isType(type, "iCCP") ||
                   isType(type, "pHYs")) {
            if (seenIdat)
                return false; // out of order: FreeImage's reading decides
            if (isType(type, "PLTE")) {
                plte = body;
                plteBytes = length;
            } else if (isType(type, "tRNS")) {
                trns = body;
                trnsBytes = length;
            } else if (isType(type, "iCCP")) {
                iccp = body;
                iccpBytes = length;
            } else if (length == 9) {
                resolution_ = formats::pngPhysResolution(formats::bigEndian32(body),
                                                         formats::bigEndian32(body + 4), body[8]);
            }
        } else if ((type[0] & 0x20) == 0) {
            return false; // an unknown critical chunk
        }
    }
    if (!seenIdat)
        return false;
    if (colourType_ == 3) {
        if (plte == nullptr || plteBytes == 0 || plteBytes % 3 != 0 || plteBytes > 768 ||
            trnsBytes > 256)
            return false;
        for (std::size_t i = 0; i < 256; ++i) {
            const unsigned alpha = i < trnsBytes ? trns[i] : 255;
            for (std::size_t c = 0; c < 3; ++c)
                palette_[i][c] = i * 3 < plteBytes ? overWhite(plte[i * 3 + c], alpha) : 0;
        }
    } else if (trns != nullptr) {
        return false; // a transparent colour key: left to FreeImage
    }
    if (iccp != nullptr && !readIcc(iccp, iccpBytes))
        return false;

    const std::size_t stride = rowBytes_ + 1;
    const std::size_t expected = stride * height_;
    if (!formats::canInflateTo(idatBytes, expected))
        return false; // data too short to hold the rows: nothing is allocated for them
    std::uint8_t* pixels = pixels_.get(expected);
    if (pixels == nullptr || rgb_.get(std::size_t{width_} * 3 * kRowsKept) == nullptr ||
        !inflateExactly(idat, idatBytes, pixels, expected, stop))
        return false;
    for (std::size_t row = 0; row < height_; ++row) {
        if (pixels[row * stride] > 4)
            return false;
    }
    return true;
}

bool PngRows::readIcc(const std::uint8_t* data, std::size_t size) {
    // Gray pictures are written as RGB, which a gray profile does not describe.
    if (colourType_ == 0 || colourType_ == 4)
        return true;
    const auto* nameEnd = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    if (nameEnd == nullptr || nameEnd == data || nameEnd - data > 79 ||
        static_cast<std::size_t>(nameEnd - data) + 2 > size || nameEnd[1] != 0)
        return false;
    const std::uint8_t* zlib = nameEnd + 2;
    const std::size_t zlibBytes = size - static_cast<std::size_t>(zlib - data);
    libdeflate_decompressor* const decompressor = threadDecompressor();
    for (std::size_t room = 1u << 16; decompressor != nullptr && room <= kMaxIccBytes; room *= 4) {
        icc_.resize(room);
        std::size_t got = 0;
        const libdeflate_result result =
            libdeflate_zlib_decompress(decompressor, zlib, zlibBytes, icc_.data(), room, &got);
        if (result == LIBDEFLATE_INSUFFICIENT_SPACE)
            continue;
        icc_.resize(result == LIBDEFLATE_SUCCESS ? got : 0);
        // A profile that does not fit is left out, as the builder does with a staged PNG's.
        if (!formats::usableIccProfile(icc_.data(), icc_.size(), 3))
            icc_.clear();
        return true;
    }
    icc_.clear(); // larger than any real profile, or no memory for a decompressor
    return true;
}

const std::uint8_t* PngRows::nextStoredRow() {
    const std::size_t stride = rowBytes_ + 1;
    std::uint8_t* line = pixels_.data.get() + std::size_t{row_} * stride;
    std::uint8_t* cur = line + 1;
    const std::uint8_t* prev = row_ == 0 ? nullptr : cur - stride;
    if (row_ >= unfiltered_) {
        unfilterRow(bytesPerPixel_, cur, prev, rowBytes_, line[0]);
        unfiltered_ = row_ + 1;
    }
    ++row_;
    return cur;
}

const std::uint8_t* PngRows::nextRow() {
    const std::uint8_t* cur = nextStoredRow();
    if (colourType_ == 2)
        return cur;
    std::uint8_t* const first = rgb_.data.get() + std::size_t{row_ % kRowsKept} * width_ * 3;
    std::uint8_t* out = first;
    for (std::uint32_t x = 0; x < width_; ++x, out += 3) {
        switch (colourType_) {
        case 0:
            out[0] = out[1] = out[2] = cur[x];
            break;
        case 3:
            std::memcpy(out, palette_[cur[x]], 3);
            break;
        case 4:
            out[0] = out[1] = out[2] = overWhite(cur[2 * x], cur[2 * x + 1]);
            break;
        default: {
            const std::uint8_t* p = cur + 4 * std::size_t{x};
            out[0] = overWhite(p[0], p[3]);
            out[1] = overWhite(p[1], p[3]);
            out[2] = overWhite(p[2], p[3]);
            break;
        }
        }
    }
    return first;
}

} // namespace pw::pictures
