#include "app/picture_list_model.h"

#include "app/path_order.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <numeric>

namespace pw::app {

// One change as the history keeps it: enough to make it again and to take it back.
struct PictureListModel::Change {
    enum class Kind { Insert, Remove, Move, Swap, Rotate, Reorder };
    Kind kind = Kind::Insert;
    int row = 0;   // the first row inserted, removed or moved; a swapped or turned row
    int count = 0; // rows inserted, removed or moved; quarter turns added
    int to = 0;    // where moved rows went (counted before the move); the other swapped row
    // The rows that are not in the list while the change is: the removed ones, or the
    // inserted ones once undone.
    std::vector<PictureEntry> entries;
    std::vector<int> order; // a reorder: row i took the row at order[i]

    std::size_t bytes() const {
        std::size_t total = sizeof(Change) + order.capacity() * sizeof(int);
        for (const PictureEntry& entry : entries)
            total += sizeof(PictureEntry) + entry.working.capacity() + entry.display.capacity() +
                     entry.pages.capacity() * sizeof(int);
        return total;
    }
};

struct PictureListModel::Step {
    std::vector<Change> changes;
    std::size_t bytes = 0;

    void count() {
        bytes = 0;
        for (const Change& change : changes)
            bytes += change.bytes();
    }
};

PictureListModel::PictureListModel(QObject* parent)
    : QAbstractListModel(parent), selection_(this) {}

PictureListModel::~PictureListModel() = default;

int PictureListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant PictureListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.model() != this || !inside(index.row()))
        return {};
    const PictureEntry& entry = entries_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(entry.display);
    case WorkingPathRole:
        return QByteArray::fromStdString(entry.working);
    case DisplayPathRole:
        return QByteArray::fromStdString(entry.display);
    case RotationRole:
        return entry.rotation;
    case PagesRole:
        return QVariant::fromValue(QList<int>(entry.pages.begin(), entry.pages.end()));
    default:
        return {};
    }
}

QHash<int, QByteArray> PictureListModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(WorkingPathRole, "workingPath");
    names.insert(DisplayPathRole, "displayPath");
    names.insert(RotationRole, "rotation");
    names.insert(PagesRole, "pages");
    return names;
}

Qt::ItemFlags PictureListModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags base = QAbstractListModel::flags(index);
    return index.isValid() ? base | Qt::ItemIsDragEnabled : base;
}

std::string PictureListModel::workingPath(int row) const {
    return inside(row) ? entries_[static_cast<std::size_t>(row)].working : std::string();
}

std::string PictureListModel::displayPath(int row) const {
    return inside(row) ? entries_[static_cast<std::size_t>(row)].display : std::string();
}

bool PictureListModel::append(const std::string& working, const std::string& display) {
    if (isFull())
        return false;
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    entries_.push_back({working, display, 0, {}});
    endInsertRows();
    record({Change::Kind::Insert, row, 1, 0, {}, {}});
    return true;
}

bool PictureListModel::removeAt(int row) {
    return removeRows(row, 1);
}

bool PictureListModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || count < 1 || !inside(row) || !inside(row + count - 1))
        return false;
    record({Change::Kind::Remove, row, count, 0, takeEntries(row, count), {}});
    return true;
}

std::vector<int> PictureListModel::checkedRows(std::vector<int> rows) const {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty() || !inside(rows.front()) || !inside(rows.back()))
        return {};
    return rows;
}

bool PictureListModel::removeRowsAt(std::vector<int> rows) {
    rows = checkedRows(std::move(rows));
    if (rows.empty())
        return false;
    const Edit edit(*this);
    // From the end, so the rows still to go keep their numbers.
    std::size_t last = rows.size();
    while (last > 0) {
        std::size_t first = last - 1;
        while (first > 0 && rows[first - 1] == rows[first] - 1)
            --first;
        removeRows(rows[first], static_cast<int>(last - first));
        last = first;
    }
    return true;
}

