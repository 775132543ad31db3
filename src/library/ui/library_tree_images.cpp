#include "library/ui/library_tree_images.h"

#include "library/store/library_paths.h"

#include <QBitmap>
#include <QColor>

namespace library {

const QStringList &TreeBitmapFiles()
{
    static const QStringList files = {
        QStringLiteral("treeview_closed_set.bmp"), QStringLiteral("treeview_opened_set.bmp"),
        QStringLiteral("treeview_song.bmp"),       QStringLiteral("treeview_playing.bmp"),
        QStringLiteral("treeview_playing.bmp"),    QStringLiteral("treeview_paused.bmp"),
        QStringLiteral("treeview_stopped.bmp"),
    };
    return files;
}

LibraryTreeImages LoadLibraryTreeImages(const QString &folder)
{
    LibraryTreeImages loaded;
    const QString base = ForceBackSlash(folder);
    const QStringList &files = TreeBitmapFiles();
    for (int i = 0; i < files.size(); ++i) {
        QPixmap picture;
        if (!picture.load(base + files.at(i))) {
            loaded.complete = false;
            break;
        }
        picture.setMask(picture.createMaskFromColor(QColor(255, 255, 255), Qt::MaskInColor));
        (i < kTreeNodeImageCount ? loaded.images : loaded.stateImages).append(picture);
    }
    return loaded;
}

namespace {

QIcon NodeIcon(const QList<QPixmap> &images, int normal, int selected)
{
    QIcon icon;
    if (normal < images.size())
        icon.addPixmap(images.at(normal), QIcon::Normal);
    if (selected < images.size())
        icon.addPixmap(images.at(selected), QIcon::Selected);
    return icon;
}

}  // namespace

QIcon SetNodeIcon(const QList<QPixmap> &images) { return NodeIcon(images, 0, 1); }

QIcon SongNodeIcon(const QList<QPixmap> &images) { return NodeIcon(images, 2, 2); }

QString TreeBitmapFailureText() { return QStringLiteral("Failed to open a bitmap resource [treeview*]!"); }

}  // namespace library
