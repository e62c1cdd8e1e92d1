#pragma once
// The front window's two list boxes as the file list's display: List1 shows the working paths
// (hidden), List2 the display paths (visible, laid over List1).
#include "app/file_list.h"

namespace pw::gui {

class PictureListView;

class FileListBoxes : public app::FileListDisplay {
public:
    // Makes list1 show the working paths and list2 the display paths of the list, and becomes
    // its display; the list must outlive this object.
    FileListBoxes(app::FileList& list, PictureListView* list1, PictureListView* list2);
    ~FileListBoxes() override;
    FileListBoxes(const FileListBoxes&) = delete;
    FileListBoxes& operator=(const FileListBoxes&) = delete;

    void announceNoSelection() override;
    void pauseDisplay(bool paused) override;

private:
    app::FileList& list_;
    PictureListView* list1_;
    PictureListView* list2_;
};

} // namespace pw::gui
