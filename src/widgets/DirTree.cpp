// The drive level, path selection and selection changes of the directory tree. Listing folders, icons and
// dropped files are in DirTreeNodes.cpp.

#include "widgets/DirTree.h"

#include "platform/desktop/mount_watcher.h"
#include "widgets/dir_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>

#include <sys/stat.h>

#include <algorithm>
#include <utility>
#include <vector>

using namespace dirpaths;

namespace {

// The hourglass while a bulk change runs.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

QString CurrentFolder() { return WithTrailingSlash(QDir::currentPath()); }

}  // namespace

// Suspends redrawing and, when asked, the selection-change handling, for as long as it lives.
class TDirTree::Suspend {
public:
    Suspend(TDirTree *tree, bool notifications) : tree_(tree), notifications_(notifications)
    {
        if (notifications_)
            ++tree_->m_updateCount;
        updates_ = tree_->updatesEnabled();
        tree_->setUpdatesEnabled(false);
    }
    ~Suspend()
    {
        tree_->setUpdatesEnabled(updates_);
        if (notifications_)
            --tree_->m_updateCount;
    }
    Suspend(const Suspend &) = delete;
    Suspend &operator=(const Suspend &) = delete;

private:
    TDirTree *tree_;
    bool notifications_;
    bool updates_ = true;
};

TDirTree::TDirTree(QWidget *parent) : TDirTree(Platform(), parent) { }

TDirTree::TDirTree(Platform platform, QWidget *parent) : QTreeWidget(parent), m_platform(std::move(platform))
{
    Init();
}

void TDirTree::Init()
{
    setHeaderHidden(true);
    setColumnCount(1);
    setSortingEnabled(false);  // nodes stay in the order they were added
    setSelectionMode(QAbstractItemView::SingleSelection);
    setRootIsDecorated(true);
    m_startFolder = CurrentFolder();
    m_initialDirectory = QDir::currentPath();

    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current, QTreeWidgetItem *) { SelectionChange(current); });
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *node, int) { NodeClicked(node); });
    connect(this, &QTreeWidget::itemExpanded, this, &TDirTree::NodeExpanded);

    if (m_platform.WatchMounts) {
        m_watcher = new MountWatcher(m_platform.Mounts.MountInfoPath, this);
        connect(m_watcher, &MountWatcher::mountsChanged, this, &TDirTree::MountsChanged);
    }
}

TDirTree::~TDirTree()
{
    // No event reaches the owner while the control goes: the owner may be half destroyed already.
    m_destroying = true;
    ++m_updateCount;
    OnDeleteItem = nullptr;
    DeleteAllNodes();
}

// ---- Properties

void TDirTree::SetDirTypes(TDirTypes value)
{
    if (value == m_dirTypes)
        return;
    m_dirTypes = value;
    if (m_built)
        Reload();
}

void TDirTree::SetGoBelowRecycleBin(bool value)
{
    if (value == m_goBelowRecycleBin)
        return;
    m_goBelowRecycleBin = value;
    if (m_built)
        Reload();
}

void TDirTree::SetDriveTypes(TDriveTypes value)
{
    if (value == m_driveTypes)
        return;
    m_driveTypes = value;
    if (m_built)
        UpdateDrives();
}

void TDirTree::SetAcceptDropFiles(bool value)
{
    m_acceptDropFiles = value;
    setAcceptDrops(value);
    viewport()->setAcceptDrops(value);
    setDragDropMode(value ? QAbstractItemView::DropOnly : QAbstractItemView::NoDragDrop);
}

// ---- Drives

QList<DriveInfo> TDirTree::CurrentDrives()
{
    MountSnapshot snapshot = m_platform.Mounts.Read();
    m_systemFolders = snapshot.SystemFolders;
    QList<DriveInfo> drives;
    for (const DriveInfo &drive : std::as_const(snapshot.Drives)) {
        if (!m_driveTypes.contains(drive.Type))
            continue;
        if (!m_goBelowRecycleBin && IsBelowRecycleFolder(drive.Root, HomeTrash()))
            continue;
        if (OnAddDir) {
            bool doAdd = true;
            OnAddDir(this, drive.Root, doAdd);
            if (!doAdd)
                continue;
        }
        drives.append(drive);
    }
    return drives;
}

