#pragma once
// Document properties handed to the PDF builder (pdf.exe).
//
// The conversion job writes them into the staging folder before starting the builder; the
// builder reads them and fills the PDF's document information. No Qt, no qpdf: link pw_jobfiles.
//
// File: <staging folder>/docinfo.txt, UTF-8 (a leading byte-order mark is tolerated), one
// property per line, "Key=Value", keys exactly as below, unknown keys and malformed lines
// ignored, "\r\n" or "\n" line ends:
//
//   Title=Holiday 2026
//   Author=Zoë Müller
//   Subject=...
//   Keywords=...
//   CreationDate=D:20261208140000-06'00
//
// Values are escaped so that each stays on one line: "\\" stands for a backslash, "\n" for a
// line feed, "\r" for a carriage return and "\t" for a tab. CreationDate is a PDF date
// ("D:YYYYMMDDHHmmSS" optionally followed by "Z" or "+HH'mm'" / "-HH'mm'"); the builder uses
// the time of the run when it is missing or malformed. The builder always sets Producer itself.
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pw::jobfiles {

struct DocInfo {
    std::string title;
    std::string author;
    std::string subject;
    std::string keywords;
    std::string creationDate; // PDF date, see pdfDate()
};

// Name of the properties file inside the staging folder.
inline constexpr const char* kDocInfoFileName = "docinfo.txt";

// Writes folder/docinfo.txt (replacing it). Returns false and sets *error when it cannot.
bool writeDocInfo(const std::string& folder, const DocInfo& info, std::string* error = nullptr);

// Reads a properties file. std::nullopt when the file cannot be opened.
std::optional<DocInfo> readDocInfo(const std::string& path);

// Writes folder/fileName (replacing it) as "Key=Value" lines in the format above, values
// escaped. Returns false and sets *error when it cannot.
bool writeKeyValueLines(const std::string& folder, const char* fileName,
                        const std::vector<std::pair<std::string, std::string>>& values,
                        std::string* error = nullptr);

// Calls take(key, unescaped value) for every "Key=Value" line of a file in the format above.
// False when the file cannot be opened.
bool readKeyValueLines(const std::string& path,
                       const std::function<void(const std::string&, const std::string&)>& take);

// The local time `when` as a PDF date with the local UTC offset, e.g. "D:20261208140000-06'00".
std::string pdfDate(std::time_t when);

// True for a well-formed PDF date as described above.
bool isPdfDate(const std::string& text);

// The escaping used in the file, exposed for the reader and the tests.
std::string escapeValue(const std::string& value);
std::string unescapeValue(const std::string& value);

} // namespace pw::jobfiles
