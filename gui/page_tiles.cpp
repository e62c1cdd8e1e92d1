#include "gui/page_tiles.h"

#include "formats/pdf_document.h"
#include "pictures/picture_kinds.h"
#include "platform/narrow.h"

#include <algorithm>

namespace pw::gui {

PageTiles::PageTiles(app::PictureListModel& list, QObject* parent)
    : QAbstractListModel(parent), list_(list), selection_(this) {
    rebuild();
    // Rows added, removed, moved, split or sorted: the tiles are laid out anew.
    const auto relayout = [this] {
        beginResetModel();
        rebuild();
        endResetModel();
        selectFromList();
    };
    connect(&list_, &QAbstractItemModel::rowsInserted, this, relayout);
    connect(&list_, &QAbstractItemModel::rowsRemoved, this, relayout);
    connect(&list_, &QAbstractItemModel::rowsMoved, this, relayout);
    connect(&list_, &QAbstractItemModel::modelReset, this, relayout);
    connect(&list_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last) {
                if (first.isValid() && last.isValid() && count() > 0)
                    emit dataChanged(index(firstTile(first.row())),
                                     index(std::max(firstTile(last.row() + 1) - 1, 0)));
            });
    connect(list_.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { selectFromList(); });
    connect(list_.selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { selectFromList(); });
    connect(&selection_, &QItemSelectionModel::selectionChanged, this, [this] { selectInList(); });
    connect(&selection_, &QItemSelectionModel::currentChanged, this, [this] { selectInList(); });
}

int PageTiles::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant PageTiles::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    const PageTile& tile = at(index.row());
    // The row's own data, for the roles the list has.
    return list_.index(tile.row).data(role);
}

Qt::ItemFlags PageTiles::flags(const QModelIndex& index) const {
    const Qt::ItemFlags base = QAbstractListModel::flags(index);
    return index.isValid() ? base | Qt::ItemIsDragEnabled : base;
}

const PageTile& PageTiles::at(int tile) const {
    static const PageTile none;
    return tile >= 0 && tile < count() ? tiles_[static_cast<std::size_t>(tile)] : none;
}

int PageTiles::firstTile(int row) const {
    return row >= 0 && row < static_cast<int>(firstTiles_.size())
               ? firstTiles_[static_cast<std::size_t>(row)]
               : count();
}

int PageTiles::pdfPages(const std::string& workingPath) const {
    auto found = pageCounts_.find(workingPath);
    if (found == pageCounts_.end()) {
        // The page tree only, once per file, as the front list counts them.
        const std::string narrow = platform::toNarrow(workingPath);
        const int pages =
            pictures::isPdfFile(narrow) ? static_cast<int>(formats::openPdf(narrow, "").pages) : -1;
        found = pageCounts_.emplace(workingPath, pages).first;
    }
    return found->second;
}

int PageTiles::pageCount(const std::string& workingPath) const {
    return std::max(pdfPages(workingPath), 0);
}

std::vector<int> PageTiles::pagesOf(int row) const {
    if (row < 0 || row >= list_.count())
        return {};
    const app::PictureEntry& entry = list_.entries()[static_cast<std::size_t>(row)];
    if (!entry.pages.empty())
        return entry.pages;
    std::vector<int> pages(static_cast<std::size_t>(pageCount(entry.working)));
    for (std::size_t i = 0; i < pages.size(); ++i)
        pages[i] = static_cast<int>(i) + 1;
    return pages;
}

void PageTiles::rebuild() {
    tiles_.clear();
    firstTiles_.clear();
    for (int row = 0; row < list_.count(); ++row) {
        firstTiles_.push_back(count());
        const std::vector<int> pages = pagesOf(row);
        if (pages.empty()) {
            const bool pdf = pdfPages(list_.entries()[static_cast<std::size_t>(row)].working) >= 0;
            tiles_.push_back({row, 0, pdf ? 1 : 0});
            continue;
        }
        for (std::size_t i = 0; i < pages.size(); ++i)
            tiles_.push_back({row, static_cast<int>(i), pages[i]});
    }
}

std::vector<int> PageTiles::selectedTiles() const {
    std::vector<int> tiles;
    for (const QModelIndex& index : selection_.selectedIndexes())
        tiles.push_back(index.row());
    std::sort(tiles.begin(), tiles.end());
    return tiles;
}

// Every tile of a selected row is selected; the current row's first tile is current.
void PageTiles::selectFromList() {
    if (syncing_)
        return;
    syncing_ = true;
    QItemSelection tiles;
    for (const QItemSelectionRange& range : list_.selectionModel()->selection()) {
        const int first = firstTile(range.top());
        const int last = firstTile(range.bottom() + 1) - 1;
        if (first <= last && last < count())
            tiles.select(index(first), index(last));
    }
    const QModelIndex current = list_.selectionModel()->currentIndex();
    if (current.isValid() && firstTile(current.row()) < count())
        selection_.setCurrentIndex(index(firstTile(current.row())), QItemSelectionModel::NoUpdate);
    selection_.select(tiles, QItemSelectionModel::ClearAndSelect);
    syncing_ = false;
}

// A row with any tile selected is selected in the list.
void PageTiles::selectInList() {
    if (syncing_)
        return;
    syncing_ = true;
    QItemSelection rows;
    for (const int tile : selectedTiles())
        rows.select(list_.index(at(tile).row), list_.index(at(tile).row));
    const QModelIndex current = selection_.currentIndex();
    QItemSelectionModel& listSelection = *list_.selectionModel();
    if (current.isValid() && current.row() < count())
        listSelection.setCurrentIndex(list_.index(at(current.row()).row),
                                      QItemSelectionModel::NoUpdate);
    listSelection.select(rows, QItemSelectionModel::ClearAndSelect);
    syncing_ = false;
}

} // namespace pw::gui
