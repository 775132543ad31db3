// The library tree `treeview_songlibrary`: its properties, its popup menu `popupmenu_treeview` with the
// commands on songs and sets, playing from the tree, in-place renaming, the keyboard, and moving nodes by drag
// and drop. After a command that changes the library, the library files are written and both views are
// rebuilt from them (CreateLibraryMenu); an in-place rename and a drag move change only the tree.

#include "app/window/form_main.h"
#include "library/EditMP3Tag.h"
#include "library/LibraryMarks.h"
#include "library/LibraryTreeDelegate.h"
#include "library/LibraryTreeEvents.h"
#include "library/LibraryTreeImages.h"
#include "library/store/LibraryStore.h"
#include "library/store/LibraryText.h"
#include "platform/shell/Shell.h"
#include "playback/NowPlaying.h"
#include "playback/tree_state.h"

#include <QLabel>
#include <QMenu>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <exception>

using namespace library;

namespace {

bool IsSetNode(QTreeWidgetItem *node)
{
    return node->parent() == nullptr;
}

QAction *TreeMenuItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

// The set file's line behind a song node. A set may hold one title twice (two albums' "01"), so the node's
// place among its set's songs, which is its line's place in the file the tree was built from, tells them
// apart; when the file has changed since and that line no longer carries the node's title, the first line of
// the title stands in. An index of -1: the title is not in the set.
struct NodeSongLine {
    QString line;
    int index = -1;
};

NodeSongLine LineOfSongNode(LibraryStore &library, QTreeWidgetItem *node)
{
    const QTreeWidgetItem *setNode = node->parent();
    library.OpenLibrary();
    library.OpenSet(setNode->text(0));
    const QStringList &songs = library.songs();
    int index = setNode->indexOfChild(node);
    if (index < 0 || index >= songs.size() || SongTitle(songs.at(index)) != node->text(0))
        index = library.indexOfSongTitle(node->text(0), Qt::CaseInsensitive, LibraryStore::Match::First);
    return index >= 0 ? NodeSongLine{songs.at(index), index} : NodeSongLine{};
}

// Every node in index order (a node before its children) is expanded or collapsed; a node's descendants come
// after it, so each node ends up expanded (collapsed) together with all its descendants. Nodes without
// children have nothing to show either way.
void ExpandAll(QTreeWidget *tree, bool expand)
{
    QList<QTreeWidgetItem *> nodes;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->childCount() > 0 || (*it)->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator)
            nodes.append(*it);
    }
    for (QTreeWidgetItem *node : std::as_const(nodes))
        node->setExpanded(expand);
}

}  // namespace

