#pragma once
// Thumbnails of the listed pictures, made on worker threads and kept in a bounded cache.
// A JPEG the builder embeds as it is gets libjpeg's scaled decode (through Qt's reader);
// everything else goes through the staging decoders, so a picture shows as it will in the
// PDF, and one that cannot be read gets the reason a conversion would give. The pages of a
// PDF of the list are drawn small by Poppler, each by itself (pdfPageKey()).
#include "pictures/stop_flag.h"

#include <QByteArray>
#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <deque>
#include <mutex>
#include <string>

namespace pw::gui {

struct Thumbnail {
    QImage image;    // turned as the picture's own turn (EXIF, TIFF, HEIF) says
    QString problem; // when image is null: why the picture cannot be read
};

// The thumbnail of the picture at `workingPath`, its longer side at most `edge` pixels (a
// smaller picture keeps its size). Safe on any thread. Once `stop` is set, a large picture is
// given up within a few rows (and gets no thumbnail).
Thumbnail makeThumbnail(const std::string& workingPath, int edge, pictures::StopFlag stop = {});

// The thumbnail of page `page` (from 1) of the PDF at `workingPath`, as its own /Rotate shows
// it, its longer side `edge` pixels. Safe on any thread; once `stop` is set the drawing is
// given up (and there is no thumbnail).
Thumbnail makePdfPageThumbnail(const std::string& workingPath, int page, int edge,
                               pictures::StopFlag stop = {});

// What the loader is asked for to get page `page` (from 1) of a PDF; a picture is asked for
// by its working path alone.
QByteArray pdfPageKey(const QByteArray& workingPath, int page);

// The image turned `quarterTurns` quarter turns clockwise (negative: anticlockwise).
QImage turnedClockwise(const QImage& image, int quarterTurns);

class ThumbnailLoader : public QObject {
    Q_OBJECT
public:
    // `cacheBytes` bounds the pixels kept; the least recently used thumbnails go first.
    ThumbnailLoader(int edge, qsizetype cacheBytes, QObject* parent = nullptr);
    ~ThumbnailLoader() override;

    int edge() const { return edge_; }
    qsizetype cachedBytes() const { return cache_.totalCost(); }
    // The thumbnail of a working path or pdfPageKey() when made; otherwise null, and it is
    // asked for (once) behind the ones asked for before.
    const Thumbnail* find(const QByteArray& workingPath);
    // Whether it is made, without asking for it.
    bool has(const QByteArray& workingPath) const { return cache_.contains(workingPath); }
    // Forgets what was asked for and not started yet: after a scroll, the tiles now in view
    // ask again and come first.
    void dropWaiting();
    // Thumbnails asked for and not delivered yet.
    int outstanding() const { return static_cast<int>(asked_.size()); }

signals:
    void ready(const QByteArray& workingPath);

private:
    void work();
    void deliver(const QByteArray& workingPath, Thumbnail made);

    const int edge_;
    QCache<QByteArray, Thumbnail> cache_;
    QSet<QByteArray> asked_; // waiting or being made; the loader's thread only
    std::mutex mutex_;       // guards what follows
    std::deque<QByteArray> waiting_;
    int workers_ = 0;
    bool stopping_ = false;
    std::atomic<bool> closing_{false}; // the pictures being decoded are given up
    QThreadPool pool_;                 // last: its threads end before the rest goes
};

} // namespace pw::gui
