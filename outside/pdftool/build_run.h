#pragma once
// One run of the builder over the staging folder.
#include <cstdio>
#include <string>

namespace pw::pdftool {

enum ExitCode : int {
    kExitOk = 0,               // tmp.pdf written
    kExitUsage = 1,            // called without /NOASK
    kExitNoPictures = 2,       // no staged page files (or the folder is unreadable)
    kExitNoUsablePictures = 3, // every staged file was skipped
    kExitWriteFailed = 4,      // tmp.pdf could not be written
};

// The line that starts the reason for kExitWriteFailed on `err`; the job shows what follows.
inline constexpr const char* kWriteFailure = "Cannot write the PDF: ";

// Builds folder/tmp.pdf from the staged pages in `folder`: removes a stale tmp.pdf, writes
// tmpx.pdf and renames it only when complete. Progress words ("Adding 00004.jpg ") go to
// `out`, skipped files and the reason for a failure to `err`; both are flushed per line.
int buildStagedPdf(const std::string& folder, std::FILE* out, std::FILE* err);

} // namespace pw::pdftool
