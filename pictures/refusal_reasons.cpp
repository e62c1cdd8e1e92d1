#include "pictures/refusal_reasons.h"

#include "pictures/format_table.h"
#include "pictures/modern_formats.h"
#include "pictures/picture_kinds.h"
#include "pictures/stoppable_io.h"

#include <FreeImage.h>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <libheif/heif.h>
#include <system_error>
#include <tiffio.h>
#include <unistd.h>

namespace pw::pictures {
namespace {

thread_local DecoderMessages* listener = nullptr;

// One line, without the trailing full stop libtiff puts on its messages.
std::string tidy(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    }
    const auto end = text.find_last_not_of(" .");
    text.erase(end == std::string::npos ? 0 : end + 1);
    const auto start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
}

void freeImageMessage(FREE_IMAGE_FORMAT format, const char* message) {
    // FreeImage's JPEG reader takes a read refused for a stop for the end of the file, warns
    // and decodes the rest of the picture as grey. A null text thrown from its warning ends its
    // Load instead, which catches it, destroys the decoder and returns no bitmap.
    if (format == FIF_JPEG && freeImageReadStopped())
        throw static_cast<const char*>(nullptr);
    if (listener != nullptr && message != nullptr)
        listener->heardFreeImage(message);
}

// The module libtiff names is a function or the file's path: only the message is kept.
void tiffError(thandle_t, const char*, const char* format, va_list arguments) {
    if (listener == nullptr || format == nullptr)
        return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    listener->heardTiff(text);
}

// errno's text when the file cannot be opened and read from; empty when it can.
std::string readFailure(const platform::OpenedFile& file) {
    if (!file.isOpen())
        return std::generic_category().message(file.error());
    char byte = 0;
    const ssize_t got = ::pread(file.descriptor(), &byte, 1, 0);
    return got < 0 ? std::generic_category().message(errno) : std::string();
}

bool isEmpty(const platform::OpenedFile& file) {
    char byte = 0;
    return file.isOpen() && ::pread(file.descriptor(), &byte, 1, 0) == 0;
}

// True for a HEIF file of any brand, even one libheif would not read.
bool heifSignature(const platform::OpenedFile& file) {
    const std::vector<std::uint8_t> head = file.head(32);
    return head.size() >= 12 &&
           heif_check_filetype(head.data(), static_cast<int>(head.size())) != heif_filetype_no;
}

// True when some decoder here knows the file's first bytes: a kind of the table, another
// format FreeImage reads, or a HEIF brand libheif does not.
bool knownSignature(const platform::OpenedFile& file, const PictureKind* kind) {
    return kind != nullptr || fileTypeOf(file) != FIF_UNKNOWN || heifSignature(file);
}

} // namespace

void installDecoderMessageHandlers() {
    FreeImage_SetOutputMessage(freeImageMessage);
    TIFFSetErrorHandlerExt(tiffError);
}

DecoderMessages::DecoderMessages() : outer_(listener) {
    listener = this;
}

DecoderMessages::~DecoderMessages() {
    listener = outer_;
}

std::string DecoderMessages::text() const {
    if (!own_.empty())
        return own_;
    return tiff_.empty() ? freeImage_ : tiff_;
}

void DecoderMessages::heardOwn(const std::string& text) {
    if (std::string line = tidy(text); !line.empty())
        own_ = std::move(line);
}

void DecoderMessages::heardTiff(const std::string& text) {
    if (tiff_.empty())
        tiff_ = tidy(text);
}

void DecoderMessages::heardFreeImage(const std::string& text) {
    if (std::string line = tidy(text); !line.empty())
        freeImage_ = std::move(line);
}

void reportDecoderMessage(const std::string& text) {
    if (listener != nullptr)
        listener->heardOwn(text);
}

void reportUnsupported(const std::string& kind) {
    if (listener != nullptr)
        listener->heardUnsupported(kind);
}

std::string refusalReason(const std::string& narrowPath, const std::string& problem,
                          const DecoderMessages& heard) {
    const platform::OpenedFile file(narrowPath);
    return refusalReason(file, kindOfFile(file), problem, heard);
}

std::string refusalReason(const platform::OpenedFile& file, const PictureKind* kind,
                          const std::string& problem, const DecoderMessages& heard) {
    if (const std::string failure = readFailure(file); !failure.empty())
        return "cannot be read (" + failure + ")";
    if (!problem.empty())
        return problem;
    if (!heard.unsupported().empty())
        return heard.unsupported() + " is not supported";
    if (isEmpty(file))
        return "not a picture (empty file)";
    if (!knownSignature(file, kind))
        return "not a picture (unknown format)";
    const std::string said = heard.text();
    return "damaged (" + (said.empty() ? std::string("cannot be decoded") : said) + ")";
}

std::string tiffCompressionReason(int compression) {
    const TIFFCodec* codec = compression >= 0 && compression <= 0xFFFF
                                 ? TIFFFindCODEC(static_cast<std::uint16_t>(compression))
                                 : nullptr;
    const std::string name = codec != nullptr && codec->name != nullptr
                                 ? std::string(codec->name)
                                 : "compression " + std::to_string(compression);
    return "TIFF with " + name + (codec != nullptr ? " compression" : "") + " is not supported";
}

} // namespace pw::pictures
