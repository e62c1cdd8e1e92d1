#pragma once
// Turning one picture into a staged JPEG, PNG or TIFF file.
#include "jobfiles/job_options.h"
#include "pictures/picture_file.h"
#include "staging/picture_files.h"

#include <string>

namespace pw::staging {

// Stages picture `source` as the job's options say, at `stem` (the staged path without its
// extension): JPEG data as it is whatever the name (scaled down, re-encoded, above the
// resolution ceiling), a bilevel picture as JBIG2 or a Group 4 TIFF (options.bilevel),
// others as a JPEG at the quality, or without loss as a PNG (see stageByTone). Returns the file
// written (stem + ".jpg", ".jb2", ".tif" or ".png"), empty when none was. Safe to call from several
// threads at once for different pictures once initialiseFreeImage has run. Once `stop` is set,
// staging ends within a few rows and writes nothing.
std::string stageForJob(const pictures::PictureFile& source, const std::string& stem,
                        const jobfiles::JobOptions& options, std::string* problem = nullptr,
                        pictures::StopFlag stop = {});
// The same for a path, described here.
std::string stageForJob(const std::string& source, const std::string& stem,
                        const jobfiles::JobOptions& options, std::string* problem = nullptr,
                        pictures::StopFlag stop = {});

} // namespace pw::staging
