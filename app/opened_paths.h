#pragma once
// Pictures and folders named on the command line (at start or handed over by a second start):
// a folder is searched as Add Folder searches it, a picture is added as Add adds a picked
// file, anything else is passed over.
#include <string>
#include <vector>

namespace pw::platform {
class MessagePump;
}

namespace pw::app {

class FileList;
class FrontView;

// Adds them in order and shows the hint box only when the list stays empty.
void addOpenedPaths(const std::vector<std::string>& paths, FileList& list, FrontView& front,
                    platform::MessagePump& pump);

} // namespace pw::app
