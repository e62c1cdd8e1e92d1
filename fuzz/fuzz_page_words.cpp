// The words files pdf.exe reads beside the staged pages.
#include "jobfiles/page_words.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto words = pw::pdftool::parsePageWords(text);
    if (!words)
        return 0;
    pw::pdftool::plainText(*words);
    // What was read is written back the same.
    const auto again = pw::pdftool::parsePageWords(pw::pdftool::pageWordsText(*words));
    if (!again || pw::pdftool::pageWordsText(*again) != pw::pdftool::pageWordsText(*words))
        std::abort();
    return 0;
}
