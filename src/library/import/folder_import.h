#pragma once
// Importing a folder's MP3 files into the song library ("Open Folder..."), without a window.
//
// Each found file goes into the set named after the folder that holds it. The result is the one of handling
// the files one by one with the library store's own operations, in the order found:
//
//     if (!DoesSetExist(set)) AddSet(set, -1);
//     if (!DoesSongExist(file, set)) AddSong(file, set);
//
// and, after all files, removing every set that has no songs (once per set) and saving the set list: the same
// files, byte for byte, and the same messages. Those operations re-read the library file and a set file and
// rewrite one of them for every file, which makes an import of N files cost N full cycles. The import here
// keeps the library and each touched set file in memory instead and writes each of them once per commit (at
// the end, every `commitEvery` files, and when the import is cancelled). A commit writes its files in the
// order in which the one-by-one operations would first have written them, so a folder that cannot be written
// gives the same message. Files that the in-memory plan cannot take (a set name that is no file name, a set
// file that cannot be read, no readable library file yet) are handed to the store's operations one by one,
// after committing what came before, and so give exactly their messages and results.
//
// After each commit the library on disk is what the one-by-one operations give for the files handled so far:
// a cancelled import keeps the files before the point of cancelling, complete and consistent. A write that
// fails ends the import with a message naming the file; each file is replaced whole or not at all, so nothing
// that was on disk is lost, and the commits before stay.
//
// Only the user-interface thread may run an import (the store and the message boxes live there).

#include "library/import/folder_search.h"

#include <QString>
#include <QStringList>

#include <functional>

class LibraryStore;

namespace import {

// The set a found file goes into: the last component of the folder that holds it ("/music/Album/01.mp3"
// gives "Album"). A file directly in the root folder gives an empty name, which no set can have.
QString SetNameOfFile(const QString &path);

// Called now and then while the files are added, with the files handled so far and the number found;
// returning false cancels the import after committing what was handled.
using ImportProgress = std::function<bool(qsizetype handled, qsizetype total)>;

struct ImportOptions {
    qsizetype commitEvery = 1000;  // files handled between two commits
    qsizetype progressEvery = 50;  // files handled between two calls of progress
    ImportProgress progress;
};

enum class ImportEnd {
    Done,          // every found file was handled
    NothingFound,  // the search found no MP3 file: nothing was added
    Cancelled,     // stopped by the user: the files handled before stay in the library
    Failed,        // stopped by a failure the user was told about; the commits before it stay
};

struct ImportResult {
    ImportEnd end = ImportEnd::Done;
    qsizetype handled = 0;  // found files handled, in the order found
    qsizetype added = 0;    // songs added to sets
    int filesWritten = 0;   // library and set files written by the commits
    bool changed = false;   // some library file was written (by a commit or by the store's operations)
};

// Step "add each found file" alone: handles `found` against the library in `store`. `libraryRead` tells
// whether the store's last OpenLibrary read the library file.
ImportResult AddFoundFiles(LibraryStore &store, const QStringList &found, bool libraryRead,
                           const ImportOptions &options = {});

struct FolderImportResult : ImportResult {
    QString firstSet;  // the set of the first file found, which is played afterwards
};

// The whole import of `folder` except the folder browser, the tree rebuild and the playing: empties
// `searchResult`, reloads the library (OpenLibrary), searches the folder (SearchForFiles with the mask
// "*.*") into `searchResult`, adds the files, removes sets left without songs, and saves the set list.
// `searchProgress` may end the search, which then counts as cancelled with nothing added.
FolderImportResult ImportFolder(LibraryStore &store, const QString &folder, bool recursive, QStringList &searchResult,
                                const ImportOptions &options = {}, const SearchProgress &searchProgress = {});

// The message for a search that found no MP3 file.
QString NothingFoundText(const QString &folder);

}  // namespace import
