#pragma once
// Replacing a file's contents so that a crash, a full disk or a read-only folder never leaves a half-written
// file: the new contents go to a temporary file in the same folder, are flushed to the disk, and the temporary
// file is then renamed over the old one. Either the old file or the new one is there, whole.

#include <QByteArrayView>
#include <QString>

// Writes data to path. A symbolic link is followed (the link stays, its target is replaced); an existing
// file keeps its permission bits (and, for root, its owner). Returns an empty text when done, else a message
// that names the file and the reason; on failure the old file is untouched and the temporary file removed.
QString writeFileAtomically(const QString &path, QByteArrayView data);
