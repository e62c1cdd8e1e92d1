#pragma once
// A list box that is a view of the picture list: one line per row showing one of the row's
// paths (the working or the display path), the model's selection shared by every view of it.
// What the front window's lists did as list widgets they do here through the model: rows come
// and go with it, and the current row is the model's.
#include "app/picture_list_model.h"
#include "gui/pdf_page_counter.h"

#include <QListView>
#include <QString>

namespace pw::gui {

class PictureListView : public QListView {
    Q_OBJECT
public:
    explicit PictureListView(QWidget* parent = nullptr);

    // Shows `path` of every row of `model`, with the model's selection model.
    void showPaths(app::PictureListModel* model, app::PictureListModel::Role path);

    int count() const;
    // The shown path of row; "" outside the list.
    QString text(int row) const;
    // The line the row shows: its path, and for a PDF its page count ("letter.pdf (3 pages)";
    // once counted, the list is drawn again) or, for a part of one, its pages
    // ("letter.pdf (pages 1-2)", "letter.pdf (page 3)").
    QString shownText(int row) const;
    // Page counts asked for by shownText() and not delivered yet.
    bool pageCountsPending() const { return pdfPages_.pending(); }
    int currentRow() const;
    // The row made current and selected; -1 leaves no row current.
    void setCurrentRow(int row);
    // The current row while it is highlighted, else -1 (a Ctrl+click takes the highlight
    // away and leaves the current row).
    int highlightedRow() const;
    // Emits currentRowChanged for the row current now, whether or not it changed.
    void announceCurrentRow();

signals:
    // Also after rows moved: the current row may stand at another place.
    void currentRowChanged(int row);
    // The highlight changed (also without the current row changing).
    void highlightChanged();
    void rowsAdded();
    // Rows were added or removed.
    void countChanged();

private:
    app::PictureListModel* pictures_ = nullptr;
    app::PictureListModel::Role path_ = app::PictureListModel::DisplayPathRole;
    // Page counts of the PDFs shown, by working path.
    mutable PdfPageCounter pdfPages_;
    friend class PathDelegate;
};

} // namespace pw::gui
