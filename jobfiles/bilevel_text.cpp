#include "jobfiles/bilevel_text.h"

#include "jobfiles/text_values.h"

#include <strings.h>

namespace pw::jobfiles {

bool parseBilevelCoding(std::string_view text, BilevelCoding& coding) {
    const std::string word(trimmedBlanks(text));
    if (strcasecmp(word.c_str(), "jbig2") == 0)
        coding = BilevelCoding::Jbig2;
    else if (strcasecmp(word.c_str(), "g4") == 0)
        coding = BilevelCoding::G4;
    else
        return false;
    return true;
}

std::string formatBilevelCoding(BilevelCoding coding) {
    return coding == BilevelCoding::G4 ? "g4" : "jbig2";
}

} // namespace pw::jobfiles
