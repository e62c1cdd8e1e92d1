#include "form/drop_target.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

namespace pw::form {

DropTarget::DropTarget(QWidget* target, Handler onDrop, std::function<void()> onDragOver)
    : QObject(target), onDrop_(std::move(onDrop)), onDragOver_(std::move(onDragOver)) {
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (onDragOver_)
            onDragOver_();
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (onDrop_)
            onDrop_(drop->mimeData());
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace pw::form
