#pragma once
// Staging every page of a picture: a multi-page TIFF gives one staged file per page.
#include "jobfiles/job_options.h"
#include "pictures/picture_file.h"
#include "pictures/stop_flag.h"

#include <string>
#include <vector>

namespace pw::staging {

struct PictureStaging {
    int pages = 0;                 // pages written
    int pageCount = 1;             // pages the picture has
    std::vector<int> damagedPages; // 1-based pages that could not be staged, of a several-page
                                   // picture some of whose pages were staged
    std::string problem;           // why nothing was staged, when there is more to say
    std::string firstFile;         // page 1's staged name (even when only later pages were
                                   // staged); empty when no page was
    int autoTurn = 0; // clockwise degrees the orientation detection adds to the picture's turn
    std::vector<std::string> textProblems; // pages whose text could not be recognised, and why
    // A PDF of the list: staged as one link to it (firstFile, ".pdf"), its pages copied whole.
    bool pdf = false;
    std::vector<std::string> notices; // what the user must hear of it though it goes in
};

// The staged name of page `page` (1-based): page 1 is `firstTarget` itself, later pages insert
// "_PPPP" (four digits) before its extension: "00003.jpg", "00003_0002.jpg".
std::string stagedPageName(const std::string& firstTarget, int page);

// The names page `page` may be staged under, one per staged extension: the pages of one
// picture can differ in kind (a bilevel page is a ".jb2" or ".tif").
std::vector<std::string> stagedPageNames(const std::string& firstTarget, int page);
// The staged file of that page that exists (pages of one picture can be of different kinds);
// the first of the names when none does.
std::string existingStagedPage(const std::string& firstTarget, int page);

// Stages the picture's first page at `stem` plus its extension (see stageForJob) and, for a
// TIFF with several pages, each later page at stagedPageName of it, as the options say. Once
// `stop` is set the page being staged is given up within a few rows and no further page is
// begun; what was staged stays for the caller to remove.
// A PDF (by its first bytes, whatever its name) is staged by stagePdf, opened with `password`.
PictureStaging stagePicturePages(const pictures::PictureFile& source, const std::string& stem,
                                 const jobfiles::JobOptions& options, pictures::StopFlag stop = {},
                                 const std::string& password = {});
// The same for a path, described here.
PictureStaging stagePicturePages(const std::string& source, const std::string& stem,
                                 const jobfiles::JobOptions& options, pictures::StopFlag stop = {},
                                 const std::string& password = {});

// A PDF of the list (staging/pdf_staging.cpp): never decoded, only opened with `password` to
// count and check its pages, and linked at `stem` + ".pdf" for the builder, which copies its
// pages as they are. Refused with a reason when it needs a password, the password is wrong or
// it is damaged beyond repair; what of it stays behind goes to `notices`.
PictureStaging stagePdf(const pictures::PictureFile& source, const std::string& stem,
                        const jobfiles::JobOptions& options, const std::string& password);

// Every file page `page` may leave in the staging folder: its names of each kind and its words.
std::vector<std::string> stagedPageFiles(const std::string& firstTarget, int page);
// Removes every staged file of pages 1..pageCount (a PDF's one link and its pages' words).
void removeStagedPages(const std::string& firstTarget, int pageCount);

} // namespace pw::staging
