#pragma once
// Why a picture could not be staged. FreeImage and libtiff report through process-wide
// callbacks; those are installed once and pass each message to the listener of the thread that
// is decoding, so pictures staged on several threads at once each hear only their own.
#include "platform/opened_file.h"

#include <string>

namespace pw::pictures {

struct PictureKind;

// Installs the callbacks; initialiseFreeImage calls it before pictures are staged on other
// threads.
void installDecoderMessageHandlers();

// Hears what this thread's decoders say while it lives; an inner listener takes over until it
// ends.
class DecoderMessages {
public:
    DecoderMessages();
    ~DecoderMessages();
    DecoderMessages(const DecoderMessages&) = delete;
    DecoderMessages& operator=(const DecoderMessages&) = delete;

    // The message that best tells why decoding failed: the last of the project's own decoders,
    // else libtiff's first error (later ones follow from it), else FreeImage's last message
    // (its warnings come before the error); empty when nothing was said.
    std::string text() const;

    void heardOwn(const std::string& text);
    void heardTiff(const std::string& text);
    void heardFreeImage(const std::string& text);
    void heardUnsupported(const std::string& kind) { unsupported_ = kind; }
    // The kind of picture a decoder named as one it does not decode ("lossless JPEG").
    const std::string& unsupported() const { return unsupported_; }

private:
    std::string unsupported_;
    std::string own_;
    std::string tiff_;
    std::string freeImage_;
    DecoderMessages* outer_ = nullptr;
};

// Passes a message of the project's own decoders (libjpeg's error text, libheif's, libwebp's
// and libjxl's status) to this thread's listener, if there is one.
void reportDecoderMessage(const std::string& text);

// Tells this thread's listener, if any, that the picture is of a kind its decoder does not
// decode.
void reportUnsupported(const std::string& kind);

// The reason a picture at `narrowPath` that nothing was staged from is missing: "cannot be
// read (...)" when the file cannot be read, whatever `problem` says; else `problem` when set;
// else "... is not supported" for a kind a decoder named; else "not a picture (...)" when no
// decoder knows its first bytes, "damaged (...)" with the decoder's message (or "cannot be
// decoded") when one does.
std::string refusalReason(const std::string& narrowPath, const std::string& problem,
                          const DecoderMessages& heard);
// The same for an opened file of `kind` (its first bytes as the table reads them).
std::string refusalReason(const platform::OpenedFile& file, const PictureKind* kind,
                          const std::string& problem, const DecoderMessages& heard);

// "TIFF with LERC compression is not supported" for a codec libtiff names but was built
// without, "TIFF with compression 34712 is not supported" for one it does not know.
std::string tiffCompressionReason(int compression);

} // namespace pw::pictures
