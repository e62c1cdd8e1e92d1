#pragma once
// How a picture or folder named on a command line joins the list: the same rules for the
// window (pictures named at its start or handed over by a second start) and for
// `pagewright convert`.
#include <string>

namespace pw::platform {
class MessagePump;
}

namespace pw::app {

class PictureListModel;

enum class PathIntake {
    Folder,      // searched as Add Folder searches (possibly finding nothing)
    Picture,     // added, as Add adds a picked file
    Full,        // the list filled up: this picture, or some of the folder's, were left out
    Missing,     // no such file or folder
    NotAPicture, // not a regular file with a picture's extension
    NotCopied,   // its name cannot be opened as it is, and no copy could be made
};

// A folder's PDFs are taken only `folderPdfs` (the setting FolderPdfs); a PDF named itself is.
PathIntake takeNamedPath(const std::string& path, PictureListModel& list,
                         platform::MessagePump& pump, bool folderPdfs = false);

} // namespace pw::app
