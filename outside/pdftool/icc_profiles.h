#pragma once
// ICC profiles kept by content: a page holds the size and SHA-256 digest of its profile, pages
// with equal ones share one stream in the PDF, and the bytes are read again from the picture
// only while that stream is written. The builder's memory so stays flat in the page count.
#include "outside/pdftool/page_source.h"

#include <string>

namespace pw::pdftool {

// Replaces the profile read with the page's header (JPEG or PNG) by its size, digest and
// version.
void keepProfileByContent(PageSource& page);

// The page's profile read again from its picture; throws std::runtime_error when it no longer
// matches the size and digest kept (the picture changed since its header was read).
std::string readProfileAgain(const PageSource& page);

} // namespace pw::pdftool
