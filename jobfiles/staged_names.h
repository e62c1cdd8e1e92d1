#pragma once
// The names of the staged page files, as the job writes them and the builder reads them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace pw::jobfiles {

// True for ".jpg", ".png", ".tif", ".jb2" or ".pdf" in any letter case.
bool isStagedExtension(const std::string& extension);
// True for a page file name ending in ".png" in any letter case.
bool isPngName(const std::string& name);
// True for a page file name ending in ".tif" in any letter case (a Group 4 page).
bool isTiffName(const std::string& name);
// True for a page file name ending in ".jb2" in any letter case (a JBIG2 page,
// formats/jbig2_page.h).
bool isJbig2Name(const std::string& name);
// True for a name ending in ".pdf" in any letter case: a PDF of the list, staged as a link to
// it (or its path), whose pages the builder copies as they are.
bool isPdfName(const std::string& name);
// True for a page file name: at least five decimal digits (the picture index), optionally "_"
// and four digits (the page of a several-page picture), and a staged extension.
bool isStagedName(const std::string& name);

// The staged name of page `page` (1-based) of the picture staged first at `firstTarget`: page 1
// is `firstTarget` itself, later pages insert "_PPPP" (four digits) before its extension:
// "00003.jpg", "00003_0002.jpg"; for a PDF of the list, the names its pages' words files take
// theirs from.
std::string stagedPageName(const std::string& firstTarget, int page);

// Significant digits (after leading zeros) of the largest picture index stagedIndex reads.
inline constexpr std::size_t kMostIndexDigits = 18;
// The picture index of a page file name (00004.jpg and 00004_0002.jpg: 4); std::nullopt for
// no page file name or an index of more than kMostIndexDigits digits.
std::optional<std::uint64_t> stagedIndex(const std::string& name);
// The page of a page file name within its picture: 1 for 00004.jpg, 2 for 00004_0002.jpg; 0 for
// no page file name or a page beyond nine digits.
int stagedPage(const std::string& name);

} // namespace pw::jobfiles
