// The directory tree on a folder tree of its own (the home drive of a made-up mount table): listing on
// demand, probing one level ahead, the folder filter, path selection, the last folder per drive, reloading,
// the enumeration event, node deletion, the share overlay, drive kinds, dropped files and a volume change
// noticed on selection.

#include "widgets/DirTree.h"
#include "widgets/file_list_box.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTimer>
#include <QUrl>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace {

QStringList Captions(const QTreeWidgetItem *node)
{
    QStringList captions;
    for (int i = 0; i < node->childCount(); ++i)
        captions.append(TDirTree::NodeData(node->child(i)) ? node->child(i)->text(0) : QStringLiteral("<placeholder>"));
    return captions;
}

QTreeWidgetItem *Child(QTreeWidgetItem *node, const QString &caption)
{
    for (int i = 0; i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == caption)
            return node->child(i);
    }
    return nullptr;
}

bool OnlyPlaceholder(const QTreeWidgetItem *node)
{
    return node->childCount() == 1 && !TDirTree::NodeData(node->child(0));
}

int OpenDescriptors()
{
    return static_cast<int>(
        QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size());
}

}  // namespace

class TestDirTree : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_home;  // with "/"
    QList<QTreeWidgetItem *> m_changes;
    QHash<QString, qint64> m_serials;

    void MakeFolders(const QStringList &relative)
    {
        for (const QString &path : relative)
            QVERIFY(QDir().mkpath(m_home + path));
    }

    TDirTree::Platform Platform()
    {
        TDirTree::Platform platform;
        platform.Mounts.MountInfoPath = m_dir.filePath("mountinfo");
        platform.Mounts.ByLabelFolder = m_dir.filePath("labels");
        platform.Mounts.DriveFolders = {};
        platform.Mounts.Home = m_home;
        platform.Shares.SmbConf = m_dir.filePath("smb.conf");
        platform.Shares.Exports = m_dir.filePath("none");
        platform.Shares.ExportsFolder = m_dir.filePath("none");
        platform.Shares.UsershareFolder = m_dir.filePath("none");
        platform.VolumeSerialOf = [this](const QString &root) { return m_serials.value(root, 7); };
        platform.WatchMounts = false;
        return platform;
    }

    std::unique_ptr<TDirTree> NewTree()
    {
        auto tree = std::make_unique<TDirTree>(Platform());
        tree->SetReadOnStart(false);
        tree->OnChange = [this](TDirTree *, QTreeWidgetItem *node) { m_changes.append(node); };
        return tree;
    }

    QTreeWidgetItem *HomeNode(TDirTree &tree) { return tree.DriveNode(m_home); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_home = m_dir.filePath("home/");
        MakeFolders({"Music/Rock/Live", "Music/jazz/Trad", "Music/Dup", "Music/DUP", "Music/Classic", "Empty",
                     ".hidden/inner", "RECYCLED/X", ".Trash-0/files/a", "sysmount/sub", ".local/share/Trash/files"});
        QFile file(m_home + "Music/song.mp3");
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(m_home + "Music/Rock", m_home + "Link"));

        QFile mountinfo(m_dir.filePath("mountinfo"));
        QVERIFY(mountinfo.open(QIODevice::WriteOnly));
        mountinfo.write("26 1 254:0 / / rw - ext4 /dev/vda rw\n");
        mountinfo.write("30 26 0:20 / " + QFile::encodeName(m_home) + "sysmount rw - proc proc rw\n");
        mountinfo.close();
        QFile smb(m_dir.filePath("smb.conf"));
        QVERIFY(smb.open(QIODevice::WriteOnly));
        smb.write("[jazz]\npath = " + QFile::encodeName(m_home) + "Music/jazz\n");
    }

    void init()
    {
        m_changes.clear();
        m_serials.clear();
        QDir::setCurrent(m_home);
    }

    void drivesComeFirstAndFoldersAreListedOnDemand()
    {
        auto tree = NewTree();
        QCOMPARE(tree->SelectedPath(), QString("?"));
        tree->Reload();  // harmless on an empty tree; builds the drives
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->NodeData(tree->topLevelItem(0))->Path, QString("/"));
        QTreeWidgetItem *home = HomeNode(*tree);
        QVERIFY(home);
        QCOMPARE(home->text(0), "Home (" + m_home.chopped(1) + ")");
        QCOMPARE(tree->VolumeSerial(m_home), 7);

        tree->ReadDrives();
        home = HomeNode(*tree);
        QVERIFY(OnlyPlaceholder(home));  // probed: it has subfolders
        QVERIFY(!tree->NodeData(home)->Listed);

        home->setExpanded(true);
        QVERIFY(tree->NodeData(home)->Listed);
        QCOMPARE(Captions(home),
                 (QStringList{".hidden", ".local", ".Trash-0", "Empty", "Link", "Music", "RECYCLED", "sysmount"}));
        QTreeWidgetItem *music = Child(home, "Music");
        QCOMPARE(tree->NodeData(music)->Path, m_home + "Music/");
        QVERIFY(OnlyPlaceholder(music));
        QCOMPARE(Child(home, "Empty")->childCount(), 0);  // no expand button without a subfolder
        QVERIFY(OnlyPlaceholder(Child(home, "Link")));    // a link to a folder is a folder

        music->setExpanded(true);
        QCOMPARE(Captions(music), (QStringList{"Classic", "DUP", "Dup", "jazz", "Rock"}));  // the file is no folder
    }

    void foldersAreFilteredByKindRecycleFoldersAndTheOwner()
    {
        auto tree = NewTree();
        tree->ReadDrives();
        QTreeWidgetItem *home = HomeNode(*tree);
        home->setExpanded(true);
        // Recycle folders show, what lies below them does not.
        QCOMPARE(Child(home, "RECYCLED")->childCount(), 0);
        QCOMPARE(Child(home, ".Trash-0")->childCount(), 0);
        Child(home, ".local")->setExpanded(true);
        Child(Child(home, ".local"), "share")->setExpanded(true);
        QTreeWidgetItem *trash = Child(Child(Child(home, ".local"), "share"), "Trash");
        QVERIFY(trash);
        QCOMPARE(trash->childCount(), 0);

        tree->SetGoBelowRecycleBin(true);  // reloads
        home = HomeNode(*tree);
        home->setExpanded(true);
        QVERIFY(OnlyPlaceholder(Child(home, "RECYCLED")));
        Child(home, "RECYCLED")->setExpanded(true);
        QCOMPARE(Captions(Child(home, "RECYCLED")), QStringList{"X"});
        tree->SetGoBelowRecycleBin(false);

        const auto shownUnderHome = [&](TDirTypes types) {
            tree->SetDirTypes(types);
            QTreeWidgetItem *node = HomeNode(*tree);
            node->setExpanded(true);
            return Captions(node);
        };
        using enum TDirType;
        QCOMPARE(shownUnderHome({dtNormal}), (QStringList{"Empty", "Link", "Music", "RECYCLED"}));
        QCOMPARE(shownUnderHome({dtNormal, dtHidden}),
                 (QStringList{".hidden", ".local", ".Trash-0", "Empty", "Link", "Music", "RECYCLED"}));
        QCOMPARE(shownUnderHome({dtNormal, dtSystem}), (QStringList{"Empty", "Link", "Music", "RECYCLED", "sysmount"}));
        QCOMPARE(shownUnderHome({dtHidden}), (QStringList{".hidden", ".local", ".Trash-0"}));

        tree->SetDirTypes({dtAll});
        QStringList asked;
        tree->OnAddDir = [&](TDirTree *, const QString &path, bool &doAdd) {
            asked.append(path);
            doAdd = !path.endsWith("/Empty/") && path != u"/";
        };
        tree->ReadDrives();
        QCOMPARE(tree->topLevelItemCount(), 1);  // the owner refused the root drive
        QVERIFY(asked.contains("/"));
        HomeNode(*tree)->setExpanded(true);
        QVERIFY(!Captions(HomeNode(*tree)).contains("Empty"));
        QVERIFY(asked.contains(m_home + "Empty/"));
    }

    void pathsAreSelectedByExactNameOrTheOnlyOtherSpelling()
    {
        auto tree = NewTree();
        tree->ReadDrives();
        tree->SelectPath(m_home + "music/ROCK/live");
        QCOMPARE(tree->SelectedPath(), m_home + "Music/Rock/Live/");
        QCOMPARE(tree->currentItem()->text(0), QString("Live"));
        QVERIFY(tree->currentItem()->parent()->isExpanded());
        QCOMPARE(m_changes.size(), 1);
        QCOMPARE(m_changes.last(), tree->currentItem());

        tree->SelectPath(m_home + "Music/dup");  // "Dup" and "DUP": no guess, nothing changes
        QCOMPARE(tree->SelectedPath(), m_home + "Music/Rock/Live/");
        tree->SelectPath(m_home + "Music/DUP/");
        QCOMPARE(tree->SelectedPath(), m_home + "Music/DUP/");
        tree->SelectPath("?");
        QCOMPARE(tree->SelectedPath(), m_home + "Music/DUP/");
        QVERIFY_THROWS_EXCEPTION(TDirTreeError, tree->SelectPath(QString()));
        try {
            tree->SelectPath(QString());
        } catch (const TDirTreeError &error) {
            QCOMPARE(QString(error.what()), QString("Invalid Path Name"));
        }

        QDir::setCurrent(m_home + "Music");
        tree->SelectPath("Rock/../jazz");  // relative to the current folder, cleaned
        QCOMPARE(tree->SelectedPath(), m_home + "Music/jazz/");
        tree->SelectPath(m_home + "Music/gone/away");  // missing: the root of the current folder's drive
        QCOMPARE(tree->SelectedPath(), m_home);
        tree->SelectPath(m_home + "Music/song.mp3");  // not a folder: not in the tree, nothing changes
        QCOMPARE(tree->SelectedPath(), m_home);

        tree->SetDirTypes({TDirType::dtNormal});
        const QString before = tree->SelectedPath();
        tree->SelectPath(m_home + ".hidden/inner");  // exists, but filtered out of the tree
        QCOMPARE(tree->SelectedPath(), before);
    }

    void drivesRememberTheirLastFolderAcrossReloads()
    {
        auto tree = NewTree();
        tree->ReadDrives();
        QCOMPARE(tree->LastFolder(m_home), m_home);  // the current folder lies on the home drive
        QCOMPARE(tree->LastFolder("/"), QString("/"));
        tree->SelectPath(m_home + "Music/Classic");
        QCOMPARE(tree->LastFolder(m_home), m_home + "Music/Classic/");

        tree->setCurrentItem(tree->DriveNode("/"));
        QCOMPARE(tree->SelectedPath(), QString("/"));
        tree->SelectDrive(m_home + "anything/below");
        QCOMPARE(tree->SelectedPath(), m_home + "Music/Classic/");
        tree->SelectPath(m_home + "Music");
        tree->SelectDrive(m_home);  // already on that drive: stays
        QCOMPARE(tree->SelectedPath(), m_home + "Music/");

        QTreeWidgetItem *oldNode = tree->currentItem();
        tree->Reload();
        QCOMPARE(tree->SelectedPath(), m_home + "Music/");
        QVERIFY(tree->currentItem() != oldNode || tree->NodeData(tree->currentItem())->Path == m_home + "Music/");

        // The last folder vanished: the drive's root instead.
        QVERIFY(QDir().mkpath(m_home + "Music/Temp"));
        tree->Reload();
        tree->SelectPath(m_home + "Music/Temp");
        tree->setCurrentItem(tree->DriveNode("/"));
        QVERIFY(QDir(m_home + "Music/Temp").removeRecursively());
        tree->SelectDrive(m_home);
        QCOMPARE(tree->SelectedPath(), m_home);

        // Reload after the selected folder vanished: the root of the current folder's drive.
        QVERIFY(QDir().mkpath(m_home + "Music/Temp2"));
        tree->Reload();
        tree->SelectPath(m_home + "Music/Temp2");
        QVERIFY(QDir(m_home + "Music/Temp2").removeRecursively());
        tree->Reload();
        QCOMPARE(tree->SelectedPath(), m_home);
    }

    void theOwnersEnumerationReplacesTheFileSystemAndIsClosed()
    {
        auto tree = NewTree();
        int tagAlpha = 0;
        const int openBefore = OpenDescriptors();
        QStringList askedPaths;
        tree->OnFindDir = [&](TDirTree *, const QString &path, TDirRec &rec, int &result, bool first) {
            askedPaths.append(path);
            static int next = 0;
            if (first) {
                next = 0;
                rec.FindHandle = ::opendir("/");  // the control closes it
            }
            QStringList names;
            if (path == m_home)
                names = {"beta", "Alpha", "file"};
            else if (path == m_home + "Alpha/")
                names = {"Inner"};
            if (next >= names.size()) {
                result = 1;
                return;
            }
            result = 0;
            rec.Name = names.at(next++);
            rec.Attr = rec.Name == u"file" ? 0u : DirAttr::Directory;
            if (rec.Name == u"Alpha")
                rec.UserData = &tagAlpha;
        };
        tree->ReadDrives();
        QTreeWidgetItem *home = HomeNode(*tree);
        home->setExpanded(true);
        QCOMPARE(Captions(home), (QStringList{"Alpha", "beta"}));
        QTreeWidgetItem *alpha = Child(home, "Alpha");
        QCOMPARE(tree->NodeData(alpha)->UserData, &tagAlpha);
        QCOMPARE(tree->NodeData(Child(home, "beta"))->UserData, nullptr);
        alpha->setExpanded(true);
        QCOMPARE(Captions(alpha), QStringList{"Inner"});
        QCOMPARE(tree->NodeData(alpha->child(0))->UserData, &tagAlpha);  // handed down from the parent
        QVERIFY(askedPaths.contains(m_home + "Alpha/Inner/"));           // probed one level ahead
        QCOMPARE(OpenDescriptors(), openBefore);
    }

    void deletedNodesReportAfterTheirDataIsFreed()
    {
        auto tree = NewTree();
        tree->ReadDrives();
        HomeNode(*tree)->setExpanded(true);
        int deleted = 0;
        int withData = 0;
        tree->OnDeleteItem = [&](TDirTree *, QTreeWidgetItem *node) {
            ++deleted;
            if (TDirTree::NodeData(node))
                ++withData;
        };
        const int expected = 2 + HomeNode(*tree)->childCount() + 1  // drives, home's folders, the root's placeholder
            + 5;  // the placeholders of Link, Music, .hidden, .local, sysmount
        tree->ReadDrives();
        QCOMPARE(deleted, expected);
        QCOMPARE(withData, 0);
    }

    void sharedFoldersCarryTheOverlay()
    {
        auto tree = NewTree();
        tree->ReadDrives();
        tree->SelectPath(m_home + "Music/Rock");
        QTreeWidgetItem *music = Child(HomeNode(*tree), "Music");
        QCOMPARE(tree->NodeData(Child(music, "jazz"))->Overlay, -1);
        tree->SetShowShareOverlay(true);
        QCOMPARE(tree->NodeData(Child(music, "jazz"))->Overlay, 0);
        QCOMPARE(tree->NodeData(Child(music, "Rock"))->Overlay, -1);
        tree->ReadDrives();
        tree->SelectPath(m_home + "Music/Rock");
        QCOMPARE(tree->NodeData(Child(Child(HomeNode(*tree), "Music"), "jazz"))->Overlay, 0);
        tree->SetShowShareOverlay(false);
        QCOMPARE(tree->NodeData(Child(Child(HomeNode(*tree), "Music"), "jazz"))->Overlay, -1);
    }

    void fastLoadAndDriveKindsDecideWhatIsRead()
    {
        auto tree = NewTree();
        int enumerations = 0;
        tree->OnFindDir = [&](TDirTree *, const QString &, TDirRec &, int &result, bool) {
            ++enumerations;
            result = 1;  // no folders anywhere
        };
        tree->ReadDrives();
        QCOMPARE(enumerations, 2);  // both fixed drives probed
        QCOMPARE(HomeNode(*tree)->childCount(), 0);
        tree->SetFastLoad(true);
        enumerations = 0;
        tree->ReadDrives();
        QCOMPARE(enumerations, 0);
        QVERIFY(OnlyPlaceholder(HomeNode(*tree)));

        QTreeWidgetItem *root = tree->DriveNode("/");
        TDriveTypes noFixed = kAllDriveTypes;
        noFixed.remove(TDriveType::drtFixed);
        tree->SetDriveTypes(noFixed);
        QCOMPARE(tree->topLevelItemCount(), 0);
        tree->SetDriveTypes(kAllDriveTypes);
        QCOMPARE(tree->topLevelItemCount(), 2);
        QVERIFY(tree->DriveNode("/") != nullptr);
        Q_UNUSED(root);
    }

    void filesDroppedOnANodeReachTheOwner()
    {
        auto tree = NewTree();
        tree->resize(300, 400);
        tree->show();
        tree->ReadDrives();
        tree->SelectPath(m_home + "Music");
        QTreeWidgetItem *music = tree->currentItem();
        QVERIFY(QTest::qWaitForWindowExposed(tree.get()));
        const QPoint at = tree->visualItemRect(music).center();
        QCOMPARE(tree->itemAt(at), music);

        QStringList got;
        QString dir;
        QString during;
        tree->OnDropFiles = [&](TDirTree *sender, int, int, const QString &dropDir, const QStringList &files,
                                Qt::KeyboardModifiers) {
            dir = dropDir;
            got = files;
            during = sender->DropTargetPath();
        };
        const auto drop = [&] {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile("/tmp/a.mp3"), QUrl("http://example.invalid/b.mp3"),
                          QUrl::fromLocalFile("/tmp/c d.mp3")});
            QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(tree->viewport(), &enter);
            QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(tree->viewport(), &move);
            QDropEvent event(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(tree->viewport(), &event);
        };
        drop();
        QVERIFY(got.isEmpty());  // not accepting drops
        tree->SetAcceptDropFiles(true);
        drop();
        QCOMPARE(got, (QStringList{"/tmp/a.mp3", "/tmp/c d.mp3"}));
        QCOMPARE(dir, m_home + "Music/");
        QCOMPARE(during, dir);
        QCOMPARE(tree->DropTargetPath(), QString());
    }

    void anotherVolumeIsNoticedWhenAFolderOnItIsSelected()
    {
        auto tree = NewTree();
        int clicks = 0;
        tree->OnClick = [&](TDirTree *, QTreeWidgetItem *) { ++clicks; };
        tree->ReadDrives();
        tree->SelectPath(m_home + "Music/Rock");
        QTreeWidgetItem *home = HomeNode(*tree);
        QVERIFY(home->isExpanded());
        m_changes.clear();

        m_serials.insert(m_home, 99);  // another volume at the home drive's place
        tree->SelectPath(m_home + "Music/jazz");
        QCOMPARE(m_changes.size(), 1);
        QCOMPARE(m_changes.last(), home);  // the drive is reported, not the folder
        QCOMPARE(tree->currentItem(), home);
        QVERIFY(!home->isExpanded());
        QVERIFY(OnlyPlaceholder(home));  // read afresh
        QVERIFY(!tree->NodeData(home)->Listed);
        QCOMPARE(tree->VolumeSerial(m_home), 99);
        QCOMPARE(tree->LastFolder(m_home), m_home);

        // A click on a drive whose volume changed refreshes it instead of reaching the owner.
        tree->SelectPath(m_home + "Music");
        m_serials.insert(m_home, 100);
        m_changes.clear();
        Q_EMIT tree->itemClicked(tree->currentItem(), 0);
        QCOMPARE(clicks, 0);
        QTRY_COMPARE(m_changes.size(), 1);  // once the view has finished handling the click
        QCOMPARE(tree->currentItem(), home);
        Q_EMIT tree->itemClicked(tree->currentItem(), 0);
        QCOMPARE(clicks, 1);

        // The user moves the selection (as with the mouse or the keys) onto a drive whose volume changed.
        tree->SelectPath(m_home + "Music");
        tree->SelectPath(m_home);
        home->setExpanded(true);
        m_serials.insert(m_home, 101);
        m_changes.clear();
        tree->setCurrentItem(Child(home, "Music"));
        QTRY_COMPARE(m_changes.size(), 1);
        QCOMPARE(m_changes.last(), home);
        QCOMPARE(tree->currentItem(), home);
        QVERIFY(OnlyPlaceholder(home));

        // An unreadable volume: caption without label, and no expand button is forced.
        m_serials.insert(m_home, -1);
        tree->SelectPath(m_home + "Music");
        QCOMPARE(home->text(0), "(" + m_home.chopped(1) + ")");
    }

    // What must never freeze the program: "*" through a link back to its own folder and across the real root
    // file system, and a folder with ten thousand subfolders.
    void bigTreesNeverFreezeTheControl()
    {
        const QString zone = m_home + "Zone/";
        const auto cleanup = qScopeGuard([&] { std::filesystem::remove_all(QFile::encodeName(zone).constData()); });
        MakeFolders({"Zone/Loop/a/b"});
        QVERIFY(QFile::link(m_home + "Zone/Loop", m_home + "Zone/Loop/a/b/back"));
        auto tree = NewTree();
        tree->ReadDrives();
        tree->SelectPath(zone + "Loop");
        QTest::keyClick(tree.get(), Qt::Key_Asterisk);  // the tree view's own "*" never ends here
        QTreeWidgetItem *b = tree->currentItem()->child(0)->child(0);
        QCOMPARE(tree->NodeData(b)->Path, zone + "Loop/a/b/");
        QVERIFY(b->isExpanded());
        QTreeWidgetItem *back = Child(b, "back");
        QVERIFY(back);
        QVERIFY(!tree->NodeData(back)->Listed);  // shown, but not gone into again
        QVERIFY(!back->isExpanded());

        // From the real root: never into /proc (another file system), and done within the bounds.
        QTreeWidgetItem *root = tree->DriveNode("/");
        QElapsedTimer clock;
        clock.start();
        const int opened = tree->ExpandAll(root);
        QVERIFY(opened >= 1 && opened <= TDirTree::ExpandAllLimit);
        QVERIFY2(clock.elapsed() < (TDirTree::ExpandAllSeconds + 10) * 1000,
                 qPrintable(QString::number(clock.elapsed())));
        QTreeWidgetItem *proc = Child(root, "proc");
        QVERIFY(proc);
        QVERIFY(!tree->NodeData(proc)->Listed);

        // Ten thousand subfolders, one with a subfolder of its own near the end (in memory where there is a
        // tmpfs, so that making them is quick). Every open of a folder is counted through the owner's
        // enumeration, which reads the real folders.
        QTemporaryDir bigDir(QDir("/dev/shm").exists() ? QString("/dev/shm/dirtree-XXXXXX") : zone + "big-XXXXXX");
        QVERIFY(bigDir.isValid());
        const QString bigPath = bigDir.path() + '/';
        for (int i = 0; i < 10000; ++i)
            QVERIFY(QDir().mkdir(bigPath + QString("d%1").arg(i, 5, 10, QChar('0'))));
        QVERIFY(QDir().mkpath(bigPath + "d09998/inner"));
        int opens = 0;
        tree->OnFindDir = [&](TDirTree *, const QString &path, TDirRec &rec, int &result, bool first) {
            if (first) {
                ++opens;
                rec.FindHandle = ::opendir(QFile::encodeName(path).constData());
            }
            result = 1;
            while (const dirent *entry = rec.FindHandle ? ::readdir(rec.FindHandle) : nullptr) {
                rec.Name = QFile::decodeName(entry->d_name);
                rec.Attr = entry->d_type == DT_DIR ? DirAttr::Directory : 0u;
                result = 0;
                break;
            }
        };
        tree->ReadDrives();
        tree->SelectPath(bigPath);
        QTreeWidgetItem *big = tree->currentItem();
        QCOMPARE(tree->NodeData(big)->Path, bigPath);
        opens = 0;
        big->setExpanded(true);
        QCOMPARE(big->childCount(), 10000);
        QVERIFY2(opens < 200, qPrintable(QString::number(opens)));  // not every subfolder at once
        bool answeredMeanwhile = false;
        QTimer::singleShot(0, [&] { answeredMeanwhile = tree->ProbesPending(); });
        QTRY_VERIFY_WITH_TIMEOUT(!tree->ProbesPending(), 60000);
        QVERIFY(answeredMeanwhile);  // the event loop ran between the steps
        QVERIFY(OnlyPlaceholder(Child(big, "d09998")));
        QCOMPARE(Child(big, "d09999")->childCount(), 0);
        QCOMPARE(Child(big, "d00000")->childCount(), 0);
        QCOMPARE(opens, 1 + 10000);  // the folder itself, then each subfolder once

        // The same with the control's own enumeration: correct once the steps are done.
        tree->OnFindDir = nullptr;
        tree->ReadDrives();
        tree->SelectPath(bigPath);
        tree->currentItem()->setExpanded(true);
        QTRY_VERIFY_WITH_TIMEOUT(!tree->ProbesPending(), 60000);
        QVERIFY(OnlyPlaceholder(Child(tree->currentItem(), "d09998")));
        QCOMPARE(Child(tree->currentItem(), "d09997")->childCount(), 0);
    }

    // Names that are not UTF-8, the root's caption, the desktop's network and phone mounts, and drives that
    // are not touched until they are opened.
    void linuxNamesAndMountsAreShownAsTheyAre()
    {
        const QString zone = m_home + "Zone/";
        const auto cleanup = qScopeGuard([&] { std::filesystem::remove_all(QFile::encodeName(zone).constData()); });
        MakeFolders({"Zone"});
        const QByteArray odd = QFile::encodeName(zone) + "Caf\xe9";  // Latin-1, not UTF-8
        QVERIFY(::mkdir(odd.constData(), 0755) == 0);
        QVERIFY(::mkdir((odd + "/inside").constData(), 0755) == 0);
        QVERIFY(::close(::open((odd + "/song.mp3").constData(), O_CREAT | O_WRONLY, 0644)) == 0);

        QTemporaryDir gvfs;
        QVERIFY(QDir().mkpath(gvfs.filePath("smb-share:server=nas,share=music")));
        QVERIFY(QDir().mkpath(gvfs.filePath("mtp:host=Phone/Card")));
        QFile mountinfo(m_dir.filePath("mountinfo-gvfs"));
        QVERIFY(mountinfo.open(QIODevice::WriteOnly));
        mountinfo.write("26 1 254:0 / / rw - ext4 /dev/vda rw\n");
        mountinfo.write("40 26 0:50 / " + QFile::encodeName(gvfs.path()) + " rw - fuse.gvfsd-fuse gvfsd-fuse rw\n");
        mountinfo.close();
        TDirTree::Platform platform = Platform();
        platform.Mounts.MountInfoPath = mountinfo.fileName();
        platform.Mounts.GvfsFolder = gvfs.path();
        TDirTree tree(platform);
        tree.SetReadOnStart(false);
        tree.Reload();  // nothing selected yet: a local disk is chosen, not the last drive
        QVERIFY(!tree.SelectedPath().startsWith(gvfs.path()));
        QVERIFY(tree.currentItem());

        QCOMPARE(tree.DriveNode("/")->text(0), QString("/"));
        const QString share = gvfs.filePath("smb-share:server=nas,share=music/");
        QTreeWidgetItem *shareNode = tree.DriveNode(share);
        QVERIFY(shareNode);
        QCOMPARE(shareNode->text(0), "//nas/music (" + share.chopped(1) + ")");
        QTreeWidgetItem *phone = tree.DriveNode(gvfs.filePath("mtp:host=Phone/"));
        QVERIFY(phone);
        QVERIFY(phone->text(0).startsWith("Phone ("));
        // Neither was looked at: no volume read, an expand button without listing (the share is empty).
        QCOMPARE(tree.VolumeSerial(share), 0);
        QCOMPARE(tree.VolumeSerial(gvfs.filePath("mtp:host=Phone/")), 0);
        QVERIFY(OnlyPlaceholder(shareNode));
        phone->setExpanded(true);
        QCOMPARE(Captions(phone), QStringList{"Card"});

        tree.SelectPath(zone);
        QTreeWidgetItem *zoneNode = tree.currentItem();
        zoneNode->setExpanded(true);
        QCOMPARE(zoneNode->childCount(), 1);
        QTreeWidgetItem *cafe = zoneNode->child(0);
        QVERIFY(cafe->text(0).startsWith("Caf"));
        QVERIFY(OnlyPlaceholder(cafe));  // its subfolder was found
        cafe->setExpanded(true);
        QCOMPARE(Captions(cafe), QStringList{"inside"});
        const QString cafePath = tree.NodeData(cafe)->Path;
        tree.SelectPath(cafePath + "inside");
        QCOMPARE(tree.SelectedPath(), cafePath + "inside/");
        TFileListBox files;
        QVERIFY(files.SetDirectory(cafePath));
        QCOMPARE(files.count(), 1);
        QCOMPARE(files.item(0)->text(), QString("song.mp3"));
    }
};

QTEST_MAIN(TestDirTree)
#include "test_dirtree.moc"
