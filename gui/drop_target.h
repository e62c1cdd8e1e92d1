#pragma once
// An event filter that makes a widget a drop target for files: it accepts drags that carry
// URLs with the copy action and hands the drop's data to a handler. For a list (any
// QAbstractScrollArea) it must sit on the viewport, where Qt delivers the drag events;
// install() takes care of that.
//
//   DropTarget::install(ui->List2, [&](const QMimeData* d) { drops.List2_OLEDragDrop(d); },
//                       [&] { drops.List2_OLEDragOver(); });
#include <QObject>
#include <functional>

class QMimeData;
class QWidget;

namespace pw::gui {

class DropTarget : public QObject {
    Q_OBJECT
public:
    using DropHandler = std::function<void(const QMimeData*)>;
    using OverHandler = std::function<void()>;

    DropTarget(DropHandler onDrop, OverHandler onDragOver, QObject* parent = nullptr);

    // Installs a new filter on the widget (on its viewport for a scroll area), turns on
    // accepting drops there and returns the filter, owned by the widget.
    static DropTarget* install(QWidget* widget, DropHandler onDrop, OverHandler onDragOver = {});
    // The widget that receives the drag events of widget: its viewport for a scroll area.
    static QWidget* dropWidget(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DropHandler onDrop_;
    OverHandler onDragOver_;
};

} // namespace pw::gui
