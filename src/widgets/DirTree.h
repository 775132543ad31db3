#pragma once
// TDirTree: a tree view of the machine's drives and their folders. The top level holds the drives (see
// MountTable.h: the root file system, the home folder and the mounts below the drive folders, captioned with
// label and mount point); below them the folders, read one level at a time when a node is opened or a path
// is selected, and probed one level further so that only folders with subfolders show an expand button.
// The selected folder is reported as a full path with a trailing "/", in the file system's own spelling.
//
// Drives that are mounted or unmounted while the tree is shown are added or removed at the top level without
// a rebuild (the mount table is watched). A drive whose volume changed (another file system mounted at the
// same place) has its branch closed and read afresh when it or one of its folders is selected or clicked,
// or when the mount table reports the change.
//
// Which folders are shown: see DirPaths.h (hidden, system and recycle folders) and the properties below.
//
// Only the user-interface thread may use the control.

#include "platform/desktop/volume_serial.h"
#include "widgets/DirTreeTypes.h"
#include "widgets/mount_table.h"
#include "widgets/shared_folders.h"

#include <QHash>
#include <QIcon>
#include <QSet>
#include <QStringList>
#include <QTreeWidget>

#include <functional>
#include <stdexcept>

class MountWatcher;

// The error SelectPath raises for an empty path.
class TDirTreeError : public std::runtime_error {
public:
    explicit TDirTreeError(const char *text) : std::runtime_error(text) { }
};

class TDirTree : public QTreeWidget {
    Q_OBJECT
public:
    using TAddFileEvent = std::function<void(TDirTree *Sender, const QString &AFileName, bool &DoAdd)>;
    using TNodeEvent = std::function<void(TDirTree *Sender, QTreeWidgetItem *Node)>;
    using TFindDirEvent =
        std::function<void(TDirTree *Sender, const QString &APath, TDirRec &ARec, int &AResult, bool AFirst)>;
    using TDropFilesEvent = std::function<void(TDirTree *Sender, int X, int Y, const QString &aDropDir,
                                               const QStringList &aDropFiles, Qt::KeyboardModifiers Shift)>;

    // The seams the control reads the machine through; tests give their own.
    struct Platform {
        MountSource Mounts;
        SharedFolderSource Shares;
        std::function<qint64(const QString &root)> VolumeSerialOf = ReadVolumeSerial;
        bool WatchMounts = true;
    };

    explicit TDirTree(QWidget *parent = nullptr);
    explicit TDirTree(Platform platform, QWidget *parent = nullptr);
    ~TDirTree() override;

    // ---- Events of the control's own.
    TAddFileEvent OnAddDir;   // asked for every drive root and folder (full path, trailing "/") before it is shown
    TNodeEvent OnDeleteItem;  // after a node's data was freed, just before the node goes
    TNodeEvent OnGetIcon;     // after the control set a node's icon
    TFindDirEvent OnFindDir;  // when set, enumerates subfolders instead of the file system (AResult 0: delivered)
    TDropFilesEvent OnDropFiles;
    TNodeEvent OnChange;  // the selected node changed (the drive's node after a volume change); may be null
    TNodeEvent OnClick;

    // ---- Properties, with the values the constructor sets.
    bool ReadOnStart() const { return m_readOnStart; }  // true: build the drive level when first shown
    void SetReadOnStart(bool value) { m_readOnStart = value; }
    TDirTypes DirTypes() const { return m_dirTypes; }  // [dtNormal, dtAll]; a change reloads
    void SetDirTypes(TDirTypes value);
    bool GoBelowRecycleBin() const { return m_goBelowRecycleBin; }  // false; a change reloads
    void SetGoBelowRecycleBin(bool value);
    bool FastLoad() const { return m_fastLoad; }  // false: fixed, network and RAM drives are probed
    void SetFastLoad(bool value) { m_fastLoad = value; }
    QString InitialDirectory() const { return m_initialDirectory; }  // the current folder
    void SetInitialDirectory(const QString &value) { m_initialDirectory = value; }
    TDriveTypes DriveTypes() const { return m_driveTypes; }  // all six; a change updates the drive level
    void SetDriveTypes(TDriveTypes value);
    bool ShowShareOverlay() const { return m_showShareOverlay; }  // false
    void SetShowShareOverlay(bool value);
    bool AcceptDropFiles() const { return m_acceptDropFiles; }  // false
    void SetAcceptDropFiles(bool value);

    // ---- Operations.
    void ReadDrives();  // rebuild from scratch at the drive level
    void Reload();      // rebuild, keeping the selection where possible
    // Goes to the last folder used on the drive that holds `pathOnDrive` (its root when that folder is gone),
    // unless the selection is on that drive already. Errors are ignored.
    void SelectDrive(const QString &pathOnDrive);
    // Opens the tree down to `path` and selects it. An empty path raises TDirTreeError("Invalid Path Name");
    // "?" does nothing; a path that does not exist selects the root of the current folder's drive; a path
    // that exists but is not in the tree (a filtered folder) leaves the selection as it was. Each folder is
    // matched by its exact name, or else by the only name that equals it ignoring case.
    void SelectPath(const QString &path);
    // The selected folder with a trailing "/"; "?" with no selection, empty for a selected placeholder.
    QString SelectedPath() const;
    // Brings the drive level in line with the mounts present now; true when a drive came or went.
    bool UpdateDrives();
    // During OnDropFiles: the folder of the node the files were dropped on; empty otherwise.
    QString DropTargetPath() const;
    // Call once the owner has set the properties: selects InitialDirectory (or the current folder).
    void Loaded();

