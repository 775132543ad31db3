#pragma once
// The pictures of the library tree, read from bitmap files in the program's folder. Each file holds one
// 16 x 16 picture whose white pixels (255, 255, 255) are transparent.
//
// Node images: 0 closed set, 1 opened set (a selected set node), 2 song. State images, which mark the song
// being played: 1 playing, 2 paused, 3 stopped; slot 0 holds the playing picture again and is never shown,
// because state 0 means no state image.

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

namespace library {

// The bitmap files in loading order: the three node images, then the four state image slots.
inline constexpr int kTreeNodeImageCount = 3;
inline constexpr int kTreeStateImageCount = 4;
const QStringList &TreeBitmapFiles();

struct LibraryTreeImages {
    QList<QPixmap> images;       // node images, in index order
    QList<QPixmap> stateImages;  // state images, in index order
    bool complete = true;        // false: a file failed, and it and the files after it are missing
};

// Loads the pictures from `folder` (with or without a trailing "/"), in the order of TreeBitmapFiles, and
// stops at the first file that cannot be loaded.
LibraryTreeImages LoadLibraryTreeImages(const QString &folder);

// The pictures of a set node (closed, and opened while selected) and of a song node; a picture that was not
// loaded is left out.
QIcon SetNodeIcon(const QList<QPixmap> &images);
QIcon SongNodeIcon(const QList<QPixmap> &images);

// The message for a picture that could not be loaded.
QString TreeBitmapFailureText();

}  // namespace library
