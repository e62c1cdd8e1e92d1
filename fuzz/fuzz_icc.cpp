// The assembly of an ICC profile from APP2 chunks, as pdf.exe reads a staged JPEG's header:
// the chunks from the input go in front of a small valid picture.
#include "formats/jpeg_info.h"
#include "icc_chunks.h"
#include "memory_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <string>

namespace {

// An 8 x 8 grey JPEG without its start-of-image marker, made once.
const std::string& pictureAfterSoi() {
    static const std::string picture = [] {
        jpeg_compress_struct cinfo;
        jpeg_error_mgr errors;
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_compress(&cinfo);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = 8;
        cinfo.image_height = 8;
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
        jpeg_set_defaults(&cinfo);
        jpeg_start_compress(&cinfo, TRUE);
        unsigned char row[8] = {0, 32, 64, 96, 128, 160, 192, 224};
        JSAMPROW rows[1] = {row};
        while (cinfo.next_scanline < cinfo.image_height)
            jpeg_write_scanlines(&cinfo, rows, 1);
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        std::string bytes(reinterpret_cast<const char*>(buffer) + 2, size - 2);
        std::free(buffer);
        return bytes;
    }();
    return picture;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string jpeg = "\xFF\xD8";
    for (const std::string& chunk : pw::fuzz::splitChunks(data, size)) {
        const std::size_t length = chunk.size() + 2;
        jpeg += "\xFF\xE2";
        jpeg += static_cast<char>(length >> 8);
        jpeg += static_cast<char>(length & 0xFF);
        jpeg += chunk;
    }
    jpeg += pictureAfterSoi();
    const pw::fuzz::MemoryFile file(reinterpret_cast<const std::uint8_t*>(jpeg.data()),
                                    jpeg.size());
    if (!file.ok())
        return 0;
    std::string reason;
    pw::formats::readJpegInfo(file.path(), reason);
    return 0;
}
