#include "app/file_list.h"

#include <QSignalBlocker>

namespace pw::app {

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
    if (display_ != nullptr)
        display_->announceNoSelection();
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
    if (display_ != nullptr)
        display_->pauseDisplay(paused);
}

int FileList::selected() const {
    return model_.selected();
}

} // namespace pw::app
