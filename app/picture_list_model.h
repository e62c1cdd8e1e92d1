#pragma once
// The ordered pictures of one conversion as a list model: per row the working path (the file
// the conversion opens), the display path (what the user sees) and the picture's attributes.
// Paths are bytes; DisplayRole shows the display path read as UTF-8. The model owns the
// selection model its views share, and the history of its changes, so that every view undoes
// and redoes the same steps.
#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QString>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pw::app {

struct PictureEntry {
    std::string working;
    std::string display;
    int rotation = 0; // quarter turns clockwise
    // For a PDF: the page numbers (from 1) that go in, in order; empty: every page.
    std::vector<int> pages;
    bool operator==(const PictureEntry&) const = default;
};

// A PDF row's pages as the list shows them after its name: "page 3", "pages 1-2",
// "pages 4, 1-2"; empty for every page.
QString pagesText(const std::vector<int>& pages);

class PictureListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        WorkingPathRole = Qt::UserRole + 1, // QByteArray
        DisplayPathRole,                    // QByteArray
        RotationRole,                       // int
        PagesRole,                          // QList<int>: PictureEntry::pages
    };
    // Positions and counts are 16-bit: the list refuses entries beyond this many.
    static constexpr int kMaxEntries = 32767;

    explicit PictureListModel(QObject* parent = nullptr);
    ~PictureListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
    // Rows can be dragged, in views that allow it, to move them.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QItemSelectionModel* selectionModel() { return &selection_; }

    int count() const { return static_cast<int>(entries_.size()); }
    bool isFull() const { return count() >= kMaxEntries; }
    const std::vector<PictureEntry>& entries() const { return entries_; }
    std::string workingPath(int row) const; // "" outside the list
    std::string displayPath(int row) const;

    // Appends a row; false (nothing added) when the list is full.
    bool append(const std::string& working, const std::string& display);
    // False for a row outside the list.
    bool removeAt(int row);
    void clear();
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    // Removes the rows (any order, repeats ignored), each run of neighbours at once; false,
    // removing nothing, when one is outside the list.
    bool removeRowsAt(std::vector<int> rows);
    // Swaps the rows' contents; false (nothing changes) when either is outside the list or
    // both are the same.
    bool swap(int row, int other);
    // Moves `count` rows from sourceRow to stand before destinationChild (as counted before
    // the move). False, moving nothing, for rows outside the list or a destination inside
    // or next to them.
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                  const QModelIndex& destinationParent, int destinationChild) override;
    // Moves the rows (any order, repeats ignored) together, in their present order, before
    // the row now at `destination` (count(): to the end; a destination among them stands for
    // the next row that is not). False, moving nothing, when one is outside the list or
    // `destination` is.
    bool moveTo(std::vector<int> rows, int destination);
    // Adds quarter turns clockwise to the row's rotation (negative: anticlockwise), kept in
    // 0..3. False for a row outside the list.
    bool rotate(int row, int quarterTurns);
    // Splits a PDF row into rows of its own: its pages (PictureEntry::pages, or 1..pageCount
    // when it takes every page) cut before each position in `cuts` (counted from 0; those
    // outside 1..pages-1 are passed over), each piece a row with the row's file and turn.
    // Returns the rows it stands as now (1 when there was nothing to cut); 0 for a row
    // outside the list.
    int splitPages(int row, int pageCount, std::vector<int> cuts);
    // Orders the rows by working path (path_order.h), equal keys keeping their order.
    void sort();

    // Makes row current and selected (-1: none).
    void select(int row);
    // The current row while it is selected, else -1.
    int selected() const;

    // The history. Every change above is a step of its own, but the changes between
    // beginEdit() and the matching endEdit() (pairs may nest) make one step. A new step drops
    // the steps undone before it. The history keeps the newest kHistorySteps steps, and drops
    // the oldest while the pictures it holds (removed rows, undone additions) take more than
    // kHistoryBytes; the newest step always stays.
    static constexpr std::size_t kHistorySteps = 200;
    static constexpr std::size_t kHistoryBytes = std::size_t{64} << 20;
    void beginEdit();
    void endEdit();
    // While an edit is open nothing can be undone or redone.
    bool canUndo() const;
    bool canRedo() const;
    // Takes back the last step (or does again the last undone one) and selects the rows it
    // brought back, moved or turned; nothing when it only removed rows or sorted. False when
    // there is nothing to undo (redo).
    bool undo();
    bool redo();
    // The steps kept, and the bytes of pictures they hold.
    std::size_t historySteps() const;
    std::size_t historyBytes() const;

    // Opens an edit for the lifetime of the object.
    class Edit {
    public:
        explicit Edit(PictureListModel& model) : model_(model) { model_.beginEdit(); }
        ~Edit() { model_.endEdit(); }
        Edit(const Edit&) = delete;
        Edit& operator=(const Edit&) = delete;

    private:
        PictureListModel& model_;
    };

signals:
    // canUndo() or canRedo() may have changed.
    void historyChanged();

private:
    struct Change;
    struct Step;
    // Runs of rows a step touched, first and last, followed through its later changes.
    using Touched = std::vector<std::pair<QPersistentModelIndex, QPersistentModelIndex>>;

    bool inside(int row) const { return row >= 0 && row < count(); }
    // Sorted, without repeats; empty when one is outside the list.
    std::vector<int> checkedRows(std::vector<int> rows) const;
    // Notes a change just made, as part of the open edit or as a step of its own.
    void record(Change change);
    void closeStep();
    void trimHistory();
    // Makes or takes back one change; the rows it leaves selected go into `touched`.
    void apply(Change& change, bool forward, Touched& touched);
    void insertEntries(int row, std::vector<PictureEntry>&& entries);
    std::vector<PictureEntry> takeEntries(int row, int count);
    void reorder(const std::vector<int>& order, bool forward);
    // Selects the rows still in the list, the first current; none when there are none.
    void selectRows(const Touched& rows);

    std::vector<PictureEntry> entries_;
    QItemSelectionModel selection_;
    std::vector<Step> steps_; // oldest first
    std::size_t done_ = 0;    // steps_[0, done_) can be undone, the rest redone
    std::unique_ptr<Step> open_;
    int editDepth_ = 0;
    bool replaying_ = false;
};

} // namespace pw::app
