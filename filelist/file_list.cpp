#include "filelist/file_list.h"

#include <QSignalBlocker>

namespace pw {

FileList::FileList(PictureListView* list1, PictureListView* list2) : list1_(list1), list2_(list2) {
    list1_->showPaths(&model_, PictureListModel::WorkingPathRole);
    list2_->showPaths(&model_, PictureListModel::DisplayPathRole);
}

std::string FileList::workingPath(int row) const {
    return model_.workingPath(row);
}

std::string FileList::displayPath(int row) const {
    return model_.displayPath(row);
}

bool FileList::append(const std::string& working, const std::string& display) {
    return model_.append(working, display);
}

bool FileList::removeAt(int row) {
    if (row < 0 || row >= count())
        return false;
    {
        // Qt moves the current row to a neighbour while the row goes; that passing row is
        // not a selection, so it stays away from the click handling.
        const QSignalBlocker block(model_.selectionModel());
        model_.selectionModel()->clear();
        model_.removeAt(row);
    }
    announceNoSelection();
    return true;
}

void FileList::clear() {
    {
        const QSignalBlocker block(model_.selectionModel());
        model_.selectionModel()->clear();
        model_.clear();
    }
    announceNoSelection();
}

void FileList::announceNoSelection() {
    {
        const QSignalBlocker block(model_.selectionModel());
        model_.selectionModel()->clear();
    }
    for (PictureListView* list : {list1_, list2_}) {
        list->viewport()->update();
        list->announceCurrentRow();
    }
}

bool FileList::swap(int row, int other) {
    if (!model_.swap(row, other))
        return false;
    select(other);
    return true;
}

void FileList::select(int row) {
    model_.select(row);
}

void FileList::pauseDisplay(bool paused) {
    list2_->setUpdatesEnabled(!paused);
}

int FileList::selected() const {
    return model_.selected();
}

} // namespace pw
