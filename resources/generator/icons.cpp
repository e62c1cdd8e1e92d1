#include "icons.h"

#include "paint_kit.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

namespace pw::artgen {
namespace {

constexpr qreal kStroke = 1.9;

QPen linePen(const QColor& colour, qreal width = kStroke) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A page with a folded top-right corner.
void page(QPainter& p, const QColor& line, const QColor& fill) {
    QPainterPath body;
    body.moveTo(5, 2.5);
    body.lineTo(14, 2.5);
    body.lineTo(19, 7.5);
    body.lineTo(19, 21.5);
    body.lineTo(5, 21.5);
    body.closeSubpath();
    p.setPen(linePen(line));
    p.setBrush(fill);
    p.drawPath(body);
    QPainterPath fold;
    fold.moveTo(14, 2.5);
    fold.lineTo(14, 7.5);
    fold.lineTo(19, 7.5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(fold);
}

void badge(QPainter& p, const IconColours& c, bool plus) {
    p.setPen(Qt::NoPen);
    p.setBrush(c.badge);
    p.drawEllipse(QPointF(18, 18), 5.6, 5.6);
    p.setPen(linePen(c.badgeMark, 1.7));
    p.drawLine(QPointF(15.4, 18), QPointF(20.6, 18));
    if (plus)
        p.drawLine(QPointF(18, 15.4), QPointF(18, 20.6));
}

void addFile(QPainter& p, const IconColours& c) {
    page(p, c.line, Qt::transparent);
    p.setPen(linePen(c.line, 1.4));
    p.drawLine(QPointF(8, 11), QPointF(14, 11));
    p.drawLine(QPointF(8, 14.5), QPointF(12, 14.5));
    badge(p, c, true);
}

void remove(QPainter& p, const IconColours& c) {
    p.setPen(linePen(c.line));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(3.5, 6), QPointF(20.5, 6));
    QPainterPath handle;
    handle.moveTo(9, 6);
    handle.lineTo(9, 3);
    handle.lineTo(15, 3);
    handle.lineTo(15, 6);
    p.drawPath(handle);
    QPainterPath can;
    can.moveTo(5.5, 6);
    can.lineTo(6.8, 21);
    can.lineTo(17.2, 21);
    can.lineTo(18.5, 6);
    p.drawPath(can);
    p.setPen(linePen(c.badge, 1.7));
    p.drawLine(QPointF(10, 10), QPointF(10.3, 17.5));
    p.drawLine(QPointF(14, 10), QPointF(13.7, 17.5));
}

void addFolder(QPainter& p, const IconColours& c) {
    QPainterPath folder;
    folder.moveTo(2.5, 6);
    folder.quadTo(2.5, 4, 4.5, 4);
    folder.lineTo(9, 4);
    folder.lineTo(11, 6.5);
    folder.lineTo(19.5, 6.5);
    folder.quadTo(21.5, 6.5, 21.5, 8.5);
    folder.lineTo(21.5, 12);
    folder.moveTo(13, 19.5);
    folder.lineTo(4.5, 19.5);
    folder.quadTo(2.5, 19.5, 2.5, 17.5);
    folder.lineTo(2.5, 6);
    p.setPen(linePen(c.line));
    p.setBrush(Qt::NoBrush);
    p.drawPath(folder);
    p.drawLine(QPointF(2.5, 9.5), QPointF(12, 9.5));
    badge(p, c, true);
}

void settings(QPainter& p, const IconColours& c) {
    QPainterPath gear;
    gear.addEllipse(QPointF(12, 12), 7, 7);
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(10.2, 1.8, 3.6, 5), 0.9, 0.9);
        QTransform turn;
        turn.translate(12, 12);
        turn.rotate(45.0 * i);
        turn.translate(-12, -12);
        gear = gear.united(turn.map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(12, 12), 3.2, 3.2);
    p.setPen(Qt::NoPen);
    p.setBrush(c.line);
    p.drawPath(gear.subtracted(hole));
    p.setBrush(c.badge);
    p.drawEllipse(QPointF(12, 12), 1.5, 1.5);
}

void help(QPainter& p, const IconColours& c) {
    p.setPen(linePen(c.line));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
    QPainterPath hook;
    hook.moveTo(9.2, 9.3);
    hook.cubicTo(9.2, 5.8, 14.8, 5.8, 14.8, 9.3);
    hook.cubicTo(14.8, 11.6, 12, 11.8, 12, 14.2);
    p.setPen(linePen(c.badge, 2.1));
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(c.badge);
    p.drawEllipse(QPointF(12, 17.6), 1.3, 1.3);
}

void exitDoor(QPainter& p, const IconColours& c) {
    QPainterPath door;
    door.moveTo(13, 7);
    door.lineTo(13, 3.5);
    door.lineTo(4, 3.5);
    door.lineTo(4, 20.5);
    door.lineTo(13, 20.5);
    door.lineTo(13, 17);
    p.setPen(linePen(c.line));
    p.setBrush(Qt::NoBrush);
    p.drawPath(door);
    p.setPen(linePen(c.badge, 2.1));
    p.drawLine(QPointF(9, 12), QPointF(20.5, 12));
    QPainterPath head;
    head.moveTo(16.5, 8);
    head.lineTo(20.5, 12);
    head.lineTo(16.5, 16);
    p.drawPath(head);
}

void arrow(QPainter& p, const IconColours& c, bool up) {
    QPolygonF shape;
    shape << QPointF(12, 3) << QPointF(21, 12.5) << QPointF(15.5, 12.5) << QPointF(15.5, 21)
          << QPointF(8.5, 21) << QPointF(8.5, 12.5) << QPointF(3, 12.5);
    if (!up) {
        for (QPointF& point : shape)
            point.setY(24 - point.y());
    }
    p.setPen(QPen(c.line, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c.badge);
    p.drawPolygon(shape);
}

void pdf(QPainter& p, const IconColours& c) {
    page(p, c.line, c.badgeMark);
    p.setPen(Qt::NoPen);
    p.setBrush(c.badge);
    p.drawRoundedRect(QRectF(2, 12, 15, 7), 1.2, 1.2);
    QFont font = uiFont(10, true);
    font.setPixelSize(6);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.2);
    drawText(p, QRectF(2, 12, 15, 7.4), Qt::AlignCenter, QStringLiteral("PDF"), font, c.badgeMark);
}

void pictures(QPainter& p, const IconColours& c) {
    p.setPen(linePen(c.line, 1.5));
    p.setBrush(c.badgeMark);
    p.drawRoundedRect(QRectF(6, 2.5, 15.5, 12.5), 1.5, 1.5);
    p.drawRoundedRect(QRectF(2.5, 7.5, 15.5, 13), 1.5, 1.5);
    QPainterPath hills;
    hills.moveTo(3.5, 19.5);
    hills.lineTo(8.5, 13.5);
    hills.lineTo(11.5, 16.5);
    hills.lineTo(13.5, 14.5);
    hills.lineTo(17, 19.5);
    hills.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c.badge);
    p.drawPath(hills);
    p.drawEllipse(QPointF(13.5, 11), 1.5, 1.5);
}

