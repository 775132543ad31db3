// The library's views and the song navigation (library_views.h): the tree's properties, its popup menu with
// the commands on songs and sets, playing from the tree, in-place renaming, the keyboard and moving nodes by
// drag and drop; the "Song Library" submenu, rebuilt together with the tree; the steps from song to song.
// After a command that changes the library, the library files are written and both views are rebuilt from
// them (CreateLibraryMenu); an in-place rename and a drag move change only the tree.
//
// Song navigation: sequential steps work on the library set and title of the song opened last (the
// now-playing model's, not the title line, which shows a stream's own title while it reports one) and on the
// library files; no position is kept between commands. Sequential steps never leave the current set. A
// random song is drawn from the set the window names, which "Play Random Set" sets before its song opens.
// The speed buttons, the hotkeys and the end of a song reach these by clicking the window's menu items.

#include "library/ui/library_views.h"
#include "config/locations.h"
#include "library/ui/EditMP3Tag.h"
#include "library/ui/library_marks.h"
#include "library/ui/library_menu_entries.h"
#include "library/ui/library_tree_delegate.h"
#include "library/ui/library_tree_events.h"
#include "library/ui/library_tree_images.h"
#include "library/library_view_reader.h"
#include "library/random_draw.h"
#include "library/song_steps.h"
#include "library/store/library_store.h"
#include "library/store/library_text.h"
#include "platform/shell/shell.h"
#include "playback/now_playing.h"
#include "playback/ui/tree_state.h"
#include "playback/transport_logic.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <exception>
#include <utility>

using namespace library;

namespace {

bool IsSetNode(QTreeWidgetItem *node) { return node->parent() == nullptr; }

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

LibraryViews::LibraryViews(QTreeWidget *tree, QMenu *songLibrary, LibraryStore &library, const NowPlaying &nowPlaying,
                           QLabel *setNameLabel, const SettingsOptions &options, WindowSide windowSide, QWidget *window)
    : QObject(window), m_tree(tree), m_songLibrary(songLibrary), m_library(library), m_nowPlaying(nowPlaying),
      m_setNameLabel(setNameLabel), m_options(options), m_windowSide(std::move(windowSide)), m_window(window)
{ }

void LibraryViews::SetUpLibraryTree()
{
    if (popupmenu_treeview)
        return;
    QTreeWidget *tree = m_tree;
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
        QTreeWidgetItem *node = m_tree->itemFromIndex(index);
        return node != nullptr && treeview_songlibraryEdited(node, newText);
    });
    tree->setItemDelegate(delegate);
    // The indexes through which the now-playing display marks the current song in the tree and the menu.
    new TreeMarks(tree, playback::kTreeStateIndexRole);
    new MenuMarks(m_songLibrary);

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
    connect(tree, &QTreeWidget::itemExpanded, this, &LibraryViews::treeview_songlibraryExpanding);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QWidget::customContextMenuRequested, this, &LibraryViews::popupmenu_treeviewPopup);

    popupmenu_treeview = new QMenu(m_window);
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

    const std::initializer_list<std::pair<QAction *, void (LibraryViews::*)()>> commands = {
        {pop_tv_playsong, &LibraryViews::pop_tv_playsongClick},
        {pop_tv_addsong, &LibraryViews::pop_tv_addsongClick},
        {pop_tv_renamesong, &LibraryViews::pop_tv_renamesongClick},
        {pop_tv_mp3tageditor, &LibraryViews::pop_tv_mp3tageditorClick},
        {pop_tv_removesong, &LibraryViews::pop_tv_removesongClick},
        {pop_tv_newset, &LibraryViews::pop_tv_newsetClick},
        {pop_tv_renameset, &LibraryViews::pop_tv_renamesetClick},
        {pop_tv_removeset, &LibraryViews::pop_tv_removesetClick},
        {pop_tv_expand, &LibraryViews::pop_tv_expandClick},
        {pop_tv_collapse, &LibraryViews::pop_tv_collapseClick},
    };
    for (const auto &[item, handler] : commands)
        connect(item, &QAction::triggered, this, handler);
}

// ---- Playing from the tree -----------------------------------------------------------------------------

