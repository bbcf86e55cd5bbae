#include "gui/widgets/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace tarvin::toolicons {

namespace {

const QColor kOutline(0x40, 0x40, 0x40);

// Drawn on a 16-unit square, once at 16 pixels and once at 32 for screens
// that scale by two.
QIcon Drawn(const std::function<void(QPainter&)>& draw)
{
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap picture(16 * scale, 16 * scale);
        picture.fill(Qt::transparent);
        {
            QPainter painter(&picture);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(scale, scale);
            draw(painter);
        }
        picture.setDevicePixelRatio(scale);
        icon.addPixmap(picture);
    }
    return icon;
}

} // namespace

QIcon New()
{
    return Drawn([](QPainter& p) {
        QPainterPath sheet;
        sheet.moveTo(3.5, 1.5);
        sheet.lineTo(9.5, 1.5);
        sheet.lineTo(12.5, 4.5);
        sheet.lineTo(12.5, 14.5);
        sheet.lineTo(3.5, 14.5);
        sheet.closeSubpath();
        p.setPen(kOutline);
        p.setBrush(Qt::white);
        p.drawPath(sheet);
        p.drawPolyline(QPolygonF({{9.5, 1.5}, {9.5, 4.5}, {12.5, 4.5}}));
    });
}

QIcon Open()
{
    return Drawn([](QPainter& p) {
        p.setPen(QColor(0x80, 0x60, 0x10));
        p.setBrush(QColor(0xE8, 0xC0, 0x50));
        p.drawPolygon(QPolygonF(
            {{1.5, 3.5}, {6.5, 3.5}, {7.5, 5.5}, {13.5, 5.5}, {13.5, 13.5}, {1.5, 13.5}}));
        p.setBrush(QColor(0xF5, 0xD8, 0x80));
        p.drawPolygon(QPolygonF({{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
    });
}

QIcon Save()
{
    return Drawn([](QPainter& p) {
        p.setPen(QColor(0x20, 0x30, 0x60));
        p.setBrush(QColor(0x40, 0x60, 0xB0));
        p.drawPolygon(QPolygonF({{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}}));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(0xD0, 0xD0, 0xD0));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
    });
}

QIcon Clear()
{
    return Drawn([](QPainter& p) {
        p.setPen(kOutline);
        p.setBrush(QColor(0xB0, 0xB0, 0xB0));
        // The bin, narrowing to its foot, its lid and the lid's handle.
        p.drawPolygon(QPolygonF({{3.5, 4.5}, {12.5, 4.5}, {11.5, 14.5}, {4.5, 14.5}}));
        p.drawRect(QRectF(2.5, 2.5, 11, 2));
        p.drawRect(QRectF(6.5, 1, 3, 1.5));
        for (const double x : {6.0, 8.0, 10.0})
            p.drawLine(QPointF(x, 6.5), QPointF(x, 12.5));
    });
}

QIcon Help()
{
    return Drawn([](QPainter& p) {
        p.setPen(QColor(0x10, 0x30, 0x80));
        p.setBrush(QColor(0x30, 0x60, 0xC0));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        // The question mark as strokes: no font needed to draw it.
        QPen mark(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(mark);
        p.setBrush(Qt::NoBrush);
        QPainterPath hook;
        hook.moveTo(5.5, 6);
        hook.arcTo(QRectF(5.5, 3.5, 5, 5), 180, -270);
        hook.lineTo(8, 10);
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 12.5), 1.2, 1.2);
    });
}

QIcon Record()
{
    return Drawn([](QPainter& p) {
        p.setPen(QColor(0x80, 0, 0));
        p.setBrush(QColor(0xD0, 0x10, 0x10));
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    });
}

} // namespace tarvin::toolicons
