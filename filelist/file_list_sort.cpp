#include "filelist/file_list.h"
#include "core/path_order.h"
#include "platform/pump.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <utility>
#include <vector>

namespace pw {
namespace {

constexpr int kSnapshotRole = Qt::UserRole;

// A row of the sort list: ordered by text with letter case ignored, then by its place in the
// list before the sort, so equal keys keep their order.
class SortItem : public QListWidgetItem {
public:
    SortItem(const QString& text, int place) : QListWidgetItem(text) {
        setData(kSnapshotRole, place);
    }
    bool operator<(const QListWidgetItem& other) const override {
        const int byText = comparePathsForSort(text(), other.text());
        if (byText != 0)
            return byText < 0;
        return data(kSnapshotRole).toInt() < other.data(kSnapshotRole).toInt();
    }
};

} // namespace

bool FileList::sort(os::MessagePump& pump) {
    const std::vector<FileEntry> before = entries_;
    list3_->clear();
    list3_->setSortingEnabled(false);
    for (std::size_t i = 0; i < before.size(); ++i) {
        list3_->addItem(
            new SortItem(QString::fromStdString(before[i].working), static_cast<int>(i)));
        pump.pumpOnce();
    }
    list3_->sortItems(Qt::AscendingOrder);

    // Another command may have run while messages were pumped; rebuilding from the old
    // entries would then drop or bring back rows, so the sort gives up instead.
    if (entries_ != before || list3_->count() != static_cast<int>(before.size())) {
        list3_->clear();
        return false;
    }
    for (int row = 0; row < list3_->count(); ++row) {
        const int place = list3_->item(row)->data(kSnapshotRole).toInt();
        entries_[static_cast<std::size_t>(row)] = before[static_cast<std::size_t>(place)];
    }
    {
        // Rewritten in place without pumping, so no other command can interleave.
        const QSignalBlocker block1(list1_);
        const QSignalBlocker block2(list2_);
        for (int row = 0; row < count(); ++row) {
            mirrorRow(list1_, row, &FileEntry::working);
            mirrorRow(list2_, row, &FileEntry::display);
        }
    }
    list3_->clear();
    announceNoSelection();
    return true;
}

} // namespace pw
