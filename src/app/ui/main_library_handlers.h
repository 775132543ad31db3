#pragma once
// The library tree's handlers under the names the main window gives them, so that callers reach them on the
// window (`form_main->pop_tv_addsongClick()`). Each forwards to the window's library views
// (main_librarymenu.cpp); the views do the work.

#include <Qt>

class LibraryViews;
class QObject;
class QPoint;
class QString;
class QTreeWidgetItem;

class MainLibraryHandlers {
public:
    // The tree, its popup menu, the "Song Library" submenu and the song navigation, made on first use.
    virtual LibraryViews &Views() = 0;

    void treeview_songlibraryDblClick();
    void treeview_songlibraryKeyDown(int key);
    void treeview_songlibraryExpanding(QTreeWidgetItem *node);
    void treeview_songlibraryMouseDown(Qt::MouseButton button, const QPoint &point);
    bool treeview_songlibraryEdited(QTreeWidgetItem *node, const QString &newText);
    bool treeview_songlibraryDragOver(const QObject *source);
    void treeview_songlibraryDragDrop(const QPoint &point);
    void popupmenu_treeviewPopup(const QPoint &point);
    void pop_tv_playsongClick();
    void pop_tv_addsongClick();
    void pop_tv_renamesongClick();
    void pop_tv_mp3tageditorClick();
    void pop_tv_removesongClick();
    void pop_tv_newsetClick();
    void pop_tv_renamesetClick();
    void pop_tv_removesetClick();
    void pop_tv_expandClick();
    void pop_tv_collapseClick();

protected:
    ~MainLibraryHandlers() = default;
};
