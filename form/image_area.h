#pragma once
// A transparent area over the front window's artwork that acts as a picture button: it shows
// nothing at rest, a hover or pressed picture when told, and reports presses and moves. One
// that takes the keyboard focus (Tab) shows a focus mark around the button drawn under it,
// and Space or Enter press it as a click does.
#include <QLabel>

namespace pw::form {

class ImageArea : public QLabel {
    Q_OBJECT
public:
    ImageArea(const QString& name, int index, QWidget* parent);

    int index() const { return index_; }
    // Shows a picture scaled to the area; an empty pixmap empties it.
    void showPicture(const QPixmap& picture);
    void clearPicture();
    bool lit() const;
    // Lets Tab reach the area; its focus mark follows the drawn button's rounded corners.
    void takeTabFocus(qreal cornerRadius);

signals:
    void pressed(int index, Qt::MouseButton button);
    void moved(int index);
    // A left press and release over the area.
    void clicked(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int index_;
    bool leftDown_ = false;
    qreal cornerRadius_ = 0;
};

} // namespace pw::form
