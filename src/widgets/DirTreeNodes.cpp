// Folder nodes of the directory tree: enumerating and filtering subfolders, listing and probing, icons and the
// share overlay, deleting nodes, and files dropped onto a node.

#include "widgets/dir_paths.h"
#include "widgets/DirTree.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileIconProvider>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QElapsedTimer>
#include <QUrl>

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <utility>

using namespace dirpaths;

namespace {

constexpr int kFolderNodeType = QTreeWidgetItem::UserType + 81;

// A node that knows its folder; a plain QTreeWidgetItem is a placeholder.
class TDirNode : public QTreeWidgetItem {
public:
    explicit TDirNode(std::unique_ptr<TDirNodeData> nd) : QTreeWidgetItem(kFolderNodeType), Data(std::move(nd)) { }
    std::unique_ptr<TDirNodeData> Data;
};

bool IsDirectoryEntry(const QByteArray &fullPath, unsigned char type)
{
    if (type == DT_DIR)
        return true;
    if (type != DT_LNK && type != DT_UNKNOWN)
        return false;
    struct stat info { };
    return ::stat(fullPath.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder icon with the share mark in its lower left corner.
QPixmap WithShareMark(const QPixmap &base)
{
    QPixmap marked = base;
    QPainter painter(&marked);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal size = marked.width() / marked.devicePixelRatio() / 2.0;
    const QRectF mark(0, marked.height() / marked.devicePixelRatio() - size, size, size);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(QColor(0, 96, 192));
    painter.drawEllipse(mark.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.drawLine(QPointF(mark.left() + size * 0.3, mark.center().y()),
                     QPointF(mark.right() - size * 0.25, mark.center().y()));
    return marked;
}

}  // namespace

TDirNodeData *TDirTree::NodeData(const QTreeWidgetItem *node)
{
    if (!node || node->type() != kFolderNodeType)
        return nullptr;
    return static_cast<const TDirNode *>(node)->Data.get();
}

QString TDirTree::HomeTrash() const
{
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.startsWith(u'/'))
        return WithTrailingSlash(dataHome) + u"Trash"_qs;
    return WithTrailingSlash(m_platform.Mounts.HomeFolder()) + u".local/share/Trash"_qs;
}

bool TDirTree::PassesFilter(const QString &path, uint32_t attr)
{
    if (!m_goBelowRecycleBin && IsBelowRecycleFolder(path, HomeTrash()))
        return false;
    if (OnAddDir) {
        bool doAdd = true;
        OnAddDir(this, path, doAdd);
        if (!doAdd)
            return false;
    }
    return PassesDirTypes(attr, m_dirTypes);
}

void TDirTree::EnumerateSubfolders(const QString &path, void *userData,
                                   const std::function<bool(const QString &, void *)> &found)
{
    TDirRec rec;
    rec.UserData = userData;
    // Whether to go on after the entry in `rec`.
    const auto consider = [&]() {
        if ((rec.Attr & DirAttr::Directory) == 0 || rec.Name.isEmpty() || rec.Name == u"." || rec.Name == u"..")
            return true;
        if (!PassesFilter(path + rec.Name + u'/', rec.Attr))
            return true;
        return found(rec.Name, rec.UserData);
    };

    if (OnFindDir) {
        int result = 0;
        OnFindDir(this, path, rec, result, true);
        while (result == 0 && consider()) {
            rec.UserData = userData;
            OnFindDir(this, path, rec, result, false);
        }
    } else {
        const QByteArray folder = EncodeName(path);
        rec.FindHandle = ::opendir(folder.constData());
        while (rec.FindHandle) {
            const dirent *entry = ::readdir(rec.FindHandle);
            if (!entry)
                break;
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            rec.Name = DecodeName(name);
            rec.FindType = entry->d_type;
            rec.Attr = 0;
            if (IsDirectoryEntry(folder + name, entry->d_type))
                rec.Attr |= DirAttr::Directory;
            if (name.startsWith('.'))
                rec.Attr |= DirAttr::Hidden;
            if (m_systemFolders.contains(path + rec.Name + u'/'))
                rec.Attr |= DirAttr::System;
            if (!consider())
                break;
        }
    }
    if (rec.FindHandle)
        ::closedir(rec.FindHandle);
}

QTreeWidgetItem *TDirTree::NewFolderNode(const QString &path, const QString &caption, void *userData)
{
    auto nd = std::make_unique<TDirNodeData>();
    nd->Path = path;
    nd->UserData = userData;
    auto *node = new TDirNode(std::move(nd));
    node->setText(0, caption);
    return node;
}

void TDirTree::AddPlaceholder(QTreeWidgetItem *node) { node->addChild(new QTreeWidgetItem()); }

void TDirTree::ListSubfolders(QTreeWidgetItem *node)
{
    TDirNodeData *nd = NodeData(node);
    if (!nd || nd->Listed)
        return;
    m_probeWaiting.remove(node);
    DeleteChildren(node);
    nd->Listed = true;

    QList<std::pair<QString, void *>> folders;
    EnumerateSubfolders(nd->Path, nd->UserData, [&](const QString &name, void *userData) {
        folders.append({name, userData});
        return true;
    });
    std::sort(folders.begin(), folders.end(), [](const auto &a, const auto &b) { return NameLess(a.first, b.first); });

    QList<QTreeWidgetItem *> children;
    for (const auto &[name, userData] : std::as_const(folders)) {
        QTreeWidgetItem *child = NewFolderNode(nd->Path + name + u'/', name, userData);
        SetOverlay(child);
        SetIcons(child, nullptr);
        children.append(child);
    }
    node->addChildren(children);
    // One level ahead, so that only folders with subfolders show an expand button. Probing opens every
    // child, which a folder with thousands of subfolders (or one on a slow server) cannot afford at once: the
    // first few are probed now, the others keep an expand button and are probed in steps from the event loop.
    constexpr int kProbeAtOnce = 64;
    constexpr qint64 kProbeAtOnceMs = 50;
    QElapsedTimer clock;
    clock.start();
    for (qsizetype i = 0; i < children.size(); ++i) {
        if (i < kProbeAtOnce && clock.elapsed() < kProbeAtOnceMs) {
            ProbeSubfolders(children.at(i));
        } else {
            AddPlaceholder(children.at(i));
            QueueProbe(children.at(i));
        }
    }
}

void TDirTree::AddNewSubfolders(QTreeWidgetItem *node)
{
    TDirNodeData *nd = NodeData(node);
    if (!nd || !nd->Listed)
        return;
    QSet<QString> known;
    for (int i = 0; i < node->childCount(); ++i) {
        if (const TDirNodeData *child = NodeData(node->child(i)))
            known.insert(child->Path);
    }
    EnumerateSubfolders(nd->Path, nd->UserData, [&](const QString &name, void *userData) {
        const QString path = nd->Path + name + u'/';
        if (known.contains(path))
            return true;
        int index = 0;
        while (index < node->childCount() && NameLess(node->child(index)->text(0), name))
            ++index;
        QTreeWidgetItem *child = NewFolderNode(path, name, userData);
        SetOverlay(child);
        SetIcons(child, nullptr);
        node->insertChild(index, child);
        ProbeSubfolders(child);
        return true;
    });
}

void TDirTree::ProbeSubfolders(QTreeWidgetItem *node)
{
    const TDirNodeData *nd = NodeData(node);
    if (!nd)
        return;
    bool any = false;
    EnumerateSubfolders(nd->Path, nd->UserData, [&](const QString &, void *) {
        any = true;
        return false;
    });
    if (any)
        AddPlaceholder(node);
}

void TDirTree::QueueProbe(QTreeWidgetItem *node)
{
    m_probeQueue.append(node);
    m_probeWaiting.insert(node);
    if (!m_probeStepPosted) {
        m_probeStepPosted = true;
        QTimer::singleShot(0, this, &TDirTree::ProbeStep);
    }
}

void TDirTree::ProbeStep()
{
    m_probeStepPosted = false;
    if (m_destroying)
        return;
    // A short slice at a time, so that the window keeps answering between steps.
    constexpr qint64 kStepMs = 10;
    QElapsedTimer clock;
    clock.start();
    qsizetype done = 0;
    while (done < m_probeQueue.size() && clock.elapsed() < kStepMs) {
        QTreeWidgetItem *node = m_probeQueue.at(done++);
        // A node opened meanwhile was listed; a deleted one left the set.
        if (!m_probeWaiting.remove(node))
            continue;
        const TDirNodeData *nd = NodeData(node);
        bool any = false;
        EnumerateSubfolders(nd->Path, nd->UserData, [&](const QString &, void *) {
            any = true;
            return false;
        });
        if (!any && !nd->Listed)
            DeleteChildren(node);  // the expand button goes
    }
    m_probeQueue.remove(0, done);
    if (m_probeWaiting.isEmpty())
        m_probeQueue.clear();
    if (!m_probeQueue.isEmpty() && !m_probeStepPosted) {
        m_probeStepPosted = true;
        QTimer::singleShot(0, this, &TDirTree::ProbeStep);
    }
}

// ---- Icons and the share overlay

QIcon TDirTree::FolderIcon(bool shared)
{
    if (m_folderIcon.isNull()) {
        const QPixmap closed = style()->standardIcon(QStyle::SP_DirClosedIcon).pixmap(16, 16);
        const QPixmap open = style()->standardIcon(QStyle::SP_DirOpenIcon).pixmap(16, 16);
        m_folderIcon.addPixmap(closed, QIcon::Normal);
        m_folderIcon.addPixmap(open, QIcon::Selected);
        m_sharedFolderIcon.addPixmap(WithShareMark(closed), QIcon::Normal);
        m_sharedFolderIcon.addPixmap(WithShareMark(open), QIcon::Selected);
    }
    return shared ? m_sharedFolderIcon : m_folderIcon;
}

void TDirTree::SetIcons(QTreeWidgetItem *node, const DriveInfo *drive)
{
    const TDirNodeData *nd = NodeData(node);
    const bool shared = nd && nd->Overlay == 0;
    if (drive) {
        static const QFileIconProvider provider;
        QIcon icon =
            provider.icon(drive->Type == TDriveType::drtRemote ? QFileIconProvider::Network : QFileIconProvider::Drive);
        if (shared)
            icon = QIcon(WithShareMark(icon.pixmap(16, 16)));
        node->setIcon(0, icon);
    } else {
        node->setIcon(0, FolderIcon(shared));
    }
    if (OnGetIcon)
        OnGetIcon(this, node);
}

void TDirTree::SetOverlay(QTreeWidgetItem *node)
{
    if (TDirNodeData *nd = NodeData(node)) {
        const QString folder = nd->Path.size() > 1 ? nd->Path.chopped(1) : nd->Path;
        nd->Overlay = m_showShareOverlay && m_sharedFolders.contains(folder) ? 0 : -1;
    }
}

void TDirTree::SetShowShareOverlay(bool value)
{
    m_showShareOverlay = value;
    if (value)
        m_sharedFolders = m_platform.Shares.Read();
    // Every node there is (placeholders have nothing to mark).
    std::function<void(QTreeWidgetItem *)> walk = [&](QTreeWidgetItem *node) {
        if (TDirNodeData *nd = NodeData(node)) {
            const int before = nd->Overlay;
            SetOverlay(node);
            if (nd->Overlay != before)
                SetIcons(node, node->parent() ? nullptr : KnownDrive(nd->Path));
        }
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i));
    };
    for (int i = 0; i < topLevelItemCount(); ++i)
        walk(topLevelItem(i));
}

