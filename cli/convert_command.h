#pragma once
// `pagewright convert ...`: runs the conversion job without a window.

namespace pw::cli {

// argv[1] is "convert". Returns the exit status (command_line.h). Makes its own
// QCoreApplication; no GUI code runs.
int runConvertCommand(int argc, char* argv[]);

// `pagewright -h|--help|-V|--version`: prints the usage or the version. False, printing
// nothing, for any other argument.
bool runProgramOption(const char* argument);

} // namespace pw::cli
