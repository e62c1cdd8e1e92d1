#include "welcome.h"

#include "icons.h"
#include "paint_kit.h"
#include "resources/layout.h"
#include "resources/theme.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace pw::artgen {
namespace {

void drawStep(QPainter& p, qreal x, qreal y, int number, const QString& title,
              const QString& detail) {
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(theme::kAccent));
    p.drawEllipse(QPointF(x + 9, y + 9), 9, 9);
    drawText(p, QRectF(x, y, 18, 18.5), Qt::AlignCenter, QString::number(number), uiFont(11, true),
             Qt::white);
    drawText(p, QRectF(x + 26, y - 1, 300, 15), Qt::AlignLeft | Qt::AlignVCenter, title,
             uiFont(12, true), rgb(theme::kText));
    drawText(p, QRectF(x + 26, y + 13, 300, 14), Qt::AlignLeft | Qt::AlignVCenter, detail,
             uiFont(11), rgb(theme::kTextDim));
}

} // namespace

QImage drawWelcome(const QImage& face) {
    const layout::PixelRect r = layout::toPixels(layout::kPicDoorRect);
    QImage image =
        face.copy(r.x, r.y, r.width, r.height).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        const QRectF card(1.5, 1.5, r.width - 3, r.height - 4);

        p.setPen(Qt::NoPen);
        p.setBrush(QColor(15, 23, 42, 30));
        p.drawRoundedRect(card.translated(0, 1.5), 10, 10);
        p.setPen(QPen(rgb(theme::kPanelBorder), 1));
        p.setBrush(rgb(theme::kPanel));
        p.drawRoundedRect(card, 10, 10);

        // Left: an accent band with the pictures-to-PDF picture.
        QPainterPath band;
        band.addRoundedRect(card.adjusted(6, 6, 0, -6).adjusted(0, 0, -(card.width() - 176), 0), 8,
                            8);
        QLinearGradient bandFill(0, card.top(), 0, card.bottom());
        bandFill.setColorAt(0, rgb(theme::kAccent));
        bandFill.setColorAt(1, rgb(theme::kAccentDark));
        p.fillPath(band, bandFill);
        const IconColours onBand{Qt::white, rgb(theme::kAccentDark), Qt::white};
        drawIcon(p, Icon::Pictures, QRectF(30, 30, 52, 52), onBand);
        p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(88, 56), QPointF(106, 56));
        p.drawLine(QPointF(100, 50), QPointF(106, 56));
        p.drawLine(QPointF(100, 62), QPointF(106, 56));
        drawIcon(p, Icon::Pdf, QRectF(110, 30, 52, 52), onBand);
        drawText(p, QRectF(8, 96, 172, 22), Qt::AlignCenter, QStringLiteral("Pagewright"),
                 uiFont(17, true), Qt::white);
        drawText(p, QRectF(8, 118, 172, 16), Qt::AlignCenter,
                 QStringLiteral("Pictures in, PDF out"), uiFont(11), rgb(theme::kAccentLight));

        // Right: greeting, three steps and the drop hint.
        const qreal x = 198;
        drawText(p, QRectF(x, 8, 330, 24), Qt::AlignLeft | Qt::AlignVCenter,
                 QStringLiteral("Welcome to Pagewright"), uiFont(17, true), rgb(theme::kText));
        drawStep(p, x, 38, 1, QStringLiteral("Add your pictures"),
                 QStringLiteral("Use Add or Add Folder, or drag them in"));
        drawStep(p, x, 68, 2, QStringLiteral("Put them in order"),
                 QStringLiteral("Select a picture, then Move Up or Move Down"));
        drawStep(p, x, 98, 3, QStringLiteral("Press Convert"),
                 QStringLiteral("The PDF lands in your output folder"));

        const QRectF drop(x, 132, card.right() - x - 10, 34);
        p.setPen(QPen(rgb(theme::kAccent), 1.3, Qt::DashLine));
        p.setBrush(rgb(0xf0f9ff));
        p.drawRoundedRect(drop, 7, 7);
        drawIcon(p, Icon::Drop, QRectF(drop.left() + 82, drop.top() + 7, 20, 20),
                 IconColours{rgb(theme::kAccentDark), rgb(theme::kAccent), Qt::white});
        drawText(p, drop.adjusted(108, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                 QStringLiteral("Drop files here"), uiFont(13, true), rgb(theme::kAccentDark));
    }
    return image.convertToFormat(QImage::Format_RGB888);
}

QImage drawCursor() {
    QImage image(layout::kCursorSize, layout::kCursorSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    // Pointing hand: the index finger's tip is the hotspot.
    auto part = [](qreal x, qreal y, qreal w, qreal h, qreal radius) {
        QPainterPath path;
        path.addRoundedRect(QRectF(x, y, w, h), radius, radius);
        return path;
    };
    const qreal fx = layout::kCursorHotspotX - 2.5;
    const qreal fy = layout::kCursorHotspotY;
    QPainterPath hand = part(fx, fy, 5, 17, 2.5);
    hand = hand.united(part(fx + 4.5, fy + 8.5, 5, 10, 2.5));
    hand = hand.united(part(fx + 9, fy + 10, 5, 9, 2.5));
    hand = hand.united(part(fx + 13.5, fy + 11.5, 4.5, 8, 2.25));
    hand = hand.united(part(fx - 0.5, fy + 14, 18.5, 13, 5));
    QPainterPath thumb;
    thumb.moveTo(fx + 1, fy + 22);
    thumb.lineTo(fx - 5, fy + 15.5);
    thumb.cubicTo(fx - 6.5, fy + 13.5, fx - 3.5, fy + 11.5, fx - 2, fy + 13.5);
    thumb.lineTo(fx + 1, fy + 16.5);
    thumb.closeSubpath();
    hand = hand.united(thumb).simplified();
    p.setPen(QPen(QColor(10, 16, 28), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setPen(QPen(QColor(10, 16, 28, 150), 1));
    p.drawLine(QPointF(fx + 4.75, fy + 14), QPointF(fx + 4.75, fy + 17.5));
    p.drawLine(QPointF(fx + 9.25, fy + 15), QPointF(fx + 9.25, fy + 18));
    p.drawLine(QPointF(fx + 13.75, fy + 16), QPointF(fx + 13.75, fy + 18.5));
    p.end();
    return image;
}

} // namespace pw::artgen
