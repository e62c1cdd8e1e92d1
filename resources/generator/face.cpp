#include "face.h"

#include "icons.h"
#include "paint_kit.h"
#include "resources/layout.h"
#include "resources/theme.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

namespace pw::artgen {
namespace {

constexpr int kWidth = 553;
constexpr int kHeight = 371;
constexpr int kRadius = 10;
constexpr qreal kHeaderBottom = 130;

const QString kToolbarLabels[6] = {QStringLiteral("Add"),        QStringLiteral("Remove"),
                                   QStringLiteral("Add Folder"), QStringLiteral("Settings"),
                                   QStringLiteral("Help"),       QStringLiteral("Exit")};
const platform::Icon kToolbarIcons[6] = {platform::Icon::AddFile,   platform::Icon::Remove,
                                         platform::Icon::AddFolder, platform::Icon::Settings,
                                         platform::Icon::Help,      platform::Icon::Exit};
const QString kMenuLabels[4] = {QStringLiteral("File"), QStringLiteral("Remove"),
                                QStringLiteral("Control"), QStringLiteral("About")};

Look lookOf(const Highlight& h, Part part, int index = 0) {
    return (h.part == part && h.index == index) ? h.look : Look::Rest;
}

QPainterPath windowInside() {
    return roundedRect(QRectF(1, 1, kWidth - 2, kHeight - 2), kRadius - 1);
}

void drawFrame(QPainter& p) {
    p.fillRect(QRect(0, 0, kWidth, kHeight), rgb(theme::kOutline));
    const QPainterPath inside = windowInside();

    QPainterPath top;
    top.addRect(QRectF(0, 0, kWidth, kHeaderBottom));
    QLinearGradient headerFill(0, 0, 0, kHeaderBottom);
    headerFill.setColorAt(0, rgb(theme::kHeaderTop));
    headerFill.setColorAt(1, rgb(theme::kHeaderBottom));
    p.fillPath(inside.intersected(top), headerFill);

    QPainterPath bottom;
    bottom.addRect(QRectF(0, kHeaderBottom, kWidth, kHeight - kHeaderBottom));
    QLinearGradient bodyFill(0, kHeaderBottom, 0, kHeight);
    bodyFill.setColorAt(0, rgb(theme::kBody));
    bodyFill.setColorAt(1, rgb(theme::kBodyShade));
    p.fillPath(inside.intersected(bottom), bodyFill);

    // A soft shade under the header and the accent rule that ends it.
    QLinearGradient shade(0, kHeaderBottom, 0, kHeaderBottom + 6);
    shade.setColorAt(0, QColor(15, 23, 42, 60));
    shade.setColorAt(1, QColor(15, 23, 42, 0));
    p.fillRect(QRectF(1, kHeaderBottom, kWidth - 2, 6), shade);
    p.fillRect(QRectF(1, kHeaderBottom - 2, kWidth - 2, 2), rgb(theme::kAccent));

    // Light catching the top edge, and the line under the title bar.
    p.setPen(QPen(QColor(255, 255, 255, 28), 1));
    p.drawLine(QPointF(kRadius, 1.5), QPointF(kWidth - kRadius, 1.5));
    p.setPen(QPen(rgb(theme::kHeaderBorder, 150), 1));
    p.drawLine(QPointF(1, 27.5), QPointF(kWidth - 1, 27.5));
}

void drawTitleBar(QPainter& p) {
    // Logo: an accent tile with a page on it.
    const QRectF tile(9, 5, 17, 17);
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(theme::kAccent));
    p.drawRoundedRect(tile, 4, 4);
    QPainterPath sheet;
    sheet.moveTo(13.5, 8.5);
    sheet.lineTo(19, 8.5);
    sheet.lineTo(21.5, 11);
    sheet.lineTo(21.5, 18.5);
    sheet.lineTo(13.5, 18.5);
    sheet.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(rgb(theme::kAccentDark));
    p.drawRect(QRectF(15, 13, 5, 1.3));
    p.drawRect(QRectF(15, 15.5, 3.5, 1.3));

