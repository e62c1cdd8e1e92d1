#include "gui/thumbnail_loader.h"

#include "formats/exif.h"
#include "formats/jpeg_info.h"
#include "pictures/bitmap.h"
#include "pictures/format_table.h"
#include "pictures/refusal_reasons.h"
#include "platform/files.h"
#include "platform/narrow.h"
#include "platform/path_parts.h"
#include "staging/picture_staging.h"

#include <FreeImage.h>
#include <QFile>
#include <QImageReader>
#include <QThread>
#include <QTransform>
#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <poppler-qt6.h>
#include <utility>

namespace pw::gui {
namespace {

static_assert(FI_RGBA_BLUE == 0 && FI_RGBA_GREEN == 1 && FI_RGBA_RED == 2 && FI_RGBA_ALPHA == 3,
              "FreeImage's 32-bit pixels are laid out as QImage::Format_ARGB32's");

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// As EXIF `orientation` (1..8; anything else: as stored) shows the stored picture.
QImage shownAs(const QImage& stored, int orientation) {
    switch (orientation) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return turnedClockwise(stored, 2);
    case 4:
        return stored.mirrored(false, true);
    case 5:
        return turnedClockwise(stored.mirrored(true, false), 3);
    case 6:
        return turnedClockwise(stored, 1);
    case 7:
        return turnedClockwise(stored.mirrored(true, false), 1);
    case 8:
        return turnedClockwise(stored, 3);
    default:
        return stored;
    }
}

// libjpeg decodes at 1/2, 1/4 or 1/8 of the size straight from the DCT coefficients when Qt's
// reader is asked for a smaller picture; Qt scales the rest of the way smoothly.
QImage scaledJpeg(const std::string& narrowPath, int edge) {
    QFile file(QFile::decodeName(QByteArray::fromStdString(narrowPath)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&file, "jpeg");
    reader.setAutoTransform(false); // the turn the builder reads applies, below
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > edge || size.height() > edge))
        reader.setScaledSize(size.scaled(edge, edge, Qt::KeepAspectRatio).expandedTo({1, 1}));
    return reader.read();
}

// The decoded picture made small, as 32-bit pixels with their transparency.
QImage smallImage(FIBITMAP* bitmap, int edge) {
    const pictures::Bitmap small(FreeImage_MakeThumbnail(bitmap, edge, TRUE));
    if (!small)
        return {};
    const pictures::Bitmap converted(FreeImage_ConvertTo32Bits(small.get()));
    FIBITMAP* pixels = converted.get();
    if (pixels == nullptr)
        return {};
    const int width = static_cast<int>(FreeImage_GetWidth(pixels));
    const int height = static_cast<int>(FreeImage_GetHeight(pixels));
    QImage image(width, height, QImage::Format_ARGB32);
    // FreeImage keeps the bottom row first.
    for (int y = 0; y < height && !image.isNull(); ++y)
        std::memcpy(image.scanLine(y), FreeImage_GetScanLine(pixels, height - 1 - y),
                    static_cast<std::size_t>(width) * 4);
    return image;
}

// The EXIF turn of a JPEG the staging decoders read: its pixels come as stored, and the
// builder turns the staged copy, which keeps the EXIF block.
int jpegOrientation(const std::string& narrowPath) {
    const std::optional<formats::JpegMarkers> markers = formats::readJpegMarkers(narrowPath);
    if (!markers || markers->exif.empty())
        return 0;
    const auto* data = reinterpret_cast<const std::uint8_t*>(markers->exif.data());
    return formats::parseExif(data, markers->exif.size()).orientation;
}

// Poppler asks this while it draws: whether to give up.
bool stopAsked(const QVariant& flag) {
    return reinterpret_cast<const pictures::StopFlag*>(flag.value<quintptr>())->set();
}

// The last PDF a worker drew pages of, kept open for its next page: the pages of one PDF are
// mostly asked for together.
class PdfPages {
public:
    Thumbnail draw(const std::string& workingPath, int page, int edge, pictures::StopFlag stop) {
        if (!document_ || path_ != workingPath) {
            document_.reset();
            path_ = workingPath;
            document_ = Poppler::Document::load(
                QFile::decodeName(QByteArray::fromStdString(platform::toNarrow(workingPath))));
        }
        if (!document_)
            return {QImage(), QStringLiteral("cannot be read as a PDF")};
        if (document_->isLocked())
            return {QImage(), QStringLiteral("needs a password")};
        const std::unique_ptr<Poppler::Page> shown =
            page >= 1 && page <= document_->numPages() ? document_->page(page - 1) : nullptr;
        if (!shown)
            return {QImage(), QStringLiteral("has no page %1").arg(page)};
        const QSizeF size = shown->pageSizeF(); // points, as its /Rotate shows it
        const double longer = std::max(size.width(), size.height());
        if (!(longer > 0))
            return {QImage(), QStringLiteral("its page %1 has no size").arg(page)};
        const double dpi = 72.0 * edge / longer;
        document_->setRenderHint(Poppler::Document::Antialiasing);
        document_->setRenderHint(Poppler::Document::TextAntialiasing);
        QImage image =
            shown->renderToImage(dpi, dpi, -1, -1, -1, -1, Poppler::Page::Rotate0, nullptr, nullptr,
                                 stopAsked, QVariant::fromValue(reinterpret_cast<quintptr>(&stop)));
        if (image.isNull())
            return {QImage(), stop.set() ? QString()
                                         : QStringLiteral("its page %1 cannot be drawn").arg(page)};
        return {std::move(image), QString()};
    }

private:
    std::string path_;
    std::unique_ptr<Poppler::Document> document_;
};

