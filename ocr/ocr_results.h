#pragma once
// What the job makes of the recognised text besides the PDF: the text file beside it and the
// message naming the pages whose text could not be read.
#include "staging/picture_pages.h"

#include <cstdio>
#include <string>
#include <vector>

namespace pw::ocr {

// The recognised text of the job's pages in one UTF-8 file, pages separated by form feeds,
// written as the pictures are taken in list order.
class TextSidecar {
public:
    TextSidecar() = default;
    ~TextSidecar();
    TextSidecar(const TextSidecar&) = delete;
    TextSidecar& operator=(const TextSidecar&) = delete;

    // Starts the text in a new file beside `path`, which stays as it is until close(); false
    // with the reason in problem() when it cannot, or when `path` is one of the pictures.
    bool open(const std::string& path, const std::vector<std::string>& pictures);
    // Appends the text of the picture's staged pages (none for pages without a words file).
    void addPicture(const staging::PictureStaging& staging);
    // Ends the text and puts it in place of `path` when the job wrote PDFs (`kept`), unless that
    // would replace one of them; false with the reason in problem() when the text is not there
    // in full.
    bool close(const std::vector<std::string>& kept);
    const std::string& problem() const { return problem_; }

private:
    std::FILE* file_ = nullptr;
    std::string path_;
    std::string temporary_;
    bool first_ = true;
    std::string problem_;
};

// A line for each page whose text could not be read, in order: "path: no text recognised:
// reason" ("path: no text recognised: page 2: reason" for a picture of several pages).
std::vector<std::string> unreadTextLines(const std::vector<std::string>& paths,
                                         const std::vector<staging::PictureStaging>& staging);

// The end message for those lines: a lead line, then the first ten and "... and N more"; empty
// without any.
std::string unreadTextNotice(const std::vector<std::string>& lines);

} // namespace pw::ocr
