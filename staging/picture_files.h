#pragma once
// Decoding a picture and writing staged files.
#include "jobfiles/job_options.h"
#include "pictures/decoded.h"
#include "pictures/picture_file.h"
#include "pictures/stop_flag.h"
#include "staging/grey_pictures.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct FIBITMAP;

namespace pw::staging {

// Makes FreeImage ready; call on the main thread before pictures are staged on others. Staging
// threads then use FreeImage only as its documentation allows: each thread loads, converts and
// saves its own bitmaps. FreeImage's and libtiff's messages go to the staging thread's
// DecoderMessages (pictures/refusal_reasons.h).
void initialiseFreeImage();

// Decodes the picture at `narrowPath` (HEIF, AVIF, WebP and JPEG XL by their own libraries;
// others by FreeImage, format from the extension's table entry, or when that is missing or
// fails, from the content); refused when it cannot (see pictures/decoded.h), or when `stop` is
// set meanwhile.
pictures::Decoded loadPicture(const std::string& narrowPath, const std::string& extension,
                              pictures::StopFlag stop = {});
// The same for a picture described and opened by the caller: every reader reads `source.file`.
pictures::Decoded loadPicture(const pictures::PictureFile& source, const std::string& extension,
                              pictures::StopFlag stop = {});

// FreeImage_Save with the file name in the narrow encoding; true when FreeImage reports success
// (false once `stop` is set, the file left for the caller to remove).
bool saveBitmapFile(int format, FIBITMAP* bitmap, const std::string& fileName, int flags,
                    pictures::StopFlag stop = {});

// Decodes the picture (format from the extension's table entry; when that is missing or fails,
// the format FreeImage finds in the content) and writes it as a 24-bit JPEG to target. Only one
// picture is held in memory, and only until it is saved. HEIF, AVIF, WebP and JPEG XL pictures
// are decoded by their own libraries. Returns whether target was written; when not, `problem`
// gets the reason the user should see, if there is one beyond "cannot be read".
bool normalisePicture(const std::string& source, const std::string& extension,
                      const std::string& target, std::string* problem = nullptr,
                      int quality = jobfiles::kDefaultQuality, pictures::StopFlag stop = {});
// The same for a path already in the narrow encoding.
bool normaliseNarrowPicture(const std::string& narrowSource, const std::string& extension,
                            const std::string& target, std::string* problem = nullptr,
                            int quality = jobfiles::kDefaultQuality, pictures::StopFlag stop = {});
bool normalisePicture(const pictures::PictureFile& source, const std::string& extension,
                      const std::string& target, std::string* problem = nullptr,
                      int quality = jobfiles::kDefaultQuality, pictures::StopFlag stop = {});

// Decodes the picture as normalisePicture does and hands it to `save`, which writes target and
// must not keep the bitmap. A resolution the file does not state is cleared first. When the
// picture cannot be read, target is removed and `problem` gets the reason, as for
// normalisePicture. Once `stop` is set the picture is neither decoded further nor saved.
bool decodeAndSave(const std::string& narrowSource, const std::string& extension,
                   const std::string& target, std::string* problem,
                   const std::function<bool(FIBITMAP*)>& save, pictures::StopFlag stop = {});
bool decodeAndSave(const pictures::PictureFile& source, const std::string& extension,
                   const std::string& target, std::string* problem,
                   const std::function<bool(FIBITMAP*)>& save, pictures::StopFlag stop = {});

// Writes a decoded picture (left to the caller) to target as a staged 24-bit JPEG at `quality`
// (1..100; colour at full resolution from kFullColourQuality on), transparent parts over white,
// at the bitmap's resolution (none when 0), or for a PNG or BMP `narrowSource` at the one that
// file states, exactly (in an EXIF block). `narrowSource` also tells whether a 32-bit bitmap
// came from a BMP, whose fourth byte may be unused; the RGB profile a PNG or JPEG source holds
// goes with a bitmap that has none, and a JPEG source's EXIF block with it (JPEG pixels are
// decoded as stored, the turn left to the builder).
// With `scale` below 1 the picture is first scaled down by it (reducedCopy), its page keeping
// its size. A picture gray within `grey` is written in one channel. Nothing is left at target
// when `stop` is set meanwhile.
bool saveStagedBitmap(FIBITMAP* bitmap, const std::string& narrowSource, const std::string& target,
                      int quality = jobfiles::kDefaultQuality, double scale = 1.0,
                      pictures::StopFlag stop = {}, GreyTolerance grey = kExactGrey);
bool saveStagedBitmap(FIBITMAP* bitmap, const pictures::PictureFile& source,
                      const std::string& target, int quality = jobfiles::kDefaultQuality,
                      double scale = 1.0, pictures::StopFlag stop = {},
                      GreyTolerance grey = kExactGrey);

// The reason for a picture that was read but could not be written to the staging folder.
inline constexpr const char* kNotWritten = "could not be written to the temporary folder";

// Writes bytes to target, leaving no file when that fails.
bool writeStagedBytes(const std::vector<std::uint8_t>& bytes, const std::string& target);

// Puts the source's exact bytes at target (replacing it): a hard link when both share a file
// system, a copy otherwise. A symbolic link source stages the file it points to.
bool stageUnchanged(const std::string& source, const std::string& target);
// The same for the file opened: linked or copied from it, not opened again.
bool stageUnchanged(const pictures::PictureFile& source, const std::string& target);

// True for a JPEG the PDF builder embeds as it is (its header and structure checks pass).
bool isEmbeddableJpeg(const std::string& narrowPath);
bool isEmbeddableJpeg(const pictures::PictureFile& source);

} // namespace pw::staging
