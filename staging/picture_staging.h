#pragma once
// Turning one picture into a staged JPEG, PNG or TIFF file.
#include "jobfiles/job_options.h"
#include "staging/picture_files.h"

#include <string>

namespace pw::staging {

// Stages picture `source` as the job's options say, at `stem` (the staged path without its
// extension): JPEG data as it is whatever the name (scaled down, re-encoded, above the
// resolution ceiling), a bilevel picture as a Group 4 TIFF,
// others as a JPEG at the quality, or without loss as a PNG (see stageByTone). Returns the file
// written (stem + ".jpg", ".tif" or ".png"), empty when none was. Safe to call from several threads
// at once for different pictures once initialiseFreeImage has run. Once `stop` is set, staging
// ends within a few rows and writes nothing.
std::string stageForJob(const std::string& source, const std::string& stem,
                        const jobfiles::JobOptions& options, std::string* problem = nullptr,
                        pictures::StopFlag stop = {});

} // namespace pw::staging