// A key of pdfPageKey(): the path and the page, or the path alone and 0.
std::pair<QByteArray, int> splitKey(const QByteArray& key) {
    const qsizetype mark = key.indexOf('\0');
    if (mark < 0)
        return {key, 0};
    return {key.left(mark), key.mid(mark + 1).toInt()};
}

} // namespace

QByteArray pdfPageKey(const QByteArray& workingPath, int page) {
    // No path holds a NUL.
    return workingPath + QByteArray(1, '\0') + QByteArray::number(page);
}

Thumbnail makePdfPageThumbnail(const std::string& workingPath, int page, int edge,
                               pictures::StopFlag stop) {
    return PdfPages().draw(workingPath, page, edge, stop);
}

QImage turnedClockwise(const QImage& image, int quarterTurns) {
    const int quarters = (quarterTurns % 4 + 4) % 4;
    if (quarters == 0 || image.isNull())
        return image;
    return image.transformed(QTransform().rotate(90.0 * quarters));
}

Thumbnail makeThumbnail(const std::string& workingPath, int edge, pictures::StopFlag stop) {
    const std::string narrow = platform::toNarrow(workingPath);
    if (platform::isDeviceOrPipe(narrow)) // reading it could block a worker for ever
        return {QImage(), QStringLiteral("not a picture (a pipe or device, not a file)")};
    const bool jpeg = pictures::hasJpegSignature(narrow);
    // The JPEGs that go into the PDF as they are: the fast way, turned as the builder turns
    // them.
    std::string unused;
    if (jpeg) {
        if (const std::optional<formats::JpegInfo> info = formats::readJpegInfo(narrow, unused)) {
            const QImage image = scaledJpeg(narrow, edge);
            if (!image.isNull())
                return {shownAs(image, info->orientation), QString()};
        }
    }
    staging::initialiseFreeImage();
    const pictures::DecoderMessages heard;
    std::string problem;
    const std::string extension = lowerCase(platform::pathPart(workingPath, 0));
    pictures::Bitmap bitmap =
        pictures::takeBitmap(staging::loadPicture(narrow, extension, stop), problem);
    if (!bitmap)
        return {QImage(), QString::fromStdString(pictures::refusalReason(narrow, problem, heard))};
    QImage image = smallImage(bitmap.get(), edge);
    bitmap.reset();
    if (image.isNull())
        return {QImage(), QStringLiteral("too little memory to show it")};
    if (jpeg)
        image = shownAs(image, jpegOrientation(narrow));
    return {image, QString()};
}

ThumbnailLoader::ThumbnailLoader(int edge, qsizetype cacheBytes, QObject* parent)
    : QObject(parent), edge_(std::max(edge, 1)), cache_(cacheBytes) {
    staging::initialiseFreeImage(); // on this thread, before the workers decode
    pool_.setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 4));
}

ThumbnailLoader::~ThumbnailLoader() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        waiting_.clear();
    }
    closing_ = true;
    // What the workers still deliver is dropped with this object's posted events.
    pool_.waitForDone();
}

const Thumbnail* ThumbnailLoader::find(const QByteArray& workingPath) {
    if (const Thumbnail* made = cache_.object(workingPath))
        return made;
    if (asked_.contains(workingPath))
        return nullptr;
    asked_.insert(workingPath);
    bool another = false;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back(workingPath);
        another = workers_ < pool_.maxThreadCount();
        if (another)
            ++workers_;
    }
    if (another)
        pool_.start([this] { work(); });
    return nullptr;
}

void ThumbnailLoader::dropWaiting() {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (const QByteArray& path : waiting_)
        asked_.remove(path);
    waiting_.clear();
}

void ThumbnailLoader::work() {
    PdfPages pdf;
    for (;;) {
        QByteArray path;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_ || waiting_.empty()) {
                --workers_;
                return;
            }
            path = waiting_.front();
            waiting_.pop_front();
        }
        const pictures::StopFlag stop(closing_);
        const auto [working, page] = splitKey(path);
        Thumbnail made = page > 0 ? pdf.draw(working.toStdString(), page, edge_, stop)
                                  : makeThumbnail(working.toStdString(), edge_, stop);
        QMetaObject::invokeMethod(
            this, [this, path, made = std::move(made)] { deliver(path, made); },
            Qt::QueuedConnection);
    }
}

void ThumbnailLoader::deliver(const QByteArray& workingPath, Thumbnail made) {
    asked_.remove(workingPath);
    const qsizetype cost = std::max<qsizetype>(made.image.sizeInBytes(), 1);
    cache_.insert(workingPath, new Thumbnail(std::move(made)), cost);
    emit ready(workingPath);
}

} // namespace pw::gui
