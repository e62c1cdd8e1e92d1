#pragma once
// A PDF of the list, opened by staging (to count and check it) and by the builder (to copy its
// pages): qpdf reads its cross-reference table and page tree only, never its streams, so a PDF
// of thousands of pages opens in little memory.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class QPDF;

namespace pw::formats {

struct PdfOpening {
    std::shared_ptr<QPDF> pdf; // null when it could not be opened
    std::size_t pages = 0;
    // Why it could not be opened: "needs a password", "the password is wrong" or qpdf's reason.
    std::string reason;
    // It is encrypted and no password given opened it.
    bool locked = false;
    // qpdf repaired it: its first warning, empty when it needed no repair.
    std::string repaired;
};

// Opens the PDF at `path` with `password` (empty: none, or an empty one) and walks its page
// tree. A PDF without pages is refused.
PdfOpening openPdf(const std::string& path, const std::string& password);
// The same, but each page's dictionary is dropped once counted (qpdf keeps every object it has
// read), so that the memory does not grow with the pages: the PDF then serves for its
// catalogue, trailer and document information only, not its pages.
PdfOpening countPdfPages(const std::string& path, const std::string& password);
// Whether the PDF at `path` asks for another password than `password`: qpdf reads its
// cross-reference table and encryption dictionary only, not its page tree. A PDF that cannot
// be read for another reason is not locked (opening it names that reason).
bool pdfLocked(const std::string& path, const std::string& password);

} // namespace pw::formats
