#pragma once
// The "Pages" window: the picture list as thumbnails in page order, another view of the list's
// model (the front window's lists follow whatever is done here). Each tile shows the picture
// turned as it will be in the PDF (its own turn, then the row's rotation) over "page  name".
// Several pages can be selected; dragging moves them, Delete removes them, Rotate Left /
// Rotate Right (Ctrl+L / Ctrl+R) turn them.
#include "app/picture_list_model.h"
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

    // The selected rows, in page order.
    std::vector<int> selectedRows() const;
    // Turns the selected pages by quarter turns clockwise (negative: anticlockwise).
    void rotateSelected(int quarterTurns);
    // Removes the selected pages; nothing is selected afterwards.
    void removeSelected();
    // Moves the selected pages before the page now at `destination` (the page count: to the
    // end), keeping their order.
    void moveSelected(int destination);
    // While a job runs or pictures are being added the list must not change here.
    void setEditable(bool editable);
    bool editable() const { return editable_; }

    // What a drag of the selected pages carries; only this window takes it.
    QMimeData* dragPayload() const;
    bool isOwnPayload(const QMimeData* payload) const;

    // The row's tile. The caption: "page  file name".
    QString caption(int row) const;
    // The picture as drawn: the thumbnail turned by the row's rotation; null while it is being
    // made (it is asked for) and when the picture cannot be read.
    QImage shownPicture(int row);
    // True once the row's thumbnail is made (or found unreadable); asks for nothing.
    bool tileReady(int row) const;
    // Why the row's picture cannot be read; empty when it can or is not known yet.
    QString problem(int row);
    // The tile's tool tip: the reason when the picture cannot be read, else its path.
    QString tileToolTip(int row);

    QPushButton* cmdRotateLeft = nullptr;
    QPushButton* cmdRotateRight = nullptr;

private:
    const Thumbnail* thumbnail(int row);
    QByteArray workingPath(int row) const;

    app::PictureListModel& model_;
    ThumbnailLoader loader_;
    PagesView* view_ = nullptr;
    std::vector<QShortcut*> editKeys_;
    bool editable_ = true;
};

} // namespace pw::gui
