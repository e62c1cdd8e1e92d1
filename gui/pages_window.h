#pragma once
// The "Pages" window: the picture list as thumbnails in page order, another view of the list's
// model (the front window's lists follow whatever is done here). Each tile shows the picture,
// or one page of a PDF, turned as it will be in the PDF (its own turn, then the row's rotation)
// over "page  name". Several pages can be selected; dragging moves them, Delete removes them,
// Rotate Left / Rotate Right (Ctrl+L / Ctrl+R) turn them. Doing so to some of a PDF's pages
// splits its row into rows of its own for the runs of pages, so that only those pages change.
#include "app/picture_list_model.h"
#include "gui/page_tiles.h"
#include "gui/thumbnail_loader.h"

#include <QDialog>
#include <vector>

class QListView;
class QMimeData;
class QPushButton;
class QShortcut;

namespace pw::gui {

class PagesView;

class PagesWindow : public QDialog {
    Q_OBJECT
public:
    // The longer side of a thumbnail in pixels, and what the thumbnails may hold in memory.
    static constexpr int kThumbnailEdge = 160;
    static constexpr qsizetype kCacheBytes = qsizetype{48} << 20;

    explicit PagesWindow(app::PictureListModel& model, QWidget* parent = nullptr);
    ~PagesWindow() override;

    QListView* view() const;
    ThumbnailLoader& thumbnails() { return loader_; }

    // The list rows with a selected tile, in page order.
    std::vector<int> selectedRows() const;
    // The selected tiles, in page order.
    std::vector<int> selectedTiles() const;
    PageTiles& tiles() { return *tiles_; }
    // Turns the selected pages by quarter turns clockwise (negative: anticlockwise).
    void rotateSelected(int quarterTurns);
    // Removes the selected pages; nothing is selected afterwards.
    void removeSelected();
    // Moves the selected pages before the tile now at `destination` (the tile count: to the
    // end), keeping their order.
    void moveSelected(int destination);
    // While a job runs or pictures are being added the list must not change here.
    void setEditable(bool editable);
    bool editable() const { return editable_; }

    // What a drag of the selected pages carries; only this window takes it.
    QMimeData* dragPayload() const;
    bool isOwnPayload(const QMimeData* payload) const;

    // A tile. The caption: "page  file name", with "(page N)" for a PDF's page.
    QString caption(int tile) const;
    // The picture as drawn: the thumbnail turned by the row's rotation; null while it is being
    // made (it is asked for) and when the picture cannot be read.
    QImage shownPicture(int tile);
    // True once the tile's thumbnail is made (or found unreadable); asks for nothing.
    bool tileReady(int tile) const;
    // Why the tile's picture cannot be read; empty when it can or is not known yet.
    QString problem(int tile);
    // The tile's tool tip: the reason when the picture cannot be read, else its path.
    QString tileToolTip(int tile);

    QPushButton* cmdRotateLeft = nullptr;
    QPushButton* cmdRotateRight = nullptr;

private:
    const Thumbnail* thumbnail(int tile);
    QByteArray workingPath(int row) const;
    QByteArray thumbnailKey(int tile) const;
    // Splits the PDF rows some of whose tiles are selected, and the one the tile
    // `destination` stands inside, so that the selected pages are whole rows. Returns those
    // rows; `destinationRow` is the row that now starts at that tile (the row count: the end).
    std::vector<int> cutOutSelected(int destination, int& destinationRow);
    void selectListRows(const std::vector<int>& rows);

    app::PictureListModel& model_;
    PageTiles* tiles_;
    int scrolledTo_ = 0;
    ThumbnailLoader loader_;
    PagesView* view_ = nullptr;
    std::vector<QShortcut*> editKeys_;
    bool editable_ = true;
};

} // namespace pw::gui
