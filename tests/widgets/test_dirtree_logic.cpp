// The directory tree's logic without a window: which folders are shown, which drive holds a path, how path
// components are matched, how the mount table becomes drives, which folders are shared, and file masks.

#include "widgets/dir_paths.h"
#include "widgets/file_list_box.h"
#include "widgets/mount_table.h"
#include "widgets/shared_folders.h"

#include <QTest>

using namespace dirpaths;

namespace {

QByteArray MountLine(int id, const char *device, const char *root, const char *point, const char *type,
                     const char *source)
{
    return QByteArray::number(id) + " 1 " + device + ' ' + root + ' ' + point + " rw,relatime shared:1 - " + type +
        ' ' + source + " rw\n";
}

QStringList Roots(const MountSnapshot &snapshot)
{
    QStringList roots;
    for (const DriveInfo &drive : snapshot.Drives)
        roots.append(drive.Root);
    return roots;
}

const DriveInfo *Find(const MountSnapshot &snapshot, const QString &root)
{
    for (const DriveInfo &drive : snapshot.Drives) {
        if (drive.Root == root)
            return &drive;
    }
    return nullptr;
}

const QStringList kDriveFolders{"/media", "/mnt", "/run/media"};

}  // namespace

class TestDirTreeLogic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recycleFoldersShowThemselvesButNothingBelow()
    {
        QVERIFY(!IsBelowRecycleFolder("/media/usb/RECYCLED/", {}));
        QVERIFY(IsBelowRecycleFolder("/media/usb/RECYCLED/X/", {}));
        QVERIFY(IsBelowRecycleFolder("/media/usb/recycler/a/b/", {}));
        QVERIFY(IsBelowRecycleFolder("/media/usb/$Recycle.Bin/S-1-5/", {}));
        QVERIFY(IsBelowRecycleFolder("/data/.Trash-1000/files/", {}));
        QVERIFY(IsBelowRecycleFolder("/data/.Trash/files/", {}));
        QVERIFY(!IsBelowRecycleFolder("/data/.Trash-1000/", {}));
        // The desktop's trash names are spelled exactly; other spellings are ordinary folders.
        QVERIFY(!IsBelowRecycleFolder("/data/.trash-1000/files/", {}));
        QVERIFY(!IsBelowRecycleFolder("/data/Trash/files/", {}));
        QVERIFY(!IsBelowRecycleFolder("/data/RECYCLEDX/a/", {}));

        const QString home = "/home/ann/.local/share/Trash";
        QVERIFY(!IsBelowRecycleFolder("/home/ann/.local/share/Trash/", home));
        QVERIFY(IsBelowRecycleFolder("/home/ann/.local/share/Trash/files/", home));
        QVERIFY(!IsBelowRecycleFolder("/home/ann/.local/share/TrashCan/", home));
    }

    void dirTypesDecideByAttribute_data()
    {
        QTest::addColumn<uint>("attr");
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<bool>("shown");
        const auto list = [](std::initializer_list<TDirType> t) {
            QList<int> out;
            for (TDirType v : t)
                out.append(static_cast<int>(v));
            return out;
        };
        using enum TDirType;
        QTest::newRow("plain, normal") << 0u << list({dtNormal}) << true;
        QTest::newRow("plain, hidden only") << 0u << list({dtHidden}) << false;
        QTest::newRow("hidden, normal") << uint(DirAttr::Hidden) << list({dtNormal}) << false;
        QTest::newRow("hidden, normal+hidden") << uint(DirAttr::Hidden) << list({dtNormal, dtHidden}) << true;
        QTest::newRow("hidden, hidden only") << uint(DirAttr::Hidden) << list({dtHidden}) << true;
        QTest::newRow("system, normal+hidden") << uint(DirAttr::System) << list({dtNormal, dtHidden}) << false;
        QTest::newRow("system, system") << uint(DirAttr::System) << list({dtSystem}) << true;
        QTest::newRow("archive needs archive") << uint(DirAttr::Archive) << list({dtNormal}) << false;
        QTest::newRow("archive, archive") << uint(DirAttr::Archive) << list({dtArchive}) << true;
        QTest::newRow("hidden+system, hidden") << uint(DirAttr::Hidden | DirAttr::System) << list({dtHidden}) << false;
        QTest::newRow("read-only is not looked at") << uint(DirAttr::ReadOnly) << list({dtReadOnly}) << false;
        QTest::newRow("all shows everything") << uint(DirAttr::Hidden | DirAttr::System) << list({dtAll}) << true;
    }

    void dirTypesDecideByAttribute()
    {
        QFETCH(uint, attr);
        QFETCH(QList<int>, types);
        QFETCH(bool, shown);
        TDirTypes set;
        for (int t : types)
            set.insert(static_cast<TDirType>(t));
        QCOMPARE(PassesDirTypes(attr, set), shown);
    }

    void pathsFindTheirDriveAndNames()
    {
        const QStringList roots{"/", "/root/", "/media/usb/", "/media/usb2/"};
        QCOMPARE(DriveIndexFor(roots, "/etc/"), 0);
        QCOMPARE(DriveIndexFor(roots, "/root/Music/"), 1);
        QCOMPARE(DriveIndexFor(roots, "/rootless/"), 0);  // a prefix of the text is not a folder prefix
        QCOMPARE(DriveIndexFor(roots, "/media/usb2/a/"), 3);
        QCOMPARE(DriveIndexFor({"/media/usb/"}, "/etc/"), -1);

        const QStringList names{"Music", "music2", "ROCK", "Rock", "jazz"};
        QCOMPARE(MatchName(names, "Music"), 0);
        QCOMPARE(MatchName(names, "MUSIC"), 0);  // the only one ignoring case
        QCOMPARE(MatchName(names, "Rock"), 3);   // exact wins over the other spelling
        QCOMPARE(MatchName(names, "rock"), -1);  // two ignoring case, none exact: no guess
        QCOMPARE(MatchName(names, "Jazz"), 4);
        QCOMPARE(MatchName(names, "blues"), -1);

        QCOMPARE(AbsoluteClean("./", "/home/ann"), QString("/home/ann"));
        QCOMPARE(AbsoluteClean("../bob//x/", "/home/ann"), QString("/home/bob/x"));
        QCOMPARE(AbsoluteClean("/", "/x"), QString("/"));
        QCOMPARE(Components("a//b/c/"), (QStringList{"a", "b", "c"}));

        QStringList sorted{"b", "A", "a", "C"};
        std::sort(sorted.begin(), sorted.end(), NameLess);
        QCOMPARE(sorted, (QStringList{"A", "a", "b", "C"}));
    }

    void mountInfoIsParsedWithItsEscapes()
    {
        const QByteArray text = MountLine(26, "254:0", "/", "/", "ext4", "/dev/vda") +
            "71 26 8:17 / /media/ann/My\\040Disk rw,nosuid - vfat /dev/sdb1 rw,uid=1000\n" +
            "80 26 0:50 /sub /mnt/back\\134slash rw - nfs4 server:/export\\040x rw\n" + "garbage line\n" +
            "90 26 0:51 / /mnt/short rw - \n";
        const QList<MountEntry> entries = ParseMountInfo(text);
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries.at(1).MountPoint, QString("/media/ann/My Disk"));
        QCOMPARE(entries.at(1).FsType, QString("vfat"));
        QCOMPARE(entries.at(1).Source, QString("/dev/sdb1"));
        QCOMPARE(entries.at(1).Major, 8u);
        QCOMPARE(entries.at(1).Minor, 17u);
        QCOMPARE(entries.at(2).MountPoint, QString("/mnt/back\\slash"));
        QCOMPARE(entries.at(2).Root, QString("/sub"));
        QCOMPARE(entries.at(2).Source, QString("server:/export x"));
        QCOMPARE(UnescapeLabelName("My\\x20Disk\\x2fA"), QString("My Disk/A"));
    }

    void drivesAreTheRootHomeAndTheDriveFolderMounts()
    {
        const QByteArray text = MountLine(26, "254:0", "/", "/", "ext4", "/dev/vda") +
            MountLine(21, "0:20", "/", "/proc", "proc", "proc") +
            MountLine(30, "0:30", "/", "/home", "ext4", "/dev/vdb") +
            MountLine(40, "8:17", "/", "/run/media/ann/STICK", "vfat", "/dev/sdb1") +
            MountLine(41, "11:0", "/", "/media/cdrom", "iso9660", "/dev/sr0") +
            MountLine(42, "0:60", "/", "/mnt/share", "cifs", "//nas/music") +
            MountLine(43, "0:61", "/", "/mnt/ram", "tmpfs", "tmpfs") +
            MountLine(44, "8:33", "/", "/mnt/disk", "ext4", "/dev/sdc1") +
            MountLine(45, "0:62", "/", "/mnt/fuse", "fuse.something", "thing") +
            MountLine(46, "0:63", "/", "/srv/data", "ext4", "/dev/sdd1")  // not below a drive folder
            + MountLine(47, "0:64", "/", "/mnt/disk/proc", "proc", "proc") +
            MountLine(48, "0:65", "/", "/mnt", "ext4", "/dev/sde1");
        const auto labels = [](const MountEntry &e) { return e.Source == "/dev/sdb1" ? QString("STICK") : QString(); };
        const MountSnapshot snapshot = SnapshotOf(ParseMountInfo(text), "/home/ann", kDriveFolders, labels);

        QCOMPARE(Roots(snapshot),
                 (QStringList{"/", "/home/ann/", "/media/cdrom/", "/mnt/", "/mnt/disk/", "/mnt/fuse/", "/mnt/ram/",
                              "/mnt/share/", "/run/media/ann/STICK/"}));
        QCOMPARE(Find(snapshot, "/")->Type, TDriveType::drtFixed);
        QCOMPARE(Find(snapshot, "/home/ann/")->Type, TDriveType::drtFixed);
        QVERIFY(Find(snapshot, "/home/ann/")->IsHome);
        QCOMPARE(Find(snapshot, "/run/media/ann/STICK/")->Type, TDriveType::drtRemovable);
        QCOMPARE(Find(snapshot, "/media/cdrom/")->Type, TDriveType::drtCDRom);
        QCOMPARE(Find(snapshot, "/mnt/share/")->Type, TDriveType::drtRemote);
        QCOMPARE(Find(snapshot, "/mnt/ram/")->Type, TDriveType::drtRamDisk);
        QCOMPARE(Find(snapshot, "/mnt/disk/")->Type, TDriveType::drtFixed);
        QCOMPARE(Find(snapshot, "/mnt/fuse/")->Type, TDriveType::drtUnknown);
        QCOMPARE(snapshot.SystemFolders, (QSet<QString>{"/proc/", "/mnt/disk/proc/"}));

        QCOMPARE(DriveCaption(*Find(snapshot, "/")), QString("/"));  // no label: the mount point alone
        QCOMPARE(UnreadableDriveCaption(*Find(snapshot, "/mnt/disk/")), QString("(/mnt/disk)"));
        QCOMPARE(DriveCaption(*Find(snapshot, "/home/ann/")), QString("Home (/home/ann)"));
        QCOMPARE(DriveCaption(*Find(snapshot, "/run/media/ann/STICK/")), QString("STICK (/run/media/ann/STICK)"));
        QCOMPARE(DriveCaption(*Find(snapshot, "/mnt/share/")), QString("//nas/music (/mnt/share)"));
        // Network and removable drives keep their display name when their volume cannot be read.
        QCOMPARE(UnreadableDriveCaption(*Find(snapshot, "/mnt/share/")), QString("//nas/music (/mnt/share)"));
    }

    void laterMountsHideEarlierOnesAndRootsAreListedOnce()
    {
        const QByteArray text = MountLine(26, "254:0", "/", "/", "ext4", "/dev/vda") +
            MountLine(50, "0:40", "/", "/mnt/x", "autofs", "systemd-1") +
            MountLine(51, "0:41", "/", "/mnt/x", "nfs", "srv:/x") +
            MountLine(52, "8:1", "/", "/root", "ext4", "/dev/sdb1");
        const MountSnapshot snapshot = SnapshotOf(ParseMountInfo(text), "/root", kDriveFolders, {});
        QCOMPARE(Roots(snapshot), (QStringList{"/", "/root/", "/mnt/x/"}));
        QCOMPARE(Find(snapshot, "/mnt/x/")->Type, TDriveType::drtRemote);
        QCOMPARE(Find(snapshot, "/root/")->Type, TDriveType::drtFixed);

        // No readable table: the root alone; a home that is the root adds nothing.
        QCOMPARE(Roots(SnapshotOf({}, "/", kDriveFolders, {})), QStringList{"/"});
    }

    void sharedFoldersComeFromSambaAndExports()
    {
        const QByteArray smb = "[global]\n path = /not/a/share\n[Music]\n  comment = x\n  Path = /srv/music/\n"
                               "; path = /commented\n[printers]\npath = /var/spool\n[other]\npath=/srv/other\n";
        QCOMPARE(ParseSmbConf(smb), (QSet<QString>{"/srv/music", "/srv/other"}));
        QCOMPARE(ParseUsershare("#VERSION 2\npath=/home/ann/Shared/\ncomment=\n"), QString("/home/ann/Shared"));
        QCOMPARE(ParseUsershare("comment=no path\n"), QString());
        const QByteArray exports = "# comment\n/srv/nfs  *(ro)\n\"/srv/with space\" host(rw)\n/srv/oct\\040al\thost\n";
        QCOMPARE(ParseExports(exports), (QSet<QString>{"/srv/nfs", "/srv/with space", "/srv/oct al"}));
    }

    void fileMasksIgnoreCaseAndSortLikeTheList()
    {
        const QStringList names{"b.mp3", "A.MP3", "c.wav", "a.mp3", "noext", ".hidden.mp3", "x.mp3.txt"};
        QCOMPARE(TFileListBox::Matching(names, "*.mp3"), (QStringList{".hidden.mp3", "A.MP3", "a.mp3", "b.mp3"}));
        QCOMPARE(TFileListBox::Matching(names, "*.*").size(), names.size());  // also the name without a dot
        QCOMPARE(TFileListBox::Matching(names, "*.wav;*.txt"), (QStringList{"c.wav", "x.mp3.txt"}));
    }
};

QTEST_GUILESS_MAIN(TestDirTreeLogic)
#include "test_dirtree_logic.moc"
