#pragma once
// The mount table and the "drives" the directory tree shows at its top level, free of any window.
//
// Drives on Linux: the root file system, the user's home folder, and every file system mounted at or below
// one of the drive folders (/media, /mnt, /run/media, where desktops and users mount removable, network and
// extra disks). Each drive is captioned with its volume label and mount point. Kernel file systems (proc,
// sysfs, cgroup, ...) are never drives; their mount points are the tree's system folders.

#include "platform/desktop/mount_info.h"
#include "widgets/DirTreeTypes.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// Decodes the "\x20"-style escapes of a name in /dev/disk/by-label.
QString UnescapeLabelName(const QString &name);

// Kernel file systems that hold no user files.
bool IsKernelFileSystem(const QString &fsType);

// The kind of drive for a mount: network file systems are remote, iso9660 and udf CD-ROM, tmpfs and ramfs
// RAM disks; what is mounted below /media or /run/media (where desktops mount removable media) is removable;
// any other block device is fixed; the rest is unknown.
TDriveType DriveTypeOf(const MountEntry &entry);

struct DriveInfo {
    QString Root;        // the drive's top folder, with a trailing "/"
    QString MountPoint;  // where it is shown to be mounted: Root without its trailing "/" ("/" for the root)
    TDriveType Type = TDriveType::drtUnknown;
    QString Label;   // the volume label ("Home" for the home folder); may be empty
    QString Source;  // the mount's source, for network drives the share
    bool IsHome = false;
};

// Caption of a drive whose volume could be read: the label, " (", the mount point, ")", or the mount point
// alone when there is no label; for removable and network drives their display name.
QString DriveCaption(const DriveInfo &drive);
// Caption of a drive whose volume could not be read: "(", the mount point, ")"; for removable and network
// drives their display name.
QString UnreadableDriveCaption(const DriveInfo &drive);
// The display name of a drive, built from the mount table alone without touching the volume: network drives
// show their share, removable ones their label (or, without one, the name of their mount folder), each
// followed by " (", the mount point, ")".
QString DriveDisplayName(const DriveInfo &drive);

// Order of the drives at the top of the tree: the root first, then the home folder, then by mount point.
bool DriveLess(const DriveInfo &a, const DriveInfo &b);

struct MountSnapshot {
    QList<DriveInfo> Drives;      // in DriveLess order, each root once
    QSet<QString> SystemFolders;  // mount points of kernel file systems, each with a trailing "/"
};

// The drives of the desktop's own mounts: a file manager mounts network shares, phones and cameras through one
// FUSE file system at /run/user/<uid>/gvfs, with one folder per mount named like
// "smb-share:server=nas,share=music" or "mtp:host=Phone". Each such folder is a drive: network shares are
// remote (their source shown as //server/share or scheme://host), phones and cameras removable.
QList<DriveInfo> GvfsDrives(const QString &gvfsFolder, const QStringList &names);

// Where the mount table and the labels are read. Tests point these at folders of their own.
struct MountSource {
    QString MountInfoPath = QString::fromLatin1(kMountInfoPath);
    QString ByLabelFolder = QStringLiteral("/dev/disk/by-label");
    QStringList DriveFolders = {QStringLiteral("/media"), QStringLiteral("/mnt"), QStringLiteral("/run/media")};
    QString Home;  // the home folder; empty: the user's home folder
    // The desktop's mount folder (see GvfsDrives); empty: /run/user/<uid>/gvfs. Its folders are drives while
    // a file system is mounted there.
    QString GvfsFolder;

    QString HomeFolder() const;
    // Reads the mount table and the labels. A table that cannot be read gives the root drive alone.
    MountSnapshot Read() const;
};

// The drives and system folders of a parsed mount table. `labelOf` gives a mount's volume label.
MountSnapshot SnapshotOf(const QList<MountEntry> &entries, const QString &home, const QStringList &driveFolders,
                         const std::function<QString(const MountEntry &)> &labelOf);
