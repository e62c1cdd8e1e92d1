#include "cli/library_messages.h"

#include <tiffio.h>

namespace pw::cli {

void silenceLibraryMessages() {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
}

} // namespace pw::cli
