#include "pictures/picture_kinds.h"

#include <FreeImage.h>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <jxl/decode.h>
#include <libheif/heif.h>
#include <tuple>

namespace pw::pictures {
namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool startsWith(const std::uint8_t* head, std::size_t size, const char* bytes, std::size_t n,
                std::size_t at = 0) {
    return size >= at + n && std::memcmp(head + at, bytes, n) == 0;
}

// FreeImage's own test of the first bytes, for kinds whose signatures it knows.
std::function<bool(const std::uint8_t*, std::size_t)> freeImageSignature(FREE_IMAGE_FORMAT format) {
    return [format](const std::uint8_t* head, std::size_t size) {
        FIMEMORY* memory =
            FreeImage_OpenMemory(const_cast<std::uint8_t*>(head), static_cast<DWORD>(size));
        // That format's test alone, not a search through every format FreeImage knows.
        const bool known =
            memory != nullptr && FreeImage_ValidateFromMemory(format, memory) == TRUE;
        if (memory != nullptr)
            FreeImage_CloseMemory(memory);
        return known;
    };
}

PictureKind entry(std::string name, std::vector<std::string> extensions,
                  std::vector<std::string> labels,
                  std::function<bool(const std::uint8_t*, std::size_t)> signature, Decoder decoder,
                  int freeImageFormat = -1, bool pages = false) {
    PictureKind kind;
    kind.name = std::move(name);
    kind.extensions = std::move(extensions);
    kind.labels = std::move(labels);
    kind.signature = std::move(signature);
    kind.decoder = decoder;
    kind.freeImageFormat = freeImageFormat;
    kind.pages = pages;
    return kind;
}

std::vector<PictureKind> makeTable() {
    std::vector<PictureKind> kinds;
    // The order of the listed extensions is the open dialog's.
    kinds.push_back(entry(
        "JPEG", {"jpg", "jpeg"}, {"JPG Files(*.jpg)", "JPEG Files(*.jpeg)"},
        [](const std::uint8_t* head, std::size_t size) {
            return startsWith(head, size, "\xFF\xD8\xFF", 3);
        },
        Decoder::JpegData, FIF_JPEG));
    kinds.back().decodedByContent = {"jpg"};
    kinds.push_back(entry("TIFF", {"tif", "tiff"}, {"TIF Files(*.tif)", "TIFF Files(*.tiff)"},
                          freeImageSignature(FIF_TIFF), Decoder::FreeImage, FIF_TIFF, true));
    kinds.push_back(entry(
        "BMP", {"bmp", "dib"}, {"BMP Files(*.BMP)"},
        [](const std::uint8_t* head, std::size_t size) { return startsWith(head, size, "BM", 2); },
        Decoder::Bmp, FIF_BMP));
    kinds.push_back(entry("GIF", {"gif"}, {"GIF Files(*.gif)"}, freeImageSignature(FIF_GIF),
                          Decoder::FreeImage, FIF_GIF));
    kinds.push_back(entry("PNG", {"png"}, {"PNG Files(*.png)"}, freeImageSignature(FIF_PNG),
                          Decoder::FreeImage, FIF_PNG));
    kinds.push_back(entry(
        "HEIF", {"heic", "heif", "avif"},
        {"HEIC Files(*.heic)", "HEIF Files(*.heif)", "AVIF Files(*.avif)"},
        [](const std::uint8_t* head, std::size_t size) {
            return size >= 12 &&
                   heif_check_filetype(head, static_cast<int>(size)) == heif_filetype_yes_supported;
        },
        Decoder::Heif));
    kinds.push_back(entry(
        "WebP", {"webp"}, {"WebP Files(*.webp)"},
        [](const std::uint8_t* head, std::size_t size) {
            return startsWith(head, size, "RIFF", 4) && startsWith(head, size, "WEBP", 4, 8);
        },
        Decoder::Webp));
    kinds.push_back(entry(
        "JPEG XL", {"jxl"}, {"JPEG XL Files(*.jxl)"},
        [](const std::uint8_t* head, std::size_t size) {
            const JxlSignature jxl = JxlSignatureCheck(head, size);
            return jxl == JXL_SIG_CODESTREAM || jxl == JXL_SIG_CONTAINER;
        },
        Decoder::Jxl));
    // Read when named so (or found by content), never listed by intake.
    for (const auto& [name, extension, format] :
         {std::tuple{"ICO", "ico", FIF_ICO}, std::tuple{"IFF", "iff", FIF_IFF},
          std::tuple{"PCX", "pcx", FIF_PCX}, std::tuple{"PSD", "psd", FIF_PSD}})
        kinds.push_back(
            entry(name, {extension}, {}, freeImageSignature(format), Decoder::FreeImage, format));
    // Last, so that a picture whose first bytes happen to hold "%PDF-" stays that picture.
    kinds.push_back(entry(
        "PDF", {"pdf"}, {"PDF Files(*.pdf)"},
        [](const std::uint8_t* head, std::size_t size) {
            static const char kMark[] = "%PDF-";
            const auto* end = head + std::min<std::size_t>(size, 1024);
            return std::search(head, end, kMark, kMark + 5) != end;
        },
        Decoder::PdfPages, -1, true));
    return kinds;
}

std::vector<PictureKind>& table() {
    static std::vector<PictureKind> kinds = makeTable();
    return kinds;
}

} // namespace

