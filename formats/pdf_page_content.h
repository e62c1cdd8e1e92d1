#pragma once
// What a PDF page draws, read from its content streams (qpdf's content parser): whether it shows
// text, and which image XObjects it draws where. For text recognition of scanned pages.
#include <array>
#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <vector>

namespace pw::formats {

// An image XObject drawn on the page, and the matrix (a b c d e f) that maps its unit square to
// the page's default user space: (u, v) to (a u + c v + e, b u + d v + f), the image's first
// row at v = 1.
struct PdfDrawnImage {
    QPDFObjectHandle image;
    std::array<double, 6> matrix{};
};

struct PdfPageContent {
    bool text = false;        // a text-showing operator (Tj, TJ, ', ")
    bool inlineImage = false; // an image inside the content stream itself
    std::vector<PdfDrawnImage> images;
    std::string problem; // why the content could not be read in full; empty when it was
};

// Reads the page's content streams and those of the form XObjects they draw (nested at most a
// few deep), following the graphics state's matrix through q, Q and cm. `page` holds its own
// /Resources (QPDF::pushInheritedAttributesToPage). Reads the content streams only, never an
// image's data; nothing is thrown.
PdfPageContent readPdfPageContent(QPDFObjectHandle page);

} // namespace pw::formats
