#pragma once
// What qpdf reads a PDF through: positional reads on one descriptor with a 64 KB window of its
// own. qpdf's file source seeks its stdio stream for nearly every object and token, which is a
// system call each time (about 80 for each page of a long PDF) and drops the stream's buffer.
#include <qpdf/InputSource.hh>
#include <string>
#include <vector>

namespace pw::formats {

class PdfFileInput : public InputSource {
public:
    // Opens `path`; throws std::runtime_error naming it when it cannot.
    explicit PdfFileInput(const std::string& path);
    ~PdfFileInput() override;
    PdfFileInput(const PdfFileInput&) = delete;
    PdfFileInput& operator=(const PdfFileInput&) = delete;

    qpdf_offset_t findAndSkipNextEOL() override;
    std::string const& getName() const override { return path_; }
    qpdf_offset_t tell() override { return at_; }
    void seek(qpdf_offset_t offset, int whence) override;
    void rewind() override { at_ = 0; }
    size_t read(char* into, size_t length) override;
    void unreadCh(char ch) override;

private:
    // Reads at `offset` into `into`, the window being refilled as needed; 0 at the end.
    std::size_t readAt(qpdf_offset_t offset, char* into, std::size_t length);
    qpdf_offset_t fileSize() const;

    std::string path_;
    int fd_ = -1;
    qpdf_offset_t at_ = 0;
    std::vector<char> window_;
    qpdf_offset_t windowStart_ = 0;
    std::size_t windowBytes_ = 0;
};

} // namespace pw::formats
