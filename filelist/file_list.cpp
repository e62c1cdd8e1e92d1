#include "filelist/file_list.h"

#include <QListWidget>
#include <QSignalBlocker>

namespace pw {

FileList::FileList(QListWidget* list1, QListWidget* list2) : list1_(list1), list2_(list2) {
    for (QListWidget* list : {list1_, list2_}) {
        list->setUniformItemSizes(true);
        list->setLayoutMode(QListView::Batched);
    }
}

std::string FileList::workingPath(int row) const {
    return model_.workingPath(row);
}

std::string FileList::displayPath(int row) const {
    return model_.displayPath(row);
}

bool FileList::append(const std::string& working, const std::string& display) {
    if (!model_.append(working, display))
        return false;
    list1_->addItem(QString::fromStdString(working));
    list2_->addItem(QString::fromStdString(display));
    return true;
}

bool FileList::removeAt(int row) {
    if (!model_.removeAt(row))
        return false;
    {
        // Qt moves the current row to a neighbour while the item goes; that passing row is
        // not a selection, so it stays away from the click handling.
        const QSignalBlocker block1(list1_);
        const QSignalBlocker block2(list2_);
        delete list1_->takeItem(row);
        delete list2_->takeItem(row);
    }
    announceNoSelection();
    return true;
}

void FileList::clear() {
    model_.clear();
    {
        const QSignalBlocker block1(list1_);
        const QSignalBlocker block2(list2_);
        list1_->clear();
        list2_->clear();
    }
    announceNoSelection();
}

void FileList::announceNoSelection() {
    for (QListWidget* list : {list1_, list2_}) {
        {
            const QSignalBlocker block(list);
            list->setCurrentRow(-1);
            list->clearSelection();
        }
        emit list->currentRowChanged(-1);
    }
}

bool FileList::swap(int row, int other) {
    if (!model_.swap(row, other))
        return false;
    mirrorRow(list1_, row, PictureListModel::WorkingPathRole);
    mirrorRow(list1_, other, PictureListModel::WorkingPathRole);
    list1_->setCurrentRow(other);
    mirrorRow(list2_, row, PictureListModel::DisplayPathRole);
    mirrorRow(list2_, other, PictureListModel::DisplayPathRole);
    list2_->setCurrentRow(other);
    return true;
}

void FileList::mirrorRow(QListWidget* list, int row, PictureListModel::Role path) {
    if (QListWidgetItem* item = list->item(row))
        item->setText(QString::fromUtf8(model_.index(row).data(path).toByteArray()));
}

void FileList::select(int row) {
    list1_->setCurrentRow(row);
    list2_->setCurrentRow(row);
}

void FileList::pauseDisplay(bool paused) {
    list2_->setUpdatesEnabled(!paused);
}

int FileList::selected() const {
    return highlightedRow(list2_);
}

int highlightedRow(const QListWidget* list) {
    // A Ctrl+click clears the highlight but leaves Qt's current row in place.
    const QListWidgetItem* item = list->currentItem();
    return item != nullptr && item->isSelected() ? list->currentRow() : -1;
}

} // namespace pw