const DriveInfo *TDirTree::KnownDrive(const QString &root) const
{
    for (const DriveInfo &drive : m_drives) {
        if (drive.Root == root)
            return &drive;
    }
    return nullptr;
}

QTreeWidgetItem *TDirTree::DriveNode(const QString &driveRoot) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const TDirNodeData *nd = NodeData(topLevelItem(i));
        if (nd && nd->Path == driveRoot)
            return topLevelItem(i);
    }
    return nullptr;
}

QString TDirTree::DriveRootFor(const QString &path) const
{
    QStringList roots;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const TDirNodeData *nd = NodeData(topLevelItem(i));
        roots.append(nd ? nd->Path : QString());
    }
    const int index = DriveIndexFor(roots, path);
    return index < 0 ? QString() : roots.at(index);
}

QTreeWidgetItem *TDirTree::TopLevelOf(QTreeWidgetItem *node) const
{
    while (node && node->parent())
        node = node->parent();
    return node;
}

QTreeWidgetItem *TDirTree::AddDriveNode(const DriveInfo &drive, int index)
{
    QTreeWidgetItem *node = NewFolderNode(drive.Root, QString(), nullptr);
    insertTopLevelItem(index, node);
    if (!m_lastFolder.contains(drive.Root)) {
        QStringList roots;
        for (const DriveInfo &known : std::as_const(m_drives))
            roots.append(known.Root);
        const int current = DriveIndexFor(roots, m_startFolder);
        const bool holdsStart = current >= 0 && roots.at(current) == drive.Root;
        m_lastFolder.insert(drive.Root, holdsStart ? m_startFolder : drive.Root);
    }

    // Only local disks are looked at before the user opens a drive: touching a removable medium, a network
    // share or an automount point may mount it, spin it up or wait for a server that does not answer. Those
    // are named from the mount table alone; the first selection on them reads the volume.
    const bool local = drive.Type == TDriveType::drtFixed || drive.Type == TDriveType::drtRamDisk;
    if (local)
        RefreshDriveCaption(node);
    else
        node->setText(0, DriveDisplayName(drive));
    SetOverlay(node);
    SetIcons(node, &drive);

    if (m_fastLoad || !local)
        AddPlaceholder(node);
    else
        ProbeSubfolders(node);
    return node;
}

void TDirTree::RefreshDriveCaption(QTreeWidgetItem *driveNode)
{
    const QString root = NodeData(driveNode)->Path;
    // The label may have changed with the volume: take the drive as the mount table shows it now.
    const MountSnapshot now = m_platform.Mounts.Read();
    for (const DriveInfo &drive : now.Drives) {
        if (drive.Root != root)
            continue;
        for (DriveInfo &known : m_drives) {
            if (known.Root == root)
                known = drive;
        }
    }
    const qint64 serial = m_platform.VolumeSerialOf(root);
    m_volumeSerial.insert(root, serial);
    if (const DriveInfo *drive = KnownDrive(root))
        driveNode->setText(0, serial == -1 ? UnreadableDriveCaption(*drive) : DriveCaption(*drive));
}

void TDirTree::RefreshDrive(QTreeWidgetItem *driveNode)
{
    TDirNodeData *nd = NodeData(driveNode);
    const bool selectedHere = TopLevelOf(currentItem()) == driveNode;
    driveNode->setExpanded(false);
    DeleteChildren(driveNode);
    nd->Listed = false;
    ProbeSubfolders(driveNode);
    RefreshDriveCaption(driveNode);
    if (m_volumeSerial.value(nd->Path) != -1 && driveNode->childCount() == 0)
        AddPlaceholder(driveNode);
    if (selectedHere)
        setCurrentItem(driveNode);
}

void TDirTree::ReadDrives()
{
    {
        WaitCursor wait;
        Suspend suspend(this, true);
        DeleteAllNodes();
        m_drives = CurrentDrives();
        if (m_showShareOverlay)
            m_sharedFolders = m_platform.Shares.Read();
        for (const DriveInfo &drive : std::as_const(m_drives))
            AddDriveNode(drive, topLevelItemCount());
        m_built = true;
    }
    if (currentItem())
        scrollToItem(currentItem());
}

