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
//
// Values as in jobfiles/page_layout_text.h. A missing file, key or valid value means the
// default: each page as large as its picture. No Qt, no qpdf: link pw_jobfiles.
#include "jobfiles/job_options.h"

#include <string>

namespace pw::pdftool {

inline constexpr const char* kPageOptionsFileName = "options.txt";

// Writes folder/options.txt (replacing it). Returns false and sets *error when it cannot.
bool writePageOptions(const std::string& folder, const engine::PageLayout& layout,
                      std::string* error = nullptr);

// Reads an options file; the defaults when it cannot be opened.
engine::PageLayout readPageOptions(const std::string& path);

} // namespace pw::pdftool