    drawText(p, QRectF(32, 0, 200, 27), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Pagewright"), uiFont(14, true), rgb(theme::kHeaderText));

    // Minimise "_" and close "x".
    const QRectF minBox = pixelRect(layout::kImgMinRect);
    const QRectF exitBox = pixelRect(layout::kImgExitRect);
    p.setPen(QPen(rgb(theme::kHeaderTextDim), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(minBox.left() + 3.5, minBox.bottom() - 4.5),
               QPointF(minBox.right() - 3.5, minBox.bottom() - 4.5));
    const QPointF c = exitBox.center();
    p.drawLine(c + QPointF(-4, -4), c + QPointF(4, 4));
    p.drawLine(c + QPointF(-4, 4), c + QPointF(4, -4));
}

void drawMenuItem(QPainter& p, int index, Look look) {
    const QRectF box = pixelRect(layout::kImgMenuRects[index]);
    QColor text = rgb(theme::kHeaderTextDim);
    if (look != Look::Rest) {
        p.setPen(QPen(rgb(theme::kHeaderBorder), 1));
        p.setBrush(rgb(theme::kHeaderRaised));
        p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
        text = rgb(theme::kHeaderText);
    }
    drawText(p, box, Qt::AlignCenter, kMenuLabels[index], uiFont(12), text);
}

void drawToolbarButton(QPainter& p, int index, Look look) {
    const QRectF box = pixelRect(layout::kImgToolbarRects[index]);
    IconColours colours{rgb(0xdbe4ee), rgb(theme::kAccent), Qt::white};
    QColor label = rgb(0xc7d3e1);
    qreal shift = 0;
    if (look == Look::Hover) {
        p.setPen(QPen(rgb(theme::kHeaderBorder), 1));
        p.setBrush(rgb(theme::kHeaderRaised));
        p.drawRoundedRect(box.adjusted(2.5, 2.5, -2.5, -2.5), 8, 8);
        colours.line = Qt::white;
        label = Qt::white;
    } else if (look == Look::Pressed) {
        p.setPen(QPen(rgb(theme::kAccent), 1));
        p.setBrush(rgb(theme::kAccentDark));
        p.drawRoundedRect(box.adjusted(2.5, 2.5, -2.5, -2.5), 8, 8);
        p.setPen(QPen(QColor(0, 0, 0, 50), 1));
        p.drawLine(QPointF(box.left() + 10, box.top() + 4),
                   QPointF(box.right() - 10, box.top() + 4));
        colours = IconColours{Qt::white, Qt::white, rgb(theme::kAccentDark)};
        label = Qt::white;
        shift = 1;
    }
    const QRectF iconBox(box.center().x() - 15, box.top() + 10 + shift, 30, 30);
    drawIcon(p, kToolbarIcons[index], iconBox, colours);
    drawText(p, QRectF(box.left(), box.top() + 45 + shift, box.width(), 16), Qt::AlignCenter,
             kToolbarLabels[index], uiFont(11), label);
}

// The small brand mark at the end of the toolbar row: pictures -> PDF.
void drawToolbarMark(QPainter& p) {
    const IconColours dim{rgb(theme::kHeaderTextDim), rgb(theme::kAccent), rgb(theme::kHeaderTop)};
    drawIcon(p, platform::Icon::Pictures, QRectF(430, 60, 28, 28), dim);
    p.setPen(QPen(rgb(theme::kHeaderTextDim), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(466, 74), QPointF(482, 74));
    p.drawLine(QPointF(478, 70), QPointF(482, 74));
    p.drawLine(QPointF(478, 78), QPointF(482, 74));
    drawIcon(p, platform::Icon::Pdf, QRectF(490, 60, 28, 28),
             IconColours{rgb(theme::kHeaderTextDim), rgb(theme::kAccent), rgb(theme::kHeaderTop)});
    drawText(p, QRectF(416, 92, 124, 14), Qt::AlignCenter, QStringLiteral("pictures to PDF"),
             uiFont(10), rgb(theme::kHeaderTextDim));
}

// A sunken white panel; the window lays a real widget exactly over `inner`.
void drawRecess(QPainter& p, const QRectF& inner) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawRoundedRect(inner.adjusted(-2, -2, 2, 3), 4, 4);
    p.setPen(QPen(rgb(theme::kPanelBorder), 1));
    p.setBrush(rgb(theme::kPanel));
    p.drawRoundedRect(inner.adjusted(-0.5, -0.5, 0.5, 0.5), 3, 3);
    QLinearGradient shadow(0, inner.top(), 0, inner.top() + 4);
    shadow.setColorAt(0, QColor(15, 23, 42, 30));
    shadow.setColorAt(1, QColor(15, 23, 42, 0));
    p.fillRect(QRectF(inner.left(), inner.top(), inner.width(), 4), shadow);
}

void drawMoveButton(QPainter& p, const QRectF& box, bool up, Look look) {
    const QRectF card = box.adjusted(3.5, 2.5, -3.5, -4.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(15, 23, 42, 28));
    p.drawRoundedRect(card.translated(0, 1.5), 9, 9);
    IconColours colours{rgb(theme::kText), rgb(0x334155), Qt::white};
    if (look == Look::Rest) {
        p.setPen(QPen(rgb(theme::kPanelBorder), 1));
        p.setBrush(rgb(theme::kPanel));
    } else {
        p.setPen(QPen(rgb(theme::kAccent), 1.5));
        p.setBrush(rgb(0xe0f2fe));
        colours = IconColours{rgb(theme::kAccentDark), rgb(theme::kAccent), Qt::white};
    }
    p.drawRoundedRect(card, 9, 9);
    const QPointF c = card.center();
    drawIcon(p, up ? platform::Icon::ArrowUp : platform::Icon::ArrowDown,
             QRectF(c.x() - 16, c.y() - 16, 32, 32), colours);
}

// The Convert button, or the Stop button that takes its place while a job runs.
void drawConvertButton(QPainter& p, Look look, bool stop) {
    const QRectF box = pixelRect(layout::kImgConvertRect);
    const QRectF card = box.adjusted(2.5, 2.5, -2.5, -5.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(3, 105, 161, 60));
    p.drawRoundedRect(card.translated(0, 2.5), 10, 10);
    QLinearGradient fill(0, card.top(), 0, card.bottom());
    const bool rest = look == Look::Rest;
    if (stop) {
        fill.setColorAt(0, rgb(rest ? 0xef4444 : 0xf87171));
        fill.setColorAt(1, rgb(rest ? 0xdc2626 : 0xef4444));
    } else {
        fill.setColorAt(0, rgb(rest ? 0x0ea5e9 : 0x38bdf8));
        fill.setColorAt(1, rgb(rest ? 0x0284c7 : 0x0ea5e9));
    }
    p.setPen(QPen(rgb(stop ? 0x991b1b : theme::kAccentDark), 1));
    p.setBrush(fill);
    p.drawRoundedRect(card, 10, 10);
    p.setPen(QPen(QColor(255, 255, 255, look == Look::Rest ? 60 : 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(card.adjusted(1, 1, -1, -1), 9, 9);

    if (stop) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(card.left() + 12, card.center().y() - 9, 18, 18), 3, 3);
    } else {
        drawIcon(p, platform::Icon::Pdf, QRectF(card.left() + 6, card.center().y() - 15, 30, 30),
                 IconColours{Qt::white, rgb(theme::kAccentDark), Qt::white});
    }
    drawText(p, QRectF(card.left() + 38, card.top() + 10, card.width() - 40, 22),
             Qt::AlignLeft | Qt::AlignVCenter,
             stop ? QStringLiteral("Stop") : QStringLiteral("Convert"), uiFont(16, true),
             Qt::white);
    drawText(p, QRectF(card.left() + 39, card.top() + 31, card.width() - 40, 15),
             Qt::AlignLeft | Qt::AlignVCenter,
             stop ? QStringLiteral("Esc") : QStringLiteral("to PDF"), uiFont(11),
             rgb(stop ? 0xfee2e2 : 0xe0f2fe));
}

void drawBody(QPainter& p, const Highlight& h) {
    drawRecess(p, pixelRect(layout::kList1Rect));
    drawRecess(p, pixelRect(layout::kPicPBRect));

    const QRectF up = pixelRect(layout::kImgUpRect);
    const QRectF down = pixelRect(layout::kImgDownRect);
    QFont caption = uiFont(10, true);
    caption.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    drawText(p, QRectF(up.left(), 140, down.right() - up.left(), 14), Qt::AlignCenter,
             QStringLiteral("PAGE ORDER"), caption, rgb(theme::kTextDim));
    drawMoveButton(p, up, true, lookOf(h, Part::Up));
    drawMoveButton(p, down, false, lookOf(h, Part::Down));
    if (h.part == Part::Stop)
        drawConvertButton(p, h.look, true);
    else
        drawConvertButton(p, lookOf(h, Part::Convert), false);
}

} // namespace

bool insideOutline(int x, int y) {
    const double px = x + 0.5;
    const double py = y + 0.5;
    const double cx = px < kRadius ? kRadius : (px > kWidth - kRadius ? kWidth - kRadius : px);
    const double cy = py < kRadius ? kRadius : (py > kHeight - kRadius ? kHeight - kRadius : py);
    const double dx = px - cx;
    const double dy = py - cy;
    return px >= 0 && py >= 0 && px <= kWidth && py <= kHeight &&
           dx * dx + dy * dy <= double(kRadius) * kRadius;
}

QImage drawFace(const Highlight& highlight) {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        drawFrame(p);
        drawTitleBar(p);
        for (int i = 0; i < 4; ++i)
            drawMenuItem(p, i, lookOf(highlight, Part::Menu, i));
        for (int i = 0; i < 6; ++i)
            drawToolbarButton(p, i, lookOf(highlight, Part::Toolbar, i));
        drawToolbarMark(p);
        drawBody(p, highlight);
    }
    QImage face = image.convertToFormat(QImage::Format_RGB888);
    const QColor key(layout::kTransparentKey.r, layout::kTransparentKey.g,
                     layout::kTransparentKey.b);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (!insideOutline(x, y))
                face.setPixelColor(x, y, key);
        }
    }
    return face;
}

} // namespace pw::artgen
