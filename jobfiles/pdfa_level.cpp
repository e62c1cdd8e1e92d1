#include "jobfiles/pdfa_level.h"

#include "jobfiles/text_values.h"

#include <strings.h>

namespace pw::jobfiles {
namespace {

struct Name {
    PdfaLevel level;
    const char* text;
};
constexpr Name kNames[] = {{PdfaLevel::Off, "off"}, {PdfaLevel::A2b, "2b"}, {PdfaLevel::A1b, "1b"}};

} // namespace

bool parsePdfaLevel(std::string_view text, PdfaLevel& level) {
    const std::string word(trimmedBlanks(text));
    for (const Name& name : kNames) {
        if (strcasecmp(word.c_str(), name.text) == 0) {
            level = name.level;
            return true;
        }
    }
    return false;
}

std::string formatPdfaLevel(PdfaLevel level) {
    for (const Name& name : kNames) {
        if (name.level == level)
            return name.text;
    }
    return "off";
}

} // namespace pw::jobfiles
