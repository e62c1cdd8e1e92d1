#include "ocr/ocr_results.h"

#include "jobfiles/page_words.h"
#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace pw::ocr {
namespace {

constexpr std::size_t kNamedPages = 10;

} // namespace

TextSidecar::~TextSidecar() {
    if (file_ != nullptr) {
        std::fclose(file_);
        platform::removeFile(temporary_);
    }
}

bool TextSidecar::open(const std::string& path, const std::vector<std::string>& pictures) {
    path_ = path;
    const auto notSaved = [&](const std::string& why) {
        problem_ = "The recognised text could not be saved to " + path + ": " + why;
        return false;
    };
    for (const std::string& picture : pictures) {
        if (platform::sameFile(picture, path))
            return notSaved("it is one of the pictures");
    }
    int descriptor = -1;
    temporary_ = platform::createBeside(path, descriptor);
    if (temporary_.empty())
        return notSaved(std::strerror(errno));
    file_ = ::fdopen(descriptor, "wb");
    if (file_ == nullptr) {
        const int error = errno;
        ::close(descriptor);
        platform::removeFile(temporary_);
        return notSaved(std::strerror(error));
    }
    return true;
}

void TextSidecar::addPicture(const staging::PictureStaging& staging) {
    if (file_ == nullptr || staging.pages == 0)
        return;
    const std::vector<int>& damaged = staging.damagedPages;
    for (int page = 1; page <= staging.pageCount; ++page) {
        if (std::find(damaged.begin(), damaged.end(), page) != damaged.end())
            continue;
        std::string text = first_ ? "" : "\f";
        first_ = false;
        const std::string words =
            jobfiles::wordsFileFor(staging::stagedPageName(staging.firstFile, page));
        if (const auto read = jobfiles::readPageWords(words))
            text += jobfiles::plainText(*read);
        std::fwrite(text.data(), 1, text.size(), file_);
    }
}

bool TextSidecar::close(const std::vector<std::string>& kept) {
    if (file_ == nullptr)
        return problem_.empty();
    const bool failed = std::ferror(file_) != 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    const auto isPdf = [&](const std::string& pdf) { return platform::sameFile(pdf, path_); };
    if (kept.empty()) // no PDF (stopped, or nothing converted): the old file stays
        platform::removeFile(temporary_);
    else if (failed || !closed)
        problem_ = "The recognised text could not be written in full to " + path_;
    else if (std::any_of(kept.begin(), kept.end(), isPdf))
        problem_ = "The recognised text could not be saved to " + path_ + ": a PDF has that name";
    else if (!platform::renameFile(temporary_, path_))
        problem_ =
            "The recognised text could not be saved to " + path_ + ": " + std::strerror(errno);
    if (!problem_.empty())
        platform::removeFile(temporary_);
    return problem_.empty();
}

std::vector<std::string> unreadTextLines(const std::vector<std::string>& paths,
                                         const std::vector<staging::PictureStaging>& staging) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < staging.size() && i < paths.size(); ++i) {
        for (const std::string& problem : staging[i].textProblems)
            lines.push_back(paths[i] + ": no text recognised: " + problem);
    }
    return lines;
}

std::string unreadTextNotice(const std::vector<std::string>& lines) {
    if (lines.empty())
        return {};
    std::string text = "These pages have no searchable text:";
    for (std::size_t i = 0; i < lines.size() && i < kNamedPages; ++i)
        text += "\n" + lines[i];
    if (lines.size() > kNamedPages)
        text += "\n... and " + std::to_string(lines.size() - kNamedPages) + " more";
    return text;
}

} // namespace pw::ocr
