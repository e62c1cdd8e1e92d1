#pragma once
// The ordered list of pictures of one conversion. Its model's rows (working path and display
// path together) are the one copy of the data; the front window's list boxes mirror them: List1
// the working paths (hidden; the files the conversion opens), List2 the display paths
// (visible, laid over List1). So List1 and List2
// have the same length and row i of both is the same picture by construction; every change
// updates the rows, then both lists at the same row, working list first. Paths are UTF-8.
//
// Selection: the selected entry is List2's current row while it is highlighted. The front window
// runs its click handling (List1_Click / List2_Click, see selection_display.h) on each list's
// currentRowChanged signal, so a selection made here from code takes the same path as a
// click. A change that leaves nothing selected (remove, clear, sort) announces row -1 on both
// lists' currentRowChanged, List1 first. The lists are expected in single-selection mode
// (QListWidget's default).
#include "core/picture_list_model.h"

#include <string>

class QListWidget;

namespace pw::os {
class MessagePump;
}

namespace pw {

class FileList {
public:
    // Positions and counts are 16-bit: the list refuses entries beyond this many.
    static constexpr int kMaxEntries = PictureListModel::kMaxEntries;

    // Every row is one line of text in the list's font, so the lists are told their rows
    // are of uniform size: adding a row then costs no relayout of the whole list.
    FileList(QListWidget* list1, QListWidget* list2);

    QListWidget* workingList() const { return list1_; }
    QListWidget* displayList() const { return list2_; }
    const PictureListModel& model() const { return model_; }

    int count() const { return model_.count(); }
    bool isEmpty() const { return count() == 0; }
    bool isFull() const { return model_.isFull(); }
    std::string workingPath(int row) const; // "" outside the list
    std::string displayPath(int row) const;

    // Appends working path to List1, then display path to List2. False (nothing added) when
    // the list already holds kMaxEntries entries.
    bool append(const std::string& working, const std::string& display);
    // Removes the entry at row from both lists; afterwards nothing is selected. False for a
    // row outside the list.
    bool removeAt(int row);
    void clear();
    // Swaps the entries at row and other, and selects other: the entry that was at row moves
    // there and stays selected, still paired with its display path. False (nothing changes)
    // when either row is outside the list.
    bool swap(int row, int other);
    // Selects row in List1, then in List2 (-1: no selection).
    void select(int row);
    // Stops (true) or restarts repainting the visible list, for long additions under the
    // hint box; restarting repaints it once.
    void pauseDisplay(bool paused);
    // List2's highlighted row; -1 when no row is highlighted.
    int selected() const;
    // Orders the entries by working path in the order of path_order.h, each display path
    // staying with its working path; equal keys keep their order. Pumps after each entry
    // while the sort keys are gathered. Returns false, changing nothing, when the list was edited
    // while the sort let messages run. Nothing is selected afterwards.
    bool sort(os::MessagePump& pump);

private:
    // Shows the row's working or display path in List1 or List2.
    void mirrorRow(QListWidget* list, int row, PictureListModel::Role path);
    // Leaves both lists without a current row and runs their click handling for "none".
    void announceNoSelection();

    QListWidget* list1_;
    QListWidget* list2_;
    PictureListModel model_;
};

// The list's current row when it is highlighted, else -1.
int highlightedRow(const QListWidget* list);

} // namespace pw
