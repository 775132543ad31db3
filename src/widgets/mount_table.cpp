#include "widgets/mount_table.h"

#include "widgets/dir_paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <unistd.h>

#include <algorithm>

#include <functional>

namespace {

// `path` lies at or below `folder` (both without a trailing "/").
bool AtOrBelow(const QString &path, const QString &folder)
{
    if (folder == u"/")
        return true;
    return path == folder || (path.startsWith(folder) && path.at(folder.size()) == u'/');
}

QString MountPointDisplay(const QString &root)
{
    return root.size() > 1 && root.endsWith(u'/') ? root.chopped(1) : root;
}

// The label of a block device from the by-label folder: each entry there is a link to a device node.
QString LabelFromFolder(const QString &folder, const QString &source)
{
    if (!source.startsWith(u"/dev/"))
        return {};
    const QString device = QFileInfo(source).canonicalFilePath();
    if (device.isEmpty())
        return {};
    QDirIterator links(folder, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    while (links.hasNext()) {
        links.next();
        if (links.fileInfo().canonicalFilePath() == device)
            return UnescapeLabelName(links.fileName());
    }
    return {};
}

}  // namespace

QString UnescapeLabelName(const QString &name)
{
    QByteArray out;
    const QByteArray in = name.toUtf8();
    for (qsizetype i = 0; i < in.size(); ++i) {
        bool ok = false;
        const int value = i + 3 < in.size() && in[i] == '\\' && in[i + 1] == 'x' ? in.mid(i + 2, 2).toInt(&ok, 16) : 0;
        if (ok) {
            out.append(static_cast<char>(value));
            i += 3;
        } else {
            out.append(in[i]);
        }
    }
    return QString::fromUtf8(out);
}

bool IsKernelFileSystem(const QString &fsType)
{
    static const QSet<QString> kernel = {u"proc"_qs,     u"sysfs"_qs,     u"devtmpfs"_qs,   u"devpts"_qs,
                                         u"cgroup"_qs,   u"cgroup2"_qs,   u"securityfs"_qs, u"debugfs"_qs,
                                         u"tracefs"_qs,  u"pstore"_qs,    u"bpf"_qs,        u"configfs"_qs,
                                         u"fusectl"_qs,  u"mqueue"_qs,    u"hugetlbfs"_qs,  u"binfmt_misc"_qs,
                                         u"efivarfs"_qs, u"selinuxfs"_qs, u"rpc_pipefs"_qs, u"nsfs"_qs};
    return kernel.contains(fsType);
}

TDriveType DriveTypeOf(const MountEntry &entry)
{
    static const QSet<QString> remote = {u"nfs"_qs,         u"nfs4"_qs,      u"cifs"_qs,          u"smb3"_qs,
                                         u"smbfs"_qs,       u"ncpfs"_qs,     u"afs"_qs,           u"9p"_qs,
                                         u"ceph"_qs,        u"glusterfs"_qs, u"davfs"_qs,         u"fuse.sshfs"_qs,
                                         u"fuse.rclone"_qs, u"fuse.s3fs"_qs, u"fuse.glusterfs"_qs};
    if (remote.contains(entry.FsType))
        return TDriveType::drtRemote;
    if (entry.FsType == u"iso9660" || entry.FsType == u"udf")
        return TDriveType::drtCDRom;
    if (entry.FsType == u"tmpfs" || entry.FsType == u"ramfs")
        return TDriveType::drtRamDisk;
    if (AtOrBelow(entry.MountPoint, u"/media"_qs) || AtOrBelow(entry.MountPoint, u"/run/media"_qs))
        return TDriveType::drtRemovable;
    if (entry.Source.startsWith(u"/dev/"))
        return TDriveType::drtFixed;
    return TDriveType::drtUnknown;
}

QString DriveDisplayName(const DriveInfo &drive)
{
    QString name;
    if (drive.Type == TDriveType::drtRemote)
        name = drive.Source;
    else
        name = drive.Label.isEmpty() ? QFileInfo(drive.MountPoint).fileName() : drive.Label;
    return name + u" ("_qs + drive.MountPoint + u')';
}

QString DriveCaption(const DriveInfo &drive)
{
    if (drive.Type == TDriveType::drtRemovable || drive.Type == TDriveType::drtRemote)
        return DriveDisplayName(drive);
    // Without a label the mount point alone: "/" rather than " (/)".
    if (drive.Label.isEmpty())
        return drive.MountPoint;
    return drive.Label + u" ("_qs + drive.MountPoint + u')';
}

QString UnreadableDriveCaption(const DriveInfo &drive)
{
    if (drive.Type == TDriveType::drtRemovable || drive.Type == TDriveType::drtRemote)
        return DriveDisplayName(drive);
    return u'(' + drive.MountPoint + u')';
}

bool DriveLess(const DriveInfo &a, const DriveInfo &b)
{
    const auto rank = [](const DriveInfo &d) { return d.Root == u"/" ? 0 : d.IsHome ? 1 : 2; };
    if (rank(a) != rank(b))
        return rank(a) < rank(b);
    return a.Root < b.Root;
}

MountSnapshot SnapshotOf(const QList<MountEntry> &entries, const QString &home, const QStringList &driveFolders,
                         const std::function<QString(const MountEntry &)> &labelOf)
{
    // A later mount on the same point hides the earlier one.
    QList<MountEntry> visible;
    for (const MountEntry &entry : entries) {
        visible.removeIf([&](const MountEntry &e) { return e.MountPoint == entry.MountPoint; });
        visible.append(entry);
    }

    MountSnapshot snapshot;
    const auto add = [&](DriveInfo drive) {
        for (const DriveInfo &known : std::as_const(snapshot.Drives)) {
            if (known.Root == drive.Root)
                return;
        }
        snapshot.Drives.append(std::move(drive));
    };
    const auto driveOf = [&](const MountEntry &entry, const QString &root) {
        DriveInfo drive;
        drive.Root = root;
        drive.MountPoint = MountPointDisplay(root);
        drive.Type = DriveTypeOf(entry);
        drive.Source = entry.Source;
        drive.Label = labelOf ? labelOf(entry) : QString();
        return drive;
    };

    // The mount that holds a path: the one with the longest mount point above it.
    const auto holder = [&](const QString &path) -> const MountEntry * {
        const MountEntry *best = nullptr;
        for (const MountEntry &entry : visible) {
            if (AtOrBelow(path, entry.MountPoint) && (!best || entry.MountPoint.size() > best->MountPoint.size()))
                best = &entry;
        }
        return best;
    };

    MountEntry rootEntry;
    rootEntry.MountPoint = u"/"_qs;
    if (const MountEntry *root = holder(u"/"_qs))
        rootEntry = *root;
    DriveInfo root = driveOf(rootEntry, u"/"_qs);
    if (root.Type == TDriveType::drtUnknown || root.Type == TDriveType::drtRemovable)
        root.Type = TDriveType::drtFixed;
    add(root);

    const QString homePath = QDir::cleanPath(home);
    if (!home.isEmpty() && homePath != u"/") {
        const MountEntry *entry = holder(homePath);
        DriveInfo drive = driveOf(entry ? *entry : rootEntry, dirpaths::WithTrailingSlash(homePath));
        drive.IsHome = true;
        drive.Label = u"Home"_qs;
        if (drive.Type == TDriveType::drtUnknown || drive.Type == TDriveType::drtRemovable)
            drive.Type = TDriveType::drtFixed;
        add(drive);
    }

    for (const MountEntry &entry : std::as_const(visible)) {
        if (IsKernelFileSystem(entry.FsType)) {
            snapshot.SystemFolders.insert(dirpaths::WithTrailingSlash(entry.MountPoint));
            continue;
        }
        for (const QString &folder : driveFolders) {
            if (AtOrBelow(entry.MountPoint, QDir::cleanPath(folder))) {
                add(driveOf(entry, dirpaths::WithTrailingSlash(entry.MountPoint)));
                break;
            }
        }
    }
    std::stable_sort(snapshot.Drives.begin(), snapshot.Drives.end(), DriveLess);
    return snapshot;
}

QList<DriveInfo> GvfsDrives(const QString &gvfsFolder, const QStringList &names)
{
    QList<DriveInfo> drives;
    const QString folder = QDir::cleanPath(gvfsFolder);
    for (const QString &name : names) {
        const qsizetype colon = name.indexOf(u':');
        if (colon <= 0)
            continue;
        const QString scheme = name.left(colon);
        QHash<QString, QString> fields;
        for (const QString &pair : name.mid(colon + 1).split(u',', Qt::SkipEmptyParts)) {
            const qsizetype eq = pair.indexOf(u'=');
            if (eq > 0)
                fields.insert(pair.left(eq), QUrl::fromPercentEncoding(pair.mid(eq + 1).toUtf8()));
        }
        const QString host = fields.value(u"server"_qs, fields.value(u"host"_qs));
        const QString share = fields.value(u"share"_qs, fields.value(u"volume"_qs));
        DriveInfo drive;
        drive.Root = folder + u'/' + name + u'/';
        drive.MountPoint = folder + u'/' + name;
        static const QSet<QString> devices = {u"mtp"_qs, u"gphoto2"_qs, u"afc"_qs};
        if (devices.contains(scheme)) {
            drive.Type = TDriveType::drtRemovable;
            drive.Label = host.isEmpty() ? name : host;
            drive.Source = name;
        } else {
            drive.Type = TDriveType::drtRemote;
            drive.Label = share.isEmpty() ? host : share;
            if (scheme == u"smb-share")
                drive.Source = u"//"_qs + host + u'/' + share;
            else
                drive.Source = scheme + u"://"_qs + host + (share.isEmpty() ? QString() : u'/' + share);
        }
        drives.append(drive);
    }
    return drives;
}

QString MountSource::HomeFolder() const { return Home.isEmpty() ? QDir::homePath() : Home; }

MountSnapshot MountSource::Read() const
{
    QFile file(MountInfoPath);
    QList<MountEntry> entries;
    if (file.open(QIODevice::ReadOnly))
        entries = ParseMountInfo(file.readAll());
    const QString labels = ByLabelFolder;
    MountSnapshot snapshot = SnapshotOf(entries, HomeFolder(), DriveFolders, [labels](const MountEntry &entry) {
        return LabelFromFolder(labels, entry.Source);
    });
    // The desktop's mounts, while its file system is mounted (its folder lists the mounts without touching
    // any of them).
    const QString gvfs = QDir::cleanPath(
        GvfsFolder.isEmpty() ? u"/run/user/"_qs + QString::number(::getuid()) + u"/gvfs"_qs : GvfsFolder);
    const bool mounted =
        std::any_of(entries.begin(), entries.end(), [&](const MountEntry &e) { return e.MountPoint == gvfs; });
    if (mounted) {
        for (const DriveInfo &drive : GvfsDrives(gvfs, dirpaths::EntryNames(gvfs))) {
            const bool known = std::any_of(snapshot.Drives.begin(), snapshot.Drives.end(),
                                           [&](const DriveInfo &d) { return d.Root == drive.Root; });
            if (!known)
                snapshot.Drives.append(drive);
        }
        std::stable_sort(snapshot.Drives.begin(), snapshot.Drives.end(), DriveLess);
    }
    return snapshot;
}
