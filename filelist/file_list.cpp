#include "filelist/file_list.h"

#include <QListWidget>
#include <QSignalBlocker>

namespace pw {
namespace {

QString text(QListWidget* list, int row) {
    const QListWidgetItem* item = list->item(row);
    return item != nullptr ? item->text() : QString();
}

} // namespace

FileList::FileList(QListWidget* list1, QListWidget* list2, QListWidget* list3)
    : list1_(list1), list2_(list2), list3_(list3) {
    for (QListWidget* list : {list1_, list2_}) {
        list->setUniformItemSizes(true);
        list->setLayoutMode(QListView::Batched);
    }
}

int FileList::count() const {
    return list1_->count();
}

std::string FileList::workingPath(int row) const {
    return text(list1_, row).toStdString();
}

std::string FileList::displayPath(int row) const {
    return text(list2_, row).toStdString();
}

bool FileList::append(const std::string& working, const std::string& display) {
    if (isFull())
        return false;
    list1_->addItem(QString::fromStdString(working));
    list2_->addItem(QString::fromStdString(display));
    return true;
}

bool FileList::removeAt(int row) {
    if (row < 0 || row >= count())
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
    QListWidgetItem* a1 = list1_->item(row);
    QListWidgetItem* b1 = list1_->item(other);
    const QString saved1 = a1->text();
    a1->setText(b1->text());
    b1->setText(saved1);
    list1_->setCurrentRow(other);
    QListWidgetItem* a2 = list2_->item(row);
    QListWidgetItem* b2 = list2_->item(other);
    const QString saved2 = a2->text();
    a2->setText(b2->text());
    b2->setText(saved2);
    list2_->setCurrentRow(other);
    return true;
}

void FileList::select(int row) {
    list1_->setCurrentRow(row);
    list2_->setCurrentRow(row);
}

void FileList::pauseDisplay(bool paused) {
    list2_->setUpdatesEnabled(!paused);
}

int FileList::selected() const {
    return list2_->currentRow();
}

} // namespace pw
