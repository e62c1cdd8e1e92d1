#pragma once
// What every kind of page image shares: its XObject dictionary, and reading its staged file
// again when the writer reaches its stream.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <stdexcept>
#include <string>
#include <vector>

namespace pw::pdftool {

inline constexpr std::size_t kStagedReadChunk = 1 << 18;

// /Type, /Subtype, /Width, /Height, /BitsPerComponent and /ColorSpace of an image XObject.
void describeImage(QPDFObjectHandle dict, long long width, long long height, int bits,
                   const QPDFObjectHandle& space);

// A staged file opened again at `offset`: it must be the very file that was checked, so a
// different size or a short read throws "NAME changed while the PDF was written".
class StagedFileReader {
public:
    StagedFileReader(const std::string& path, const std::string& name, std::uint64_t size,
                     std::uint64_t offset);

    void read(void* into, std::size_t count);
    void skip(long count);
    // Copies the next `count` bytes to `pipeline` through `buffer`.
    void copy(std::uint64_t count, std::vector<unsigned char>& buffer, Pipeline* pipeline);
    std::runtime_error changed() const;

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::string name_;
    std::unique_ptr<std::FILE, Closer> file_;
};

} // namespace pw::pdftool
