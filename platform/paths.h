#pragma once
// Where the program keeps its files, and how paths are joined.
#include <string>

namespace pw::platform {

// The per-user folder that stands for drive C: ("${XDG_CACHE_HOME:-~/.cache}/pagewright").
std::string driveCFolder();
// driveCFolder()/quillon_tmp: the window's staging folder, which the PDF builder reads unless
// it is given another.
std::string stagingFolder();
// driveCFolder()/jobs: the staging folders of jobs that run side by side, one each.
std::string jobsFolder();
// driveCFolder()/tmp: scratch copies of pictures with names the narrow encoding cannot express.
std::string scratchFolder();
// The default output folder, ~/Output.
std::string defaultOutputFolder();
// The user's home folder.
std::string homeFolder();

// Folder of the running executable. Tests may replace it.
std::string applicationFolder();
void setApplicationFolder(const std::string& folder); // empty restores the real one
// The program's own files (data/pdf.exe, libSkinH.so, help/): beside the executable in the
// build tree; <prefix>/lib/pagewright for an installed <prefix>/bin/pagewright.
std::string programFilesFolder();
// True for that installed layout.
bool isInstalledLayout();
// ${XDG_CONFIG_HOME:-~/.config}/pagewright: settings of an installed program.
std::string configFolder();
// True when the process may create files in the folder.
bool canWriteIn(const std::string& folder);

char separator();
// a + separator + b; no doubled separator when a already ends with one; b alone when a is empty.
std::string joinPath(const std::string& a, const std::string& b);

} // namespace pw::platform
