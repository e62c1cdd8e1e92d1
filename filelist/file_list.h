#pragma once
// The ordered list of pictures of one conversion. Its model's rows (working path and display
// path together) are the one copy of the data; the front window's list boxes are views of it:
// List1 shows the working paths (hidden; the files the conversion opens), List2 the display
// paths (visible, laid over List1). Both share the model's selection. Paths are UTF-8.
//
// Selection: the selected entry is the model's current row while it is highlighted. The front
// window runs its click handling (List1_Click / List2_Click, see selection_display.h) on each
// list's currentRowChanged signal, so a selection made here from code takes the same path as a
// click. A change that leaves nothing selected (remove, clear, sort) announces the row -1 on
// both lists' currentRowChanged, List1 first.
#include "core/picture_list_model.h"
#include "filelist/picture_list_view.h"

#include <string>

namespace pw {

class FileList {
public:
    // Positions and counts are 16-bit: the list refuses entries beyond this many.
    static constexpr int kMaxEntries = PictureListModel::kMaxEntries;

    // Makes list1 show the working paths and list2 the display paths of this list's model.
    FileList(PictureListView* list1, PictureListView* list2);

    PictureListView* workingList() const { return list1_; }
    PictureListView* displayList() const { return list2_; }
    const PictureListModel& model() const { return model_; }
    PictureListModel& model() { return model_; }

    int count() const { return model_.count(); }
    bool isEmpty() const { return count() == 0; }
    bool isFull() const { return model_.isFull(); }
    std::string workingPath(int row) const; // "" outside the list
    std::string displayPath(int row) const;

    // Appends an entry. False (nothing added) when the list already holds kMaxEntries entries.
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
    // staying with its working path; equal keys keep their order. Nothing is selected
    // afterwards.
    void sort();
    // Takes back the list's last change, or makes again the last one taken back (see the
    // model's history); false when there is none.
    bool undo() { return model_.undo(); }
    bool redo() { return model_.redo(); }

private:
    // Leaves both lists without a current row and runs their click handling for "none".
    void announceNoSelection();

    PictureListModel model_;
    PictureListView* list1_;
    PictureListView* list2_;
};

} // namespace pw
