#pragma once
// Staging a picture that is not JPEG data by its tone: a bilevel one (every pixel black or
// white) as JBIG2 or Group 4 in every mode, others as the options say (a JPEG at the quality, or
// a PNG without loss).
#include "jobfiles/job_options.h"
#include "pictures/picture_file.h"
#include "pictures/stop_flag.h"

#include <string>

struct FIBITMAP;

namespace pw::staging {

// Stages the picture at `source` at `stem` plus the extension its kind takes: ".jb2" or
// ".tif" for a bilevel picture as `options.bilevel` says (a Group 4 TIFF page copied as it is
// to ".tif"), else ".jpg" at the options' quality
// or, without loss, ".png" (a PNG file linked as it is when it is not bilevel). The file written,
// or empty with `problem` set as decodeAndSave sets it (and once `stop` is set).
std::string stageByTone(const pictures::PictureFile& source, const std::string& extension,
                        const std::string& stem, const jobfiles::JobOptions& options,
                        std::string* problem, pictures::StopFlag stop = {});

// Saves a decoded page (left to the caller) at `stem` plus the extension its kind takes, as
// stageByTone does, turned upright first with `options.deskew`; the file written, or empty.
std::string saveByTone(FIBITMAP* bitmap, const pictures::PictureFile& source,
                       const std::string& stem, const jobfiles::JobOptions& options,
                       pictures::StopFlag stop = {});

// Saves the page as saveByTone does, turned `skew` degrees clockwise (pageSkew) first unless
// that is 0; a JPEG source's EXIF turn is then applied to the pixels of a page saved without
// loss, whose PNG cannot carry it.
std::string saveTurnedByTone(FIBITMAP* bitmap, double skew, const pictures::PictureFile& source,
                             const std::string& stem, const jobfiles::JobOptions& options,
                             pictures::StopFlag stop = {});

} // namespace pw::staging
