#pragma once
// The rows of an 8-bit PNG as RGB laid over white, read without FreeImage: the file in one
// read, its image data inflated in one call by ISA-L or libdeflate (above 64 MB of rows in
// slices by ISA-L, so that a stop is heard). Staging at a JPEG quality spends most of its time
// inflating PNG data, and libpng can only inflate row by row through zlib, which takes two to
// ten times as long; libdeflate works on whole buffers only, so the PNG filters are undone here
// (libpng keeps its own filter code private). Unlike FreeImage, which drops a PNG's iCCP profile,
// this keeps it, as lossless staging does.
#include "pictures/picture_resolution.h"
#include "pictures/stop_flag.h"
#include "platform/opened_file.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pw::pictures {

class PngRows {
public:
    // Reads the picture; false unless it is a well-formed, non-interlaced PNG of 8 bits per
    // sample without a transparent colour key or an eXIf chunk, within the pixel limit, whose
    // every chunk passes its CRC and whose image data inflates to exactly its rows. Others are
    // left to FreeImage. With `oneBitGrey` a 1-bit gray PNG is read too (bitDepth() 1), whose
    // stored rows are then its packed bits, high bit first, 1 for white; nextRow() is not for it.
    // False too once `stop` is set, looked at every few megabytes read or inflated.
    bool open(const std::string& narrowPath, bool oneBitGrey = false, StopFlag stop = {});
    bool open(const platform::OpenedFile& file, bool oneBitGrey = false, StopFlag stop = {});

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    // What the pHYs chunk states (pngPhysResolution); none without one.
    const formats::Resolution& resolution() const { return resolution_; }
    // The iCCP profile of a colour picture, inflated; empty when there is none that fits.
    const std::vector<std::uint8_t>& iccProfile() const { return icc_; }

    // The next row as width() RGB triplets, transparent parts over white; it stays valid for
    // the next kRowsKept - 1 calls. Call height() times after a successful open().
    static constexpr unsigned kRowsKept = 16;
    const std::uint8_t* nextRow();
    // The next row as stored, its filter undone: width() samples for a gray picture (colourType
    // 0), else the file's own samples a pixel. Taken instead of nextRow, not besides it.
    const std::uint8_t* nextStoredRow();
    // Starts again at the top row; rows already read are not unfiltered twice.
    void rewind();
    // The colour type of the file (0 gray, 2 RGB, 3 palette, 4 gray + alpha, 6 RGB + alpha).
    int colourType() const { return colourType_; }
    int bitDepth() const { return bitDepth_; }

    // Gives back buffers grown beyond a few ordinary pictures; the others are kept for the
    // next picture, which so costs no fresh pages.
    void trim();

private:
    // Grows without clearing: every byte handed out is written before it is read.
    struct Scratch {
        std::unique_ptr<std::uint8_t[]> data;
        std::size_t capacity = 0;
        std::uint8_t* get(std::size_t size);
    };

    bool readChunks(const std::uint8_t* data, std::size_t size, bool oneBitGrey, StopFlag stop);
    bool readIcc(const std::uint8_t* data, std::size_t size);

    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    int colourType_ = 0;
    int bitDepth_ = 8;
    std::size_t bytesPerPixel_ = 0;
    std::size_t rowBytes_ = 0;
    formats::Resolution resolution_;
    std::vector<std::uint8_t> icc_;
    std::uint8_t palette_[256][3] = {}; // laid over white already
    std::uint32_t row_ = 0;
    std::uint32_t unfiltered_ = 0; // rows whose filter is undone in place
    Scratch file_;
    Scratch idat_;
    Scratch pixels_; // the inflated rows, each after its filter byte
    Scratch rgb_;
};

} // namespace pw::pictures
