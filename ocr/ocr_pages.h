#pragma once
// Reading the text of staged pages with Tesseract, on the staging thread that staged them.
#include "pictures/stop_flag.h"
#include "staging/picture_pages.h"

#include <string>
#include <vector>

namespace pw::ocr {

// Reads every staged page of `staging` as the PDF shows it (its EXIF orientation, then
// `userTurn` degrees clockwise) and writes its words beside it (jobfiles/page_words.h) when
// `options.ocrLanguages` is set: its text read whichever way it runs when the orientation data
// is installed, each line with its turn, and a page too long for Tesseract read in strips. With
// `options.autoRotate`, page 1's text orientation, when detected with confidence, sets
// staging.autoTurn, and every page is read turned by it too. A page that cannot be read gets no
// words file and a line in staging.textProblems; a page without text gets an empty words file. Each
// thread keeps its own single-threaded engines. Once `stop` is set, recognition ends early and
// leaves the remaining pages without words.
void recognisePages(staging::PictureStaging& staging, int userTurn,
                    const jobfiles::JobOptions& options, pictures::StopFlag stop = {});

// Reads the pages of a PDF of the list (staged as staging.firstFile, opened with `password`)
// that are scanned pictures and writes their words beside it (jobfiles/page_words.h, with the
// picture's place on the page), when `options.ocrLanguages` is set. A page that shows text, or
// draws no picture, is passed over. Otherwise its largest image XObject is read, when it covers
// at least half of the page's visible area (its crop box) and lies square on it (turned in
// quarter turns or mirrored), as the page is shown: turned by its /Rotate and `userTurn`. A page
// whose picture is not read for another reason (JBIG2 or JPEG 2000 coding, drawn at a slant,
// a picture inside the content stream) gives a line in staging.notices, naming the PDF as `name`;
// recognition that fails, a line in staging.textProblems. Only the pages of `chosen` (from 1)
// that the builder copies are read (jobfiles::keptPdfPages); all pages when it keeps none.
void recognisePdfPages(staging::PictureStaging& staging, const std::string& name,
                       const std::string& password, int userTurn,
                       const jobfiles::JobOptions& options, const std::vector<int>& chosen = {},
                       pictures::StopFlag stop = {});

} // namespace pw::ocr
