#pragma once
// The builder's options file: how pages are laid out.
//
// File: <staging folder>/options.txt, written by the conversion job before each run of the
// builder, in the format of docinfo.txt (UTF-8, "Key=Value" per line, same escaping):
//
//   PageSize=A4
//   Orientation=auto
//   Margin=10
//   Fit=fit
//   PDFA=2b
//   Bilevel=g4
//
// Values as in jobfiles/page_layout_text.h, jobfiles/pdfa_level.h (PDFA only when on) and
// jobfiles/bilevel_text.h (Bilevel only for Group 4). A missing file, key or valid value means
// the default: each page as large as its picture, black-and-white pages as JBIG2. No Qt, no
// qpdf: link pw_jobfiles.
#include "jobfiles/job_options.h"

#include <string>

namespace pw::jobfiles {

inline constexpr const char* kPageOptionsFileName = "options.txt";

// Writes folder/options.txt (replacing it). Returns false and sets *error when it cannot.
bool writePageOptions(const std::string& folder, const PageLayout& layout,
                      std::string* error = nullptr);

// The same with the options beyond the layout the builder reads (the PDF/A level and the
// coding of black-and-white pages).
bool writePageOptions(const std::string& folder, const JobOptions& options,
                      std::string* error = nullptr);

// Reads an options file; the defaults when it cannot be opened.
PageLayout readPageOptions(const std::string& path);
// The PDF/A level of an options file; off without one.
PdfaLevel readPdfaLevel(const std::string& path);
// The coding of black-and-white pages of an options file; JBIG2 without one.
BilevelCoding readBilevelCoding(const std::string& path);

} // namespace pw::jobfiles