bool TDirTree::UpdateDrives()
{
    bool changed = false;
    {
        Suspend suspend(this, true);
        const QList<DriveInfo> now = CurrentDrives();
        const auto holds = [](const QList<DriveInfo> &drives, const QString &root) {
            return std::any_of(drives.begin(), drives.end(), [&](const DriveInfo &d) { return d.Root == root; });
        };
        const QList<DriveInfo> before = std::exchange(m_drives, now);
        for (const DriveInfo &gone : before) {
            if (holds(now, gone.Root))
                continue;
            if (QTreeWidgetItem *node = DriveNode(gone.Root))
                DeleteNode(node);
            changed = true;
        }
        for (const DriveInfo &drive : now) {
            if (holds(before, drive.Root))
                continue;
            int index = 0;
            while (index < topLevelItemCount()) {
                const TDirNodeData *nd = NodeData(topLevelItem(index));
                const DriveInfo *known = nd ? KnownDrive(nd->Path) : nullptr;
                if (known && DriveLess(drive, *known))
                    break;
                ++index;
            }
            AddDriveNode(drive, index);
            changed = true;
        }
    }
    if (changed) {
        viewport()->update();
        SelectionChange(currentItem());
    }
    return changed;
}

void TDirTree::MountsChanged()
{
    if (!m_built)
        return;  // the drive level is read when the tree is first loaded
    {
        Suspend suspend(this, true);
        if (!UpdateDrives()) {
            // No drive came or went: perhaps another volume was mounted where one was before. Drives whose
            // volume was never read have nothing to compare with and are left alone.
            for (qsizetype i = m_drives.size() - 1; i >= 0; --i) {
                const QString root = m_drives.at(i).Root;
                const qint64 stored = m_volumeSerial.value(root, 0);
                if (stored == 0 || m_platform.VolumeSerialOf(root) == stored)
                    continue;
                if (QTreeWidgetItem *node = DriveNode(root))
                    RefreshDrive(node);
                break;
            }
        }
    }
    SelectionChange(currentItem());
}

QString TDirTree::LastFolder(const QString &driveRoot) const { return m_lastFolder.value(driveRoot, driveRoot); }

qint64 TDirTree::VolumeSerial(const QString &driveRoot) const { return m_volumeSerial.value(driveRoot, 0); }

// ---- Selection

QString TDirTree::SelectedPath() const
{
    const QTreeWidgetItem *node = currentItem();
    if (!node)
        return QStringLiteral("?");
    const TDirNodeData *nd = NodeData(node);
    return nd ? nd->Path : QString();
}

bool TDirTree::VolumeChangedUnder(QTreeWidgetItem *node) const
{
    if (!node || !NodeData(node))
        return false;
    const QString root = NodeData(TopLevelOf(node))->Path;
    return m_platform.VolumeSerialOf(root) != m_volumeSerial.value(root, 0);
}

void TDirTree::RefreshAndSelectDrive(QTreeWidgetItem *driveNode)
{
    {
        Suspend suspend(this, true);
        RefreshDrive(driveNode);
        setCurrentItem(driveNode);
    }
    SelectionChange(driveNode);
}

void TDirTree::PostVolumeRefresh(QTreeWidgetItem *node)
{
    // The tree view is in the middle of changing its selection: its nodes are replaced once it is done.
    const QString root = NodeData(TopLevelOf(node))->Path;
    QMetaObject::invokeMethod(
        this,
        [this, root] {
            QTreeWidgetItem *drive = DriveNode(root);
            if (drive && !m_destroying && VolumeChangedUnder(drive))
                RefreshAndSelectDrive(drive);
        },
        Qt::QueuedConnection);
}

