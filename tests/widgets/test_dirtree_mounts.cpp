// The directory tree against real mounts: file systems mounted and unmounted below /media show up and go at
// the top level without a rebuild, and another volume mounted in a drive's place closes and rereads that
// drive's branch, whether the mount table reports it or a selection finds it.
//
// The test runs itself again inside a private mount namespace (unshare -m), where it mounts a tmpfs over
// /media first: nothing it mounts is seen by the rest of the machine, and everything goes with the process.

#include "widgets/DirTree.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr char kInNamespace[] = "DAK_DIRTREE_MOUNT_NAMESPACE";

bool MountTmpfs(const QString &where, const QStringList &folders)
{
    if (!QDir().mkpath(where))
        return false;
    if (::mount("tmpfs", QFile::encodeName(where).constData(), "tmpfs", 0, "size=1m") != 0)
        return false;
    for (const QString &folder : folders) {
        if (!QDir().mkpath(where + '/' + folder))
            return false;
    }
    return true;
}

bool Bind(const QString &from, const QString &where)
{
    return QDir().mkpath(where) &&
        ::mount(QFile::encodeName(from).constData(), QFile::encodeName(where).constData(), nullptr, MS_BIND, nullptr) ==
        0;
}

bool Unmount(const QString &where) { return ::umount2(QFile::encodeName(where).constData(), 0) == 0; }

QStringList TopRoots(const TDirTree &tree)
{
    QStringList roots;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        roots.append(TDirTree::NodeData(tree.topLevelItem(i))->Path);
    return roots;
}

QStringList Captions(const QTreeWidgetItem *node)
{
    QStringList captions;
    for (int i = 0; i < node->childCount(); ++i)
        captions.append(node->child(i)->text(0));
    return captions;
}

}  // namespace

class TestDirTreeMounts : public QObject {
    Q_OBJECT

    QList<QTreeWidgetItem *> m_changes;
    int m_deleted = 0;

