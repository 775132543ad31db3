#pragma once
// The kernel's mount table of the process's mount namespace.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// Where the kernel shows the table.
inline constexpr char kMountInfoPath[] = "/proc/self/mountinfo";

// One line of /proc/self/mountinfo.
struct MountEntry {
    int MountId = 0;
    int ParentId = 0;
    quint32 Major = 0;
    quint32 Minor = 0;
    QString Root;        // the folder of the file system that is mounted here ("/" for the whole of it)
    QString MountPoint;  // without a trailing "/" (except "/" itself)
    QString FsType;      // "ext4", "nfs4", "fuse.sshfs", ...
    QString Source;      // "/dev/sdb1", "server:/export", "tmpfs", ...
};

// Parses the text of /proc/<pid>/mountinfo. Lines that do not have the fields of a mount are skipped. The
// octal escapes the kernel writes for blanks, tabs, line breaks and backslashes are decoded.
QList<MountEntry> ParseMountInfo(const QByteArray &text);

// Decodes the kernel's octal escapes ("\040" for a blank) of one field.
QString UnescapeMountField(QByteArrayView field);