void drop(QPainter& p, const IconColours& c) {
    p.setPen(linePen(c.line));
    p.setBrush(Qt::NoBrush);
    QPainterPath tray;
    tray.moveTo(3, 14);
    tray.lineTo(3, 20.5);
    tray.lineTo(21, 20.5);
    tray.lineTo(21, 14);
    p.drawPath(tray);
    p.setPen(linePen(c.badge, 2.1));
    p.drawLine(QPointF(12, 3), QPointF(12, 15));
    QPainterPath head;
    head.moveTo(7.5, 10.5);
    head.lineTo(12, 15);
    head.lineTo(16.5, 10.5);
    p.drawPath(head);
}

} // namespace

void drawIcon(QPainter& p, platform::Icon icon, const QRectF& box, const IconColours& colours) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(box.topLeft());
    p.scale(box.width() / 24.0, box.height() / 24.0);
    switch (icon) {
    case platform::Icon::AddFile:
        addFile(p, colours);
        break;
    case platform::Icon::Remove:
        remove(p, colours);
        break;
    case platform::Icon::AddFolder:
        addFolder(p, colours);
        break;
    case platform::Icon::Settings:
        settings(p, colours);
        break;
    case platform::Icon::Help:
        help(p, colours);
        break;
    case platform::Icon::Exit:
        exitDoor(p, colours);
        break;
    case platform::Icon::ArrowUp:
        arrow(p, colours, true);
        break;
    case platform::Icon::ArrowDown:
        arrow(p, colours, false);
        break;
    case platform::Icon::Pdf:
        pdf(p, colours);
        break;
    case platform::Icon::Pictures:
        pictures(p, colours);
        break;
    case platform::Icon::Drop:
        drop(p, colours);
        break;
    }
    p.restore();
}

} // namespace pw::artgen
