#include "core/picture_list_model.h"
#include "core/path_order.h"
#include "platform/pump.h"

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
    if (!inside(row))
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    entries_.erase(entries_.begin() + row);
    endRemoveRows();
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

bool PictureListModel::sort(os::MessagePump& pump) {
    const std::vector<PictureEntry> before = entries_;
    std::vector<QString> keys;
    keys.reserve(before.size());
    for (const PictureEntry& entry : before) {
        keys.push_back(QString::fromStdString(entry.working));
        pump.pumpOnce();
    }
    // Another command may have run while messages were pumped; reordering the old rows would
    // then drop or bring back pictures, so the sort gives up instead.
    if (entries_ != before)
        return false;

    std::vector<std::size_t> order(before.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) {
        return comparePathsForSort(keys[a], keys[b]) < 0;
    });
    beginResetModel();
    for (std::size_t row = 0; row < order.size(); ++row)
        entries_[row] = before[order[row]];
    endResetModel();
    return true;
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
