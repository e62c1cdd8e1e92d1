#include "filelist/file_list.h"

#include <QListWidget>
#include <QSignalBlocker>

namespace pw {

bool FileList::sort(os::MessagePump& pump) {
    if (!model_.sort(pump))
        return false;
    {
        // Rewritten in place without pumping, so no other command can interleave.
        const QSignalBlocker block1(list1_);
        const QSignalBlocker block2(list2_);
        for (int row = 0; row < count(); ++row) {
            mirrorRow(list1_, row, PictureListModel::WorkingPathRole);
            mirrorRow(list2_, row, PictureListModel::DisplayPathRole);
        }
    }
    announceNoSelection();
    return true;
}

} // namespace pw
