#pragma once
// One run of the builder over the staging folder.
#include "jobfiles/builder_output.h"
#include "jobfiles/encryption.h"

#include <cstdio>
#include <optional>
#include <string>

namespace pw::pdftool {

// Builds folder/tmp.pdf from the staged pages in `folder`: removes a stale tmp.pdf, writes
// tmpx.pdf and renames it only when complete. Progress words ("Adding 00004.jpg ") go to
// `out`, skipped files and the reason for a failure to `err`; both are flushed per line. With
// `encryption` the PDF is encrypted with AES-256; with titles.txt in the folder it has a
// bookmark per picture.
int buildStagedPdf(const std::string& folder, std::FILE* out, std::FILE* err,
                   const std::optional<jobfiles::Encryption>& encryption = std::nullopt);

} // namespace pw::pdftool