    // Reads the subfolders of a node into child nodes (once), each probed one level ahead: the first few at
    // once, the rest in short steps from the event loop (each keeps its expand button until it is probed).
    void ListSubfolders(QTreeWidgetItem *node);
    // Opens the node and every folder below it ("*" on the keyboard). It does not go into a folder on
    // another file system than the node's (so not into /proc from "/"), nor through a link to a folder that
    // is already on the way down, and gives up after ExpandAllLimit folders or ExpandAllSeconds. Returns the
    // number of folders opened.
    int ExpandAll(QTreeWidgetItem *node);
    static constexpr int ExpandAllLimit = 2000;
    static constexpr int ExpandAllSeconds = 5;
    // Folders listed in the last few probing steps are probed; true while some still wait.
    bool ProbesPending() const { return !m_probeWaiting.isEmpty(); }
    // Whether the drive level has been built (by ReadDrives, Reload or the first show).
    bool Built() const { return m_built; }
    // Gives a node a placeholder child when it has a subfolder that would be shown.
    void ProbeSubfolders(QTreeWidgetItem *node);
    // Adds to a listed node the subfolders that are not among its children yet, in their place; the nodes
    // there (and the selection) stay.
    void AddNewSubfolders(QTreeWidgetItem *node);

    // ---- State.
    static TDirNodeData *NodeData(const QTreeWidgetItem *node);  // null for a placeholder
    QString LastFolder(const QString &driveRoot) const;          // the folder last selected on a drive
    qint64 VolumeSerial(const QString &driveRoot) const;         // 0 until read, -1 when unreadable
    QList<DriveInfo> Drives() const { return m_drives; }         // the drives shown at the last build or update
    QTreeWidgetItem *DriveNode(const QString &driveRoot) const;
    // The drive root (with "/") of the drive node that holds `path`; empty when none does.
    QString DriveRootFor(const QString &path) const;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;  // "*": ExpandAll; Ctrl+H: hidden folders shown or not
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    class Suspend;  // holds change notifications (and redrawing) while it lives
    friend class Suspend;

    void Init();
    // Drives
    QList<DriveInfo> CurrentDrives();
    const DriveInfo *KnownDrive(const QString &root) const;
    QTreeWidgetItem *AddDriveNode(const DriveInfo &drive, int index);
    void RefreshDriveCaption(QTreeWidgetItem *driveNode);
    void RefreshDrive(QTreeWidgetItem *driveNode);
    QTreeWidgetItem *TopLevelOf(QTreeWidgetItem *node) const;
    void MountsChanged();
    // Selection
    bool VolumeChangedUnder(QTreeWidgetItem *node) const;
    void RefreshAndSelectDrive(QTreeWidgetItem *driveNode);
    void PostVolumeRefresh(QTreeWidgetItem *node);
    void SelectionChange(QTreeWidgetItem *node);
    void NodeClicked(QTreeWidgetItem *node);
    void NodeExpanded(QTreeWidgetItem *node);
    void SelectNode(QTreeWidgetItem *node);
    // Nodes (DirTreeNodes.cpp)
    bool PassesFilter(const QString &path, uint32_t attr);
    // Calls `found` for each subfolder of `path` that passes the filter, until it returns false.
    void EnumerateSubfolders(const QString &path, void *userData,
                             const std::function<bool(const QString &name, void *userData)> &found);
    QTreeWidgetItem *NewFolderNode(const QString &path, const QString &caption, void *userData);
    void AddPlaceholder(QTreeWidgetItem *node);
    void SetIcons(QTreeWidgetItem *node, const DriveInfo *drive);
    void SetOverlay(QTreeWidgetItem *node);
    void DeleteNode(QTreeWidgetItem *node);
    void DeleteChildren(QTreeWidgetItem *node);
    void DeleteAllNodes();
    QString HomeTrash() const;
    void QueueProbe(QTreeWidgetItem *node);
    void ProbeStep();
    QIcon FolderIcon(bool shared);

    Platform m_platform;
    bool m_readOnStart = true;
    TDirTypes m_dirTypes{TDirType::dtNormal, TDirType::dtAll};
    bool m_goBelowRecycleBin = false;
    bool m_fastLoad = false;
    QString m_initialDirectory;
    TDriveTypes m_driveTypes = kAllDriveTypes;
    bool m_showShareOverlay = false;
    bool m_acceptDropFiles = false;

    bool m_built = false;
    bool m_destroying = false;
    int m_updateCount = 0;  // selection changes reach nobody while it is not zero
    QList<DriveInfo> m_drives;
    QSet<QString> m_systemFolders;
    QSet<QString> m_sharedFolders;
    QHash<QString, QString> m_lastFolder;
    QHash<QString, qint64> m_volumeSerial;
    QString m_startFolder;  // the current folder at construction
    QTreeWidgetItem *m_dropTarget = nullptr;
    MountWatcher *m_watcher = nullptr;
    QIcon m_folderIcon;                      // closed folder, open when selected; made on first use
    QIcon m_sharedFolderIcon;                // the same with the share overlay
    QList<QTreeWidgetItem *> m_probeQueue;   // nodes listed but not probed yet, in order
    QSet<QTreeWidgetItem *> m_probeWaiting;  // the same as a set; a node leaves it when probed or deleted
    bool m_probeStepPosted = false;
};
