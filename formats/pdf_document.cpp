#include "formats/pdf_document.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <stdexcept>

namespace pw::formats {

PdfOpening openPdf(const std::string& path, const std::string& password) {
    PdfOpening opening;
    auto pdf = std::make_shared<QPDF>();
    pdf->setSuppressWarnings(true);
    pdf->setAttemptRecovery(true);
    try {
        pdf->processFile(path.c_str(), password.empty() ? nullptr : password.c_str());
        // The page tree only: the pages' dictionaries, none of their streams.
        opening.pages = QPDFPageDocumentHelper(*pdf).getAllPages().size();
    } catch (const QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password)
            opening.reason = password.empty() ? "needs a password" : "the password is wrong";
        else
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

} // namespace pw::formats
