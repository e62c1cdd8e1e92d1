#pragma once
// Telling a HEIF variant this system's libheif cannot decode from damage.
#include "platform/opened_file.h"

#include <string>

struct heif_error;

namespace pw::pictures {

// The item type of the file's primary image ("hvc1", "av01", "unci"...); empty when the boxes
// that say it cannot be found.
std::string heifPrimaryItemType(const platform::OpenedFile& file);

// True for a libheif call that succeeded. Otherwise `problem` says so when the primary image
// is of a kind this system's libheif has no decoder for ("HEIF with uncompressed data is not
// supported by this system's libheif"), or else libheif's message goes to the thread's
// DecoderMessages.
bool heifSucceeded(const heif_error& error, const platform::OpenedFile& file, std::string& problem);

} // namespace pw::pictures
