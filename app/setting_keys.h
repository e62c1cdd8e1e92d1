#pragma once
// The settings file's later lines: one "Key=Value" per line after the folder and the mode.
// Each known key reads into and writes from the job options; a damaged value leaves its
// option at the default. Lines of keys this version does not know are kept as they are.
#include "jobfiles/job_options.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pw::app {

struct SettingKey {
    const char* name;
    // Applies the value to the options; false (options untouched) when it is damaged.
    std::function<bool(std::string_view value, jobfiles::JobOptions& options)> parse;
    std::function<std::string(const jobfiles::JobOptions& options)> format;
};

// Every key this version reads and writes, in the order they are written.
const std::vector<SettingKey>& settingKeys();

// One later line split at its first '='; key and value lose surrounding blanks. False when the
// line has no '=' or an empty key.
bool splitSettingLine(std::string_view line, std::string& key, std::string& value);

// The later lines of a settings file read with the given keys: known keys go into options,
// well-formed lines of other keys are returned to be kept; anything else is dropped.
std::vector<std::string> applySettingLines(std::string_view lines,
                                           const std::vector<SettingKey>& keys,
                                           jobfiles::JobOptions& options);

// The later lines to write: every known key with its value, then the kept lines.
std::string formatSettingLines(const std::vector<SettingKey>& keys,
                               const jobfiles::JobOptions& options,
                               const std::vector<std::string>& kept);

} // namespace pw::app
