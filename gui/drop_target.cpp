#include "gui/drop_target.h"

#include <QAbstractScrollArea>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <utility>

namespace pw::gui {
namespace {

// Takes the drag with the copy action when it carries URLs and allows copying.
bool acceptCopy(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data == nullptr || !data->hasUrls() || !event->possibleActions().testFlag(Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

} // namespace

DropTarget::DropTarget(DropHandler onDrop, OverHandler onDragOver, QObject* parent)
    : QObject(parent), onDrop_(std::move(onDrop)), onDragOver_(std::move(onDragOver)) {}

QWidget* DropTarget::dropWidget(QWidget* widget) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
        return area->viewport();
    return widget;
}

DropTarget* DropTarget::install(QWidget* widget, DropHandler onDrop, OverHandler onDragOver) {
    QWidget* target = dropWidget(widget);
    widget->setAcceptDrops(true);
    target->setAcceptDrops(true);
    auto* filter = new DropTarget(std::move(onDrop), std::move(onDragOver), target);
    target->installEventFilter(filter);
    return filter;
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (acceptCopy(static_cast<QDropEvent*>(event)) && onDragOver_)
            onDragOver_();
        return true;
    case QEvent::DragLeave:
        return true;
    case QEvent::Drop:
        if (acceptCopy(static_cast<QDropEvent*>(event)) && onDrop_)
            onDrop_(static_cast<QDropEvent*>(event)->mimeData());
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace pw::gui
