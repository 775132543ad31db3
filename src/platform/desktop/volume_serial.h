#pragma once
// The identity of the volume mounted at a folder.

#include <QString>

// The volume serial of a drive: an identity of the file system mounted at `root` that changes when another
// volume is mounted there (made from the device number, the mount's unique id and the top folder's inode and
// birth time). Never 0; -1 when the folder cannot be read.
qint64 ReadVolumeSerial(const QString &root);
