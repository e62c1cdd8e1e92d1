#pragma once
// The invisible text over the pages: each recognised word (from the page's words file, see
// jobfiles/page_words.h) as text in render mode 3 over its place on the picture, in a
// glyphless font embedded once per PDF, stretched to the word's width.
#include "jobfiles/page_words.h"
#include "outside/pdftool/page_geometry.h"
#include "outside/pdftool/page_source.h"

#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <string>

namespace pw::pdftool {

class TextStreams;

class TextLayer {
public:
    explicit TextLayer(QPDF& pdf);
    ~TextLayer();
    TextLayer(const TextLayer&) = delete;
    TextLayer& operator=(const TextLayer&) = delete;

    // When the page's picture has a words file beside it, adds the text to the page: the font
    // to `resources` and a content stream after `contents` (which becomes an array, or grows). The
    // text is made from the file only when the writer reaches it. `orientation` is the picture's as
    // shown (1..8), `geometry` its page's.
    void addToPage(const PageSource& page, int orientation, const PageGeometry& geometry,
                   QPDFObjectHandle& resources, QPDFObjectHandle& contents);

    // When page `number` (1-based) of the PDF of the list staged at `stagedPdf` has a words file
    // (its words placed on it, see jobfiles/page_words.h), adds the text to `page`, a page copied
    // from it: the font to a copy of its resources, and after its content streams, which stay as
    // they are, between a stream that saves the graphics state and the text's, which restores it
    // first. The words outside the page's crop box are left out.
    void addToPdfPage(const std::string& stagedPdf, int number, QPDFObjectHandle& page);

private:
    QPDFObjectHandle font();

    QPDF& pdf_;
    std::shared_ptr<TextStreams> streams_;
    QPDFObjectHandle font_;
};

// A page's text as a content stream, for `words` shown in the rectangle (x, y, width, height)
// of the page, clipped to `clip` (x y width height) when given. Exposed for the tests.
std::string textContent(const jobfiles::PageWords& words, const double shown[4],
                        const double* clip);

} // namespace pw::pdftool
