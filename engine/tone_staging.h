#pragma once
// Staging a picture that is not JPEG data by its tone: a bilevel one (every pixel black or
// white) as a Group 4 TIFF in every mode, others as the options say (a JPEG at the quality, or
// a PNG without loss).
#include "engine/stop_flag.h"
#include "jobfiles/job_options.h"

#include <string>

struct FIBITMAP;

namespace pw::engine {

class PngRows;

// Stages the picture at `narrowSource` at `stem` plus the extension its kind takes: ".tif" for
// a bilevel picture (a Group 4 TIFF page copied as it is), else ".jpg" at the options' quality
// or, without loss, ".png" (a PNG file linked as it is when it is not bilevel). The file written,
// or empty with `problem` set as DecodeAndSave sets it (and once `stop` is set).
std::string StageByTone(const std::string& narrowSource, const std::string& extension,
                        const std::string& stem, const JobOptions& options, std::string* problem,
                        StopFlag stop = {});

// Saves a decoded page (left to the caller) at `stem` plus the extension its kind takes, as
// StageByTone does; the file written, or empty.
std::string SaveByTone(FIBITMAP* bitmap, const std::string& narrowSource, const std::string& stem,
                       const JobOptions& options, StopFlag stop = {});

// This thread's PngRows, whose buffers serve its next picture.
PngRows& ThreadPngRows();

// Writes the rows of a freshly opened PngRows as a staged JPEG at `quality` (1..100) with the
// PNG's resolution: RGB with its ICC profile, or one gray channel when every pixel is gray.
bool WritePngRowsJpeg(PngRows& rows, const std::string& target, int quality, StopFlag stop = {});

} // namespace pw::engine