// Plays a song node the way its library menu entry would: a temporary entry pair, the song's entry under one
// standing for its parent node's set.
void LibraryViews::PlayNode(QTreeWidgetItem *node)
{
    if (!node || IsSetNode(node))
        return;  // a set node's double click only expands or collapses it
    try {
        QMenu setEntry(node->parent()->text(0));
        QAction *songEntry = setEntry.addAction(node->text(0));
        LibraryMenuOnClick(songEntry);
    } catch (const std::exception &) {
        Shell::errorBox(QStringLiteral("Can't open/play this treenode!"), m_window);
    }
}

void LibraryViews::treeview_songlibraryDblClick()
{
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    PlayNode(selected.isEmpty() ? nullptr : selected.constFirst());
}

void LibraryViews::pop_tv_playsongClick() { PlayNode(TreePopupNode); }

// ---- Events --------------------------------------------------------------------------------------------

void LibraryViews::treeview_songlibraryKeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        treeview_songlibraryDblClick();
        return;
    }
    if (key != Qt::Key_Delete)
        return;
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    if (selected.isEmpty())
        return;
    TreePopupNode = selected.constFirst();
    if (IsSetNode(TreePopupNode))
        pop_tv_removesetClick();
    else
        pop_tv_removesongClick();
}

void LibraryViews::treeview_songlibraryExpanding(QTreeWidgetItem *node) { m_tree->setCurrentItem(node); }

void LibraryViews::treeview_songlibraryMouseDown(Qt::MouseButton button, const QPoint &point)
{
    TreeMouseDownPoint = point;
    TreeDragSource = m_tree->itemAt(point);
    // A right click selects the node under the mouse before the popup menu opens.
    if (button == Qt::RightButton && TreeDragSource)
        m_tree->setCurrentItem(TreeDragSource);
}

void LibraryViews::popupmenu_treeviewPopup(const QPoint &point)
{
    TreePopupNode = m_tree->itemAt(TreeMouseDownPoint);
    popupmenu_treeview->popup(m_tree->viewport()->mapToGlobal(point));
}

bool LibraryViews::treeview_songlibraryEdited(QTreeWidgetItem *node, const QString &newText)
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

bool LibraryViews::treeview_songlibraryDragOver(const QObject *source) const
{
    return qobject_cast<const QTreeView *>(source) != nullptr;
}

void LibraryViews::treeview_songlibraryDragDrop(const QPoint &point)
{
    QTreeWidgetItem *target = m_tree->itemAt(point);
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
        m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(source));
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

void LibraryViews::pop_tv_addsongClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node)
        return;
    const QString setName = IsSetNode(node) ? node->text(0) : node->parent()->text(0);
    const QString file = Shell::openFileDialog(QStringLiteral("Open"), QString(), m_window);
    if (file.isEmpty())
        return;
    Library().AddSong(file, setName);
    CreateLibraryMenu();
}

void LibraryViews::pop_tv_renamesongClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node)
        return;
    if (node->text(0) == m_nowPlaying.Title()) {
        Shell::errorBox(QStringLiteral("Can't rename a currently opened song!"), m_window);
        return;
    }
    if (!IsSetNode(node))
        m_tree->editItem(node);
}

void LibraryViews::pop_tv_mp3tageditorClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node || IsSetNode(node))
        return;
    if (node->text(0) == m_nowPlaying.Title()) {
        Shell::errorBox(QStringLiteral("Can't edit a currently opened song!"), m_window);
        return;
    }
    const NodeSongLine song = LineOfSongNode(Library(), node);
    EditMP3Tag(song.index >= 0 ? SongPath(song.line) : QString(), m_window);
}

void LibraryViews::pop_tv_removesongClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node || IsSetNode(node))
        return;
    if (node->text(0) == m_nowPlaying.Title()) {
        Shell::errorBox(QStringLiteral("Can't remove a currently opened song!"), m_window);
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

void LibraryViews::pop_tv_newsetClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node || !IsSetNode(node))
        return;
    LibraryStore &library = Library();
    library.OpenLibrary();
    Q_EMIT NewSetDialogRequested(library.indexOfSet(node->text(0)));
}

void LibraryViews::pop_tv_renamesetClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node)
        return;
    if (node->text(0) == m_setNameLabel->text()) {
        Shell::errorBox(QStringLiteral("Can't rename set while a song in this set is opened!"), m_window);
        return;
    }
    if (IsSetNode(node))
        m_tree->editItem(node);
}

