#include "formats/pdf_document.h"
#include "platform/files.h"
#include "platform/narrow.h"
#include "platform/path_parts.h"
#include "staging/picture_pages.h"

#include <cerrno>
#include <cstring>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <vector>

namespace pw::staging {
namespace {

// What the result leaves out of the PDF: its outline, its form fields, its document
// information; empty when it has none of them.
std::string partsLeftOut(QPDF& pdf) {
    std::vector<std::string> parts;
    QPDFObjectHandle root = pdf.getRoot();
    QPDFObjectHandle outlines = root.getKey("/Outlines");
    if (outlines.isDictionary() && outlines.getKey("/First").isDictionary())
        parts.emplace_back("bookmarks");
    QPDFObjectHandle fields = root.getKey("/AcroForm").getKey("/Fields");
    if (fields.isArray() && fields.getArrayNItems() > 0)
        parts.emplace_back("form fields");
    QPDFObjectHandle info = pdf.getTrailer().getKey("/Info");
    if (info.isDictionary() && !info.getKeys().empty())
        parts.emplace_back("document properties");
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    return text;
}

// The PDF/A part the PDF's XMP metadata claims (pdfaid:part), 0 for none.
int claimedPdfaPart(QPDF& pdf) {
    QPDFObjectHandle metadata = pdf.getRoot().getKey("/Metadata");
    if (!metadata.isStream())
        return 0;
    std::string xmp;
    try {
        const auto data = metadata.getStreamData(qpdf_dl_generalized);
        xmp.assign(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    } catch (const std::exception&) {
        return 0;
    }
    const auto at = xmp.find("pdfaid:part");
    if (at == std::string::npos)
        return 0;
    const auto digit = xmp.find_first_of("0123456789", at);
    return digit == std::string::npos || digit > at + 16 ? 0 : xmp[digit] - '0';
}

bool fontEmbedded(QPDFObjectHandle font) {
    const std::string subtype =
        font.getKey("/Subtype").isName() ? font.getKey("/Subtype").getName() : "";
    if (subtype == "/Type3")
        return true;
    if (subtype == "/Type0") {
        QPDFObjectHandle descendants = font.getKey("/DescendantFonts");
        return descendants.isArray() && descendants.getArrayNItems() > 0 &&
               fontEmbedded(descendants.getArrayItem(0));
    }
    QPDFObjectHandle descriptor = font.getKey("/FontDescriptor");
    return descriptor.isDictionary() && (descriptor.getKey("/FontFile").isStream() ||
                                         descriptor.getKey("/FontFile2").isStream() ||
                                         descriptor.getKey("/FontFile3").isStream());
}

bool transparencyGroup(QPDFObjectHandle holder) {
    QPDFObjectHandle group = holder.getKey("/Group");
    return group.isDictionary() && group.getKey("/S").isName() &&
           group.getKey("/S").getName() == "/Transparency";
}

// What in the page's own resources (fonts, form and image XObjects one level down) keeps it
// out of PDF/A at `level`; "" for nothing. Reads dictionaries only, never a stream's data.
std::string pageProblem(QPDFObjectHandle page, jobfiles::PdfaLevel level) {
    const bool one = level == jobfiles::PdfaLevel::A1b;
    if (one && transparencyGroup(page))
        return "a page uses transparency, which PDF/A-1b does not allow";
    QPDFObjectHandle resources = page.getKey("/Resources");
    if (!resources.isDictionary())
        return "";
    QPDFObjectHandle fonts = resources.getKey("/Font");
    if (fonts.isDictionary()) {
        for (auto [key, font] : fonts.ditems()) {
            if (font.isDictionary() && !fontEmbedded(font))
                return "the font " +
                       (font.getKey("/BaseFont").isName()
                            ? font.getKey("/BaseFont").getName().substr(1)
                            : key.substr(1)) +
                       " is not embedded, which PDF/A requires";
        }
    }
    QPDFObjectHandle xobjects = resources.getKey("/XObject");
    if (one && xobjects.isDictionary()) {
        for (auto [key, xobject] : xobjects.ditems()) {
            if (!xobject.isStream())
                continue;
            QPDFObjectHandle dict = xobject.getDict();
            if (transparencyGroup(dict) || dict.getKey("/SMask").isStream())
                return "a page uses transparency, which PDF/A-1b does not allow";
        }
    }
    QPDFObjectHandle annotations = page.getKey("/Annots");
    if (!annotations.isArray())
        return "";
    for (QPDFObjectHandle annotation : annotations.aitems()) {
        QPDFObjectHandle flags = annotation.getKey("/F");
        if (!flags.isInteger() || (flags.getIntValue() & 4) == 0)
            return "an annotation is not set to print, which PDF/A requires";
    }
    return "";
}

// Why the PDF cannot go into a PDF/A result at `level`, "" when it can: it claims a level the
// result keeps (PDF/A-1 in either, PDF/A-2 in PDF/A-2b), or nothing in it breaks the rules
// checked here (encryption, fonts not embedded, annotations not printed, transparency in
// PDF/A-1b).
std::string pdfaProblem(QPDF& pdf, jobfiles::PdfaLevel level) {
    if (pdf.isEncrypted())
        return "it is encrypted, which PDF/A does not allow";
    const int part = claimedPdfaPart(pdf);
    if (part == 1 || (part == 2 && level == jobfiles::PdfaLevel::A2b))
        return "";
    for (QPDFObjectHandle page : pdf.getAllPages()) {
        const std::string problem = pageProblem(page, level);
        if (!problem.empty())
            return problem;
    }
    return "";
}

} // namespace

PictureStaging stagePdf(const pictures::PictureFile& source, const std::string& stem,
                        const jobfiles::JobOptions& options, const std::string& password) {
    PictureStaging result;
    result.pdf = true;
    const std::string name = platform::pathPart(source.path, 1);
    // Only the PDF/A check reads the pages again: otherwise they are counted and let go.
    const bool pdfa = options.pdfa != jobfiles::PdfaLevel::Off;
    formats::PdfOpening opened = pdfa ? formats::openPdf(source.narrowPath, password)
                                      : formats::countPdfPages(source.narrowPath, password);
    if (!opened.pdf) {
        result.problem = opened.reason;
        return result;
    }
    if (pdfa) {
        const std::string problem = pdfaProblem(*opened.pdf, options.pdfa);
        if (!problem.empty()) {
            result.problem = "cannot go into a PDF/A file: " + problem;
            return result;
        }
    }
    const std::string target = stem + ".pdf";
    platform::removeFile(target);
    if (!platform::linkFile(source.narrowPath, target)) {
        result.problem =
            std::string("cannot be handed to the PDF builder: ") + std::strerror(errno);
        return result;
    }
    if (!opened.repaired.empty())
        result.notices.push_back(name + " is damaged; it was repaired (" + opened.repaired + ").");
    const std::string leftOut = partsLeftOut(*opened.pdf);
    if (!leftOut.empty())
        result.notices.push_back("The " + leftOut + " of " + name + " are left out.");
    result.firstFile = target;
    result.pages = static_cast<int>(opened.pages);
    result.pageCount = result.pages;
    return result;
}

} // namespace pw::staging
