#pragma once
// The size a HEIF file's primary picture is put together at when it is made of others (a grid
// of tiles or an overlay), read from the file's boxes. libheif fills such a picture at the size
// its item states, whatever the item's ispe property says and however few tiles there are.
#include "platform/opened_file.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pw::pictures {

struct HeifCanvas {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // False for a grid whose rows and columns of tiles (each as large as its first tile's
    // ispe) do not reach its edges.
    bool covered = true;
};

// The canvas of the primary item (or of the one an identity item shows) when it is a grid
// ('grid') or an overlay ('iovl'); none for other items or when the boxes cannot be read
// (decoding then tells).
std::optional<HeifCanvas> readHeifCanvas(const std::string& narrowPath);
std::optional<HeifCanvas> readHeifCanvas(const platform::OpenedFile& file);

} // namespace pw::pictures
