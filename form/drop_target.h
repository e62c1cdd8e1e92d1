#pragma once
// Makes a widget a drop target for local files: accepts drags that carry URLs with the copy
// action and hands each drop's data to a handler. Install it on the widget that receives the
// drag events (a list's viewport, a panel).
#include <QObject>
#include <functional>

class QMimeData;
class QWidget;

namespace pw::form {

class DropTarget : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QMimeData*)>;

    // onDragOver may be empty; onDrop runs for every drop.
    DropTarget(QWidget* target, Handler onDrop, std::function<void()> onDragOver = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler onDrop_;
    std::function<void()> onDragOver_;
};

} // namespace pw::form
