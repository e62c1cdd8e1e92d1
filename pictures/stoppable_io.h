#pragma once
// FreeImage's plugins read and write through handles here that fail once the job's stop flag is
// set: a plugin decoding or encoding a big picture then gives up at its next read or write (a
// few kilobytes later) instead of running to the end.
#include "pictures/bitmap.h"
#include "pictures/stop_flag.h"
#include "platform/opened_file.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

struct FIBITMAP;
struct FIMULTIBITMAP;

namespace pw::pictures {

struct StoppableSource;

// The picture at `narrowPath` loaded as FreeImage `format` with `flags`; null when FreeImage
// cannot read it or the flag was set meanwhile (whatever the plugin made of the rest is
// dropped).
Bitmap loadStoppable(int format, const std::string& narrowPath, int flags, StopFlag stop);
// The same from an opened file, read at offsets of its own.
Bitmap loadStoppable(int format, const platform::OpenedFile& file, int flags, StopFlag stop);
// The FreeImage format the file's content shows (FIF_UNKNOWN for none).
int fileTypeOf(const platform::OpenedFile& file);
// The same from bytes in memory.
Bitmap loadStoppable(int format, const void* bytes, std::size_t size, int flags, StopFlag stop);
Bitmap loadStoppable(int format, const std::vector<unsigned char>& bytes, int flags, StopFlag stop);

// `bitmap` saved as FreeImage `format` to `narrowPath` with `flags`; false when FreeImage cannot
// write it or the flag was set meanwhile (the file is then left for the caller to remove).
bool saveStoppable(int format, FIBITMAP* bitmap, const std::string& narrowPath, int flags,
                   StopFlag stop);

// True while a load through these handles on this thread has had a read refused because the
// flag is set (FreeImage's message handler ends a JPEG load then; see refusal_reasons.cpp).
bool freeImageReadStopped();

// A multi-page file opened read-only through such a handle, which stays open with it.
class StoppableMultiBitmap {
public:
    StoppableMultiBitmap(int format, const std::string& narrowPath, StopFlag stop);
    StoppableMultiBitmap(int format, const platform::OpenedFile& file, StopFlag stop);
    ~StoppableMultiBitmap();
    StoppableMultiBitmap(const StoppableMultiBitmap&) = delete;
    StoppableMultiBitmap& operator=(const StoppableMultiBitmap&) = delete;

    // Null when the file cannot be opened as `format`.
    FIMULTIBITMAP* get() const { return pages_; }

private:
    StoppableSource* source_ = nullptr;
    FIMULTIBITMAP* pages_ = nullptr;
};

} // namespace pw::pictures
