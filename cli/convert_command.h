#pragma once
// `pagewright convert ...`: runs the conversion job without a window.

namespace pw::cli {

// argv[1] is "convert". Returns the exit status (command_line.h). Makes its own
// QCoreApplication; no GUI code runs.
int runConvertCommand(int argc, char* argv[]);

} // namespace pw::cli