    std::unique_ptr<TDirTree> NewTree(bool watch)
    {
        TDirTree::Platform platform;
        platform.WatchMounts = watch;
        auto tree = std::make_unique<TDirTree>(platform);
        tree->SetReadOnStart(false);
        tree->SetFastLoad(true);
        tree->OnChange = [this](TDirTree *, QTreeWidgetItem *node) { m_changes.append(node); };
        tree->OnDeleteItem = [this](TDirTree *, QTreeWidgetItem *) { ++m_deleted; };
        tree->ReadDrives();
        m_changes.clear();
        m_deleted = 0;
        return tree;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty(kInNamespace))
            QSKIP("no private mount namespace here (needs root and unshare)");
        // A private /media of our own; the machine's stays as it is.
        QVERIFY2(::mount("tmpfs", "/media", "tmpfs", 0, "size=4m") == 0, "cannot mount a tmpfs on /media");
    }

    void mountedFileSystemsComeAndGoWithoutARebuild()
    {
        auto tree = NewTree(true);
        QTreeWidgetItem *root = tree->DriveNode("/");
        QVERIFY(root);
        QVERIFY(tree->DriveNode("/media/"));  // our own tmpfs there is a drive too
        root->setExpanded(true);
        const int rootChildren = root->childCount();
        QVERIFY(rootChildren > 1);
        QTRY_VERIFY(!tree->ProbesPending());  // expand buttons of folders without subfolders go in steps
        m_deleted = 0;                        // the root's placeholder went when it was opened

        QVERIFY(MountTmpfs("/media/usb", {"Music"}));
        QTRY_VERIFY(tree->DriveNode("/media/usb/"));
        QCOMPARE(tree->DriveNode("/"), root);  // nothing was rebuilt
        QCOMPARE(root->childCount(), rootChildren);
        QCOMPARE(m_deleted, 0);
        QTreeWidgetItem *usb = tree->DriveNode("/media/usb/");
        QCOMPARE(usb->text(0), QString("/media/usb"));  // a tmpfs: a RAM disk without label, named by its mount point
        const QStringList roots = TopRoots(*tree);
        QCOMPARE(roots.indexOf("/media/usb/"), roots.indexOf("/media/") + 1);  // in order, not at the end

        // A folder bound below /media is a removable drive: named from the mount table, its volume not read.
        QTemporaryDir stick;
        QVERIFY(QDir().mkpath(stick.filePath("Albums")));
        QVERIFY(Bind(stick.path(), "/media/stick"));
        QTRY_VERIFY(tree->DriveNode("/media/stick/"));
        QCOMPARE(tree->DriveNode("/media/stick/")->text(0), QString("stick (/media/stick)"));
        QCOMPARE(tree->VolumeSerial("/media/stick/"), 0);
        tree->SelectPath("/media/stick/Albums");  // the first selection reads the volume
        QCOMPARE(tree->SelectedPath(), QString("/media/stick/"));
        QVERIFY(tree->VolumeSerial("/media/stick/") > 0);

        m_deleted = 0;
        QVERIFY(Unmount("/media/usb"));
        QTRY_VERIFY(!tree->DriveNode("/media/usb/"));
        QCOMPARE(tree->DriveNode("/"), root);
        QVERIFY(Unmount("/media/stick"));
        QTRY_VERIFY(!tree->DriveNode("/media/stick/"));
        QCOMPARE(m_deleted, 2 + 2);  // the two drive nodes with their placeholders, nothing else
    }

    void anotherVolumeReportedByTheMountTableIsReadAfresh()
    {
        auto tree = NewTree(true);
        QVERIFY(MountTmpfs("/media/disk", {"one/inner"}));
        QTRY_VERIFY(tree->DriveNode("/media/disk/"));
        tree->SelectPath("/media/disk/one/inner");
        QCOMPARE(tree->SelectedPath(), QString("/media/disk/one/inner/"));
        QTreeWidgetItem *drive = tree->DriveNode("/media/disk/");
        const qint64 serial = tree->VolumeSerial("/media/disk/");
        m_changes.clear();

        // Unmounted and another one mounted before the tree hears of either.
        QVERIFY(Unmount("/media/disk"));
        QVERIFY(MountTmpfs("/media/disk", {"two"}));
        QTRY_COMPARE(tree->SelectedPath(), QString("/media/disk/"));
        QCOMPARE(tree->DriveNode("/media/disk/"), drive);
        QVERIFY(tree->VolumeSerial("/media/disk/") != serial);
        QVERIFY(!m_changes.isEmpty());
        QCOMPARE(m_changes.last(), drive);
        drive->setExpanded(true);
        QCOMPARE(Captions(drive), QStringList{"two"});
        QVERIFY(Unmount("/media/disk"));
    }

    void anotherVolumeFoundBySelectingIsReadAfresh()
    {
        auto tree = NewTree(false);
        QVERIFY(MountTmpfs("/media/cd", {"a/b"}));
        QVERIFY(tree->UpdateDrives());
        QVERIFY(!tree->UpdateDrives());
        tree->SelectPath("/media/cd/a");
        QTreeWidgetItem *drive = tree->DriveNode("/media/cd/");
        QTreeWidgetItem *a = tree->currentItem();
        tree->setCurrentItem(drive);

        QVERIFY(Unmount("/media/cd"));
        QVERIFY(MountTmpfs("/media/cd", {"c"}));
        QVERIFY(!tree->UpdateDrives());  // the same place: no drive came or went
        m_changes.clear();
        tree->setCurrentItem(a);  // as the user would, with the folder of the old volume
        QTRY_COMPARE(tree->currentItem(), drive);
        QCOMPARE(m_changes.last(), drive);
        QCOMPARE(tree->LastFolder("/media/cd/"), QString("/media/cd/"));
        drive->setExpanded(true);
        QCOMPARE(Captions(drive), QStringList{"c"});
        QVERIFY(Unmount("/media/cd"));
        QVERIFY(tree->UpdateDrives());
        QVERIFY(!tree->DriveNode("/media/cd/"));
    }
};

int main(int argc, char **argv)
{
    // Run again inside a private mount namespace when that is possible here.
    if (qEnvironmentVariableIsEmpty(kInNamespace) && ::geteuid() == 0 &&
        std::system("unshare -m --propagation private true >/dev/null 2>&1") == 0) {
        ::setenv(kInNamespace, "1", 1);
        std::vector<char *> args{const_cast<char *>("unshare"), const_cast<char *>("-m"),
                                 const_cast<char *>("--propagation"), const_cast<char *>("private")};
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        ::execvp("unshare", args.data());
        ::unsetenv(kInNamespace);  // no exec: run here, and skip
    }
    QApplication app(argc, argv);
    TestDirTreeMounts test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_dirtree_mounts.moc"
