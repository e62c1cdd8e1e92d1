#pragma once
// Picture libraries write their own diagnostics to standard error (libtiff names every EXIF
// tag it does not know). The command line reports unreadable pictures itself, so it turns
// them off.
namespace pw::cli {

void silenceLibraryMessages();

} // namespace pw::cli
