#include "test_pdfs.h"

#include <fstream>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <sstream>

namespace pw::test {

using Handle = QPDFObjectHandle;

bool writeTestPdf(const std::string& path, const TestPdf& spec) {
    try {
        QPDF pdf;
        pdf.emptyPDF();
        Handle font = pdf.makeIndirectObject(
            Handle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"));
        for (int n = 1; n <= spec.pages; ++n) {
            const std::string content =
                "BT /F1 24 Tf 40 300 Td (" + spec.text + " " + std::to_string(n) + ") Tj ET\n";
            Handle page = pdf.makeIndirectObject(
                Handle::parse("<< /Type /Page /MediaBox [0 0 300 400] /Resources << >> >>"));
            Handle resources = page.getKey("/Resources");
            resources.replaceKey("/Font", Handle::newDictionary({{"/F1", font}}));
            page.replaceKey("/Contents", Handle::newStream(&pdf, content));
            Handle link = pdf.makeIndirectObject(Handle::parse(
                "<< /Type /Annot /Subtype /Link /Rect [40 290 200 330] /Border [0 0 0] "
                "/A << /S /URI /URI (https://example.org/" +
                std::to_string(n) + ") >> >>"));
            page.replaceKey("/Annots", Handle::newArray({link}));
            if (n == 2 && spec.rotate != 0)
                page.replaceKey("/Rotate", Handle::newInteger(spec.rotate));
            QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(page), false);
        }
        if (spec.inheritedRotate != 0)
            pdf.getRoot().getKey("/Pages").replaceKey("/Rotate",
                                                      Handle::newInteger(spec.inheritedRotate));
        Handle root = pdf.getRoot();
        if (spec.outline) {
            Handle outlines = pdf.makeIndirectObject(Handle::parse("<< /Type /Outlines >>"));
            Handle item = pdf.makeIndirectObject(Handle::parse("<< /Title (Start) >>"));
            item.replaceKey("/Parent", outlines);
            item.replaceKey("/Dest",
                            Handle::newArray({pdf.getAllPages().front(), Handle::newName("/Fit")}));
            outlines.replaceKey("/First", item);
            outlines.replaceKey("/Last", item);
            outlines.replaceKey("/Count", Handle::newInteger(1));
            root.replaceKey("/Outlines", outlines);
        }
        if (spec.form) {
            Handle field = pdf.makeIndirectObject(Handle::parse("<< /FT /Tx /T (name) /V (x) >>"));
            root.replaceKey("/AcroForm",
                            Handle::newDictionary({{"/Fields", Handle::newArray({field})}}));
        }
        if (spec.info)
            pdf.getTrailer().replaceKey(
                "/Info", pdf.makeIndirectObject(Handle::parse("<< /Title (Source title) >>")));
        QPDFWriter writer(pdf, path.c_str());
        writer.setStaticID(true);
        if (!spec.userPassword.empty() || !spec.ownerPassword.empty())
            writer.setR6EncryptionParameters(
                spec.userPassword.c_str(),
                (spec.ownerPassword.empty() ? spec.userPassword + " owner" : spec.ownerPassword)
                    .c_str(),
                true, true, true, true, true, true, qpdf_r3p_full, true);
        writer.write();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string pageContent(const std::string& path, int page, const std::string& password) {
    QPDF pdf;
    pdf.processFile(path.c_str(), password.empty() ? nullptr : password.c_str());
    std::vector<Handle> pages = pdf.getAllPages();
    if (page < 1 || static_cast<std::size_t>(page) > pages.size())
        return "";
    Handle contents = pages[static_cast<std::size_t>(page) - 1].getKey("/Contents");
    if (!contents.isStream())
        return "";
    const auto data = contents.getStreamData(qpdf_dl_all);
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

bool breakXref(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string bytes = text.str();
    const auto mark = bytes.rfind("startxref");
    if (mark == std::string::npos)
        return false;
    const auto end = bytes.find("%%EOF", mark);
    bytes.replace(mark, end - mark, "startxref\n17\n");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

} // namespace pw::test
