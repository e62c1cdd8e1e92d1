#include "pictures/stoppable_io.h"

#include <FreeImage.h>
#include <algorithm>
#include <cstring>

namespace pw::pictures {

// A file or bytes in memory, read or written until the flag is set.
struct StoppableSource {
    std::FILE* file = nullptr;
    const platform::OpenedFile* opened = nullptr; // read at `at`
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;
    StopFlag stop;
    bool load = false; // one picture loaded through it (see freeImageReadStopped)
};

namespace {

using Source = StoppableSource;

thread_local bool readStopped = false;

unsigned DLL_CALLCONV readItems(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    auto& source = *static_cast<Source*>(handle);
    if (source.stop.set()) {
        readStopped = readStopped || source.load;
        // Zeros end a GIF's data blocks, whose reader does not look at what a read returns.
        std::memset(buffer, 0, std::size_t{size} * count);
        return 0;
    }
    if (source.file != nullptr)
        return static_cast<unsigned>(std::fread(buffer, size, count, source.file));
    if (size == 0)
        return 0;
    if (source.opened != nullptr) {
        const std::size_t got = source.opened->readAt(source.at, buffer, std::size_t{size} * count);
        source.at += got - got % size;
        return static_cast<unsigned>(got / size);
    }
    const std::size_t items = std::min<std::size_t>(count, (source.size - source.at) / size);
    std::memcpy(buffer, source.bytes + source.at, items * size);
    source.at += items * size;
    return static_cast<unsigned>(items);
}

unsigned DLL_CALLCONV writeItems(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    auto& source = *static_cast<Source*>(handle);
    if (source.stop.set() || source.file == nullptr)
        return 0;
    return static_cast<unsigned>(std::fwrite(buffer, size, count, source.file));
}

int DLL_CALLCONV seekTo(fi_handle handle, long offset, int origin) {
    auto& source = *static_cast<Source*>(handle);
    if (source.file != nullptr)
        return std::fseek(source.file, offset, origin);
    const std::size_t end = source.opened != nullptr ? source.opened->size() : source.size;
    const long base = origin == SEEK_SET   ? 0
                      : origin == SEEK_CUR ? static_cast<long>(source.at)
                                           : static_cast<long>(end);
    if (offset < -base ||
        (source.opened == nullptr && static_cast<std::size_t>(base + offset) > end))
        return -1;
    source.at = static_cast<std::size_t>(base + offset);
    return 0;
}

long DLL_CALLCONV tellAt(fi_handle handle) {
    const auto& source = *static_cast<Source*>(handle);
    return source.file != nullptr ? std::ftell(source.file) : static_cast<long>(source.at);
}

FreeImageIO* stoppableIo() {
    static FreeImageIO io{readItems, writeItems, seekTo, tellAt};
    return &io;
}

Bitmap loaded(int format, Source& source, int flags) {
    source.load = true;
    readStopped = false;
    Bitmap bitmap(FreeImage_LoadFromHandle(static_cast<FREE_IMAGE_FORMAT>(format), stoppableIo(),
                                           &source, flags));
    readStopped = false;
    if (source.stop.set())
        return {};
    return bitmap;
}

} // namespace

bool freeImageReadStopped() {
    return readStopped;
}

Bitmap loadStoppable(int format, const std::string& narrowPath, int flags, StopFlag stop) {
    Source source;
    source.stop = stop;
    source.file = std::fopen(narrowPath.c_str(), "rb");
    if (source.file == nullptr)
        return {};
    Bitmap bitmap = loaded(format, source, flags);
    std::fclose(source.file);
    return bitmap;
}

Bitmap loadStoppable(int format, const platform::OpenedFile& file, int flags, StopFlag stop) {
    if (!file.isOpen())
        return {};
    // Through a buffered stream: plugins read a few bytes at a time (GIF one).
    Source source;
    source.stop = stop;
    source.file = file.stream();
    if (source.file == nullptr)
        return {};
    Bitmap bitmap = loaded(format, source, flags);
    std::fclose(source.file);
    return bitmap;
}

int fileTypeOf(const platform::OpenedFile& file) {
    if (!file.isOpen())
        return FIF_UNKNOWN;
    Source source;
    source.opened = &file;
    return FreeImage_GetFileTypeFromHandle(stoppableIo(), &source, 0);
}

Bitmap loadStoppable(int format, const void* bytes, std::size_t size, int flags, StopFlag stop) {
    Source source;
    source.stop = stop;
    source.bytes = static_cast<const unsigned char*>(bytes);
    source.size = size;
    return loaded(format, source, flags);
}

Bitmap loadStoppable(int format, const std::vector<unsigned char>& bytes, int flags,
                     StopFlag stop) {
    return loadStoppable(format, bytes.data(), bytes.size(), flags, stop);
}

bool saveStoppable(int format, FIBITMAP* bitmap, const std::string& narrowPath, int flags,
                   StopFlag stop) {
    Source source;
    source.stop = stop;
    source.file = std::fopen(narrowPath.c_str(), "wb");
    if (source.file == nullptr)
        return false;
    const bool saved = FreeImage_SaveToHandle(static_cast<FREE_IMAGE_FORMAT>(format), bitmap,
                                              stoppableIo(), &source, flags) == TRUE;
    const bool closed = std::fclose(source.file) == 0;
    return saved && closed && !stop.set();
}

StoppableMultiBitmap::StoppableMultiBitmap(int format, const std::string& narrowPath, StopFlag stop)
    : source_(new Source) {
    source_->stop = stop;
    source_->file = std::fopen(narrowPath.c_str(), "rb");
    if (source_->file != nullptr)
        pages_ = FreeImage_OpenMultiBitmapFromHandle(static_cast<FREE_IMAGE_FORMAT>(format),
                                                     stoppableIo(), source_, 0);
}

StoppableMultiBitmap::StoppableMultiBitmap(int format, const platform::OpenedFile& file,
                                           StopFlag stop)
    : source_(new Source) {
    source_->stop = stop;
    source_->opened = &file;
    if (file.isOpen())
        pages_ = FreeImage_OpenMultiBitmapFromHandle(static_cast<FREE_IMAGE_FORMAT>(format),
                                                     stoppableIo(), source_, 0);
}

StoppableMultiBitmap::~StoppableMultiBitmap() {
    if (pages_ != nullptr)
        FreeImage_CloseMultiBitmap(pages_, 0);
    if (source_->file != nullptr)
        std::fclose(source_->file);
    delete source_;
}

} // namespace pw::pictures
