#pragma once
// Path logic of the directory tree, free of any window: which folders the tree shows, which top-level place
// ("drive") a path lies on, and how a path given by the caller is matched against the folders on disk.
//
// Paths are native paths with "/" as the separator. Folder paths in the tree end with "/". Letter case is
// kept everywhere: two folders may differ only in case, and an upper-cased path would name another folder or
// none.

#include "widgets/DirTreeTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace dirpaths {

// The path with one trailing "/" (appended when missing).
QString WithTrailingSlash(const QString &path);

// An absolute, cleaned path ("." and ".." folded, doubled "/" removed; symbolic links are not resolved).
// A relative path is taken relative to `currentFolder`. The result has no trailing "/" except for "/".
QString AbsoluteClean(const QString &path, const QString &currentFolder);

// Whether `name` is the name of a recycle folder: the trash folders of the desktop (".Trash", ".Trash-<uid>",
// exactly so spelled) and the recycle folders that Windows leaves on shared media ("RECYCLED", "RECYCLER",
// "$RECYCLE.BIN", in any letter case).
bool IsRecycleName(const QString &name);

// Whether the folder `path` (with a trailing "/") lies below a recycle folder: one of its folders other than
// the last is a recycle folder, or it lies below the home trash folder `homeTrash` (usually
// ~/.local/share/Trash; empty for none). The recycle folder itself is not below one.
bool IsBelowRecycleFolder(const QString &path, const QString &homeTrash);

// Whether a folder with the attributes `attr` (DirAttr bits) passes `types`. With dtAll every folder passes.
// Otherwise a hidden folder needs dtHidden, a system folder dtSystem and an archive folder dtArchive; a folder
// that passed those passes when dtNormal is set or it has one of those three attributes. Read-only is not
// looked at.
bool PassesDirTypes(uint32_t attr, TDirTypes types);

// The index of the root in `roots` (each with a trailing "/") that holds `path` (with a trailing "/"), the
// longest one when several do, compared exactly; -1 when none does.
int DriveIndexFor(const QStringList &roots, const QString &path);

// The index of the name in `names` that matches `wanted`: the one equal to it, or else the only one equal to
// it ignoring case; -1 when none matches or several match ignoring case only.
int MatchName(const QStringList &names, const QString &wanted);

// The names between the "/" of `relative` (a path without a leading "/"), empty names skipped.
QStringList Components(const QString &relative);

// Whether the absolute path exists on disk, also when some of its folder names are spelled in another letter
// case (every spelling counts, however many folders fit).
bool ExistsIgnoringCase(const QString &absolutePath);

// Less-than for folder names as the tree lists them: ignoring case, ties broken by the exact spelling.
bool NameLess(const QString &a, const QString &b);

// File names as bytes and as text, both ways without loss. Valid UTF-8 is decoded as such; every byte that
// is not part of valid UTF-8 becomes the lone surrogate U+DC80..U+DCFF, which EncodeName turns back into
// that byte. So a folder whose name is not valid UTF-8 keeps a text path that opens it again (the text
// shows a replacement mark where the odd byte was).
QString DecodeName(QByteArrayView bytes);
QByteArray EncodeName(const QString &name);

// Whether something (a folder) exists at the path, following links; the path is encoded with EncodeName.
bool Exists(const QString &path);
bool IsFolder(const QString &path);
// The names in the folder (".", ".." left out), decoded with DecodeName; empty when it cannot be read.
QStringList EntryNames(const QString &folder);

}  // namespace dirpaths
