#pragma once
// The now-playing marks in the main window's two library views, found through an index instead of a walk
// over every node and entry. A large library holds a hundred thousand song nodes and as many menu entries,
// and the marks change on every player state; with the index one change touches only the nodes and entries
// that were marked before and those that are marked now, and finds the new ones by a scan over a flat array
// of the titles' hash values (no node or entry is visited for that). The index is a plain array rather than
// a hash table so that building it, on every rebuild of the views, costs next to nothing.
//
// The results are those of the plain walks: every song node (every child of every node, at any depth) loses
// its state image, and every child whose text is the title gets the state's image and has its parent
// expanded, in tree order; every set and song entry of the "Song Library" submenu is unchecked, then each
// song entry whose name is the title is checked, and each set entry whose name is the set name and that has
// entries below it. Entries are radio entries: of several matching entries of one menu, the last one keeps
// the check.
//
// TreeMarks follows the tree's model: a change of a node's state image (by anyone) is noted, and after a
// change of the tree's rows or texts (a rebuild, a drag move, an in-place rename) the index is built again
// from the tree before its next use. MenuMarks is told each entry as the menu is built (MenuMarks::Reset
// first) and checks and unchecks only through these functions.

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <cstddef>
#include <vector>

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace library {

class TreeMarks : public QObject {
    Q_OBJECT
public:
    // Attaches the index to the tree (as its child); stateRole is the item data role of the state image index.
    TreeMarks(QTreeWidget *tree, int stateRole);
    // The index attached to a tree, or null.
    static TreeMarks *Of(const QTreeWidget *tree);

    void ClearSongMarks();
    void MarkSongs(const QString &title, int index);

    // Builds the index from the tree now rather than at its next use (after the tree was filled).
    void Rebuild();

private:
    void Changed();
    void StateChanged(QTreeWidgetItem *node);

    QTreeWidget *m_tree;
    int m_stateRole;
    bool m_stale = true;
    std::vector<QTreeWidgetItem *> m_nodes;  // every node below a node, in tree order
    std::vector<size_t> m_textHashes;        // the hash of each one's text
    QSet<QTreeWidgetItem *> m_marked;        // nodes with a state image
};

class MenuMarks : public QObject {
    Q_OBJECT
public:
    explicit MenuMarks(QMenu *songLibrary);
    static MenuMarks *Of(const QMenu *songLibrary);

    // Forgets every entry (the menu's set entries are about to be rebuilt).
    void Reset();
    // Each set entry in menu order, then each of its song entries (hasSongs: the set entry has a submenu).
    void AddSetEntry(QAction *entry, const QString &name, bool hasSongs);
    void AddSongEntry(QAction *entry, const QMenu *setMenu, const QString &title);

    void UncheckLibraryMenu();
    void CheckLibraryMenu(const QString &setName, const QString &title);

private:
    struct Entry {
        QAction *entry;
        const QObject *menu;  // the menu the entry stands in
        size_t hash;          // of its name
    };
    // Checks, of the entries named `name`, the last one of each menu.
    void CheckLastOfEachMenu(const std::vector<Entry> &entries, const QString &name);

    const QMenu *m_songLibrary;
    std::vector<Entry> m_setEntries;   // set entries with songs below them, in menu order
    std::vector<Entry> m_songEntries;  // song entries in menu order
    QList<QAction *> m_checked;
};

// The four steps of a player state, on whichever views have an index (a view without one has never been
// built and holds no sets).
void ClearSongMarks(QTreeWidget *tree);
void MarkSongs(QTreeWidget *tree, const QString &title, int index);
void UncheckLibraryMenu(QMenu *songLibrary);
void CheckLibraryMenu(QMenu *songLibrary, const QString &setName, const QString &title);

}  // namespace library
