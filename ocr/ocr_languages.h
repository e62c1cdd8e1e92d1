#pragma once
// The text recognition languages: Tesseract's names ("eng", "deu", "chi_sim"), several joined
// by "+" ("deu+eng"), and the language data installed for them. No Tesseract calls: only its
// data folder and the tables of its data files are read.
#include <string>
#include <vector>

namespace pw::ocr {

// The folder of Tesseract's language data: $TESSDATA_PREFIX when set, else Debian's.
std::string ocrDataFolder();

// The languages whose data is installed, sorted; without "osd", which holds no language.
std::vector<std::string> installedOcrLanguages();

// True when the orientation data (tesseract-ocr-osd) is installed.
bool orientationDataInstalled();

// The Debian package holding a language's data: "tesseract-ocr-deu", "tesseract-ocr-chi-sim".
std::string ocrPackageName(const std::string& language);

// `languages` with each name as its data is installed, when it differs only in letter case
// ("ENG+Deu": "eng+deu"); names not installed stay as they are.
std::string installedSpelling(const std::string& languages);

// Empty when every language of `languages` ("deu+eng", in any letter case) is installed and its
// data file whole as far as its table of contents tells; otherwise what the user must hear:
// "the text recognition data for deu is not installed (package tesseract-ocr-deu)", or that it
// is damaged, naming the file and the package to reinstall.
std::string ocrLanguageProblem(const std::string& languages);

// Empty when the orientation data is installed and whole; otherwise the reason, naming its
// package.
std::string orientationDataProblem();

} // namespace pw::ocr
