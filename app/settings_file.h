#pragma once
// The settings file "setting.dll" beside the program: plain text, CR LF line ends, line 1 the
// output folder, line 2 the conversion mode index, then one "Key=Value" line per job option
// (setting_keys.h), then "LastFolder=FOLDER", the folder Add and Add Folder last used (a field
// as below), then the lines of keys this version does not know. Save writes folder, mode and
// options; Add and Add Folder write the last folder; start-up and the command line read it.
// Readers that do not know a key keep its line, so older versions pass the last folder on.
//
// Fields are read with the delimited-field rule: leading spaces and tabs are skipped; a field
// that begins with a double quote runs to the closing quote (line ends included) and whatever
// follows it up to the next comma or line end is dropped; any other field ends at the first
// comma or line end and loses its trailing spaces.
//
// A folder that this rule would not give back whole (one holding a comma, a double quote, a
// line break, or leading or trailing blanks) is written as a quoted field. A quoted field has
// no room for a bare quote, so a quote inside it is written doubled and the reader turns ""
// inside a quoted field back into one quote. Plain folders are written unquoted, so files of
// earlier versions read exactly as before.
//
// The folder is stored as the program's UTF-8 text, the encoding file names are handed to the
// system in: on a UTF-8 locale that is the narrow encoding, and on any other locale the folder
// read back is still the very folder that was saved.
#include "jobfiles/job_options.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pw::app {

inline constexpr const char* kSettingsFileName = "setting.dll";
// Items of the conversion-mode list: 0 one PDF for all pictures, 1 one PDF per picture.
inline constexpr int kModeCount = 2;

struct StoredSettings {
    std::string outputFolder; // the text of txtPath
    int modeIndex = 0;        // cmbMode's selected index
    jobfiles::JobOptions options;
    std::vector<std::string> otherLines; // later lines of keys this version does not know
    std::string lastFolder;              // where Add and Add Folder start; "" for none
};

inline constexpr const char* kLastFolderKey = "LastFolder";

// The values used when there is no settings file: the default output folder and mode 0.
StoredSettings defaultSettings();
// The conversion mode in force for a mode index: true means one PDF per picture.
inline bool onePdfPerPicture(int modeIndex) {
    return modeIndex != 0;
}

// Reads at most `count` fields from the text; fewer when the text ends first.
// `end`, when given, receives the position where the line after the last field read begins.
std::vector<std::string> readDelimitedFields(std::string_view text, std::size_t count,
                                             std::size_t* end = nullptr);
// One field as written to the file (quoted only when it has to be).
std::string formatField(const std::string& value);
// The whole file: folder, CR LF, mode index, CR LF.
std::string formatSettingsText(const std::string& outputFolder, int modeIndex);
// A mode field as a list index: digits only, within 0 .. kModeCount - 1; nothing otherwise.
std::optional<int> parseModeIndex(const std::string& field);
// Applies a file's text to the current values: the first field read replaces the folder, a
// valid second field replaces the mode, each later line with a known key and a valid value
// replaces its option, the last LastFolder line the last folder, other Key=Value lines are
// kept; anything missing or invalid leaves its value alone.
void applySettingsText(std::string_view text, StoredSettings& settings);

// Beside the program (platform::applicationFolder()/setting.dll) in the build tree, when that
// folder can be written; otherwise, and always for an installed program,
// platform::configFolder()/setting.dll.
std::string settingsFilePath();
// True when the path is a file that counts as present: it exists and is neither hidden, a
// system file (device, socket, fifo) nor a directory.
bool isNormalFile(const std::string& path);
// Start-up: defaults when the file is missing or not a normal file, else the defaults with
// what the file holds applied over them.
StoredSettings loadSettingsFrom(const std::string& path);
StoredSettings loadSettings();
// Creates or overwrites the file with every line of the settings; false when it cannot be
// written. A last folder holding a line break has no line of its own and is left out.
bool writeSettingsFile(const std::string& path, const StoredSettings& settings);
// Replaces folder and mode, keeping the options and other lines the file holds now.
bool writeSettingsFile(const std::string& path, const std::string& outputFolder, int modeIndex);
// Replaces the last folder, keeping everything else the file holds now (the file's folder,
// mode and options, not those edited in the Setting window since); its folder is made when
// missing. False when it cannot be written or is there but not a normal file.
bool writeLastFolder(const std::string& path, const std::string& folder);

} // namespace pw::app
