// The main window's two views of the song library, rebuilt together from the library files: the tree
// `treeview_songlibrary` and the "Song Library" submenu of the popup menu. A song is played from either by
// LibraryMenuOnClick, which finds its file through the library and hands it to OpenMP3.

#include "app/window/form_main.h"
#include "library/LibraryMarks.h"
#include "library/LibraryMenuEntries.h"
#include "library/LibraryTreeDelegate.h"
#include "library/LibraryTreeImages.h"
#include "library/LibraryViewReader.h"
#include "library/SharedLibrary.h"
#include "library/store/LibraryStore.h"
#include "library/store/LibraryText.h"
#include "platform/shell/Shell.h"
#include "config/locations.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <QTreeWidget>

#include <exception>

using namespace library;

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

LibraryStore &Tform_main::Library()
{
    LibraryStore &store = SharedLibrary();
    store.setLibraryFolderSource([window = QPointer<Tform_main>(this)] {
        return window ? window->settings.Options.libraryfolder : QString();
    });
    return store;
}

void Tform_main::CreateLibraryMenu()
{
    SetUpLibraryTree();
    LibraryStore &library = Library();

    // Pictures: a file that cannot be loaded leaves it and the ones after it out; the build goes on.
    const QString imageFolder =
        TreeImageFolder.isEmpty() ? runtimeFilesFolder() : TreeImageFolder;
    const LibraryTreeImages images = LoadLibraryTreeImages(imageFolder);
    imagelist_images = images.images;
    imagelist_stateimages = images.stateImages;
    if (auto *delegate = qobject_cast<LibraryTreeDelegate *>(treeview_songlibrary->itemDelegate())) {
        delegate->setNodeIcons(SetNodeIcon(imagelist_images), SongNodeIcon(imagelist_images));
        delegate->setStateImages(imagelist_stateimages);
    }
    if (!images.complete)
        Shell::errorBox(TreeBitmapFailureText(), this);

    TreePopupNode = nullptr;
    TreeDragSource = nullptr;
    ClearSetEntries(pop_songlibrary);
    treeview_songlibrary->clear();

    const LibraryViewContents contents = ReadLibraryView(library);

    const Qt::ItemFlags nodeFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable |
                                    Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;

    // The nodes take their pictures from the tree's delegate: a set's at the top level, a song's below.
    // Set and song entries carry check marks, set by the now-playing display through the index (MenuMarks),
    // which also gives them their radio behaviour: of several checked entries of one menu, the last one keeps
    // the check.
    MenuMarks *menuMarks = MenuMarks::Of(pop_songlibrary);
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
            setEntry = new QAction(pop_songlibrary);
            connect(setEntry, &QAction::triggered, this, [this, setEntry] {
                setEntry->setChecked(!setEntry->isChecked());  // a click does not move the check mark
                DummyOnClick(setEntry);
            });
        } else {
            setMenu = new QMenu(pop_songlibrary);
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
    pop_songlibrary->addActions(setEntries);
    treeview_songlibrary->addTopLevelItems(setNodes);
    if (TreeMarks *treeMarks = TreeMarks::Of(treeview_songlibrary))
        treeMarks->Rebuild();

    if (!contents.complete())
        Shell::errorBox(LibraryViewFailureText(library.LibraryFilePath()), this);
}

void Tform_main::LibraryMenuOnClick(QAction *item)
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
        ClickMenuItem(pop_stop);
        OpenMP3(path, setName, title);
    } catch (const std::exception &) {
        Shell::errorBox(QStringLiteral("Couldn't open file: ") + path, this);
    }
}

void Tform_main::DummyOnClick(QAction *) {}
