#pragma once
// PDFs made for the tests with qpdf: pages of text in a standard font with a link on each.
#include <string>

namespace pw::test {

struct TestPdf {
    int pages = 1;
    std::string text = "Page"; // page N shows "<text> N"
    int rotate = 0;            // /Rotate of page 2, on the page itself
    int inheritedRotate = 0;   // /Rotate of the page tree, which every other page inherits
    std::string userPassword;  // encrypted (AES-256) when this or ownerPassword is set
    std::string ownerPassword;
    bool outline = false; // a bookmark, a form field and a title
    bool form = false;
    bool info = false;
};

// False when it cannot be written.
bool writeTestPdf(const std::string& path, const TestPdf& pdf);

// The content stream of page `page` (1-based) of the PDF, decoded; "" when there is no such
// page.
std::string pageContent(const std::string& path, int page, const std::string& password = "");

// Breaks the PDF's cross-reference offset so that qpdf must rebuild it.
bool breakXref(const std::string& path);

} // namespace pw::test
