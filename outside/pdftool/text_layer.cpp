#include "outside/pdftool/text_layer.h"

#include "jobfiles/page_words.h"
#include "jobfiles/staged_names.h"
#include "jobfiles/text_values.h"
#include "outside/pdftool/glyphless_font.h"

#include <algorithm>
#include <cmath>
#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <stdexcept>
#include <sys/stat.h>
#include <unordered_map>

namespace pw::pdftool {
namespace {

using Handle = QPDFObjectHandle;

constexpr const char* kFontKey = "/FPwText";
// The least gap between the words of a line, in font sizes (see textContent).
constexpr double kLeastGap = 0.16;

std::string number(double value) {
    return jobfiles::decimalText(std::round(value * 1000.0) / 1000.0, 3);
}

// The UTF-16 code units of UTF-8 text, which are the glyphless font's character codes; a
// malformed sequence gives U+FFFD.
std::vector<unsigned> utf16Units(const std::string& text) {
    std::vector<unsigned> units;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        unsigned code = lead;
        unsigned least = 0;
        bool valid = true;
        if (lead >= 0xC2 && lead < 0xE0)
            extra = 1, code = lead & 0x1Fu, least = 0x80;
        else if (lead >= 0xE0 && lead < 0xF0)
            extra = 2, code = lead & 0x0Fu, least = 0x800;
        else if (lead >= 0xF0 && lead < 0xF5)
            extra = 3, code = lead & 0x07u, least = 0x10000;
        else if (lead >= 0x80)
            valid = false;
        valid = valid && i + extra < text.size();
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3Fu);
        }
        valid = valid && code >= least && code <= 0x10FFFF && (code < 0xD800 || code >= 0xE000);
        if (!valid) {
            units.push_back(0xFFFD);
            ++i;
        } else if (code >= 0x10000) {
            units.push_back(0xD800 + ((code - 0x10000) >> 10));
            units.push_back(0xDC00 + ((code - 0x10000) & 0x3FF));
            i += extra + 1;
        } else {
            units.push_back(code);
            i += extra + 1;
        }
    }
    return units;
}

std::string hexText(const std::vector<unsigned>& units) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex = "<";
    for (const unsigned unit : units)
        for (int shift = 12; shift >= 0; shift -= 4)
            hex += digits[(unit >> shift) & 15];
    return hex + ">";
}

std::string deflated(const std::string& data) {
    Pl_Buffer buffer("deflated");
    Pl_Flate deflate("deflate", &buffer, Pl_Flate::a_deflate);
    deflate.write(reinterpret_cast<const unsigned char*>(data.data()), data.size());
    deflate.finish();
    const std::shared_ptr<Buffer> bytes = buffer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(bytes->getBuffer()), bytes->getSize());
}

Handle deflatedStream(QPDF& pdf, const std::string& data) {
    Handle stream = Handle::newStream(&pdf);
    stream.replaceStreamData(deflated(data), Handle::newName("/FlateDecode"), Handle::newNull());
    return stream;
}

// Every character code (a UTF-16 unit) stands for itself.
std::string toUnicodeMap() {
    std::string map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    static const char digits[] = "0123456789ABCDEF";
    for (unsigned high = 0; high < 256; high += 64) {
        map += "64 beginbfrange\n";
        for (unsigned byte = high; byte < high + 64; ++byte) {
            const std::string lead{digits[byte >> 4], digits[byte & 15]};
            map += "<" + lead + "00> <" + lead + "FF> <" + lead + "00>\n";
        }
        map += "endbfrange\n";
    }
    return map + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

struct PageText {
    std::string wordsPath;
    double shown[4] = {0, 0, 0, 0}; // x, y, width, height on the page
    bool clip = false;
    double clipBox[4] = {0, 0, 0, 0};
    int pixelWidth = 0; // of the picture as shown
    int pixelHeight = 0;
    // A page of a PDF of the list: the picture's place comes with its words, and the state its
    // own content left is restored first.
    bool pdfPage = false;
};

} // namespace

namespace {

// Where a line's text runs on the picture as shown (pixels, y down): its letters' baseline,
// along which its words follow one another, and each word's start and end on it.
struct LineRun {
    int turn;
    const jobfiles::WordBox& line;

