#include "outside/pdftool/pdfa.h"

#include "jobfiles/docinfo.h"

#include <cstdio>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_String.hh>
#include <stdexcept>

namespace pw::pdftool {
namespace {

using Handle = QPDFObjectHandle;

std::string xmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : xmlSafe(text)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string textOf(Handle info, const char* key) {
    Handle value = info.isDictionary() ? info.getKey(key) : Handle::newNull();
    return value.isString() ? value.getUTF8Value() : std::string();
}

// The standard's "language alternative": one x-default entry.
std::string alternative(const char* name, const std::string& value) {
    return std::string("<") + name + "><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
           xmlEscaped(value) + "</rdf:li></rdf:Alt></" + name + ">\n";
}

std::string simple(const char* name, const std::string& value) {
    return std::string("<") + name + ">" + xmlEscaped(value) + "</" + name + ">\n";
}

std::string readFile(const char* path) {
    std::string bytes;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return bytes;
    char buffer[1 << 14];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, count);
    if (std::ferror(file) != 0)
        bytes.clear();
    std::fclose(file);
    return bytes;
}

} // namespace

bool keepsProfile(jobfiles::PdfaLevel level, std::uint32_t version) {
    if (level != jobfiles::PdfaLevel::A1b)
        return true;
    const std::uint32_t major = version >> 24;
    const std::uint32_t minor = (version >> 16) & 0xFF;
    return major < 2 || (major == 2 && minor <= 0x40);
}

Handle packagedProfile(QPDF& pdf, const char* path, const char* package, int components) {
    const std::string profile = readFile(path);
    if (profile.size() < 128)
        throw std::runtime_error(std::string("PDF/A needs the colour profile ") + path +
                                 " (Debian package " + package + "), which cannot be read");
    std::string deflated;
    Pl_String collect("icc", nullptr, deflated);
    Pl_Flate deflate("icc deflate", &collect, Pl_Flate::a_deflate);
    deflate.write(reinterpret_cast<const unsigned char*>(profile.data()), profile.size());
    deflate.finish();
    Handle stream = Handle::newStream(&pdf, deflated);
    Handle dict = stream.getDict();
    dict.replaceKey("/Filter", Handle::newName("/FlateDecode"));
    dict.replaceKey("/N", Handle::newInteger(components));
    return stream;
}

std::string xmpDate(const std::string& pdfDate) {
    if (!jobfiles::isPdfDate(pdfDate))
        return {};
    const std::string& d = pdfDate;
    std::string date = d.substr(2, 4) + "-" + d.substr(6, 2) + "-" + d.substr(8, 2) + "T" +
                       d.substr(10, 2) + ":" + d.substr(12, 2) + ":" + d.substr(14, 2);
    const std::string zone = d.substr(16);
    if (zone == "Z")
        date += "Z";
    else if (!zone.empty())
        date += zone.substr(0, 3) + ":" + zone.substr(4, 2);
    return date;
}

std::string xmlSafe(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        // U+FFFE and U+FFFF, in UTF-8 EF BF BE and EF BF BF, are no XML characters either.
        if (text.compare(i, 2, "\xEF\xBF") == 0 && i + 2 < text.size() &&
            (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
            i += 2;
            continue;
        }
        if (byte >= 0x20 || c == '\t' || c == '\n' || c == '\r')
            out += c;
    }
    return out;
}

std::string xmpPacket(Handle info, jobfiles::PdfaLevel level) {
    std::string body;
    const std::string title = textOf(info, "/Title");
    const std::string author = textOf(info, "/Author");
    const std::string subject = textOf(info, "/Subject");
    if (!title.empty())
        body += alternative("dc:title", title);
    if (!author.empty())
        body += "<dc:creator><rdf:Seq><rdf:li>" + xmlEscaped(author) +
                "</rdf:li></rdf:Seq></dc:creator>\n";
    if (!subject.empty())
        body += alternative("dc:description", subject);
    const std::pair<const char*, const char*> texts[] = {{"/Keywords", "pdf:Keywords"},
                                                         {"/Producer", "pdf:Producer"},
                                                         {"/Creator", "xmp:CreatorTool"}};
    for (const auto& [key, name] : texts) {
        if (const std::string value = textOf(info, key); !value.empty())
            body += simple(name, value);
    }
    const std::pair<const char*, const char*> dates[] = {{"/CreationDate", "xmp:CreateDate"},
                                                         {"/ModDate", "xmp:ModifyDate"}};
    for (const auto& [key, name] : dates) {
        if (const std::string value = xmpDate(textOf(info, key)); !value.empty())
            body += simple(name, value);
    }
    const bool first = level == jobfiles::PdfaLevel::A1b;
    body += simple("pdfaid:part", first ? "1" : "2");
    body += simple("pdfaid:conformance", "B");
    return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
           "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "<rdf:Description rdf:about=\"\"\n"
           " xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
           " xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\"\n"
           " xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
           " xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n" +
           body +
           "</rdf:Description>\n"
           "</rdf:RDF>\n"
           "</x:xmpmeta>\n"
           "<?xpacket end=\"w\"?>";
}

void addPdfaParts(QPDF& pdf, jobfiles::PdfaLevel level) {
    Handle root = pdf.getRoot();
    Handle metadata = Handle::newStream(&pdf, xmpPacket(pdf.getTrailer().getKey("/Info"), level));
    metadata.getDict().replaceKey("/Type", Handle::newName("/Metadata"));
    metadata.getDict().replaceKey("/Subtype", Handle::newName("/XML"));
    root.replaceKey("/Metadata", metadata);

    const std::string condition = "sRGB IEC61966-2.1";
    Handle intent = Handle::newDictionary();
    intent.replaceKey("/Type", Handle::newName("/OutputIntent"));
    intent.replaceKey("/S", Handle::newName("/GTS_PDFA1"));
    intent.replaceKey("/OutputConditionIdentifier", Handle::newString(condition));
    intent.replaceKey("/Info", Handle::newString(condition));
    intent.replaceKey("/DestOutputProfile",
                      packagedProfile(pdf, kSrgbProfilePath, kSrgbProfilePackage, 3));
    root.replaceKey("/OutputIntents", Handle::newArray({pdf.makeIndirectObject(intent)}));
}

} // namespace pw::pdftool