void PictureListModel::clear() {
    if (entries_.empty())
        return;
    const int rows = count();
    beginResetModel();
    std::vector<PictureEntry> removed = std::move(entries_);
    entries_.clear();
    endResetModel();
    record({Change::Kind::Remove, 0, rows, 0, std::move(removed), {}});
}

bool PictureListModel::swap(int row, int other) {
    if (!inside(row) || !inside(other) || row == other)
        return false;
    std::swap(entries_[static_cast<std::size_t>(row)], entries_[static_cast<std::size_t>(other)]);
    emit dataChanged(index(row), index(row));
    emit dataChanged(index(other), index(other));
    record({Change::Kind::Swap, row, 0, other, {}, {}});
    return true;
}

bool PictureListModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                                const QModelIndex& destinationParent, int destinationChild) {
    if (sourceParent.isValid() || destinationParent.isValid() || count < 1 || !inside(sourceRow) ||
        !inside(sourceRow + count - 1) || destinationChild < 0 || destinationChild > this->count())
        return false;
    // A destination inside the rows or just after them leaves everything where it is; Qt
    // refuses it.
    if (!beginMoveRows(QModelIndex(), sourceRow, sourceRow + count - 1, QModelIndex(),
                       destinationChild))
        return false;
    const auto first = entries_.begin() + sourceRow;
    const auto end = first + count;
    if (destinationChild < sourceRow)
        std::rotate(entries_.begin() + destinationChild, first, end);
    else
        std::rotate(first, end, entries_.begin() + destinationChild);
    endMoveRows();
    record({Change::Kind::Move, sourceRow, count, destinationChild, {}, {}});
    return true;
}

bool PictureListModel::moveTo(std::vector<int> rows, int destination) {
    rows = checkedRows(std::move(rows));
    if (rows.empty() || destination < 0 || destination > count())
        return false;
    const Edit edit(*this);
    int anchor = destination;
    while (std::binary_search(rows.begin(), rows.end(), anchor))
        ++anchor;
    // One row at a time, so views keep their selection through the moves. Rows before the
    // anchor leave their places in front of it; rows after it arrive in front of it.
    int before = 0;
    int after = 0;
    for (const int row : rows) {
        if (row < anchor) {
            const int now = row - before++;
            if (now != anchor - 1)
                moveRows(QModelIndex(), now, 1, QModelIndex(), anchor);
        } else {
            moveRows(QModelIndex(), row, 1, QModelIndex(), anchor + after++);
        }
    }
    return true;
}

bool PictureListModel::rotate(int row, int quarterTurns) {
    if (!inside(row))
        return false;
    int& rotation = entries_[static_cast<std::size_t>(row)].rotation;
    rotation = ((rotation + quarterTurns % 4) % 4 + 4) % 4;
    emit dataChanged(index(row), index(row), {RotationRole});
    record({Change::Kind::Rotate, row, quarterTurns % 4, 0, {}, {}});
    return true;
}

int PictureListModel::splitPages(int row, int pageCount, std::vector<int> cuts) {
    if (!inside(row))
        return 0;
    const PictureEntry& entry = entries_[static_cast<std::size_t>(row)];
    std::vector<int> pages = entry.pages;
    if (pages.empty())
        for (int page = 1; page <= pageCount; ++page)
            pages.push_back(page);
    const int size = static_cast<int>(pages.size());
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    std::erase_if(cuts, [size](int cut) { return cut < 1 || cut >= size; });
    if (cuts.empty())
        return 1;
    std::vector<PictureEntry> pieces;
    cuts.push_back(size);
    int start = 0;
    for (const int cut : cuts) {
        PictureEntry piece{entry.working, entry.display, entry.rotation, {}};
        piece.pages.assign(pages.begin() + start, pages.begin() + cut);
        pieces.push_back(std::move(piece));
        start = cut;
    }
    const int made = static_cast<int>(pieces.size());
    const Edit edit(*this);
    record({Change::Kind::Remove, row, 1, 0, takeEntries(row, 1), {}});
    insertEntries(row, std::move(pieces));
    record({Change::Kind::Insert, row, made, 0, {}, {}});
    return made;
}