    // The word's first and last edge along the line, in the direction it is read.
    int start(const jobfiles::WordBox& word) const {
        return turn == 90    ? word.top
               : turn == 180 ? word.right
               : turn == 270 ? word.bottom
                             : word.left;
    }
    int end(const jobfiles::WordBox& word) const {
        return turn == 90    ? word.bottom
               : turn == 180 ? word.left
               : turn == 270 ? word.top
                             : word.right;
    }
    // The point where a word starting at `along` meets the baseline, the line's edge under its
    // letters.
    void origin(int along, double& x, double& y) const {
        switch (turn) {
        case 90:
            x = line.left, y = along;
            break;
        case 180:
            x = along, y = line.top;
            break;
        case 270:
            x = line.right, y = along;
            break;
        default:
            x = along, y = line.bottom;
        }
    }
};

} // namespace

std::string textContent(const jobfiles::PageWords& words, const double shown[4],
                        const double* clip) {
    const double across = shown[2] / words.width;
    const double down = shown[3] / words.height;
    const auto pageX = [&](double x) { return shown[0] + x * across; };
    const auto pageY = [&](double y) { return shown[1] + shown[3] - y * down; };
    std::string content = "q ";
    if (clip != nullptr)
        content += number(clip[0]) + " " + number(clip[1]) + " " + number(clip[2]) + " " +
                   number(clip[3]) + " re W n ";
    content += "3 Tr\n";
    for (const jobfiles::WordLine& line : words.lines) {
        const LineRun run{line.turn, line.box};
        const bool upright = line.turn == 0 || line.turn == 180;
        // Points per pixel along the line and across it.
        const double along = upright ? across : down;
        const double high = upright ? down : across;
        // The line's height is the font size and the edge under its letters the baseline: the
        // font rises a whole em and has no descent, so a word's glyphs cover its part of the
        // line.
        const double size = std::max(
            (upright ? line.box.bottom - line.box.top : line.box.right - line.box.left) * high,
            0.01);
        // A word whose middle the clip hides belongs to another slice of the picture: it is
        // left out, so each page gives only the text it shows.
        std::vector<std::pair<const jobfiles::PageWord*, std::vector<unsigned>>> shownWords;
        for (const jobfiles::PageWord& word : line.words) {
            std::vector<unsigned> units = utf16Units(word.text);
            const double middleX = pageX((word.box.left + word.box.right) / 2.0);
            const double middleY = pageY((word.box.top + word.box.bottom) / 2.0);
            if (units.empty() ||
                (clip != nullptr && (middleX < clip[0] || middleX > clip[0] + clip[2] ||
                                     middleY < clip[1] || middleY > clip[1] + clip[3])))
                continue;
            shownWords.emplace_back(&word, std::move(units));
        }
        if (shownWords.empty())
            continue;
        // One text object a line, turned with it, its words one after another along the
        // baseline, each stretched over its box, and a real space between them stretched over
        // the gap: text extractors take the spaces as they are and start a new line with each
        // text object.
        double x = 0, y = 0;
        run.origin(run.start(shownWords.front().first->box), x, y);
        const double a = line.turn == 0 ? 1 : line.turn == 180 ? -1 : 0;
        const double b = line.turn == 90 ? -1 : line.turn == 270 ? 1 : 0;
        content += "BT " + std::string(kFontKey) + " " + number(size) + " Tf " + number(a) + " " +
                   number(b) + " " + number(-b) + " " + number(a) + " " + number(pageX(x)) + " " +
                   number(pageY(y)) + " Tm\n";
        // Each word's start and end along the line, in points from the line's first word.
        const double sign = line.turn == 180 || line.turn == 270 ? -1.0 : 1.0;
        const int first = run.start(shownWords.front().first->box);
        std::vector<std::pair<double, double>> spans;
        for (const auto& [word, units] : shownWords)
            spans.emplace_back(sign * (run.start(word->box) - first) * along,
                               sign * (run.end(word->box) - first) * along);
        // poppler's raw order (pdftotext -raw) puts a space between words only where their gap
        // is more than 0.15 of the font size, whatever the text holds: a word set closer to the
        // next than that ends a little early, by at most half its width.
        for (std::size_t i = 0; i + 1 < spans.size(); ++i) {
            auto& [from, to] = spans[i];
            to = std::max(std::min(to, spans[i + 1].first - kLeastGap * size), (from + to) / 2.0);
        }
        for (std::size_t i = 0; i < shownWords.size(); ++i) {
            const auto [from, to] = spans[i];
            if (i > 0) {
                // The space fills the gap from the word before (a word set over that one gets
                // a hair-thin space); the word then starts where its box does.
                const double gap = std::max(from - spans[i - 1].second, 0.01);
                content += number(100.0 * gap / size) + " Tz <0020> Tj " +
                           number(from - spans[i - 1].first) + " 0 Td ";
            }
            const std::vector<unsigned>& units = shownWords[i].second;
            content += number(100.0 * std::max(to - from, 0.01) /
                              (size * static_cast<double>(units.size()))) +
                       " Tz " + hexText(units) + " Tj\n";
        }
        content += "ET\n";
    }
    return content + "Q\n";
}

