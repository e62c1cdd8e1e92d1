#include "form/image_area.h"

#include "resources/theme.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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

void ImageArea::takeTabFocus(qreal cornerRadius) {
    setFocusPolicy(Qt::TabFocus);
    cornerRadius_ = cornerRadius;
}

void ImageArea::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (event->modifiers() != Qt::NoModifier && event->modifiers() != Qt::KeypadModifier) {
        QLabel::keyPressEvent(event);
        return;
    }
    if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    emit pressed(index_, Qt::LeftButton);
    emit clicked(index_);
}

void ImageArea::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The artwork's accent, as the skin draws focused fields, traced around the button.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor::fromRgb(theme::kAccent), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), cornerRadius_,
                            cornerRadius_);
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
