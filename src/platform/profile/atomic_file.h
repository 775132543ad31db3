#pragma once
// Replacing a file's contents so that a crash, a full disk or a read-only folder never leaves a half-written
// file: the new contents go to a temporary file in the same folder, are flushed to the disk, and the temporary
// file is then renamed over the old one. Either the old file or the new one is there, whole.

#include <QByteArrayView>
#include <QString>

// Writes data to path. A symbolic link is followed (the link stays, its target is replaced); an existing
// file keeps its permission bits (and, for root, its owner). Returns an empty text when done, else a message
// that names the file and the reason; on failure the old file is untouched and the temporary file removed.
// A successful write also removes, from the target's folder, the temporary files of earlier writes that were
// cut short (see removeStaleTemporaryFiles); at most once a minute for each folder.
QString writeFileAtomically(const QString &path, QByteArrayView data);

// Removes from `folder` the temporary files this writer leaves behind when it is killed half-way: plain files
// of this user named exactly "." + a name + "." + 1 to 8 lower-case hex digits + ".tmp", untouched for two
// minutes and not being written by this process. Nothing else is ever removed.
void removeStaleTemporaryFiles(const QString &folder);
