// A PDF of the list opened as staging and the builder open it, qpdf reading through our file
// source: its page count with each page let go must be qpdf's own count of the same file.
#include "formats/pdf_document.h"
#include "memory_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pw::fuzz::MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    const pw::formats::PdfOpening counted = pw::formats::countPdfPages(file.path(), "");
    const pw::formats::PdfOpening opened = pw::formats::openPdf(file.path(), "");
    if ((counted.pdf != nullptr) != (opened.pdf != nullptr) ||
        (counted.pdf && (counted.pages != opened.pages || counted.pages == 0))) {
        std::fprintf(stderr, "counted %zu pages, qpdf %zu\n", counted.pages, opened.pages);
        std::abort();
    }
    return 0;
}
