#pragma once
// The pages the builder (pdf.exe) copies from each PDF of the list.
//
// File: <staging folder>/pdfpages.txt, written by the conversion job before each run of the
// builder, in the format of docinfo.txt: one "Index=Pages" line per PDF item that does not
// take every page of its file, where Index is the item's picture index (00004.pdf) and Pages
// its page numbers, counted from 1, in the order they go into the result:
//
//   00004=3,1
//   00007=4,5,6
//
// A missing file, or an item it does not name, takes every page in the file's order. Numbers
// that are not page numbers are passed over; lines that are not such a pair are ignored.
// No Qt, no qpdf: link pw_jobfiles.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pw::jobfiles {

inline constexpr const char* kPdfPageListsFileName = "pdfpages.txt";

// Page numbers (from 1) by picture index; items not listed take every page.
using PdfPageLists = std::map<std::uint64_t, std::vector<int>>;

// Writes folder/pdfpages.txt (replacing it) with the items listed. Returns false and sets
// *error when it cannot.
bool writePdfPageLists(const std::string& folder, const PdfPageLists& lists,
                       std::string* error = nullptr);

// Reads a page lists file; no lists when it cannot be opened.
PdfPageLists readPdfPageLists(const std::string& path);

// The page list of the staged file `name`; empty (every page) when not listed.
std::vector<int> pagesOfStagedName(const PdfPageLists& lists, const std::string& name);

// The pages an item keeps of a PDF of `pageCount` pages, in their order: `listed` without the
// numbers the file does not have and without repeats. Empty (every page) when none is left.
std::vector<int> keptPdfPages(const std::vector<int>& listed, std::size_t pageCount);

} // namespace pw::jobfiles
