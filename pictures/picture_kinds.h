#pragma once
// Every kind of picture this program reads, in one table: its extensions, the open dialog's
// label for each, how its first bytes are told apart, which decoder reads it and whether it
// holds pages. Intake, the dialogs' filters, staging, refusal reasons and thumbnails ask here.
#include "pictures/decoded.h"
#include "platform/opened_file.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pw::pictures {

enum class Decoder {
    JpegData,  // JPEG data, embedded as it is
    FreeImage, // FreeImage with freeImageFormat
    Bmp,       // the BMP reader (FreeImage for what it does not know)
    Heif,      // libheif: HEIF, HEIC, AVIF
    Webp,      // libwebp
    Jxl,       // libjxl
    Own,       // the kind's own `decode`
    PdfPages,  // a PDF: never decoded, its pages are copied into the result as they are
};

// The first bytes a signature test is given (fewer for a shorter file): a PDF's header may
// follow up to 1024 bytes of anything.
inline constexpr std::size_t kHeadBytes = 1024;

struct PictureKind {
    std::string name;                    // "TIFF"
    std::vector<std::string> extensions; // lower case, without the dot
    // The open dialog's label for each of the first extensions, which intake takes by name
    // ("TIF Files(*.tif)"); extensions beyond the labels are read when named, never listed.
    std::vector<std::string> labels;
    std::function<bool(const std::uint8_t* head, std::size_t size)> signature;
    Decoder decoder = Decoder::FreeImage;
    int freeImageFormat = -1; // FREE_IMAGE_FORMAT for FreeImage and BMP kinds
    bool pages = false;       // may hold several pages
    // Extensions whose files, when decoded, go by their content: the name's format is not tried
    // first.
    std::vector<std::string> decodedByContent;
    // Decoder::Own: the first picture, or the refusal saying why not.
    std::function<Decoded(const std::string& narrowPath)> decode;
};

const std::vector<PictureKind>& pictureKinds();

// Adds a kind at the end of the table (a format added in one place; tests add a made-up one).
// Call before pictures are read on other threads.
void addPictureKind(PictureKind kind);

// The kind an extension (without the dot, any letter case) names; null for none.
const PictureKind* kindForExtension(const std::string& extension);
// The FreeImage format a file named with `extension` is first tried as when decoded; -1 for
// none (no such kind, not read by FreeImage, or an extension whose files go by content).
int freeImageFormatForExtension(const std::string& extension);
// The kind the first bytes show; null for none.
const PictureKind* kindOfContent(const std::uint8_t* head, std::size_t size);
// The kind the file's first bytes show (read once); null for none or an unreadable file.
const PictureKind* kindOfFile(const std::string& narrowPath);
const PictureKind* kindOfFile(const platform::OpenedFile& file);

// The first kind read by `decoder` (and FreeImage format, when one is given); null for none.
const PictureKind* kindReadBy(Decoder decoder, int freeImageFormat = -1);
// True when the file's first bytes pass `kind`'s test (that test alone: a question about one
// kind, asked often while a picture is staged).
bool fileShows(const std::string& narrowPath, const PictureKind* kind);
bool fileShows(const platform::OpenedFile& file, const PictureKind* kind);

// True when the file's first bytes show a PDF and no kind before it (whatever its name).
bool isPdfFile(const std::string& narrowPath);

// The extensions intake takes by name, in the table's order ("jpg", "jpeg", "tif", ...).
std::vector<std::string> listedExtensions();

// The open dialog's filter for Add: "All Pictures|*.jpg;...|JPG Files(*.jpg)|*.jpg|...|All
// Files(*.*)|*.*".
std::string openDialogFilter();

} // namespace pw::pictures