void LibraryViews::pop_tv_removesetClick()
{
    QTreeWidgetItem *node = TreePopupNode;
    if (!node || !IsSetNode(node))
        return;
    if (node->text(0) == m_setNameLabel->text()) {
        Shell::errorBox(QStringLiteral("Can't remove set while a song in this set is opened!"), m_window);
        return;
    }
    const QString setName = node->text(0);
    if (!Shell::confirm(QStringLiteral("Are you sure you want to remove the selected set?"), m_window))
        return;
    Library().RemoveSet(setName);
    CreateLibraryMenu();
}

void LibraryViews::pop_tv_expandClick() { ExpandAll(m_tree, true); }

void LibraryViews::pop_tv_collapseClick() { ExpandAll(m_tree, false); }

// ---- The "Song Library" submenu ------------------------------------------------------------------------

namespace {

// The submenu's fixed entries ("Manage Library...", a separator, the two favourites entries, a separator)
// come before the sets.
constexpr int kFirstSetEntry = 5;

// Deletes the set entries, from the last one up to the first after the fixed entries. Each set's submenu
// takes its song entries with it.
void ClearSetEntries(QMenu *songLibrary)
{
    const QList<QAction *> entries = songLibrary->actions();
    for (qsizetype i = entries.size() - 1; i >= kFirstSetEntry; --i) {
        QAction *entry = entries.at(i);
        if (QMenu *sub = entry->menu(); sub && sub->parent() == songLibrary)
            delete sub;
        else if (entry->parent() == songLibrary)
            delete entry;
        else
            songLibrary->removeAction(entry);
    }
}

}  // namespace

void LibraryViews::CreateLibraryMenu()
{
    SetUpLibraryTree();
    LibraryStore &library = Library();

    // Pictures: a file that cannot be loaded leaves it and the ones after it out; the build goes on.
    const QString imageFolder = TreeImageFolder.isEmpty() ? runtimeFilesFolder() : TreeImageFolder;
    const LibraryTreeImages images = LoadLibraryTreeImages(imageFolder);
    imagelist_images = images.images;
    imagelist_stateimages = images.stateImages;
    if (auto *delegate = qobject_cast<LibraryTreeDelegate *>(m_tree->itemDelegate())) {
        delegate->setNodeIcons(SetNodeIcon(imagelist_images), SongNodeIcon(imagelist_images));
        delegate->setStateImages(imagelist_stateimages);
    }
    if (!images.complete)
        Shell::errorBox(TreeBitmapFailureText(), m_window);

    TreePopupNode = nullptr;
    TreeDragSource = nullptr;
    ClearSetEntries(m_songLibrary);
    m_tree->clear();

    const LibraryViewContents contents = ReadLibraryView(library);

    const Qt::ItemFlags nodeFlags =
        Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;

    // The nodes take their pictures from the tree's delegate: a set's at the top level, a song's below.
    // Set and song entries carry check marks, set by the now-playing display through the index (MenuMarks),
    // which also gives them their radio behaviour: of several checked entries of one menu, the last one keeps
    // the check.
    MenuMarks *menuMarks = MenuMarks::Of(m_songLibrary);
    menuMarks->Reset();
    QList<QAction *> setEntries;
    QList<QTreeWidgetItem *> setNodes;
    setEntries.reserve(contents.sets.size());
    setNodes.reserve(contents.sets.size());
    for (const LibraryViewSet &set : contents.sets) {
        auto *setNode = new QTreeWidgetItem;
        setNode->setText(0, set.name);
        setNode->setFlags(nodeFlags);
        setNode->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);  // an empty set can be expanded too
        setNodes.append(setNode);

        QAction *setEntry = nullptr;
        QMenu *setMenu = nullptr;
        if (set.titles.isEmpty()) {
            setEntry = new QAction(m_songLibrary);
            connect(setEntry, &QAction::triggered, this, [setEntry] {
                // A set without songs has nothing to play; a click does not move the check mark either.
                setEntry->setChecked(!setEntry->isChecked());
            });
        } else {
            setMenu = new QMenu(m_songLibrary);
            setEntry = setMenu->menuAction();
        }
        SetEntryName(setEntry, set.name);
        setEntry->setCheckable(true);
        setEntries.append(setEntry);
        menuMarks->AddSetEntry(setEntry, set.name, setMenu != nullptr);
        if (!setMenu)
            continue;

        QList<QAction *> songEntries;
        songEntries.reserve(set.titles.size());
        for (const QString &title : set.titles) {
            auto *songEntry = new QAction(setMenu);
            SetEntryName(songEntry, title);
            songEntry->setCheckable(true);
            songEntries.append(songEntry);
            menuMarks->AddSongEntry(songEntry, setMenu, title);

            auto *songNode = new QTreeWidgetItem(setNode);
            songNode->setText(0, title);
            songNode->setFlags(nodeFlags);
        }
        setMenu->addActions(songEntries);
        // The menu reports each of its entries' clicks, from the user and from code alike. The check mark
        // follows the player's state, not the click, so the click's own toggle is undone.
        connect(setMenu, &QMenu::triggered, this, [this](QAction *songEntry) {
            songEntry->setChecked(!songEntry->isChecked());
            LibraryMenuOnClick(songEntry);
        });
    }
    m_songLibrary->addActions(setEntries);
    m_tree->addTopLevelItems(setNodes);
    if (TreeMarks *treeMarks = TreeMarks::Of(m_tree))
        treeMarks->Rebuild();

    if (!contents.complete())
        Shell::errorBox(LibraryViewFailureText(library.LibraryFilePath()), m_window);
}

