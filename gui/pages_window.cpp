#include "gui/pages_window.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QListView>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <memory>

namespace pw::gui {
namespace {

constexpr auto kPayloadFormat = "application/x-pagewright-pages";
// Around the picture inside a tile, and between tiles.
constexpr int kPadding = 8;
constexpr int kMargin = 4;

// The file name of a path held as UTF-8 bytes.
QString fileName(const QByteArray& path) {
    return QString::fromUtf8(path).section(QLatin1Char('/'), -1);
}

QString extensionText(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QStringLiteral("?") : name.mid(dot + 1).toUpper();
}

} // namespace

// Draws a tile: the picture (or its stand-in) with "page  name" under it.
class TileDelegate : public QStyledItemDelegate {
public:
    TileDelegate(PagesWindow& window, QSize tile, QObject* parent)
        : QStyledItemDelegate(parent), window_(window), tile_(tile) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return tile_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QPalette& palette = option.palette;
        const QRect inner = option.rect.adjusted(kMargin, kMargin, -kMargin, -kMargin);
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        if (selected) {
            QColor fill = palette.color(QPalette::Highlight);
            fill.setAlpha(70);
            painter->setPen(QPen(palette.color(QPalette::Highlight), 2));
            painter->setBrush(fill);
            painter->drawRoundedRect(QRectF(inner).adjusted(1, 1, -1, -1), 6, 6);
        }
        const int edge = PagesWindow::kThumbnailEdge;
        const QRect area(inner.left() + (inner.width() - edge) / 2, inner.top() + kPadding, edge,
                         edge);
        const int row = index.row();
        const QImage picture = window_.shownPicture(row);
        if (!picture.isNull()) {
            drawPicture(painter, area, picture, palette);
        } else {
            const QString name =
                fileName(index.data(app::PictureListModel::DisplayPathRole).toByteArray());
            drawStandIn(painter, area, extensionText(name), window_.tileReady(row), palette);
        }
        const QRect text(inner.left() + 2, area.bottom() + kPadding / 2, inner.width() - 4,
                         inner.bottom() - area.bottom() - kPadding / 2);
        painter->setPen(palette.color(QPalette::Text)); // the highlight under it is faint
        painter->setFont(option.font);
        painter->drawText(
            text, Qt::AlignHCenter | Qt::AlignTop,
            option.fontMetrics.elidedText(window_.caption(row), Qt::ElideMiddle, text.width()));
        painter->restore();
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem&,
                   const QModelIndex& index) override {
        if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip ||
            !index.isValid())
            return false;
        QToolTip::showText(event->globalPos(), window_.tileToolTip(index.row()), view);
        return true;
    }