QString pagesText(const std::vector<int>& pages) {
    QStringList runs;
    for (std::size_t first = 0; first < pages.size();) {
        std::size_t last = first;
        while (last + 1 < pages.size() && pages[last + 1] == pages[last] + 1)
            ++last;
        runs.push_back(last == first ? QString::number(pages[first])
                                     : QStringLiteral("%1-%2").arg(pages[first]).arg(pages[last]));
        first = last + 1;
    }
    if (runs.isEmpty())
        return {};
    return (pages.size() == 1 ? QStringLiteral("page ") : QStringLiteral("pages ")) +
           runs.join(QStringLiteral(", "));
}

void PictureListModel::sort() {
    // One step, nothing else running meanwhile: the longest list sorts in a fraction of a
    // second.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(entries_.size());
    for (const PictureEntry& entry : entries_)
        keys.push_back(pathSortKey(QString::fromStdString(entry.working)));
    std::vector<std::size_t> order(entries_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) {
        return keys[a].compare(keys[b]) < 0;
    });
    beginResetModel();
    std::vector<PictureEntry> sorted;
    sorted.reserve(entries_.size());
    for (const std::size_t row : order)
        sorted.push_back(std::move(entries_[row]));
    entries_ = std::move(sorted);
    endResetModel();
    record({Change::Kind::Reorder, 0, 0, 0, {}, std::vector<int>(order.begin(), order.end())});
}

void PictureListModel::select(int row) {
    if (!inside(row)) {
        selection_.clear();
        return;
    }
    selection_.setCurrentIndex(index(row), QItemSelectionModel::ClearAndSelect);
}

int PictureListModel::selected() const {
    const QModelIndex current = selection_.currentIndex();
    return current.isValid() && selection_.isSelected(current) ? current.row() : -1;
}

// --- history ---------------------------------------------------------------------------------

void PictureListModel::insertEntries(int row, std::vector<PictureEntry>&& entries) {
    if (entries.empty())
        return;
    beginInsertRows(QModelIndex(), row, row + static_cast<int>(entries.size()) - 1);
    entries_.insert(entries_.begin() + row, std::make_move_iterator(entries.begin()),
                    std::make_move_iterator(entries.end()));
    endInsertRows();
    entries.clear();
    entries.shrink_to_fit();
}

std::vector<PictureEntry> PictureListModel::takeEntries(int row, int count) {
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    const auto first = entries_.begin() + row;
    std::vector<PictureEntry> taken(std::make_move_iterator(first),
                                    std::make_move_iterator(first + count));
    entries_.erase(first, first + count);
    endRemoveRows();
    return taken;
}

void PictureListModel::reorder(const std::vector<int>& order, bool forward) {
    std::vector<PictureEntry> before = std::move(entries_);
    entries_ = std::vector<PictureEntry>(before.size());
    beginResetModel();
    for (std::size_t row = 0; row < order.size(); ++row) {
        const auto from = static_cast<std::size_t>(order[row]);
        if (forward)
            entries_[row] = std::move(before[from]);
        else
            entries_[from] = std::move(before[row]);
    }
    endResetModel();
}

void PictureListModel::record(Change change) {
    if (replaying_)
        return;
    if (!open_) {
        // A new step: what was undone can no longer be redone.
        steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(done_), steps_.end());
        open_ = std::make_unique<Step>();
    }
    std::vector<Change>& changes = open_->changes;
    // Rows appended one by one (a folder's pictures) become one insertion.
    if (change.kind == Change::Kind::Insert && !changes.empty() &&
        changes.back().kind == Change::Kind::Insert &&
        changes.back().row + changes.back().count == change.row)
        changes.back().count += change.count;
    else
        changes.push_back(std::move(change));
    if (editDepth_ == 0)
        closeStep();
}

void PictureListModel::closeStep() {
    if (!open_)
        return;
    std::unique_ptr<Step> step = std::move(open_);
    if (step->changes.empty())
        return;
    step->count();
    steps_.push_back(std::move(*step));
    done_ = steps_.size();
    trimHistory();
    emit historyChanged();
}

