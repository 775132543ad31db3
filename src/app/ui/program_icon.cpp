#include "app/ui/program_icon.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace {

// A beamed pair of notes on a rounded blue tile, drawn on a 16-unit grid.
QImage DrawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
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
    p.end();
    // A painted image keeps its paint engine and the engine's path buffers (tens of kilobytes) for as long
    // as it lives; the copy holds the pixels alone.
    return image.copy();
}

}  // namespace

QIcon ProgramIcon()
{
    // Every window asks for the icon: the pictures are drawn once and kept as images, which, unlike
    // pixmaps, may outlive the application object.
    static const std::array<QImage, 4> pictures = {DrawIcon(16), DrawIcon(22), DrawIcon(32), DrawIcon(48)};
    QIcon icon;
    for (const QImage &picture : pictures)
        icon.addPixmap(QPixmap::fromImage(picture));
    return icon;
}
