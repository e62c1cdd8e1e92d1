#include "gui/list_preview.h"

#include "app/picture_list_model.h"
#include "gui/picture_list_view.h"
#include "pictures/picture_kinds.h"
#include "platform/narrow.h"

#include <QBuffer>
#include <QHelpEvent>
#include <QToolTip>

namespace pw::gui {

ListPreview::ListPreview(PictureListView& list)
    : QObject(&list), list_(list), viewport_(list.viewport()), loader_(kEdge, kCacheBytes) {
    viewport_->installEventFilter(this);
    connect(&loader_, &ThumbnailLoader::ready, this, [this] {
        // The pointer still rests where the tip went up: show it again, now with the picture.
        if (tipRow_ >= 0 && QToolTip::isVisible())
            showTip(tipRow_, tipAt_);
    });
}

bool ListPreview::eventFilter(QObject* watched, QEvent* event) {
    // The list is not asked anything here but for a tip: its viewport's last events come while
    // the list is being destroyed.
    if (event->type() != QEvent::ToolTip || watched != viewport_)
        return QObject::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = list_.indexAt(help->pos());
    if (!index.isValid()) {
        tipRow_ = -1;
        QToolTip::hideText();
        return true;
    }
    showTip(index.row(), help->globalPos());
    return true;
}

void ListPreview::showTip(int row, const QPoint& globalPos) {
    const QModelIndex index = list_.model()->index(row, 0);
    const QByteArray working = index.data(app::PictureListModel::WorkingPathRole).toByteArray();
    // A PDF shows its first page.
    const QList<int> pages = index.data(app::PictureListModel::PagesRole).value<QList<int>>();
    const bool pdf =
        !pages.isEmpty() || pictures::isPdfFile(platform::toNarrow(working.toStdString()));
    const QByteArray key = pdf ? pdfPageKey(working, pages.isEmpty() ? 1 : pages.front()) : working;
    QString html = list_.text(row).toHtmlEscaped();
    tipRow_ = -1;
    if (const Thumbnail* thumbnail = loader_.find(key)) {
        if (thumbnail->image.isNull()) {
            html += QStringLiteral("<br><i>%1</i>").arg(thumbnail->problem.toHtmlEscaped());
        } else {
            const int turns = index.data(app::PictureListModel::RotationRole).toInt();
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            turnedClockwise(thumbnail->image, turns).save(&buffer, "PNG");
            html = QStringLiteral("<img src=\"data:image/png;base64,%1\"><br>")
                       .arg(QString::fromLatin1(png.toBase64())) +
                   html;
        }
    } else {
        tipRow_ = row;
        tipAt_ = globalPos;
    }
    QToolTip::showText(globalPos, html, list_.viewport(), list_.visualRect(index));
}

} // namespace pw::gui
