// The staged JBIG2 page reader on the input's bytes, as pdf.exe runs it on a staged ".jb2" page
// (and OCR before decoding one): a page it takes must have its stream inside the file, reaching
// its end.
#include "formats/jbig2_page.h"
#include "memory_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pw::fuzz::MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    std::string reason;
    const std::optional<pw::formats::Jbig2Page> page =
        pw::formats::readJbig2Page(file.path(), reason);
    if (page && (page->fileSize != size || page->streamOffset + page->streamBytes != size ||
                 page->width == 0 || page->height == 0)) {
        std::fprintf(stderr, "JBIG2 page taken with its stream outside the file\n");
        std::abort();
    }
    return 0;
}