void TDirTree::SelectionChange(QTreeWidgetItem *node)
{
    if (m_updateCount != 0 || m_destroying)
        return;
    if (VolumeChangedUnder(node)) {
        // Another volume: the drive's branch is closed and read afresh, and the drive itself is reported.
        PostVolumeRefresh(node);
        return;
    }
    if (const TDirNodeData *nd = NodeData(node))
        m_lastFolder.insert(NodeData(TopLevelOf(node))->Path, nd->Path);
    if (OnChange)
        OnChange(this, node);
}

void TDirTree::NodeClicked(QTreeWidgetItem *node)
{
    if (VolumeChangedUnder(currentItem())) {
        PostVolumeRefresh(currentItem());
        return;
    }
    if (OnClick)
        OnClick(this, node);
}

void TDirTree::NodeExpanded(QTreeWidgetItem *node)
{
    if (NodeData(node) && !NodeData(node)->Listed) {
        WaitCursor wait;
        ListSubfolders(node);
    }
}

void TDirTree::SelectNode(QTreeWidgetItem *node)
{
    if (VolumeChangedUnder(node)) {
        RefreshAndSelectDrive(TopLevelOf(node));
        scrollToItem(currentItem());
        return;
    }
    for (QTreeWidgetItem *parent = node->parent(); parent; parent = parent->parent())
        parent->setExpanded(true);
    setCurrentItem(node);
    scrollToItem(node);
}