const std::vector<PictureKind>& pictureKinds() {
    return table();
}

void addPictureKind(PictureKind kind) {
    table().push_back(std::move(kind));
}

const PictureKind* kindForExtension(const std::string& extension) {
    const std::string lower = lowerCase(extension);
    for (const PictureKind& kind : table()) {
        if (std::find(kind.extensions.begin(), kind.extensions.end(), lower) !=
            kind.extensions.end())
            return &kind;
    }
    return nullptr;
}

int freeImageFormatForExtension(const std::string& extension) {
    const PictureKind* kind = kindForExtension(extension);
    if (kind == nullptr || kind->freeImageFormat < 0 ||
        std::find(kind->decodedByContent.begin(), kind->decodedByContent.end(),
                  lowerCase(extension)) != kind->decodedByContent.end())
        return -1;
    return kind->freeImageFormat;
}

const PictureKind* kindOfContent(const std::uint8_t* head, std::size_t size) {
    for (const PictureKind& kind : table()) {
        if (kind.signature && kind.signature(head, size))
            return &kind;
    }
    return nullptr;
}

const PictureKind* kindOfFile(const platform::OpenedFile& file) {
    const std::vector<std::uint8_t> head = file.head(kHeadBytes);
    return head.empty() ? nullptr : kindOfContent(head.data(), head.size());
}

const PictureKind* kindOfFile(const std::string& narrowPath) {
    return kindOfFile(platform::OpenedFile(narrowPath));
}

const PictureKind* kindReadBy(Decoder decoder, int freeImageFormat) {
    for (const PictureKind& kind : table()) {
        if (kind.decoder == decoder &&
            (freeImageFormat < 0 || kind.freeImageFormat == freeImageFormat))
            return &kind;
    }
    return nullptr;
}

bool fileShows(const platform::OpenedFile& file, const PictureKind* kind) {
    if (kind == nullptr || !kind->signature)
        return false;
    const std::vector<std::uint8_t> head = file.head(kHeadBytes);
    return !head.empty() && kind->signature(head.data(), head.size());
}

bool fileShows(const std::string& narrowPath, const PictureKind* kind) {
    return fileShows(platform::OpenedFile(narrowPath), kind);
}

bool isPdfFile(const std::string& narrowPath) {
    // Every kind asked in the table's order: a picture holding the PDF mark stays a picture.
    const PictureKind* kind = kindOfFile(narrowPath);
    return kind != nullptr && kind->decoder == Decoder::PdfPages;
}

std::vector<std::string> listedExtensions() {
    std::vector<std::string> listed;
    for (const PictureKind& kind : table()) {
        for (std::size_t i = 0; i < kind.labels.size() && i < kind.extensions.size(); ++i)
            listed.push_back(kind.extensions[i]);
    }
    return listed;
}

std::string openDialogFilter() {
    std::string all;
    std::string each;
    for (const PictureKind& kind : table()) {
        for (std::size_t i = 0; i < kind.labels.size() && i < kind.extensions.size(); ++i) {
            const std::string pattern = "*." + kind.extensions[i];
            all += (all.empty() ? "" : ";") + pattern;
            each += "|" + kind.labels[i] + "|" + pattern;
        }
    }
    return "All Pictures|" + all + each + "|All Files(*.*)|*.*";
}

} // namespace pw::pictures
