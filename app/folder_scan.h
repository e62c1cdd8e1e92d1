#pragma once
// Add Folder: the folder browser, and the recursive search that appends every picture of a
// folder tree to the file list.
#include <functional>
#include <string>

namespace pw::platform {
class MessagePump;
class Prompts;
} // namespace pw::platform

namespace pw::app {

class EngineView;
class FileList;
class FrontView;

// Only the first this many subfolders of a folder, in listing order, are searched.
inline constexpr int kMaxSubfolders = 200;

// Appends (path, path) for every picture in folder and its subfolders: a folder's own
// pictures first, in listing order, then each subfolder completely, in listing order
// (depth first, pre-order). A subfolder is searched only when its attributes are exactly
// AttrDirectory: hidden and linked folders are judged by their name like files. Folders
// without write permission are searched (folders have no read-only attribute).
// Pumps twice after each listed entry. A folder that cannot be listed adds nothing.
// PDFs are taken only `withPdfs` (the setting FolderPdfs).
void SearchFolder(const std::string& folder, FileList& list, platform::MessagePump& pump,
                  bool withPdfs = false);
// The same search handing each picture's path to `add` instead.
void SearchFolder(const std::string& folder, const std::function<void(const std::string&)>& add,
                  platform::MessagePump& pump, bool withPdfs = false);

// Asks for a folder ("Please select a folder:"), the browser starting in startFolder, shows
// "Searching Files..." in the hint box, locks the front window and searches the folder; then
// shows the hint box only when the list is empty and repaints the engine form. The caller
// unlocks the front window afterwards. Returns the folder searched, "" when none was chosen.
std::string BrowseFolderAndSearch(platform::Prompts& prompts, FileList& list, FrontView& front,
                                  EngineView& engine, platform::MessagePump& pump,
                                  const std::string& startFolder = {}, bool withPdfs = false);

} // namespace pw::app