void TDirTree::SelectPath(const QString &path)
{
    if (path.isEmpty())
        throw TDirTreeError("Invalid Path Name");
    if (path == u"?")
        return;
    const QString absolute = AbsoluteClean(path, QDir::currentPath());
    QString target = WithTrailingSlash(absolute);
    if (!ExistsIgnoringCase(absolute)) {
        target = DriveRootFor(CurrentFolder());
        if (target.isEmpty())
            target = QStringLiteral("/");
    }

    WaitCursor wait;
    QTreeWidgetItem *node = nullptr;
    {
        Suspend suspend(this, false);
        QStringList roots;
        for (int i = 0; i < topLevelItemCount(); ++i) {
            const TDirNodeData *nd = NodeData(topLevelItem(i));
            roots.append(nd ? nd->Path : QString());
        }
        int top = DriveIndexFor(roots, target);
        if (top < 0) {
            // A drive spelled in another case is taken only when no other drive fits that way too.
            int folded = -1;
            for (int i = 0; i < roots.size(); ++i) {
                if (!roots.at(i).isEmpty() && target.startsWith(roots.at(i), Qt::CaseInsensitive))
                    folded = folded == -1 ? i : -2;
            }
            top = folded;
        }
        if (top < 0)
            return;
        node = topLevelItem(top);
        const auto childNames = [](QTreeWidgetItem *parent) {
            QStringList names;
            for (int i = 0; i < parent->childCount(); ++i) {
                const TDirNodeData *child = NodeData(parent->child(i));
                names.append(child ? child->Path.mid(NodeData(parent)->Path.size()).chopped(1) : QString());
            }
            return names;
        };
        for (const QString &name : Components(target.mid(roots.at(top).size()))) {
            const bool listedBefore = NodeData(node)->Listed;
            ListSubfolders(node);
            QStringList names = childNames(node);
            const bool anySpelling = std::any_of(names.begin(), names.end(), [&](const QString &n) {
                return n.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (!anySpelling && listedBefore) {
                // The tree is kept between uses: folders made since this one was listed are added.
                AddNewSubfolders(node);
                names = childNames(node);
            }
            const int match = MatchName(names, name);
            if (match < 0)
                return;
            node = node->child(match);
        }
    }
    SelectNode(node);
}

void TDirTree::Reload()
{
    QString remembered = SelectedPath();
    if (remembered.isEmpty())
        remembered = QStringLiteral("?");  // a placeholder was selected: there is no folder to go back to
    ReadDrives();
    SelectPath(remembered);
    if (topLevelItemCount() > 0 && !currentItem()) {
        const QString root = DriveRootFor(remembered);
        if (!root.isEmpty())
            SelectPath(root);
    }
    if (topLevelItemCount() == 0 || currentItem())
        return;

    // The first local disk: removable media, network shares and automount points are not opened unasked.
    int index = 0;
    while (index + 1 < topLevelItemCount()) {
        const DriveInfo *drive = KnownDrive(NodeData(topLevelItem(index))->Path);
        if (drive && (drive->Type == TDriveType::drtFixed || drive->Type == TDriveType::drtRamDisk))
            break;
        ++index;
    }
    QTreeWidgetItem *drive = topLevelItem(index);
    const QString last = LastFolder(NodeData(drive)->Path);
    try {
        SelectPath(last);
    } catch (const TDirTreeError &) { }
    if (SelectedPath() != last) {
        if (currentItem() != drive)
            setCurrentItem(drive);
        else
            SelectionChange(drive);
    }
}

void TDirTree::SelectDrive(const QString &pathOnDrive)
{
    try {
        if (pathOnDrive.isEmpty())
            return;
        const QString root = DriveRootFor(WithTrailingSlash(AbsoluteClean(pathOnDrive, QDir::currentPath())));
        if (root.isEmpty())
            return;
        const QString selected = SelectedPath();
        if (selected.startsWith(u'/') && DriveRootFor(selected) == root)
            return;
        QString folder = LastFolder(root);
        if (!Exists(folder))
            folder = root;
        SelectPath(folder);
    } catch (const TDirTreeError &) { }
}

void TDirTree::Loaded()
{
    QString start = AbsoluteClean(m_initialDirectory, QDir::currentPath());
    if (m_initialDirectory.isEmpty() || !IsFolder(start))
        start = QDir::currentPath();
    SelectPath(start);
}

int TDirTree::ExpandAll(QTreeWidgetItem *start)
{
    const TDirNodeData *nd = NodeData(start);
    struct stat top { };
    if (!nd || ::stat(EncodeName(nd->Path).constData(), &top) != 0)
        return 0;
    using FolderId = std::pair<dev_t, ino_t>;
    struct Pending {
        QTreeWidgetItem *node;
        QList<FolderId> way;  // the folders from `start` down to the node, the node's own included
    };
    WaitCursor wait;
    QElapsedTimer clock;
    clock.start();
    int opened = 0;
    {
        Suspend suspend(this, true);
        std::vector<Pending> stack{{start, {FolderId(top.st_dev, top.st_ino)}}};
        while (!stack.empty() && opened < ExpandAllLimit && clock.elapsed() < ExpandAllSeconds * 1000) {
            const Pending next = std::move(stack.back());
            stack.pop_back();
            ListSubfolders(next.node);
            next.node->setExpanded(true);
            ++opened;
            for (int i = next.node->childCount() - 1; i >= 0; --i) {
                QTreeWidgetItem *child = next.node->child(i);
                const TDirNodeData *cd = NodeData(child);
                struct stat info { };
                if (!cd || ::stat(EncodeName(cd->Path).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
                    continue;
                const FolderId id(info.st_dev, info.st_ino);
                // Another file system (a kernel one such as /proc, a network share, a disk), or a link back to a
                // folder on the way down, which would never end.
                if (info.st_dev != top.st_dev || m_systemFolders.contains(cd->Path) || next.way.contains(id))
                    continue;
                QList<FolderId> way = next.way;
                way.append(id);
                stack.push_back({child, std::move(way)});
            }
        }
    }
    scrollToItem(start);
    return opened;
}

void TDirTree::keyPressEvent(QKeyEvent *event)
{
    // The tree view's own "*" opens everything below without end; this one is bounded.
    if (event->key() == Qt::Key_Asterisk && currentItem()) {
        ExpandAll(currentItem());
        event->accept();
        return;
    }
    // Ctrl+H shows or hides the hidden (dot) folders, as in file managers.
    if (event->key() == Qt::Key_H && event->modifiers() == Qt::ControlModifier) {
        TDirTypes types = m_dirTypes;
        if (types.contains(TDirType::dtHidden))
            types.remove(TDirType::dtHidden);
        else
            types.insert(TDirType::dtHidden);
        SetDirTypes(types);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TDirTree::showEvent(QShowEvent *event)
{
    QTreeWidget::showEvent(event);
    if (m_readOnStart && !m_built) {
        ReadDrives();
        try {
            Loaded();
        } catch (const TDirTreeError &) { }
    }
}
