#pragma once
// The texts the library shows the user. The two parts of a two-part text are joined by one carriage return,
// which the message box shows as a line break.

#include <QString>

namespace LibraryMessages {

enum class What { SetList, SongList };

// "setlib.dat" does not exist (yet): the next save creates it.
QString libraryMissing(const QString &path);
// "setlib.dat" exists but cannot be read: it is kept as it is.
QString libraryUnreadable(const QString &path, const QString &reason);
// A save was refused because the file exists but could not be read when it was loaded.
QString notReplacingUnreadable(const QString &path, What what);
// A save failed; error is the writer's message, which names the file.
QString notSaved(const QString &error, What what);

QString couldNotDelete(const QString &path);
QString couldNotRename(const QString &oldPath);

// A song to be renamed is no longer in its set (moved or removed since it was shown).
QString songNotInSet(const QString &title, const QString &setName);

QString badSetName(const QString &name, const QString &problem);
QString badSongTitle(const QString &title);
QString badSongPath(const QString &path);

}  // namespace LibraryMessages
