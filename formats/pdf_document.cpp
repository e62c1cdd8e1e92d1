#include "formats/pdf_document.h"

#include "formats/pdf_file_input.h"

#include <optional>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <set>
#include <stdexcept>
#include <vector>

namespace pw::formats {
namespace {

std::shared_ptr<QPDF> readPdf(const std::string& path, const std::string& password) {
    auto pdf = std::make_shared<QPDF>();
    pdf->setSuppressWarnings(true);
    pdf->setAttemptRecovery(true);
    pdf->processInputSource(std::make_shared<PdfFileInput>(path),
                            password.empty() ? nullptr : password.c_str());
    return pdf;
}

// The pages of a plain page tree, each page's dictionary dropped once counted; nothing when
// the tree is not plain (a loop, a page listed twice, a kid that is no page or node, a page
// without its /Type, a root that is no node), which qpdf's own walk repairs.
std::optional<std::size_t> countPagesDropping(QPDF& pdf) {
    std::vector<QPDFObjectHandle> nodes{pdf.getRoot().getKey("/Pages")};
    std::set<QPDFObjGen> seen; // the nodes, not the pages
    std::size_t pages = 0;
    while (!nodes.empty()) {
        QPDFObjectHandle node = nodes.back();
        nodes.pop_back();
        if (!node.isIndirect() || !node.isDictionary())
            return std::nullopt;
        QPDFObjectHandle type = node.getKey("/Type");
        // The root is a node even when it calls itself a page (qpdf finds no pages there).
        if (type.isNameAndEquals("/Page") && !node.hasKey("/Kids") && !seen.empty()) {
            ++pages;
            pdf.replaceObject(node.getObjGen(), QPDFObjectHandle::newNull());
            continue;
        }
        QPDFObjectHandle kids = node.getKey("/Kids");
        if (!type.isNameAndEquals("/Pages") || !kids.isArray() ||
            !seen.insert(node.getObjGen()).second)
            return std::nullopt;
        for (int i = kids.getArrayNItems() - 1; i >= 0; --i)
            nodes.push_back(kids.getArrayItem(i));
    }
    return pages;
}

PdfOpening openPdf(const std::string& path, const std::string& password, bool keepPages) {
    PdfOpening opening;
    std::shared_ptr<QPDF> pdf;
    try {
        pdf = readPdf(path, password);
        std::optional<std::size_t> counted;
        if (!keepPages)
            counted = countPagesDropping(*pdf);
        if (!keepPages && !counted)
            pdf = readPdf(path, password); // some pages are gone: qpdf walks a fresh copy
        // The page tree only: the pages' dictionaries, none of their streams.
        opening.pages = counted ? *counted : QPDFPageDocumentHelper(*pdf).getAllPages().size();
    } catch (const QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password) {
            opening.reason = password.empty() ? "needs a password" : "the password is wrong";
            opening.locked = true;
        } else
            opening.reason = "a damaged PDF (" + e.getMessageDetail() + ")";
        return opening;
    } catch (const std::exception& e) {
        opening.reason = std::string("a damaged PDF (") + e.what() + ")";
        return opening;
    }
    if (opening.pages == 0) {
        opening.reason = "a PDF without pages";
        return opening;
    }
    if (pdf->anyWarnings()) {
        const std::vector<QPDFExc> warnings = pdf->getWarnings();
        opening.repaired = warnings.empty() ? "damaged" : warnings.front().getMessageDetail();
    }
    opening.pdf = std::move(pdf);
    return opening;
}

} // namespace

PdfOpening openPdf(const std::string& path, const std::string& password) {
    return openPdf(path, password, true);
}

PdfOpening countPdfPages(const std::string& path, const std::string& password) {
    return openPdf(path, password, false);
}

bool pdfLocked(const std::string& path, const std::string& password) {
    try {
        readPdf(path, password);
    } catch (const QPDFExc& e) {
        return e.getErrorCode() == qpdf_e_password;
    } catch (const std::exception&) {
    }
    return false;
}

} // namespace pw::formats