void LibraryViews::LibraryMenuOnClick(QAction *item)
{
    if (!item)
        return;
    const QMenu *parentEntry = ParentMenu(item);
    const QString setName = parentEntry ? MenuName(parentEntry) : QString();
    const QString title = EntryName(item);

    QString path = QStringLiteral("Song doesn't exist in the library manager's song list.");
    LibraryStore &library = Library();
    library.OpenSet(setName);
    // With a title that repeats, the last song of that title plays.
    const int line = library.indexOfSongTitle(title, Qt::CaseSensitive, LibraryStore::Match::Last);
    if (line >= 0)
        path = SongPath(library.songs().at(line));

    try {
        m_windowSide.stop();
        m_windowSide.openSong(path, setName, title);
    } catch (const std::exception &) {
        Shell::errorBox(QStringLiteral("Couldn't open file: ") + path, m_window);
    }
}

// ---- Song navigation -----------------------------------------------------------------------------------

// Opens the song `step` away from the current one in the current set; nothing when there is no current
// library song or its title is not in the set (any more).
void LibraryViews::StepThroughSet(SongStep step)
{
    const QString setName = m_nowPlaying.SetName();
    const QString title = m_nowPlaying.Title();
    if (setName == playback::kSetUnknown || title == playback::kTitleUnknown)
        return;
    LibraryStore &library = Library();
    library.OpenSet(setName);
    const int index = SteppedSongIndex(library.songs(), title, step);
    if (index < 0)
        return;
    const QString line = library.songs().at(index);
    m_windowSide.openSong(SongPath(line), setName, SongTitle(line));
}

void LibraryViews::Navigate(SongStep step)
{
    m_windowSide.stop();
    if (m_options.randomsong) {
        if (m_options.randomset)
            pop_playrandomsetClick();
        else
            pop_playrandomsongClick();
    } else {
        StepThroughSet(step);
    }
    m_windowSide.showMiniInfo();
}

void LibraryViews::pop_nextsongClick() { Navigate(SongStep::Next); }

void LibraryViews::pop_previoussongClick() { Navigate(SongStep::Previous); }

void LibraryViews::pop_playrandomsongClick()
{
    m_windowSide.stop();
    const QString setName = m_setNameLabel->text();
    if (setName == playback::kSetUnknown) {
        pop_playrandomsetClick();  // chooses a set, then a song of it
        return;
    }
    PlayRandomSongOfSet(setName);
}

void LibraryViews::pop_playrandomsetClick()
{
    LibraryStore &library = Library();
    // Runs at every end of a song while random play is on: a library that does not exist yet is told once,
    // not after every song.
    library.OpenLibrary(LibraryStore::MissingLibrary::TellOnce);
    const int index = DrawRandomIndex(static_cast<int>(library.setNames().size()));
    if (index < 0)
        return;  // no sets: nothing to play
    const QString setName = library.setNames().at(index);
    m_setNameLabel->setText(setName);
    m_windowSide.stop();
    // The chosen set is played even when its name is the text that stands for no set.
    PlayRandomSongOfSet(setName);
}

void LibraryViews::PlayRandomSongOfSet(const QString &setName)
{
    LibraryStore &library = Library();
    library.OpenSet(setName);
    const int index = DrawRandomIndex(static_cast<int>(library.songs().size()));
    if (index < 0)
        return;  // an empty set: nothing to play
    const QString line = library.songs().at(index);
    m_windowSide.openSong(SongPath(line), setName, SongTitle(line));
}
