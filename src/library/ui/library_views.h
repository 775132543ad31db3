#pragma once
// The main window's views of the song library and the song navigation: the library tree with its popup menu
// `popupmenu_treeview`, the "Song Library" submenu with one entry per set and song, and the commands "Next
// Song", "Previous Song", "Play Random Song" and "Play Random Set". Both views are rebuilt together from the
// library files (CreateLibraryMenu); a song chosen in either, or stepped to, is handed to the window to open.
//
// The window keeps the widgets (it lays them out) and lends them here; the views own what they add to them:
// the tree's drawing and event handling, its popup menu and the submenu's set entries. Only the
// user-interface thread may use this class.

#include "config/settings.h"
#include "library/song_steps.h"

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QString>

#include <functional>

class LibraryStore;
class NowPlaying;
class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

class LibraryViews : public QObject {
    Q_OBJECT
public:
    // What the views ask of the window that shows them.
    struct WindowSide {
        // Opens a file in the player as a song of the set `setName` titled `title`; may throw.
        std::function<void(const QString &file, const QString &setName, const QString &title)> openSong;
        std::function<void()> stop;          // the window's Stop command, as if chosen from its menu
        std::function<void()> showMiniInfo;  // the mini-info after a step to another song (forced)
    };

    // `tree` and `songLibrary` (the submenu, its five fixed entries already in place) stay the window's;
    // `setNameLabel` shows the current set's name, which "Play Random Song" draws from and "Play Random Set"
    // sets. `options` are the window's live options (random song, random set). The views are a child of
    // `window`, which parents their messages and the tree's popup menu.
    LibraryViews(QTreeWidget *tree, QMenu *songLibrary, LibraryStore &library, const NowPlaying &nowPlaying,
                 QLabel *setNameLabel, const SettingsOptions &options, WindowSide windowSide, QWidget *window);

    LibraryStore &Library() const { return m_library; }

    // Rebuilds the tree and the submenu from the library files (the first call also sets the tree up).
    void CreateLibraryMenu();
    // Plays the song of a library menu entry (a song entry whose menu is named after its set).
    void LibraryMenuOnClick(QAction *item);

    // The tree's pictures, loaded by CreateLibraryMenu: images 0 closed set, 1 opened set, 2 song; state
    // images 1 playing, 2 paused, 3 stopped (slot 0 is never shown).
    QList<QPixmap> imagelist_images;
    QList<QPixmap> imagelist_stateimages;
    QString TreeImageFolder;  // where the tree's bitmaps are read; empty: the program's folder
    QMenu *popupmenu_treeview = nullptr;
    QAction *pop_tv_playsong = nullptr;
    QAction *pop_tv_addsong = nullptr;
    QAction *pop_tv_renamesong = nullptr;
    QAction *pop_tv_mp3tageditor = nullptr;
    QAction *pop_tv_removesong = nullptr;
    QAction *pop_tv_newset = nullptr;
    QAction *pop_tv_renameset = nullptr;
    QAction *pop_tv_removeset = nullptr;
    QAction *pop_tv_expand = nullptr;
    QAction *pop_tv_collapse = nullptr;
    // The last mouse press on the tree and the node under it (the drag source), and the node under that point
    // when popupmenu_treeview last opened (the popup node, on which its commands act). Null for none; every
    // rebuild of the tree clears both.
    QPoint TreeMouseDownPoint;
    QTreeWidgetItem *TreeDragSource = nullptr;
    QTreeWidgetItem *TreePopupNode = nullptr;

    // ---- The tree's events and popup commands.
    void treeview_songlibraryDblClick();
    void treeview_songlibraryKeyDown(int key);
    void treeview_songlibraryExpanding(QTreeWidgetItem *node);
    void treeview_songlibraryMouseDown(Qt::MouseButton button, const QPoint &point);
    // The user accepted an edited label; returns whether the node takes the new text.
    bool treeview_songlibraryEdited(QTreeWidgetItem *node, const QString &newText);
    bool treeview_songlibraryDragOver(const QObject *source) const;
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

    // ---- Song navigation.
    void pop_nextsongClick();
    void pop_previoussongClick();
    void pop_playrandomsongClick();
    void pop_playrandomsetClick();
    // "Play Random Song" on a set that is already chosen.
    void PlayRandomSongOfSet(const QString &setName);

Q_SIGNALS:
    // "Add new Set at this position...": the new-set dialog opens in insert mode, for a set at `position` of
    // the set list.
    void NewSetDialogRequested(int position);

private:
    // Gives the tree its properties, drawing, popup menu and event handling; runs once, from the first
    // CreateLibraryMenu.
    void SetUpLibraryTree();
    void PlayNode(QTreeWidgetItem *node);
    void StepThroughSet(library::SongStep step);
    void Navigate(library::SongStep step);

    QTreeWidget *m_tree;
    QMenu *m_songLibrary;
    LibraryStore &m_library;
    const NowPlaying &m_nowPlaying;
    QLabel *m_setNameLabel;
    const SettingsOptions &m_options;
    WindowSide m_windowSide;
    QWidget *m_window;
};
