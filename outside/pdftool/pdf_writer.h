#pragma once
// Writes the PDF: one page per picture (a tall or wide one split over several, see
// tall_pages.h), each JPEG embedded unchanged, each PNG without loss, each Group 4 page as the
// JBIG2 stream it was coded to (jbig2_image.h) or its data as it is.
#include "jobfiles/docinfo.h"
#include "jobfiles/encryption.h"
#include "jobfiles/job_options.h"
#include "jobfiles/picture_titles.h"
#include "outside/pdftool/jbig2_image.h"
#include "outside/pdftool/page_source.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pw::pdftool {

// What the document may have beyond its pages; null for none.
struct WriteExtras {
    // AES-256 (R6) with these passwords and permissions; without an owner password a random
    // one, so that the permissions hold for whoever opens the PDF.
    const jobfiles::Encryption* encryption = nullptr;
    // A bookmark per picture (pages of one staged index), titled from here, at its first page;
    // a picture of several pages gets a child per page, "Page 2" and so on.
    const jobfiles::PictureTitles* titles = nullptr;
    // PDF/A (pdfa.h): XMP metadata, an sRGB output intent, every picture's colours defined;
    // at PDF/A-1b also PDF 1.4, transparency laid on white and 8-bit samples only. Refused
    // together with encryption.
    jobfiles::PdfaLevel pdfa = jobfiles::PdfaLevel::Off;
    // Set to the number of pages whose transparency was laid on white (PDF/A-1b).
    std::size_t* laidOnWhite = nullptr;
    // Where the JBIG2 streams of the pages that have them are kept.
    const Jbig2Streams* jbig2 = nullptr;
};

// Writes the document to `out` (left open), each page laid out as `layout` says. The pictures
// are read from disk only while they are written, one at a time. Returns false with `error` set on
// any failure, including a picture that changed size since its header was read.
bool writePdf(const std::vector<PageSource>& pages, const jobfiles::DocInfo& docInfo,
              const jobfiles::PageLayout& layout, std::FILE* out, const PageWritten& onPageWritten,
              std::string& error, const WriteExtras& extras = {});

} // namespace pw::pdftool
