#pragma once
// The help pages installed beside the program (the build copies resources/help/ to
// <application folder>/help/).
#include <string>

namespace pw::app {

// file:// address of <application folder>/help/index.html, the product page ("Website").
std::string productPageUrl();
// file:// address of <application folder>/help/tutorial.html.
std::string tutorialPageUrl();

} // namespace pw::app
