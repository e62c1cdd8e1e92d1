#include "filelist/file_list.h"
#include "filelist/path_order.h"
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

using Entries = std::vector<std::pair<QString, QString>>;

Entries snapshot(const QListWidget* working, const QListWidget* display) {
    Entries entries;
    const int n = working->count();
    entries.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const QListWidgetItem* shown = display->item(i);
        entries.emplace_back(working->item(i)->text(),
                             shown != nullptr ? shown->text() : QString());
    }
    return entries;
}

} // namespace

bool FileList::sort(os::MessagePump& pump) {
    const Entries before = snapshot(list1_, list2_);
    list3_->clear();
    list3_->setSortingEnabled(false);
    for (std::size_t i = 0; i < before.size(); ++i) {
        list3_->addItem(new SortItem(before[i].first, static_cast<int>(i)));
        pump.pumpOnce();
    }
    list3_->sortItems(Qt::AscendingOrder);

    // Another command may have run while messages were pumped; rebuilding from the old
    // entries would then drop or bring back rows, so the sort gives up instead.
    if (snapshot(list1_, list2_) != before || list3_->count() != static_cast<int>(before.size())) {
        list3_->clear();
        return false;
    }
    {
        // Rewritten in place without pumping, so no other command can interleave.
        const QSignalBlocker block1(list1_);
        const QSignalBlocker block2(list2_);
        for (int row = 0; row < list3_->count(); ++row) {
            const int place = list3_->item(row)->data(kSnapshotRole).toInt();
            const auto& entry = before[static_cast<std::size_t>(place)];
            list1_->item(row)->setText(entry.first);
            list2_->item(row)->setText(entry.second);
        }
    }
    list3_->clear();
    announceNoSelection();
    return true;
}

} // namespace pw
