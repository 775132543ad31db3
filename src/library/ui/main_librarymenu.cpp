// The main window's side of the song library: the library store it reads and writes in the window's library
// folder setting, and the views of it (LibraryViews: the tree, the "Song Library" submenu and the song
// navigation), made on first use. The handlers the window names forward to the views.

#include "app/ui/form_main.h"
#include "library/ui/library_views.h"
#include "library/shared_library.h"
#include "library/store/library_store.h"

#include <QPointer>

LibraryStore &Tform_main::Library()
{
    LibraryStore &store = library::SharedLibrary();
    store.setLibraryFolderSource(
        [window = QPointer<Tform_main>(this)] { return window ? window->settings.Options.libraryfolder : QString(); });
    return store;
}

LibraryViews &Tform_main::Views()
{
    if (!m_libraryViews) {
        LibraryViews::WindowSide windowSide;
        windowSide.openSong = [this](const QString &file, const QString &setName, const QString &title) {
            OpenMP3(file, setName, title);
        };
        windowSide.stop = [this] { ClickMenuItem(pop_stop); };
        windowSide.showMiniInfo = [this] { ShowMiniInfo(true); };
        m_libraryViews = new LibraryViews(treeview_songlibrary, pop_songlibrary, Library(), *nowPlaying, label_setname,
                                          settings.Options, std::move(windowSide), this);
        connect(m_libraryViews, &LibraryViews::NewSetDialogRequested, this, &Tform_main::NewSetDialogRequested);
    }
    return *m_libraryViews;
}

void Tform_main::CreateLibraryMenu() { Views().CreateLibraryMenu(); }
void Tform_main::LibraryMenuOnClick(QAction *item) { Views().LibraryMenuOnClick(item); }

void MainLibraryHandlers::treeview_songlibraryDblClick() { Views().treeview_songlibraryDblClick(); }
void MainLibraryHandlers::treeview_songlibraryKeyDown(int key) { Views().treeview_songlibraryKeyDown(key); }
void MainLibraryHandlers::treeview_songlibraryExpanding(QTreeWidgetItem *node)
{
    Views().treeview_songlibraryExpanding(node);
}
void MainLibraryHandlers::treeview_songlibraryMouseDown(Qt::MouseButton button, const QPoint &point)
{
    Views().treeview_songlibraryMouseDown(button, point);
}
bool MainLibraryHandlers::treeview_songlibraryEdited(QTreeWidgetItem *node, const QString &newText)
{
    return Views().treeview_songlibraryEdited(node, newText);
}
bool MainLibraryHandlers::treeview_songlibraryDragOver(const QObject *source)
{
    return Views().treeview_songlibraryDragOver(source);
}
void MainLibraryHandlers::treeview_songlibraryDragDrop(const QPoint &point)
{
    Views().treeview_songlibraryDragDrop(point);
}
void MainLibraryHandlers::popupmenu_treeviewPopup(const QPoint &point) { Views().popupmenu_treeviewPopup(point); }

void MainLibraryHandlers::pop_tv_playsongClick() { Views().pop_tv_playsongClick(); }
void MainLibraryHandlers::pop_tv_addsongClick() { Views().pop_tv_addsongClick(); }
void MainLibraryHandlers::pop_tv_renamesongClick() { Views().pop_tv_renamesongClick(); }
void MainLibraryHandlers::pop_tv_mp3tageditorClick() { Views().pop_tv_mp3tageditorClick(); }
void MainLibraryHandlers::pop_tv_removesongClick() { Views().pop_tv_removesongClick(); }
void MainLibraryHandlers::pop_tv_newsetClick() { Views().pop_tv_newsetClick(); }
void MainLibraryHandlers::pop_tv_renamesetClick() { Views().pop_tv_renamesetClick(); }
void MainLibraryHandlers::pop_tv_removesetClick() { Views().pop_tv_removesetClick(); }
void MainLibraryHandlers::pop_tv_expandClick() { Views().pop_tv_expandClick(); }
void MainLibraryHandlers::pop_tv_collapseClick() { Views().pop_tv_collapseClick(); }

void Tform_main::pop_nextsongClick() { Views().pop_nextsongClick(); }
void Tform_main::pop_previoussongClick() { Views().pop_previoussongClick(); }
void Tform_main::pop_playrandomsongClick() { Views().pop_playrandomsongClick(); }
void Tform_main::pop_playrandomsetClick() { Views().pop_playrandomsetClick(); }