// Makes each page's text from its words file when the writer reaches its stream, so only one
// page's words are held at a time.
class TextStreams : public QPDFObjectHandle::StreamDataProvider {
public:
    void bind(const QPDFObjGen& stream, PageText text) {
        pages_[stream.getObj()] = std::move(text);
    }

    void provideStreamData(QPDFObjGen const& og, Pipeline* pipeline) override {
        const auto found = pages_.find(og.getObj());
        if (found == pages_.end())
            throw std::logic_error("no text for stream " + og.unparse(' '));
        const PageText& page = found->second;
        std::string content;
        // A file that does not fit its picture, or that cannot be read, leaves the page without
        // text: the picture is what matters.
        const std::optional<jobfiles::PageWords> words = jobfiles::readPageWords(page.wordsPath);
        if (page.pdfPage) {
            content = "Q\n";
            if (words && words->place)
                content += textContent(*words, words->place->data(), page.clipBox);
        } else if (words && words->width == page.pixelWidth && words->height == page.pixelHeight) {
            content = textContent(*words, page.shown, page.clip ? page.clipBox : nullptr);
        }
        Pl_Flate deflate("text deflate", pipeline, Pl_Flate::a_deflate);
        deflate.write(reinterpret_cast<const unsigned char*>(content.data()), content.size());
        deflate.finish();
    }

private:
    std::unordered_map<int, PageText> pages_;
};

TextLayer::TextLayer(QPDF& pdf) : pdf_(pdf), streams_(std::make_shared<TextStreams>()) {}

TextLayer::~TextLayer() = default;

