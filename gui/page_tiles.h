#pragma once
// The Pages window's tiles over the picture list: one tile per picture, and one per page of a
// PDF row (its page list, or every page of the file). Rebuilt whenever the list changes; the
// selection of tiles and the list's selection follow each other.
#include "app/picture_list_model.h"

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <string>
#include <unordered_map>
#include <vector>

namespace pw::gui {

struct PageTile {
    int row = 0;      // the list row
    int position = 0; // among the row's tiles
    int page = 0;     // the PDF page number (from 1); 0 for a picture
};

class PageTiles : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PageTiles(app::PictureListModel& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QItemSelectionModel* selectionModel() { return &selection_; }
    int count() const { return static_cast<int>(tiles_.size()); }
    // Tile `tile`; a tile of row 0 when outside.
    const PageTile& at(int tile) const;
    // The first tile of list row `row`; count() past the last row.
    int firstTile(int row) const;
    // The pages of a PDF row in order; empty for a picture (and a PDF whose pages cannot be
    // counted, which shows as one tile of its page 1).
    std::vector<int> pagesOf(int row) const;
    // The pages of the PDF at `workingPath`: 0 for a picture or a PDF that cannot be opened
    // without a password. Each file is opened once.
    int pageCount(const std::string& workingPath) const;
    // The selected tiles, in order.
    std::vector<int> selectedTiles() const;

private:
    // The pages of a PDF (0: it cannot be opened without a password), -1 for a picture.
    int pdfPages(const std::string& workingPath) const;
    void rebuild();
    void selectFromList();
    void selectInList();

    app::PictureListModel& list_;
    QItemSelectionModel selection_;
    std::vector<PageTile> tiles_;
    std::vector<int> firstTiles_;                             // by row
    mutable std::unordered_map<std::string, int> pageCounts_; // pdfPages() by working path
    bool syncing_ = false;
};

} // namespace pw::gui
