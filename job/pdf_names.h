#pragma once
// The names of the PDFs a per-picture job writes.
#include <functional>
#include <string>
#include <vector>

namespace pw::job {

// A picture's own PDF name: its file name without the last "." and what follows, plus ".pdf";
// a name without "." is kept whole.
std::string ownPdfName(const std::string& picturePath);

// A picture's numbered PDF name: the base of its own name and the number, "photo3.pdf".
std::string numberedPdfName(const std::string& picturePath, long number);

// The first of <base>N.pdf (N = 1, 2, ... up to last) that `taken` does not hold; empty when
// all are.
std::string firstFreeNumberedPdf(const std::string& base, long last,
                                 const std::function<bool(const std::string&)>& taken);

// One file name per picture, in order. A picture gets its own name unless an earlier picture
// of the job took it, or (with keepExisting) `exists` finds it; then the first free "<base>N.pdf"
// (N = 1, 2, ...) that no other picture of the job has as its own name and `exists` does not
// find.
std::vector<std::string> assignPdfNames(const std::vector<std::string>& picturePaths,
                                        bool keepExisting,
                                        const std::function<bool(const std::string&)>& exists);

// How many pictures would replace an existing file under their own name.
int countReplacedNames(const std::vector<std::string>& picturePaths,
                       const std::function<bool(const std::string&)>& exists);

} // namespace pw::job
