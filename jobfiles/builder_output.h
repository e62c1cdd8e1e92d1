#pragma once
// What the builder (pdf.exe) tells the job: its exit statuses and the words that start its
// lines. The builder writes them and the job reads them from here only.
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
// "Skipped 00003.jpg: why" on `err` for each staged file left out.
inline constexpr const char* kSkippedLead = "Skipped ";
// "Wrote N of M pages ..." on `out` once tmp.pdf is complete.
inline constexpr const char* kWroteLead = "Wrote ";
// "Laid on white: N" on `out` before "Wrote": N pictures lost their transparency (PDF/A-1b).
inline constexpr const char* kLaidOnWhiteLead = "Laid on white: ";
// The start of the line on `err` when the folder has no staged page files.
inline constexpr const char* kNoStagedPictures = "No staged pictures";
// The end of the line on `err` when none of them could be a page.
inline constexpr const char* kNoneUsable = "staged pictures is usable";

} // namespace pw::pdftool
