#include "form/image_area.h"

#include <QMouseEvent>

namespace pw::form {

ImageArea::ImageArea(const QString& name, int index, QWidget* parent)
    : QLabel(parent), index_(index) {
    setObjectName(name);
    setProperty("Index", index);
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
    setScaledContents(true);
}

void ImageArea::showPicture(const QPixmap& picture) {
    if (picture.isNull()) {
        clear();
        return;
    }
    setPixmap(picture);
}

void ImageArea::clearPicture() {
    if (!pixmap().isNull())
        clear();
}

bool ImageArea::lit() const {
    return !pixmap().isNull();
}

void ImageArea::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        leftDown_ = true;
    emit pressed(index_, event->button());
}

void ImageArea::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !leftDown_)
        return;
    leftDown_ = false;
    if (rect().contains(event->position().toPoint()))
        emit clicked(index_);
}

void ImageArea::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit moved(index_);
}

} // namespace pw::form