// ---- Deleting nodes

void TDirTree::DeleteNode(QTreeWidgetItem *node)
{
    DeleteChildren(node);
    if (node->type() == kFolderNodeType)
        static_cast<TDirNode *>(node)->Data.reset();
    if (m_dropTarget == node)
        m_dropTarget = nullptr;
    m_probeWaiting.remove(node);
    if (OnDeleteItem)
        OnDeleteItem(this, node);
    delete node;
}

void TDirTree::DeleteChildren(QTreeWidgetItem *node)
{
    while (node->childCount() > 0)
        DeleteNode(node->child(node->childCount() - 1));
}

void TDirTree::DeleteAllNodes()
{
    while (topLevelItemCount() > 0)
        DeleteNode(topLevelItem(topLevelItemCount() - 1));
}

// ---- Dropped files

namespace {

QStringList LocalFiles(const QMimeData *mime)
{
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    }
    return files;
}

}  // namespace

QString TDirTree::DropTargetPath() const
{
    const TDirNodeData *nd = NodeData(m_dropTarget);
    return nd ? nd->Path : QString();
}

void TDirTree::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_acceptDropFiles && !LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TDirTree::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_acceptDropFiles && !LocalFiles(event->mimeData()).isEmpty() && itemAt(event->position().toPoint()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TDirTree::dropEvent(QDropEvent *event)
{
    const QPoint at = event->position().toPoint();
    QTreeWidgetItem *node = m_acceptDropFiles ? itemAt(at) : nullptr;
    const QStringList files = LocalFiles(event->mimeData());
    if (!node || files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    m_dropTarget = node;
    if (OnDropFiles)
        OnDropFiles(this, at.x(), at.y(), DropTargetPath(), files, event->modifiers());
    m_dropTarget = nullptr;
}
