#pragma once
// Everything a conversion job needs, taken from the windows or the command line before it
// starts; questions about existing PDFs are settled by then.
#include "job/overwrite_policy.h"
#include "jobfiles/docinfo.h"
#include "jobfiles/encryption.h"
#include "jobfiles/job_options.h"

#include <string>
#include <vector>

namespace pw::job {

// Document information handed to the PDF builder: title, author, subject, keywords and the
// creation date as a PDF date text.
using DocumentProperties = jobfiles::DocInfo;

struct JobRequest {
    std::vector<std::string> pictures; // working paths, in list order
    // Each picture's turn in degrees clockwise on top of its own (EXIF) turn: 90, 180 or 270;
    // parallel to `pictures`, a missing entry or 0 is not turned.
    std::vector<int> rotations;
    // For a PDF of the list: the page numbers (from 1) that go in, in that order, each turned
    // by the item's rotation on top of its own; parallel to `pictures`, a missing or empty
    // entry takes every page.
    std::vector<std::vector<int>> pdfPages;
    // The paths the user sees, parallel to `pictures` (a missing or empty one: the working
    // path); bookmarks are titled by their file names without the extension.
    std::vector<std::string> displayPaths;
    std::string outputFolder;
    DocumentProperties properties;
    bool perPicture = false; // one PDF per picture, or all pictures in one PDF
    jobfiles::JobOptions options;
    // Every PDF encrypted this way when active(); handed to the builder through a pipe only.
    jobfiles::Encryption encryption;
    // The password given in the window for each encrypted PDF of the list, parallel to
    // `pictures` (missing or empty: encryption.inputPassword). The job hands them all to the
    // builder as encryption.morePasswords.
    std::vector<std::string> pdfPasswords;
    // Per-picture mode: what happens to PDFs of the same names. Ask is not a choice here.
    OverwritePolicy overwrite = OverwritePolicy::KeepNumbered;
    // One-PDF mode: the result's name in the output folder. An existing file of that name is
    // kept and the first free numbered name taken (NewPDF1.pdf), unless `replaceResult`.
    std::string resultName = "NewPDF.pdf";
    bool replaceResult = false;
    // With text recognition: the recognised text is also written here, pages separated by form
    // feeds. Empty for none.
    std::string textSidecar;
    // Where the job stages: the window's one staging folder (platform::stagingFolder(); the window
    // runs one job at a time), or a private folder of its own under platform::jobsFolder(), removed
    // at its end, so that jobs of several programs run side by side.
    enum class Staging { Shared, OwnFolder };
    Staging staging = Staging::OwnFolder;
};

} // namespace pw::job
