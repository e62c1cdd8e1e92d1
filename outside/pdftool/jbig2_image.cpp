#include "outside/pdftool/jbig2_image.h"

#include "jbig2/encoder.h"
#include "outside/pdftool/staged_image.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace pw::pdftool {

using Handle = QPDFObjectHandle;

Jbig2Streams::Jbig2Streams(std::string folder) : folder_(std::move(folder)) {}

Jbig2Streams::~Jbig2Streams() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool Jbig2Streams::open(std::string& reason) {
    if (fd_ >= 0)
        return true;
    // Unnamed, so nothing is left behind however the run ends; a named file removed at once
    // where the file system has no unnamed ones.
    fd_ = ::open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        std::string name = folder_ + "/jbig2-XXXXXX";
        fd_ = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd_ >= 0)
            ::unlink(name.c_str());
    }
    if (fd_ < 0)
        reason = std::string("its JBIG2 data cannot be kept: ") + std::strerror(errno);
    return fd_ >= 0;
}

std::optional<Jbig2Stream> Jbig2Streams::add(const formats::G4Tiff& page,
                                             const std::vector<std::uint8_t>& rows,
                                             std::string& reason) {
    const std::size_t rowBytes = (std::size_t{page.width} + 7) / 8;
    if (rows.size() != rowBytes * page.height) {
        reason = "decoded to the wrong size";
        return std::nullopt;
    }
    // The decoded rows hold the coded black as 1, which is black unless the page stores black
    // as 0; JBIG2 shows 1 as black, so such a page is inverted.
    const jbig2::Bitmap bitmap{rows.data(), page.width, page.height,
                               static_cast<std::ptrdiff_t>(rowBytes), !page.blackIs1};
    const std::vector<std::uint8_t> coded = jbig2::encodeEmbedded(bitmap);
    if (coded.empty()) {
        reason = "cannot be coded as JBIG2";
        return std::nullopt;
    }
    Jbig2Stream stream;
    stream.width = page.width;
    stream.height = page.height;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!open(reason))
            return std::nullopt;
        stream.offset = end_;
        stream.bytes = coded.size();
        end_ += coded.size();
    }
    std::size_t written = 0;
    while (written < coded.size()) {
        const ssize_t count = ::pwrite(fd_, coded.data() + written, coded.size() - written,
                                       static_cast<off_t>(stream.offset + written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            reason = std::string("its JBIG2 data cannot be kept: ") +
                     std::strerror(count < 0 ? errno : ENOSPC);
            return std::nullopt;
        }
        written += static_cast<std::size_t>(count);
    }
    return stream;
}

void Jbig2Streams::copy(const Jbig2Stream& stream, std::vector<unsigned char>& buffer,
                        Pipeline* pipeline) const {
    std::uint64_t done = 0;
    while (done < stream.bytes) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(stream.bytes - done, buffer.size()));
        const ssize_t count =
            ::pread(fd_, buffer.data(), want, static_cast<off_t>(stream.offset + done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            throw std::runtime_error("the JBIG2 data of a page cannot be read back");
        pipeline->write(buffer.data(), static_cast<std::size_t>(count));
        done += static_cast<std::uint64_t>(count);
    }
}

Jbig2Images::Jbig2Images(const std::vector<PageSource>& pages, const Jbig2Streams* streams,
                         const PageWritten& onPageWritten)
    : pages_(pages), streams_(streams), onPageWritten_(onPageWritten), buffer_(kStagedReadChunk) {}

Handle Jbig2Images::image(QPDF& pdf, std::size_t index) {
    const PageSource& page = pages_[index];
    if (streams_ == nullptr && !page.jbig2->staged)
        throw std::logic_error("no JBIG2 streams for " + page.name);
    Handle image = Handle::newStream(&pdf);
    // No /DecodeParms: the stream holds every segment, no /JBIG2Globals.
    image.replaceStreamData(shared_from_this(), Handle::newName("/JBIG2Decode"), Handle::newNull());
    Handle dict = image.getDict();
    describeImage(dict, page.jbig2->width, page.jbig2->height, 1, Handle::newName("/DeviceGray"));
    dict.replaceKey("/Length", Handle::newInteger(static_cast<long long>(page.jbig2->bytes)));
    objects_[image.getObjGen().getObj()] = index;
    return image;
}

void Jbig2Images::provideStreamData(QPDFObjGen const& og, Pipeline* pipeline) {
    const auto found = objects_.find(og.getObj());
    if (found == objects_.end())
        throw std::logic_error("no picture for stream " + og.unparse(' '));
    if (onPageWritten_)
        onPageWritten_(found->second);
    const PageSource& page = pages_[found->second];
    if (page.jbig2->staged)
        StagedFileReader(page.path, page.name, page.info.fileSize, page.jbig2->offset)
            .copy(page.jbig2->bytes, buffer_, pipeline);
    else
        streams_->copy(*page.jbig2, buffer_, pipeline);
    pipeline->finish();
}

} // namespace pw::pdftool