private:
    static void drawPicture(QPainter* painter, const QRect& area, const QImage& picture,
                            const QPalette& palette) {
        QSizeF size = QSizeF(picture.size()) / picture.devicePixelRatio();
        if (size.width() > area.width() || size.height() > area.height())
            size.scale(area.size(), Qt::KeepAspectRatio);
        const QRectF target(area.left() + (area.width() - size.width()) / 2.0,
                            area.top() + (area.height() - size.height()) / 2.0, size.width(),
                            size.height());
        painter->fillRect(target, Qt::white); // transparent parts show the page
        painter->drawImage(target, picture);
        painter->setPen(QPen(palette.color(QPalette::Mid), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(target.adjusted(-0.5, -0.5, 0.5, 0.5));
    }

    // While the thumbnail is made: a plain page with the extension. When the picture cannot be
    // read: a marked tile that says so.
    static void drawStandIn(QPainter* painter, const QRect& area, const QString& extension,
                            bool unreadable, const QPalette& palette) {
        const QRectF page = QRectF(area).adjusted(area.width() * 0.15, 1, -area.width() * 0.15, -1);
        painter->setBrush(palette.color(QPalette::Base));
        QColor line = unreadable ? QColor(0xc0, 0x39, 0x2b) : palette.color(QPalette::Mid);
        painter->setPen(QPen(line, unreadable ? 2 : 1, unreadable ? Qt::SolidLine : Qt::DashLine));
        painter->drawRoundedRect(page, 4, 4);
        QFont font = painter->font();
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() > 0 ? font.pointSizeF() * 1.6 : 14);
        painter->setFont(font);
        painter->setPen(unreadable ? line : palette.color(QPalette::PlaceholderText));
        if (!unreadable) {
            painter->drawText(page, Qt::AlignCenter, extension);
            return;
        }
        const QRectF upper(page.left(), page.top(), page.width(), page.height() / 2);
        const QRectF lower(page.left(), page.center().y(), page.width(), page.height() / 2);
        painter->drawText(upper, Qt::AlignHCenter | Qt::AlignBottom, extension);
        font.setPointSizeF(font.pointSizeF() / 1.6);
        painter->setFont(font);
        painter->drawText(lower.adjusted(0, 6, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                          QStringLiteral("cannot read"));
    }

    PagesWindow& window_;
    QSize tile_;
};

// The icon view: tiles in rows, a drag of the selected tiles moves them in the list.
class PagesView : public QListView {
public:
    PagesView(PagesWindow& window, QWidget* parent) : QListView(parent), window_(window) {}

protected:
    void startDrag(Qt::DropActions) override {
        if (!window_.editable() || window_.selectedRows().empty())
            return;
        auto* drag = new QDrag(this);
        drag->setMimeData(window_.dragPayload());
        const QImage picture = window_.shownPicture(currentIndex().row());
        if (!picture.isNull())
            drag->setPixmap(QPixmap::fromImage(
                picture.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        drag->exec(Qt::MoveAction, Qt::MoveAction);
    }

    void dragEnterEvent(QDragEnterEvent* event) override {
        if (!accepts(event))
            return;
        setState(DraggingState);
        showDropAt(event->position().toPoint());
        event->acceptProposedAction();
    }

    void dragMoveEvent(QDragMoveEvent* event) override {
        if (!accepts(event))
            return;
        // The base class scrolls near the edges; it would not take this payload itself.
        QAbstractItemView::dragMoveEvent(event);
        showDropAt(event->position().toPoint());
        event->setDropAction(Qt::MoveAction);
        event->accept();
    }

    void dragLeaveEvent(QDragLeaveEvent* event) override {
        endDrag();
        event->accept();
    }

    void dropEvent(QDropEvent* event) override {
        const int destination = dropRow(event->position().toPoint());
        endDrag();
        if (!accepts(event))
            return;
        window_.moveSelected(destination);
        event->setDropAction(Qt::MoveAction);
        event->accept();
    }

    void paintEvent(QPaintEvent* event) override {
        QListView::paintEvent(event);
        const int count = model() != nullptr ? model()->rowCount() : 0;
        if (dropRow_ < 0 || count == 0)
            return;
        const bool atEnd = dropRow_ >= count;
        const QRect tile = visualRect(model()->index(atEnd ? count - 1 : dropRow_, 0));
        const int x = atEnd ? tile.right() : tile.left();
        QPainter painter(viewport());
        painter.fillRect(QRect(x - 2, tile.top() + kMargin, 4, tile.height() - 2 * kMargin),
                         palette().color(QPalette::Highlight));
    }

    void scrollContentsBy(int dx, int dy) override {
        // What was asked for and not started belongs to tiles now out of view.
        window_.thumbnails().dropWaiting();
        QListView::scrollContentsBy(dx, dy);
    }

private:
    bool accepts(QDropEvent* event) const {
        if (window_.editable() && window_.isOwnPayload(event->mimeData()))
            return true;
        event->ignore();
        return false;
    }

    void showDropAt(QPoint pos) {
        dropRow_ = dropRow(pos);
        viewport()->update();
    }

    void endDrag() {
        stopAutoScroll();
        setState(NoState);
        dropRow_ = -1;
        viewport()->update();
    }

    // The row a drop at `pos` goes before: the tile under it when in its left half, else the
    // next; beside the tiles of a line, after the last one left of it.
    int dropRow(QPoint pos) const {
        const int count = model() != nullptr ? model()->rowCount() : 0;
        if (const QModelIndex at = indexAt(pos); at.isValid())
            return pos.x() < visualRect(at).center().x() ? at.row() : at.row() + 1;
        const int step = std::max(gridSize().width(), 1);
        for (int x = pos.x() - step; x >= 0; x -= step) {
            if (const QModelIndex left = indexAt(QPoint(x, pos.y())); left.isValid())
                return left.row() + 1;
        }
        for (int x = pos.x() + step; x < viewport()->width(); x += step) {
            if (const QModelIndex right = indexAt(QPoint(x, pos.y())); right.isValid())
                return right.row();
        }
        return count;
    }

    PagesWindow& window_;
    int dropRow_ = -1;
};

PagesWindow::PagesWindow(app::PictureListModel& model, QWidget* parent)
    : QDialog(parent), model_(model), tiles_(new PageTiles(model, this)),
      loader_(static_cast<int>(std::lround(kThumbnailEdge * qApp->devicePixelRatio())),
              kCacheBytes) {
    setObjectName(QStringLiteral("frmPages"));
    setWindowTitle(QStringLiteral("Pages"));
    setModal(false);
    setSizeGripEnabled(true);

    view_ = new PagesView(*this, this);
    view_->setObjectName(QStringLiteral("lstPages"));
    const int captionHeight = fontMetrics().height();
    const QSize tile(kThumbnailEdge + 2 * (kPadding + kMargin),
                     kThumbnailEdge + 2 * kPadding + captionHeight + 2 * kMargin + kPadding / 2);
    view_->setViewMode(QListView::IconMode);
    view_->setMovement(QListView::Static); // the tiles keep page order; drops move rows
    view_->setFlow(QListView::LeftToRight);
    view_->setWrapping(true);
    view_->setResizeMode(QListView::Adjust);
    view_->setUniformItemSizes(true);
    view_->setGridSize(tile);
    view_->setSpacing(0);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setDragEnabled(true);
    view_->setAcceptDrops(true);
    view_->viewport()->setAcceptDrops(true);
    view_->setDropIndicatorShown(false); // drawn by the view itself
    view_->setAutoScroll(true);
    view_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view_->verticalScrollBar()->setSingleStep(tile.height() / 4);
    view_->setItemDelegate(new TileDelegate(*this, tile, view_));
    view_->setModel(tiles_);
    QItemSelectionModel* own = view_->selectionModel();
    view_->setSelectionModel(tiles_->selectionModel());
    if (own != nullptr && own != tiles_->selectionModel())
        own->deleteLater();
    // The tiles are laid out anew on every change of the list; the view stays where it was.
    connect(tiles_, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { scrolledTo_ = view_->verticalScrollBar()->value(); });
    connect(tiles_, &QAbstractItemModel::modelReset, this, [this] {
        view_->doItemsLayout();
        view_->verticalScrollBar()->setValue(scrolledTo_);
    });

    cmdRotateLeft = new QPushButton(QStringLiteral("Rotate Left"), this);
    cmdRotateLeft->setObjectName(QStringLiteral("cmdRotateLeft"));
    cmdRotateLeft->setToolTip(QStringLiteral("Turn the selected pages left (Ctrl+L)"));
    cmdRotateRight = new QPushButton(QStringLiteral("Rotate Right"), this);
    cmdRotateRight->setObjectName(QStringLiteral("cmdRotateRight"));
    cmdRotateRight->setToolTip(QStringLiteral("Turn the selected pages right (Ctrl+R)"));
    for (QPushButton* button : {cmdRotateLeft, cmdRotateRight}) {
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus); // the keys keep working on the tiles
    }
    connect(cmdRotateLeft, &QPushButton::clicked, this, [this] { rotateSelected(-1); });
    connect(cmdRotateRight, &QPushButton::clicked, this, [this] { rotateSelected(1); });

    const auto key = [this](const QKeySequence& sequence, auto action) {
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
        return shortcut;
    };
    editKeys_ = {key(QKeySequence(Qt::CTRL | Qt::Key_L), [this] { rotateSelected(-1); }),
                 key(QKeySequence(Qt::CTRL | Qt::Key_R), [this] { rotateSelected(1); }),
                 key(QKeySequence(Qt::Key_Delete), [this] { removeSelected(); })};
    key(QKeySequence::SelectAll, [this] { view_->selectAll(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRotateLeft);
    buttons->addWidget(cmdRotateRight);
    buttons->addStretch(1);
    auto* root = new QVBoxLayout(this);
    root->addWidget(view_, 1);
    root->addLayout(buttons);

    // A thumbnail made repaints the tiles; what is out of view costs nothing.
    connect(&loader_, &ThumbnailLoader::ready, view_->viewport(),
            [this] { view_->viewport()->update(); });
    resize(tile.width() * 5 + 60, tile.height() * 3 + 80);
}

PagesWindow::~PagesWindow() = default;

QListView* PagesWindow::view() const {
    return view_;
}

std::vector<int> PagesWindow::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : model_.selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<int> PagesWindow::cutOutSelected(int destination, int& destinationRow) {
    const std::vector<int> chosen = tiles_->selectedTiles();
    const int rows = model_.count();
    // Per row: which of its tiles are selected, and where its pieces start.
    std::vector<std::vector<char>> picked(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row)
        picked[static_cast<std::size_t>(row)].assign(
            static_cast<std::size_t>(tiles_->firstTile(row + 1) - tiles_->firstTile(row)), 0);
    for (const int tile : chosen) {
        const PageTile& at = tiles_->at(tile);
        picked[static_cast<std::size_t>(at.row)][static_cast<std::size_t>(at.position)] = 1;
    }
    const bool toEnd = destination >= tiles_->count();
    const PageTile before = toEnd ? PageTile{rows, 0, 0} : tiles_->at(destination);
    std::vector<std::vector<int>> starts(static_cast<std::size_t>(rows), std::vector<int>{0});
    for (int row = 0; row < rows; ++row) {
        const std::vector<char>& marks = picked[static_cast<std::size_t>(row)];
        for (std::size_t p = 1; p < marks.size(); ++p)
            if (marks[p] != marks[p - 1] ||
                (row == before.row && static_cast<int>(p) == before.position))
                starts[static_cast<std::size_t>(row)].push_back(static_cast<int>(p));
    }
    // From the last row, so the rows still to cut keep their numbers.
    for (int row = rows - 1; row >= 0; --row) {
        const std::vector<int>& at = starts[static_cast<std::size_t>(row)];
        if (at.size() > 1)
            model_.splitPages(row, tiles_->pageCount(model_.workingPath(row)),
                              std::vector<int>(at.begin() + 1, at.end()));
    }
    std::vector<int> cut;
    destinationRow = model_.count();
    int now = 0;
    for (int row = 0; row < rows; ++row) {
        const std::vector<char>& marks = picked[static_cast<std::size_t>(row)];
        for (const int start : starts[static_cast<std::size_t>(row)]) {
            if (static_cast<std::size_t>(start) < marks.size() &&
                marks[static_cast<std::size_t>(start)])
                cut.push_back(now);
            if (row == before.row && start == before.position)
                destinationRow = now;
            ++now;
        }
    }
    return cut;
}

void PagesWindow::selectListRows(const std::vector<int>& rows) {
    QItemSelection selection;
    for (const int row : rows)
        selection.select(model_.index(row), model_.index(row));
    QItemSelectionModel& selected = *model_.selectionModel();
    if (!rows.empty())
        selected.setCurrentIndex(model_.index(rows.front()), QItemSelectionModel::NoUpdate);
    selected.select(selection, QItemSelectionModel::ClearAndSelect);
}

void PagesWindow::rotateSelected(int quarterTurns) {
    if (!editable_ || tiles_->selectedTiles().empty())
        return;
    const app::PictureListModel::Edit edit(model_); // the pages turned together undo together
    int unused = 0;
    const std::vector<int> rows = cutOutSelected(tiles_->count(), unused);
    for (const int row : rows)
        model_.rotate(row, quarterTurns);
    selectListRows(rows);
}

void PagesWindow::removeSelected() {
    if (!editable_ || tiles_->selectedTiles().empty())
        return;
    const app::PictureListModel::Edit edit(model_);
    int unused = 0;
    const std::vector<int> rows = cutOutSelected(tiles_->count(), unused);
    // With the selection gone first, the front window shows "nothing selected" and no row
    // passes through the selection while the rows go.
    model_.selectionModel()->clear();
    model_.removeRowsAt(rows);
}

void PagesWindow::moveSelected(int destination) {
    const std::vector<int> chosen = tiles_->selectedTiles();
    if (!editable_ || chosen.empty())
        return;
    // Pages side by side dropped among themselves stay, and their PDF stays whole.
    const int first = chosen.front();
    const int last = chosen.back();
    if (last - first + 1 == static_cast<int>(chosen.size()) && destination >= first &&
        destination <= last + 1)
        return;
    const app::PictureListModel::Edit edit(model_);
    int before = 0;
    const std::vector<int> rows =
        cutOutSelected(std::clamp(destination, 0, tiles_->count()), before);
    selectListRows(rows); // the moves carry the selection along
    model_.moveTo(rows, before);
}

void PagesWindow::setEditable(bool editable) {
    editable_ = editable;
    cmdRotateLeft->setEnabled(editable);
    cmdRotateRight->setEnabled(editable);
    for (QShortcut* shortcut : editKeys_)
        shortcut->setEnabled(editable);
    view_->setDragEnabled(editable);
}

QMimeData* PagesWindow::dragPayload() const {
    auto* payload = new QMimeData;
    payload->setData(QString::fromLatin1(kPayloadFormat),
                     QByteArray::number(QCoreApplication::applicationPid()) + ':' +
                         QByteArray::number(reinterpret_cast<quintptr>(this)));
    return payload;
}

bool PagesWindow::isOwnPayload(const QMimeData* payload) const {
    if (payload == nullptr)
        return false;
    const std::unique_ptr<QMimeData> own(dragPayload());
    const QString format = QString::fromLatin1(kPayloadFormat);
    return payload->hasFormat(format) && payload->data(format) == own->data(format);
}

std::vector<int> PagesWindow::selectedTiles() const {
    return tiles_->selectedTiles();
}

QByteArray PagesWindow::workingPath(int row) const {
    return model_.index(row).data(app::PictureListModel::WorkingPathRole).toByteArray();
}

QByteArray PagesWindow::thumbnailKey(int tile) const {
    const PageTile& at = tiles_->at(tile);
    return at.page > 0 ? pdfPageKey(workingPath(at.row), at.page) : workingPath(at.row);
}

QString PagesWindow::caption(int tile) const {
    const PageTile& at = tiles_->at(tile);
    const QByteArray display =
        model_.index(at.row).data(app::PictureListModel::DisplayPathRole).toByteArray();
    QString name = fileName(display);
    if (at.page > 0 && tiles_->pagesOf(at.row).size() > 0)
        name += QStringLiteral(" (%1)").arg(app::pagesText({at.page}));
    return QStringLiteral("%1  %2").arg(tile + 1).arg(name);
}

const Thumbnail* PagesWindow::thumbnail(int tile) {
    if (tile < 0 || tile >= tiles_->count())
        return nullptr;
    return loader_.find(thumbnailKey(tile));
}

QImage PagesWindow::shownPicture(int tile) {
    const Thumbnail* made = thumbnail(tile);
    if (made == nullptr || made->image.isNull())
        return {};
    const int turns =
        model_.index(tiles_->at(tile).row).data(app::PictureListModel::RotationRole).toInt();
    QImage shown = turnedClockwise(made->image, turns);
    shown.setDevicePixelRatio(qApp->devicePixelRatio());
    return shown;
}

bool PagesWindow::tileReady(int tile) const {
    return tile >= 0 && tile < tiles_->count() && loader_.has(thumbnailKey(tile));
}

QString PagesWindow::problem(int tile) {
    const Thumbnail* made = thumbnail(tile);
    return made != nullptr && made->image.isNull() ? made->problem : QString();
}

QString PagesWindow::tileToolTip(int tile) {
    const QString why = problem(tile);
    if (!why.isEmpty())
        return why;
    return QString::fromUtf8(model_.index(tiles_->at(tile).row)
                                 .data(app::PictureListModel::DisplayPathRole)
                                 .toByteArray());
}

} // namespace pw::gui
