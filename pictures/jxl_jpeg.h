#pragma once
// A JPEG XL file made from a JPEG without loss carries what rebuilds that JPEG exactly.
#include "pictures/stop_flag.h"
#include "platform/opened_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pw::pictures {

// The original JPEG's bytes; none when the file holds no reconstruction data or cannot be read
// (`problem` says why when the picture is larger than the pixel limit), or `stop` is set.
std::optional<std::vector<std::uint8_t>>
recoverJpegFromJxl(const std::string& narrowPath, std::string& problem, StopFlag stop = {});
std::optional<std::vector<std::uint8_t>>
recoverJpegFromJxl(const platform::OpenedFile& file, std::string& problem, StopFlag stop = {});

} // namespace pw::pictures
