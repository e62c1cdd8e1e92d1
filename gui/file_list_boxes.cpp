#include "gui/file_list_boxes.h"

#include "gui/picture_list_view.h"

namespace pw::gui {

FileListBoxes::FileListBoxes(app::FileList& list, PictureListView* list1, PictureListView* list2)
    : list_(list), list1_(list1), list2_(list2) {
    list1_->showPaths(&list.model(), app::PictureListModel::WorkingPathRole);
    list2_->showPaths(&list.model(), app::PictureListModel::DisplayPathRole);
    list_.setDisplay(this);
}

FileListBoxes::~FileListBoxes() {
    list_.setDisplay(nullptr);
}

void FileListBoxes::announceNoSelection() {
    for (PictureListView* box : {list1_, list2_}) {
        box->viewport()->update();
        box->announceCurrentRow();
    }
}

void FileListBoxes::pauseDisplay(bool paused) {
    list2_->setUpdatesEnabled(!paused);
}

} // namespace pw::gui
