// The words files pdf.exe reads beside the staged pages.
#include "jobfiles/page_words.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto words = pw::jobfiles::parsePageWords(text);
    if (!words)
        return 0;
    pw::jobfiles::plainText(*words);
    // What was read is written back the same.
    const auto again = pw::jobfiles::parsePageWords(pw::jobfiles::pageWordsText(*words));
    if (!again || pw::jobfiles::pageWordsText(*again) != pw::jobfiles::pageWordsText(*words))
        std::abort();
    return 0;
}
