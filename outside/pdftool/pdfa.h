#pragma once
// PDF/A: the XMP metadata that repeats the document information, the sRGB output intent, and
// the profiles that give every picture's colours a meaning a PDF/A reader accepts.
#include "jobfiles/job_options.h"

#include <cstdint>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <string>

namespace pw::pdftool {

// The profiles come from Debian packages and are read while the document is put together.
// sRGB, ICC version 2.3 (icc-profiles-free): the output intent of both levels.
inline constexpr const char* kSrgbProfilePath = "/usr/share/color/icc/sRGB.icc";
inline constexpr const char* kSrgbProfilePackage = "icc-profiles-free";
// A CMYK printer profile, ICC version 2.1 (libgs-common): for CMYK pictures without one.
inline constexpr const char* kCmykProfilePath = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
inline constexpr const char* kCmykProfilePackage = "libgs-common";

// Whether a picture's profile of ICC `version` (its header bytes 8 to 11) may stay: PDF/A-1
// takes profiles up to version 2.4 only, the other levels any.
bool keepsProfile(jobfiles::PdfaLevel level, std::uint32_t version);

// A packaged profile as a deflated ICC stream of `components` colours; throws
// std::runtime_error naming the file and its package when it cannot be read.
QPDFObjectHandle packagedProfile(QPDF& pdf, const char* path, const char* package, int components);

// Hangs the XMP metadata (made from the trailer's /Info, which must be complete by then) and
// the sRGB output intent on the catalog.
void addPdfaParts(QPDF& pdf, jobfiles::PdfaLevel level);

// The XMP packet for the document information `info` at `level`; exposed for the tests.
std::string xmpPacket(QPDFObjectHandle info, jobfiles::PdfaLevel level);

// A PDF date ("D:20261208140000-06'00") as an XMP date ("2026-12-08T14:00:00-06:00"); "" when
// it is not one.
std::string xmpDate(const std::string& pdfDate);

// Text with the characters XML cannot hold (C0 controls but tab, line feed and carriage
// return; U+FFFE and U+FFFF) taken out: the document information and its XMP copy both get this.
std::string xmlSafe(const std::string& text);

} // namespace pw::pdftool
