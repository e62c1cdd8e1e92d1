#pragma once
// Lossless JBIG2 (ITU-T T.88) for bilevel pages: one generic region coded with the MQ arithmetic
// coder, template 0 with its standard adaptive pixels, typical prediction on, no MMR.
// Hand-written because Debian packages no JBIG2 encoder (jbig2dec only decodes; jbig2enc is not
// packaged). Standard C++ only; the functions keep no state between calls, so threads may encode
// pages side by side.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace pw::jbig2 {

// A 1-bit picture in memory, not owned: `height` rows of `width` pixels, row 0 at the top at
// `data`, each next row `stride` bytes on (negative for bottom-up buffers, with `data` at the top
// row; 0 repeats one row). A row's pixels are packed from the high bit of its first byte on;
// bits past `width` in its last byte are ignored. With `blackIs1` (PBM, TIFF min-is-white) a set
// bit is black, as /JBIG2Decode shows it; without, a set bit is white and the encoder inverts the
// rows.
struct Bitmap {
    const std::uint8_t* data = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::ptrdiff_t stride = 0;
    bool blackIs1 = true;
};

// The segments a PDF /JBIG2Decode stream holds, without /JBIG2Globals: a page information
// segment and one immediate lossless generic region covering the page (no file header, no
// end-of-page segment; the PDF reference leaves both out). Empty when the format cannot hold the
// bitmap (no pixels, a height of 2^32 - 1, which means "not known yet", or 4 GiB of coded data in
// one segment), without data, or when memory ran out.
std::vector<std::uint8_t> encodeEmbedded(const Bitmap& bitmap);

// The same page as a standalone .jb2 file in sequential organisation (file header, page
// information, generic region, end of page, end of file), as the `jbig2dec` command reads it.
// Empty on the same failures.
std::vector<std::uint8_t> encodeFile(const Bitmap& bitmap);

// A page coded a row at a time, top first, for callers that make its rows one by one: finish()
// gives what encodeEmbedded (or, with `file`, encodeFile) gives for the same rows.
class PageCoder {
public:
    PageCoder(std::uint32_t width, std::uint32_t height, bool file = false);
    ~PageCoder();
    PageCoder(const PageCoder&) = delete;
    PageCoder& operator=(const PageCoder&) = delete;

    // The next row, `width` pixels packed as Bitmap's rows are.
    void addRow(const std::uint8_t* row, bool blackIs1 = true);
    // The coded page once all `height` rows are in; empty on encodeEmbedded's failures, after
    // too few or too many rows, and when called again.
    std::vector<std::uint8_t> finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace pw::jbig2
