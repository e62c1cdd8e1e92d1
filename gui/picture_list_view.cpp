#include "gui/picture_list_view.h"

#include <QStyledItemDelegate>

namespace pw::gui {

// Draws the row's path of the view's choice instead of the model's display text.
class PathDelegate : public QStyledItemDelegate {
public:
    explicit PathDelegate(PictureListView& view) : QStyledItemDelegate(&view), view_(view) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = view_.shownText(index.row());
    }

private:
    PictureListView& view_;
};

PictureListView::PictureListView(QWidget* parent) : QListView(parent) {
    // Every row is one line of text in the list's font: adding a row then costs no relayout
    // of the whole list.
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new PathDelegate(*this));
    connect(&pdfPages_, &PdfPageCounter::counted, viewport(), qOverload<>(&QWidget::update));
}

void PictureListView::showPaths(app::PictureListModel* model, app::PictureListModel::Role path) {
    pictures_ = model;
    path_ = path;
    setModel(model);
    QItemSelectionModel* own = selectionModel();
    setSelectionModel(model->selectionModel());
    if (own != nullptr && own != model->selectionModel())
        own->deleteLater();
    connect(model->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { emit currentRowChanged(current.row()); });
    connect(model->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit highlightChanged(); });
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] {
        emit rowsAdded();
        emit countChanged();
    });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { emit countChanged(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { emit countChanged(); });
    // A move can carry the current row to another place without changing it.
    connect(model, &QAbstractItemModel::rowsMoved, this, [this] { announceCurrentRow(); });
}

int PictureListView::count() const {
    return pictures_ != nullptr ? pictures_->count() : 0;
}

QString PictureListView::text(int row) const {
    if (pictures_ == nullptr || row < 0 || row >= pictures_->count())
        return QString();
    return QString::fromUtf8(pictures_->index(row).data(path_).toByteArray());
}

QString PictureListView::shownText(int row) const {
    const QString shown = text(row);
    if (shown.isEmpty())
        return shown;
    const std::vector<int>& part = pictures_->entries()[static_cast<std::size_t>(row)].pages;
    if (!part.empty()) // a part of a PDF
        return shown + QStringLiteral(" (") + app::pagesText(part) + QLatin1Char(')');
    const std::string working = pictures_->index(row)
                                    .data(app::PictureListModel::WorkingPathRole)
                                    .toByteArray()
                                    .toStdString();
    const std::optional<std::size_t> pages = pdfPages_.find(working);
    if (!pages || *pages == 0)
        return shown;
    return *pages == 1 ? shown + QStringLiteral(" (1 page)")
                       : shown + QStringLiteral(" (%1 pages)").arg(*pages);
}

int PictureListView::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void PictureListView::setCurrentRow(int row) {
    if (pictures_ != nullptr)
        pictures_->select(row);
}

int PictureListView::highlightedRow() const {
    return pictures_ != nullptr ? pictures_->selected() : -1;
}

void PictureListView::announceCurrentRow() {
    emit currentRowChanged(currentRow());
}

} // namespace pw::gui
