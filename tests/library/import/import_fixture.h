#pragma once
// Folders for the import tests: a music tree of small files, library folders to import into, and a reference
// import that runs the library store's own operations one file at a time.

#include "library/store/library_store.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace importtest {

// Creates the file (and its folders) below root with a few bytes in it.
void touch(const QString &root, const QString &relative, const QByteArray &bytes = "ID3");

// Every entry of a folder (hidden ones included) with its contents; a folder's entry is "<folder>".
QMap<QString, QByteArray> snapshot(const QString &folder);

// What the import is meant to do, one file at a time through the store: for each found file, AddSet when
// its set does not exist and AddSong when the set does not hold it; then every set left without songs is
// removed and the set list saved. Stops at the first operation that fails, as the import does.
void importOneByOne(LibraryStore &store, const QStringList &found);

// The found files of a folder search followed by importOneByOne, as "Open Folder..." does it.
void importFolderOneByOne(LibraryStore &store, const QString &folder, bool recursive);

}  // namespace importtest
