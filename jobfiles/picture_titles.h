#pragma once
// The pictures' bookmark titles handed to the builder (pdf.exe).
//
// File: <staging folder>/titles.txt, written by the conversion job before each run of the
// builder when the PDF is to have bookmarks, and removed otherwise; in the format of
// docinfo.txt: one "Index=Title" line per picture, Index as in turns.txt, the title UTF-8:
//
//   00000=Holiday 1
//   00001=Zoë
//
// With the file the builder gives every picture an outline entry at its first page (a
// several-page picture a child per page); a picture it does not name is titled by its index.
// No Qt, no qpdf: link pw_jobfiles.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace pw::jobfiles {

inline constexpr const char* kPictureTitlesFileName = "titles.txt";

using PictureTitles = std::map<std::uint64_t, std::string>;

// Writes folder/titles.txt (replacing it). Returns false and sets *error when it cannot.
bool writePictureTitles(const std::string& folder, const PictureTitles& titles,
                        std::string* error = nullptr);

// Reads a titles file; std::nullopt when it cannot be opened (no bookmarks wanted).
std::optional<PictureTitles> readPictureTitles(const std::string& path);

} // namespace pw::jobfiles
