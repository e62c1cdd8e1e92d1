// The Pages window over many pictures, for bench/pages/run.sh, and its screenshot.
//   pages_bench make FOLDER COUNT [DISTINCT]  writes DISTINCT (24) photos of 4000 x 3000 and
//                                             links COUNT names p00001.jpg... to them in turn
//   pages_bench run FOLDER [ROWS]             lists FOLDER's p*.jpg, opens the window and
//                                             prints the time until the first screenful of
//                                             thumbnails is shown, the same after scrolling
//                                             to the end, the cache after walking ROWS (1200)
//                                             rows a screen at a time, and the peak memory
//   pages_bench shot PNG PICTURE...           the window over the pictures, the second one
//                                             selected and the third turned right, as PNG
#include "app/picture_list_model.h"
#include "gui/pages_window.h"
#include "outside/skin/skin_loader.h"
#include "platform/paths.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

long peakMiB() {
    rusage usage{};
    return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss / 1024 : -1;
}

// A photo-like picture: soft shapes under fine noise, so it codes to a few megabytes as a
// camera's would.
QImage photo(int seed) {
    QImage image(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator random(static_cast<quint32>(seed + 1));
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 3000);
    sky.setColorAt(0, QColor::fromHsv(random.bounded(360), 120, 230));
    sky.setColorAt(1, QColor::fromHsv(random.bounded(360), 160, 90));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 40; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 140, 60 + random.bounded(190), 150));
        painter.drawEllipse(QPoint(random.bounded(4000), random.bounded(3000)),
                            150 + random.bounded(700), 150 + random.bounded(500));
    }
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = static_cast<int>(random.bounded(25)) - 12;
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + n, 0, 255), std::clamp(qGreen(p) + n, 0, 255),
                           std::clamp(qBlue(p) + n, 0, 255));
        }
    }
    return image;
}

int make(const QString& folder, int count, int distinct) {
    if (count < 1 || distinct < 1 || !QDir().mkpath(folder))
        return 1;
    for (int k = 0; k < distinct; ++k) {
        const QString source = folder + QStringLiteral("/src-%1.jpg").arg(k, 2, 10, QChar('0'));
        if (!QFile::exists(source) && !photo(k).save(source, "JPEG", 90)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(source));
            return 1;
        }
    }
    for (int i = 0; i < count; ++i) {
        const QString source =
            folder + QStringLiteral("/src-%1.jpg").arg(i % distinct, 2, 10, QChar('0'));
        const QString name = folder + QStringLiteral("/p%1.jpg").arg(i + 1, 5, 10, QChar('0'));
        if (!QFile::exists(name) && ::link(QFile::encodeName(source).constData(),
                                           QFile::encodeName(name).constData()) != 0) {
            std::perror(qPrintable(name));
            return 1;
        }
    }
    return 0;
}

std::vector<int> visibleRows(const QListView& view) {
    std::vector<int> rows;
    const QRect area = view.viewport()->rect();
    const QModelIndex first = view.indexAt(QPoint(1, 1));
    for (int row = first.isValid() ? first.row() : 0; row < view.model()->rowCount(); ++row) {
        const QRect tile = view.visualRect(view.model()->index(row, 0));
        if (tile.top() > area.bottom())
            break;
        if (tile.intersects(area))
            rows.push_back(row);
    }
    return rows;
}

// Runs the event loop until every tile in view has its thumbnail; the milliseconds it took.
qint64 waitForScreen(pw::gui::PagesWindow& window, const QElapsedTimer& clock) {
    const std::vector<int> rows = visibleRows(*window.view());
    const auto done = [&] {
        for (const int row : rows) {
            if (!window.tileReady(row))
                return false;
        }
        return true;
    };
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents(); // the repaint that shows them
    return clock.elapsed();
}

void styleAsTheProgram() {
    pw::platform::setApplicationFolder(PW_BENCH_APP_DIR);
    pw::skin::skin::Attach();
    pw::skin::skin::AdjustHSV(0, -90, 0);
}

int run(const QString& folder, int walk) {
    styleAsTheProgram();
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("p*.jpg")}, QDir::Files, QDir::Name);
    pw::app::PictureListModel model;
    for (const QString& name : names) {
        const std::string path = (folder + QLatin1Char('/') + name).toStdString();
        model.append(path, path);
    }
    QElapsedTimer clock;
    clock.start();
    pw::gui::PagesWindow window(model);
    window.resize(1280, 800);
    window.show();
    QCoreApplication::processEvents();
    const qint64 first = waitForScreen(window, clock);
    const std::size_t tiles = visibleRows(*window.view()).size();
    std::printf("pictures listed: %d\n", model.count());
    std::printf("first screenful: %zu tiles in %lld ms\n", tiles, static_cast<long long>(first));

    // A fling to the end: the tiles passed on the way are not made.
    QScrollBar* bar = window.view()->verticalScrollBar();
    for (int step = 1; step <= 50; ++step) {
        bar->setValue(bar->maximum() * step / 50);
        QCoreApplication::processEvents();
    }
    clock.restart();
    const qint64 last = waitForScreen(window, clock);
    std::printf("after scrolling to the end: %zu tiles in %lld ms\n",
                visibleRows(*window.view()).size(), static_cast<long long>(last));

    bar->setValue(0);
    clock.restart();
    while (true) {
        waitForScreen(window, clock);
        const std::vector<int> rows = visibleRows(*window.view());
        if (rows.empty() || rows.back() + 1 >= walk || bar->value() == bar->maximum())
            break;
        bar->setValue(bar->value() + window.view()->viewport()->height());
    }
    std::printf("walked %d rows a screen at a time in %lld ms: cache %.1f MiB (bound %lld MiB)\n",
                walk, static_cast<long long>(clock.elapsed()),
                static_cast<double>(window.thumbnails().cachedBytes()) / (1 << 20),
                static_cast<long long>(pw::gui::PagesWindow::kCacheBytes >> 20));
    std::printf("peak memory: %ld MiB\n", peakMiB());
    return 0;
}

int shot(const QString& target, const QStringList& pictures) {
    styleAsTheProgram();
    pw::app::PictureListModel model;
    for (const QString& picture : pictures)
        model.append(picture.toStdString(), picture.toStdString());
    pw::gui::PagesWindow window(model);
    window.show();
    QCoreApplication::processEvents();
    if (model.count() > 2) {
        model.select(2);
        window.rotateSelected(1);
    }
    model.select(std::min(1, model.count() - 1));
    QElapsedTimer clock;
    clock.start();
    waitForScreen(window, clock);
    if (!window.grab().save(target)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(target));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 4 && args[1] == QLatin1String("make"))
        return make(args[2], args[3].toInt(), args.size() > 4 ? args[4].toInt() : 24);
    if (args.size() >= 3 && args[1] == QLatin1String("run"))
        return run(args[2], args.size() > 3 ? args[3].toInt() : 1200);
    if (args.size() >= 4 && args[1] == QLatin1String("shot"))
        return shot(args[2], args.mid(3));
    std::fprintf(stderr, "usage: pages_bench make FOLDER COUNT [DISTINCT] | run FOLDER [ROWS] | "
                         "shot PNG PICTURE...\n");
    return 2;
}
