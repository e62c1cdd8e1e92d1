#include "core/picture_list_model.h"

#include "core/path_order.h"

#include <QString>
#include <algorithm>
#include <numeric>

namespace pw {

PictureListModel::PictureListModel(QObject* parent)
    : QAbstractListModel(parent), selection_(this) {}

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
    default:
        return {};
    }
}

QHash<int, QByteArray> PictureListModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(WorkingPathRole, "workingPath");
    names.insert(DisplayPathRole, "displayPath");
    names.insert(RotationRole, "rotation");
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
    beginInsertRows(QModelIndex(), count(), count());
    entries_.push_back({working, display});
    endInsertRows();
    return true;
}

bool PictureListModel::removeAt(int row) {
    return removeRows(row, 1);
}

bool PictureListModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || count < 1 || !inside(row) || !inside(row + count - 1))
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    entries_.erase(entries_.begin() + row, entries_.begin() + row + count);
    endRemoveRows();
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
    beginResetModel();
    entries_.clear();
    endResetModel();
}

bool PictureListModel::swap(int row, int other) {
    if (!inside(row) || !inside(other) || row == other)
        return false;
    std::swap(entries_[static_cast<std::size_t>(row)], entries_[static_cast<std::size_t>(other)]);
    emit dataChanged(index(row), index(row));
    emit dataChanged(index(other), index(other));
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
    return true;
}

bool PictureListModel::moveTo(std::vector<int> rows, int destination) {
    rows = checkedRows(std::move(rows));
    if (rows.empty() || destination < 0 || destination > count())
        return false;
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
    return true;
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

} // namespace pw
