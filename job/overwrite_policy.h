#pragma once
// What the job does when a PDF it is about to write exists already.
namespace pw::job {

enum class OverwritePolicy {
    Ask,          // the window: ask the user, as before
    Overwrite,    // replace existing PDFs without asking
    KeepNumbered, // keep them; the new PDF takes the first free numbered name
};

} // namespace pw::job
