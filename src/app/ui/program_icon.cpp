#include "app/ui/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A beamed pair of notes on a rounded blue tile, drawn on a 16-unit grid.
QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);

    p.setPen(QPen(QColor(16, 40, 96), 0.8));
    p.setBrush(QColor(40, 96, 200));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);

    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(3, 10, 3.6, 2.8));
    p.drawEllipse(QRectF(9, 9, 3.6, 2.8));
    p.drawRect(QRectF(5.6, 3.5, 1.0, 8.0));
    p.drawRect(QRectF(11.6, 2.5, 1.0, 8.0));
    QPainterPath beam;
    beam.moveTo(5.6, 3.5);
    beam.lineTo(12.6, 2.5);
    beam.lineTo(12.6, 4.5);
    beam.lineTo(5.6, 5.5);
    beam.closeSubpath();
    p.drawPath(beam);
    return pixmap;
}

}  // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 22, 32, 48})
        icon.addPixmap(DrawIcon(size));
    return icon;
}
