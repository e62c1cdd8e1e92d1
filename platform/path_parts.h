#pragma once
// Small path routines on texts: extension, file name, base name.
#include <string>

namespace pw::platform {

// Selector 0: the text after the last "." of the whole path (the whole path without a ".").
// 1: the file name (after the last separator). 2: that file name up to its first ".".
// 3: the text before the last separator. Other selectors give "".
std::string pathPart(const std::string& path, int selector);

// The file name without its last "." and what follows; "" when the path is empty or the file
// name holds no ".".
std::string fileBaseName(const std::string& path);

// The text before the first delimiter; the whole text when it does not occur.
std::string textBefore(const std::string& text, char delimiter);

} // namespace pw::platform
