#pragma once
// Reads the library files for the main window's two views of the library, the tree and the "Song Library"
// submenu: the set names of "setlib.dat" in library order, each with the titles of its set file in file order.
// The store's working copy is not touched (the views may be rebuilt while the library manager shows another
// set), only its folder and its way of finding a set's file are used.
//
// A set without a set file is an empty set, as everywhere in the library. A library file or set file that
// exists but cannot be read makes the result incomplete: without the library file there are no sets; a set
// whose file cannot be read is listed without songs, and the sets after it are read as usual.

#include <QList>
#include <QString>
#include <QStringList>

class LibraryStore;

namespace library {

struct LibraryViewSet {
    QString name;
    QStringList titles;  // the text before the first "=" of each line; empty for a line without "="
};

struct LibraryViewContents {
    QList<LibraryViewSet> sets;
    QStringList failedFiles;  // full paths of the files that could not be read, in reading order

    bool complete() const { return failedFiles.isEmpty(); }
};

LibraryViewContents ReadLibraryView(const LibraryStore &store);

// The message for an incomplete read: "Couldn't open file: " + the library file's path, a carriage return,
// and "OR one of the *.set files.".
QString LibraryViewFailureText(const QString &libraryFilePath);

}  // namespace library
