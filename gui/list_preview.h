#pragma once
// The list's tool tip as a preview: resting the pointer on a row shows the picture small,
// turned as it will be in the PDF, over its path; one that cannot be read says why.
// Thumbnails are made off the window's thread; the tip shows the picture once it is made.
#include "gui/thumbnail_loader.h"

#include <QObject>
#include <QPoint>

class QWidget;

namespace pw::gui {

class PictureListView;

class ListPreview : public QObject {
    Q_OBJECT
public:
    static constexpr int kEdge = 160;
    static constexpr qsizetype kCacheBytes = qsizetype{8} << 20;

    explicit ListPreview(PictureListView& list);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the tip of `row` at `globalPos`: the picture when made, else the path alone (and
    // the picture is asked for).
    void showTip(int row, const QPoint& globalPos);

    PictureListView& list_;
    QWidget* viewport_;
    ThumbnailLoader loader_;
    int tipRow_ = -1; // the row whose tip is up, waiting for its picture
    QPoint tipAt_;
};

} // namespace pw::gui
