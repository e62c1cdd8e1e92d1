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
};

// The staged name of page `page` (1-based): page 1 is `firstTarget` itself, later pages insert
// "_PPPP" (four digits) before its extension: "00003.jpg", "00003_0002.jpg".
std::string stagedPageName(const std::string& firstTarget, int page);

// The names page `page` may be staged under, one per staged extension: the pages of one
// picture can differ in kind (a bilevel page is a ".tif").
std::vector<std::string> stagedPageNames(const std::string& firstTarget, int page);
// The staged file of that page that exists (pages of one picture can be of different kinds);
// the first of the names when none does.
std::string existingStagedPage(const std::string& firstTarget, int page);

// Stages the picture's first page at `stem` plus its extension (see stageForJob) and, for a
// TIFF with several pages, each later page at stagedPageName of it, as the options say. Once
// `stop` is set the page being staged is given up within a few rows and no further page is
// begun; what was staged stays for the caller to remove.
PictureStaging stagePicturePages(const pictures::PictureFile& source, const std::string& stem,
                                 const jobfiles::JobOptions& options, pictures::StopFlag stop = {});
// The same for a path, described here.
PictureStaging stagePicturePages(const std::string& source, const std::string& stem,
                                 const jobfiles::JobOptions& options, pictures::StopFlag stop = {});

// Every file page `page` may leave in the staging folder: its names of each kind and its words.
std::vector<std::string> stagedPageFiles(const std::string& firstTarget, int page);
// Removes every staged file of pages 1..pageCount.
void removeStagedPages(const std::string& firstTarget, int pageCount);

} // namespace pw::staging
