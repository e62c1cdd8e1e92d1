#include "filelist/file_list.h"

#include <QListWidget>
#include <QSignalBlocker>

namespace pw {

FileList::FileList(QListWidget* list1, QListWidget* list2, QListWidget* list3)
    : list1_(list1), list2_(list2), list3_(list3) {
    for (QListWidget* list : {list1_, list2_}) {
        list->setUniformItemSizes(true);
        list->setLayoutMode(QListView::Batched);
    }
}

std::string FileList::workingPath(int row) const {
    return row >= 0 && row < count() ? entries_[static_cast<std::size_t>(row)].working
                                     : std::string();
}

std::string FileList::displayPath(int row) const {
    return row >= 0 && row < count() ? entries_[static_cast<std::size_t>(row)].display
                                     : std::string();
}

bool FileList::append(const std::string& working, const std::string& display) {
    if (isFull())
        return false;
    entries_.push_back({working, display});
    list1_->addItem(QString::fromStdString(working));
    list2_->addItem(QString::fromStdString(display));
    return true;
}

bool FileList::removeAt(int row) {
    if (row < 0 || row >= count())
        return false;
    entries_.erase(entries_.begin() + row);
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
    entries_.clear();
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
    const int n = count();
    if (row < 0 || other < 0 || row >= n || other >= n || row == other)
        return false;
    std::swap(entries_[static_cast<std::size_t>(row)], entries_[static_cast<std::size_t>(other)]);
    mirrorRow(list1_, row, &FileEntry::working);
    mirrorRow(list1_, other, &FileEntry::working);
    list1_->setCurrentRow(other);
    mirrorRow(list2_, row, &FileEntry::display);
    mirrorRow(list2_, other, &FileEntry::display);
    list2_->setCurrentRow(other);
    return true;
}

void FileList::mirrorRow(QListWidget* list, int row, std::string FileEntry::*path) {
    if (QListWidgetItem* item = list->item(row))
        item->setText(QString::fromStdString(entries_[static_cast<std::size_t>(row)].*path));
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
