#pragma once
// The text recognition languages: Tesseract's names ("eng", "deu", "chi_sim"), several joined
// by "+" ("deu+eng"), and the language data installed for them. No Tesseract calls: only its
// data folder is read.
#include <string>
#include <vector>

namespace pw::ocr {

// The folder of Tesseract's language data: $TESSDATA_PREFIX when set, else Debian's.
std::string OcrDataFolder();

// The languages whose data is installed, sorted; without "osd", which holds no language.
std::vector<std::string> InstalledOcrLanguages();

// True when the orientation data (tesseract-ocr-osd) is installed.
bool OrientationDataInstalled();

// The Debian package holding a language's data: "tesseract-ocr-deu", "tesseract-ocr-chi-sim".
std::string OcrPackageName(const std::string& language);

// Empty when every language of `languages` ("deu+eng") is installed; otherwise what the user
// must hear: "the text recognition data for deu is not installed (package tesseract-ocr-deu)".
std::string OcrLanguageProblem(const std::string& languages);

// Empty when the orientation data is installed; otherwise the reason, naming its package.
std::string OrientationDataProblem();

} // namespace pw::ocr