void TextLayer::addToPage(const PageSource& page, int orientation, const PageGeometry& geometry,
                          QPDFObjectHandle& resources, QPDFObjectHandle& contents) {
    PageText text;
    text.wordsPath = jobfiles::wordsFileFor(page.path);
    struct stat status {};
    if (::stat(text.wordsPath.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return;
    const bool turned = orientation >= 5;
    text.pixelWidth = turned ? page.info.height : page.info.width;
    text.pixelHeight = turned ? page.info.width : page.info.height;
    // The picture as shown fills the box the image matrix maps the unit square to.
    const double* m = geometry.matrix;
    const double xs[4] = {m[4], m[0] + m[4], m[2] + m[4], m[0] + m[2] + m[4]};
    const double ys[4] = {m[5], m[1] + m[5], m[3] + m[5], m[1] + m[3] + m[5]};
    const auto [left, right] = std::minmax_element(xs, xs + 4);
    const auto [bottom, top] = std::minmax_element(ys, ys + 4);
    text.shown[0] = *left;
    text.shown[1] = *bottom;
    text.shown[2] = *right - *left;
    text.shown[3] = *top - *bottom;
    text.clip = geometry.clip;
    std::copy(geometry.clipBox, geometry.clipBox + 4, text.clipBox);

    Handle stream = Handle::newStream(&pdf_);
    stream.replaceStreamData(streams_, Handle::newName("/FlateDecode"), Handle::newNull());
    streams_->bind(stream.getObjGen(), std::move(text));
    Handle fonts = Handle::newDictionary();
    fonts.replaceKey(kFontKey, font());
    resources.replaceKey("/Font", fonts);
    if (contents.isArray())
        contents.appendItem(stream); // a sheet with several pictures' words
    else
        contents = Handle::newArray({contents, stream});
}

void TextLayer::addToPdfPage(const std::string& stagedPdf, int number, QPDFObjectHandle& page) {
    PageText text;
    text.wordsPath = jobfiles::wordsFileFor(jobfiles::stagedPageName(stagedPdf, number));
    struct stat status {};
    if (::stat(text.wordsPath.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return;
    text.pdfPage = true;
    text.clip = true;
    const QPDFObjectHandle::Rectangle crop =
        QPDFPageObjectHelper(page).getCropBox(false, true).getArrayAsRectangle();
    text.clipBox[0] = std::min(crop.llx, crop.urx);
    text.clipBox[1] = std::min(crop.lly, crop.ury);
    text.clipBox[2] = std::abs(crop.urx - crop.llx);
    text.clipBox[3] = std::abs(crop.ury - crop.lly);

    Handle stream = Handle::newStream(&pdf_);
    stream.replaceStreamData(streams_, Handle::newName("/FlateDecode"), Handle::newNull());
    streams_->bind(stream.getObjGen(), std::move(text));
    // The page's resources may be shared with other pages: it gets a copy of its own.
    Handle resources = page.getKey("/Resources");
    resources = resources.isDictionary() ? resources.shallowCopy() : Handle::newDictionary();
    Handle fonts = resources.getKey("/Font");
    fonts = fonts.isDictionary() ? fonts.shallowCopy() : Handle::newDictionary();
    fonts.replaceKey(kFontKey, font());
    resources.replaceKey("/Font", fonts);
    page.replaceKey("/Resources", resources);
    Handle contents = Handle::newArray({Handle::newStream(&pdf_, "q\n")});
    Handle own = page.getKey("/Contents");
    if (own.isArray()) {
        for (Handle part : own.aitems())
            contents.appendItem(part);
    } else if (own.isStream()) {
        contents.appendItem(own);
    }
    contents.appendItem(stream);
    page.replaceKey("/Contents", contents);
}

Handle TextLayer::font() {
    if (font_.isInitialized())
        return font_;
    const std::string program = glyphlessFontProgram();
    Handle file = Handle::newStream(&pdf_, program);
    file.getDict().replaceKey("/Length1",
                              Handle::newInteger(static_cast<long long>(program.size())));

    Handle descriptor = Handle::parse("<< /Type /FontDescriptor /FontName /PagewrightGlyphless"
                                      " /Flags 5 /FontBBox [0 0 1000 1000] /ItalicAngle 0"
                                      " /Ascent 1000 /Descent 0 /CapHeight 1000 /StemV 80 >>");
    descriptor.replaceKey("/FontFile2", file);

    // Every character code shows glyph 1.
    std::string glyphs(2 * 65536, '\0');
    for (std::size_t at = 1; at < glyphs.size(); at += 2)
        glyphs[at] = 1;
    Handle cidFont = Handle::parse(
        "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /PagewrightGlyphless"
        " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /DW " +
        std::to_string(kGlyphlessUnits) + " >>");
    cidFont.replaceKey("/FontDescriptor", pdf_.makeIndirectObject(descriptor));
    cidFont.replaceKey("/CIDToGIDMap", deflatedStream(pdf_, glyphs));

    Handle type0 = Handle::parse("<< /Type /Font /Subtype /Type0 /BaseFont /PagewrightGlyphless"
                                 " /Encoding /Identity-H >>");
    type0.replaceKey("/DescendantFonts", Handle::newArray({pdf_.makeIndirectObject(cidFont)}));
    type0.replaceKey("/ToUnicode", deflatedStream(pdf_, toUnicodeMap()));
    font_ = pdf_.makeIndirectObject(type0);
    return font_;
}

} // namespace pw::pdftool