void Tform_main::SetUpLibraryTree()
{
    if (popupmenu_treeview)
        return;
    QTreeWidget *tree = treeview_songlibrary;
    tree->setIndentation(19);
    tree->viewport()->setAttribute(Qt::WA_Hover);  // hot tracking
    tree->setMouseTracking(true);
    // A left click on the selected node (and F2) edits its label.
    tree->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setDragEnabled(true);
    tree->setAcceptDrops(true);
    tree->setDragDropMode(QAbstractItemView::DragDrop);
    tree->setExpandsOnDoubleClick(true);
    QPalette palette = tree->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    tree->setPalette(palette);

    auto *delegate = new LibraryTreeDelegate(playback::kTreeStateIndexRole, tree);
    delegate->setEditedHandler([this](const QModelIndex &index, const QString &newText) {
        QTreeWidgetItem *node = treeview_songlibrary->itemFromIndex(index);
        return node != nullptr && treeview_songlibraryEdited(node, newText);
    });
    tree->setItemDelegate(delegate);
    // The indexes through which the now-playing display marks the current song in the tree and the menu.
    new TreeMarks(tree, playback::kTreeStateIndexRole);
    new MenuMarks(pop_songlibrary);

    LibraryTreeEvents::Handlers handlers;
    handlers.mouseDown = [this](Qt::MouseButton button, const QPoint &point) {
        treeview_songlibraryMouseDown(button, point);
    };
    handlers.keyDown = [this](int key) { treeview_songlibraryKeyDown(key); };
    handlers.dragOver = [this](const QObject *source) { return treeview_songlibraryDragOver(source); };
    handlers.dragDrop = [this](const QPoint &point) { treeview_songlibraryDragDrop(point); };
    handlers.editing = [delegate] { return delegate->isEditing(); };
    new LibraryTreeEvents(tree, handlers);

    connect(tree, &QTreeWidget::itemDoubleClicked, this, [this] { treeview_songlibraryDblClick(); });
    connect(tree, &QTreeWidget::itemExpanded, this, &Tform_main::treeview_songlibraryExpanding);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QWidget::customContextMenuRequested, this, &Tform_main::popupmenu_treeviewPopup);

    popupmenu_treeview = new QMenu(this);
    popupmenu_treeview->setObjectName(QStringLiteral("popupmenu_treeview"));
    QMenu *m = popupmenu_treeview;
    pop_tv_playsong = TreeMenuItem(m, "pop_tv_playsong", QStringLiteral("Play Song"));
    pop_tv_addsong = TreeMenuItem(m, "pop_tv_addsong", QStringLiteral("Add new Song to this Set..."));
    pop_tv_renamesong = TreeMenuItem(m, "pop_tv_renamesong", QStringLiteral("Rename Song (=left-click on song)"));
    pop_tv_mp3tageditor = TreeMenuItem(m, "pop_tv_mp3tageditor", QStringLiteral("MP3 Tag Editor"));
    pop_tv_removesong = TreeMenuItem(m, "pop_tv_removesong", QStringLiteral("Remove Song"));
    m->addSeparator();
    pop_tv_newset = TreeMenuItem(m, "pop_tv_newset", QStringLiteral("Add new Set at this position..."));
    pop_tv_renameset = TreeMenuItem(m, "pop_tv_renameset", QStringLiteral("Rename Set (=left-click on set)"));
    pop_tv_removeset = TreeMenuItem(m, "pop_tv_removeset", QStringLiteral("Remove Set"));
    m->addSeparator();
    pop_tv_expand = TreeMenuItem(m, "pop_tv_expand", QStringLiteral("Expand whole Tree"));
    pop_tv_collapse = TreeMenuItem(m, "pop_tv_collapse", QStringLiteral("Collapse Tree"));

    const std::initializer_list<std::pair<QAction *, void (Tform_main::*)()>> commands = {
        {pop_tv_playsong, &Tform_main::pop_tv_playsongClick},
        {pop_tv_addsong, &Tform_main::pop_tv_addsongClick},
        {pop_tv_renamesong, &Tform_main::pop_tv_renamesongClick},
        {pop_tv_mp3tageditor, &Tform_main::pop_tv_mp3tageditorClick},
        {pop_tv_removesong, &Tform_main::pop_tv_removesongClick},
        {pop_tv_newset, &Tform_main::pop_tv_newsetClick},
        {pop_tv_renameset, &Tform_main::pop_tv_renamesetClick},
        {pop_tv_removeset, &Tform_main::pop_tv_removesetClick},
        {pop_tv_expand, &Tform_main::pop_tv_expandClick},
        {pop_tv_collapse, &Tform_main::pop_tv_collapseClick},
    };
    for (const auto &[item, handler] : commands)
        connect(item, &QAction::triggered, this, handler);
}

// ---- Playing from the tree -----------------------------------------------------------------------------

namespace {

// Plays a song node the way its library menu entry would: a temporary entry pair, the song's entry under one
// standing for its parent node's set.
void PlayNode(Tform_main *window, QTreeWidgetItem *node)
{
    if (!node || IsSetNode(node))
        return;  // a set node's double click only expands or collapses it
    try {
        QMenu setEntry(node->parent()->text(0));
        QAction *songEntry = setEntry.addAction(node->text(0));
        window->LibraryMenuOnClick(songEntry);
    } catch (const std::exception &) {
        Shell::errorBox(QStringLiteral("Can't open/play this treenode!"), window);
    }
}

}  // namespace

void Tform_main::treeview_songlibraryDblClick()
{
    const QList<QTreeWidgetItem *> selected = treeview_songlibrary->selectedItems();
    PlayNode(this, selected.isEmpty() ? nullptr : selected.constFirst());
}

void Tform_main::pop_tv_playsongClick()
{
    PlayNode(this, TreePopupNode);
}

// ---- Events --------------------------------------------------------------------------------------------

void Tform_main::treeview_songlibraryKeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        treeview_songlibraryDblClick();
        return;
    }
    if (key != Qt::Key_Delete)
        return;
    const QList<QTreeWidgetItem *> selected = treeview_songlibrary->selectedItems();
    if (selected.isEmpty())
        return;
    TreePopupNode = selected.constFirst();
    if (IsSetNode(TreePopupNode))
        pop_tv_removesetClick();
    else
        pop_tv_removesongClick();
}

void Tform_main::treeview_songlibraryExpanding(QTreeWidgetItem *node)
{
    treeview_songlibrary->setCurrentItem(node);
}

void Tform_main::treeview_songlibraryMouseDown(Qt::MouseButton button, const QPoint &point)
{
    TreeMouseDownPoint = point;
    TreeDragSource = treeview_songlibrary->itemAt(point);
    // A right click selects the node under the mouse before the popup menu opens.
    if (button == Qt::RightButton && TreeDragSource)
        treeview_songlibrary->setCurrentItem(TreeDragSource);
}

void Tform_main::popupmenu_treeviewPopup(const QPoint &point)
{
    TreePopupNode = treeview_songlibrary->itemAt(TreeMouseDownPoint);
    popupmenu_treeview->popup(treeview_songlibrary->viewport()->mapToGlobal(point));
}

