#pragma once
// Files dropped on the front window (List2, the welcome panel picDoor, the hint box
// picText) and on the engine form's drop panel picDoor. A dropped folder, on any of them,
// adds its pictures as Add Folder does, where it stands among the dropped files.
#include <string>
#include <vector>

class QMimeData;

namespace pw::platform {
class MessagePump;
}

namespace pw::app {

class EngineView;
class FileList;
class FrontView;

// The local files of a drop, in drop order; none when the data carries no URL list.
std::vector<std::string> droppedFileNames(const QMimeData* data);

// Every dropped file, whatever its type: (name, name) when the narrow file functions find
// it, else a scratch copy named after the last three characters of the name's narrow form A,
// entry (copy, A). Dropped folders are searched (SearchFolder).
void addDroppedWideFiles(const QMimeData* data, FileList& list, platform::MessagePump& pump);

class DropIntake {
public:
    DropIntake(FileList& list, FrontView& front, EngineView& engine, platform::MessagePump& pump);

    // Dragging over List2 hides the hint box.
    void List2_OLEDragOver();
    // Drops on List2 and on the front welcome panel add every file (addDroppedWideFiles).
    void List2_OLEDragDrop(const QMimeData* data);
    void picDoor_OLEDragDrop(const QMimeData* data);
    // Drops on the hint box and on the engine form's drop panel add pictures only, (name,
    // name), without existence test or scratch copy, and the pictures of dropped folders.
    // While folders are searched the hint box says so and the front window is locked, as for
    // Add Folder.
    void picText_OLEDragDrop(const QMimeData* data);
    void EnginePicDoor_OLEDragDrop(const QMimeData* data);

private:
    // Adds the drop's files (every file, or pictures only) and its folders' pictures, in drop
    // order.
    void take(const QMimeData* data, bool everyFile);
    void hideHintWhenFilled();

    FileList& list_;
    FrontView& front_;
    EngineView& engine_;
    platform::MessagePump& pump_;
};

} // namespace pw::app
