#include "outside/pdftool/staged_image.h"

#include <algorithm>
#include <sys/stat.h>

namespace pw::pdftool {

using Handle = QPDFObjectHandle;

void describeImage(Handle dict, long long width, long long height, int bits, const Handle& space) {
    dict.replaceKey("/Type", Handle::newName("/XObject"));
    dict.replaceKey("/Subtype", Handle::newName("/Image"));
    dict.replaceKey("/Width", Handle::newInteger(width));
    dict.replaceKey("/Height", Handle::newInteger(height));
    dict.replaceKey("/BitsPerComponent", Handle::newInteger(bits));
    dict.replaceKey("/ColorSpace", space);
}

StagedFileReader::StagedFileReader(const std::string& path, const std::string& name,
                                   std::uint64_t size, std::uint64_t offset)
    : name_(name), file_(std::fopen(path.c_str(), "rb")) {
    if (!file_)
        throw std::runtime_error(name + " can no longer be opened");
    struct stat status {};
    if (fstat(fileno(file_.get()), &status) != 0 ||
        static_cast<std::uint64_t>(status.st_size) != size ||
        std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) != 0)
        throw changed();
}

std::runtime_error StagedFileReader::changed() const {
    return std::runtime_error(name_ + " changed while the PDF was written");
}

void StagedFileReader::read(void* into, std::size_t count) {
    if (std::fread(into, 1, count, file_.get()) != count)
        throw changed();
}

void StagedFileReader::skip(long count) {
    if (std::fseek(file_.get(), count, SEEK_CUR) != 0)
        throw changed();
}

void StagedFileReader::copy(std::uint64_t count, std::vector<unsigned char>& buffer,
                            Pipeline* pipeline) {
    while (count > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(count, buffer.size()));
        read(buffer.data(), want);
        pipeline->write(buffer.data(), want);
        count -= want;
    }
}

} // namespace pw::pdftool