bool Tform_main::treeview_songlibraryEdited(QTreeWidgetItem *node, const QString &newText)
{
    const QString oldText = node->text(0);
    LibraryStore &library = Library();
    bool stored = false;
    if (IsSetNode(node)) {
        stored = library.RenameSet(oldText, newText);
    } else {
        const QString setName = node->parent()->text(0);
        const NodeSongLine song = LineOfSongNode(library, node);
        stored = song.index >= 0 ? library.RenameSongLine(song.line, song.index, newText, setName)
                                 : library.RenameSong(oldText, newText, setName, QString());
    }
    // A name the library refused (the user has been told why) is not shown as if it had been taken.
    return stored;
}

bool Tform_main::treeview_songlibraryDragOver(const QObject *source) const
{
    return qobject_cast<const QTreeView *>(source) != nullptr;
}

void Tform_main::treeview_songlibraryDragDrop(const QPoint &point)
{
    QTreeWidgetItem *target = treeview_songlibrary->itemAt(point);
    QTreeWidgetItem *source = TreeDragSource;
    if (!target || !source)
        return;
    // A node cannot move onto itself or below itself.
    for (const QTreeWidgetItem *up = target; up; up = up->parent()) {
        if (up == source)
            return;
    }
    const bool wasExpanded = source->isExpanded();
    if (QTreeWidgetItem *oldParent = source->parent()) {
        oldParent->removeChild(source);
    } else {
        treeview_songlibrary->takeTopLevelItem(treeview_songlibrary->indexOfTopLevelItem(source));
        // A set node keeps its picture below the top level, where nodes show the song picture by default.
        source->setIcon(0, SetNodeIcon(imagelist_images));
    }

    if (IsSetNode(target)) {
        target->addChild(source);  // the set's last child
    } else {
        QTreeWidgetItem *parent = target->parent();
        parent->insertChild(parent->indexOfChild(target), source);  // right before the song, at its level
    }
    source->setExpanded(wasExpanded);
}

// ---- Popup commands ------------------------------------------------------------------------------------

void Tform_main::pop_tv_addsongClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node)
        return;
    const QString setName = IsSetNode(node) ? node->text(0) : node->parent()->text(0);
    const QString file = Shell::openFileDialog(QStringLiteral("Open"), QString(), this);
    if (file.isEmpty())
        return;
    Library().AddSong(file, setName);
    CreateLibraryMenu();
}

void Tform_main::pop_tv_renamesongClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node)
        return;
    if (node->text(0) == nowPlaying->Title()) {
        Shell::errorBox(QStringLiteral("Can't rename a currently opened song!"), this);
        return;
    }
    if (!IsSetNode(node))
        treeview_songlibrary->editItem(node);
}

void Tform_main::pop_tv_mp3tageditorClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node || IsSetNode(node))
        return;
    if (node->text(0) == nowPlaying->Title()) {
        Shell::errorBox(QStringLiteral("Can't edit a currently opened song!"), this);
        return;
    }
    const NodeSongLine song = LineOfSongNode(Library(), node);
    EditMP3Tag(song.index >= 0 ? SongPath(song.line) : QString(), this);
}

void Tform_main::pop_tv_removesongClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node || IsSetNode(node))
        return;
    if (node->text(0) == nowPlaying->Title()) {
        Shell::errorBox(QStringLiteral("Can't remove a currently opened song!"), this);
        return;
    }
    const QString setName = node->parent()->text(0);
    LibraryStore &library = Library();
    const NodeSongLine song = LineOfSongNode(library, node);  // re-reads the library first
    if (song.index >= 0)
        library.RemoveSongLine(song.line, song.index, setName);
    else
        library.RemoveSong(node->text(0), setName);
    CreateLibraryMenu();
}

void Tform_main::pop_tv_newsetClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node || !IsSetNode(node))
        return;
    LibraryStore &library = Library();
    library.OpenLibrary();
    Q_EMIT NewSetDialogRequested(library.indexOfSet(node->text(0)));
}

void Tform_main::pop_tv_renamesetClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node)
        return;
    if (node->text(0) == label_setname->text()) {
        Shell::errorBox(QStringLiteral("Can't rename set while a song in this set is opened!"), this);
        return;
    }
    if (IsSetNode(node))
        treeview_songlibrary->editItem(node);
}

void Tform_main::pop_tv_removesetClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node || !IsSetNode(node))
        return;
    if (node->text(0) == label_setname->text()) {
        Shell::errorBox(QStringLiteral("Can't remove set while a song in this set is opened!"), this);
        return;
    }
    const QString setName = node->text(0);
    if (!Shell::confirm(QStringLiteral("Are you sure you want to remove the selected set?"), this))
        return;
    Library().RemoveSet(setName);
    CreateLibraryMenu();
}

void Tform_main::pop_tv_expandClick()
{
    ExpandAll(treeview_songlibrary, true);
}

void Tform_main::pop_tv_collapseClick()
{
    ExpandAll(treeview_songlibrary, false);
}
