#include "playback/ui/icon_file.h"

#include <QImage>
#include <QImageReader>
#include <QPixmap>

namespace playback {

QIcon LoadIconFile(const QString &path)
{
    QImageReader reader(path);
    QIcon icon;
    // An .ico file holds one picture per size; the icon keeps them all and picks the size it is drawn at.
    // A damaged file may claim any number of pictures; no icon file of this program holds more than a few.
    constexpr int kMostPictures = 32;
    int pictures = 0;
    do {
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    } while (++pictures < kMostPictures && reader.jumpToNextImage());
    return icon;
}

}  // namespace playback
