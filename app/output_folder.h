#pragma once
// The output folder of the Setting window: its check, the Browse command and the Save command.
#include "jobfiles/job_options.h"
#include "platform/prompts.h"

#include <string>

namespace pw::app {

inline constexpr const char* kBrowsePrompt = "Please select a folder:";

// True when the path, as the narrow encoding gives it, is an existing directory (a link to a
// directory counts). A name the narrow encoding cannot express fails the check.
bool folderExists(const std::string& path);

// The message shown when Browse falls back to the default output folder.
std::string unknownCharactersMessage();

// Browse: asks for a folder with the prompt "Please select a folder:". A chosen folder is
// kept; on cancel the application folder's "output" folder is taken. When that folder fails
// folderExists, the default output folder is returned and the "Path" message is shown.
// Returns the new text of txtPath.
std::string browseOutputFolder(platform::Prompts& prompts);

// Save: writes the settings file in the application folder and returns the conversion mode
// now in force (OnePdfPerPicture). A write failure is not shown (the window hides either
// way); `written`, when given, tells whether the file was written.
bool saveSettings(const std::string& outputFolder, int modeIndex, bool* written = nullptr);
// The same, writing the job options too.
bool saveSettings(const std::string& outputFolder, int modeIndex,
                  const jobfiles::JobOptions& options, bool* written = nullptr);

} // namespace pw::app