void PictureListModel::trimHistory() {
    std::size_t drop = steps_.size() > kHistorySteps ? steps_.size() - kHistorySteps : 0;
    std::size_t bytes = historyBytes();
    for (std::size_t i = 0; i < drop; ++i)
        bytes -= steps_[i].bytes;
    while (drop + 1 < steps_.size() && bytes > kHistoryBytes)
        bytes -= steps_[drop++].bytes;
    if (drop == 0)
        return;
    steps_.erase(steps_.begin(), steps_.begin() + static_cast<std::ptrdiff_t>(drop));
    done_ -= std::min(done_, drop);
}

std::size_t PictureListModel::historySteps() const {
    return steps_.size();
}

std::size_t PictureListModel::historyBytes() const {
    std::size_t total = 0;
    for (const Step& step : steps_)
        total += step.bytes;
    return total;
}

void PictureListModel::beginEdit() {
    if (editDepth_++ == 0)
        emit historyChanged();
}

void PictureListModel::endEdit() {
    if (editDepth_ == 0 || --editDepth_ > 0)
        return;
    closeStep();
    emit historyChanged();
}

bool PictureListModel::canUndo() const {
    return editDepth_ == 0 && !replaying_ && done_ > 0;
}

bool PictureListModel::canRedo() const {
    return editDepth_ == 0 && !replaying_ && done_ < steps_.size();
}

void PictureListModel::apply(Change& change, bool forward, Touched& touched) {
    const auto touch = [&](int first, int count) {
        touched.emplace_back(index(first), index(first + count - 1));
    };
    using Kind = Change::Kind;
    switch (change.kind) {
    case Kind::Insert:
    case Kind::Remove:
        if ((change.kind == Kind::Insert) == forward) {
            insertEntries(change.row, std::move(change.entries));
            touch(change.row, change.count);
        } else {
            change.entries = takeEntries(change.row, change.count);
        }
        break;
    case Kind::Move: {
        // Taken back, the rows go from where they went to where they were.
        const bool up = change.to < change.row;
        const int at = forward ? change.row : (up ? change.to : change.to - change.count);
        const int to = forward ? change.to : (up ? change.row + change.count : change.row);
        moveRows(QModelIndex(), at, change.count, QModelIndex(), to);
        touch(to > at ? to - change.count : to, change.count);
        break;
    }
    case Kind::Swap:
        swap(change.row, change.to);
        touch(forward ? change.to : change.row, 1);
        break;
    case Kind::Rotate:
        rotate(change.row, forward ? change.count : -change.count);
        touch(change.row, 1);
        break;
    case Kind::Reorder:
        reorder(change.order, forward);
        break;
    }
}

bool PictureListModel::undo() {
    if (!canUndo())
        return false;
    Step& step = steps_[--done_];
    replaying_ = true;
    Touched touched;
    for (auto change = step.changes.rbegin(); change != step.changes.rend(); ++change)
        apply(*change, false, touched);
    replaying_ = false;
    step.count();
    selectRows(touched);
    emit historyChanged();
    return true;
}

bool PictureListModel::redo() {
    if (!canRedo())
        return false;
    Step& step = steps_[done_++];
    replaying_ = true;
    Touched touched;
    for (Change& change : step.changes)
        apply(change, true, touched);
    replaying_ = false;
    step.count();
    selectRows(touched);
    emit historyChanged();
    return true;
}

void PictureListModel::selectRows(const Touched& rows) {
    QItemSelection selection;
    QModelIndex current;
    for (const auto& [first, last] : rows) {
        if (!first.isValid() || !last.isValid() || last.row() < first.row())
            continue;
        selection.select(first, last);
        if (!current.isValid() || first.row() < current.row())
            current = first;
    }
    if (!current.isValid()) {
        selection_.clear();
        return;
    }
    selection_.setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    selection_.select(selection, QItemSelectionModel::ClearAndSelect);
}

} // namespace pw::app
