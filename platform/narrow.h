#pragma once
// The narrow ("ANSI") encoding: the locale's character set. Names are kept as UTF-8 in the
// program; toNarrow() gives the text as it looks after a round trip through the narrow
// encoding, with every character it cannot express replaced by '?'.
#include <string>
#include <vector>

namespace pw::platform {

enum class NarrowCodec { Locale, Utf8, Latin1 };

// Tests force Latin-1 to exercise the substitution; Locale follows nl_langinfo(CODESET).
void setNarrowCodec(NarrowCodec codec);
NarrowCodec narrowCodec();

// The UTF-8 text after a round trip through the narrow encoding ('?' for what it cannot hold).
std::string toNarrow(const std::string& utf8);
// Tests: toNarrow counts how often it is given each of `texts` from now on (none: no counting).
void countNarrowConversions(const std::vector<std::string>& texts);
int narrowConversionsOf(const std::string& utf8);

// Whether text is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool isValidUtf8(const std::string& text);

} // namespace pw::platform
