#pragma once
// What the builder (pdf.exe) tells the job: its exit statuses and the words that start its
// lines. The builder writes them and the job reads them from here only; its other lines are
// for people and mean nothing to the job.
#include <string>
#include <vector>

namespace pw::pdftool {

enum ExitCode : int {
    kExitOk = 0,               // tmp.pdf written
    kExitUsage = 1,            // called without /NOASK
    kExitNoPictures = 2,       // no staged page files (or the folder is unreadable)
    kExitNoUsablePictures = 3, // every staged file was skipped
    kExitWriteFailed = 4,      // tmp.pdf could not be written
};

// "Skipped 00003.jpg: why" on `err` for each staged file left out.
inline constexpr const char* kSkippedLead = "Skipped ";
// "Wrote N of M pages" on `out` once tmp.pdf is complete.
inline constexpr const char* kWroteLead = "Wrote ";
// "Laid on white: N" on `out` before "Wrote": N pictures lost their transparency (PDF/A-1b).
inline constexpr const char* kLaidOnWhiteLead = "Laid on white: ";
// "Failed: why" on `err` before ending with kExitWriteFailed; the job shows the why.
inline constexpr const char* kFailedLead = "Failed: ";

// What follows `lead` on each line of `outputs` that starts with it, in order, without the
// line end.
std::vector<std::string> linesAfter(const std::string& outputs, const std::string& lead);

} // namespace pw::pdftool
