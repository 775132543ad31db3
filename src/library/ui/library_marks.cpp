#include "library/ui/library_marks.h"

#include "library/ui/library_menu_entries.h"

#include <QAction>
#include <QHashFunctions>
#include <QMenu>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace library {

namespace {

const char kTreeMarksProperty[] = "dak_tree_marks";
const char kMenuMarksProperty[] = "dak_menu_marks";

}  // namespace

// ---- Tree ----------------------------------------------------------------------------------------------

TreeMarks::TreeMarks(QTreeWidget *tree, int stateRole) : QObject(tree), m_tree(tree), m_stateRole(stateRole)
{
    tree->setProperty(kTreeMarksProperty, QVariant::fromValue(static_cast<QObject *>(this)));
    QAbstractItemModel *model = tree->model();
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &TreeMarks::Changed);
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, &TreeMarks::Changed);
    connect(model, &QAbstractItemModel::rowsInserted, this, &TreeMarks::Changed);
    connect(model, &QAbstractItemModel::rowsMoved, this, &TreeMarks::Changed);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TreeMarks::Changed);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
                const bool text = roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::EditRole);
                const bool state = roles.isEmpty() || roles.contains(m_stateRole);
                if (text)
                    Changed();
                if (!state || m_stale)
                    return;
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
                    if (QTreeWidgetItem *node = m_tree->itemFromIndex(topLeft.siblingAtRow(row)))
                        StateChanged(node);
                }
            });
}

TreeMarks *TreeMarks::Of(const QTreeWidget *tree)
{
    return tree ? qobject_cast<TreeMarks *>(tree->property(kTreeMarksProperty).value<QObject *>()) : nullptr;
}

void TreeMarks::Changed()
{
    // Node pointers may be gone or texts changed: nothing in the index can be trusted until it is rebuilt.
    m_stale = true;
    m_nodes.clear();
    m_textHashes.clear();
    m_marked.clear();
}

void TreeMarks::StateChanged(QTreeWidgetItem *node)
{
    const QVariant value = node->data(0, m_stateRole);
    if (value.isValid() && value.toInt() != -1)
        m_marked.insert(node);
    else
        m_marked.remove(node);
}

void TreeMarks::Rebuild()
{
    m_nodes.clear();
    m_textHashes.clear();
    m_marked.clear();
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        QTreeWidgetItem *node = *it;
        const QVariant value = node->data(0, m_stateRole);
        if (value.isValid() && value.toInt() != -1)
            m_marked.insert(node);
        if (node->parent()) {
            m_nodes.push_back(node);
            m_textHashes.push_back(qHash(node->text(0)));
        }
    }
    m_stale = false;
}

void TreeMarks::ClearSongMarks()
{
    if (m_stale)
        Rebuild();
    // Setting the state reports back through dataChanged, which edits m_marked: work on a copy.
    const QSet<QTreeWidgetItem *> marked = m_marked;
    for (QTreeWidgetItem *node : marked) {
        if (node->parent())
            node->setData(0, m_stateRole, -1);
    }
}

void TreeMarks::MarkSongs(const QString &title, int index)
{
    if (m_stale)
        Rebuild();
    const size_t hash = qHash(title);
    QList<QTreeWidgetItem *> nodes;
    for (size_t i = 0; i < m_textHashes.size(); ++i) {
        if (m_textHashes[i] == hash && m_nodes[i]->text(0) == title)
            nodes.append(m_nodes[i]);
    }
    // Expanding a node may run handlers that change the tree (and so clear the index): the nodes were
    // collected first.
    for (QTreeWidgetItem *node : std::as_const(nodes)) {
        const QVariant value = node->data(0, m_stateRole);
        if (!value.isValid() || value.toInt() != index)
            node->setData(0, m_stateRole, index);
        node->parent()->setExpanded(true);
    }
}

// ---- Menu ----------------------------------------------------------------------------------------------

MenuMarks::MenuMarks(QMenu *songLibrary) : QObject(songLibrary), m_songLibrary(songLibrary)
{
    songLibrary->setProperty(kMenuMarksProperty, QVariant::fromValue(static_cast<QObject *>(this)));
}

MenuMarks *MenuMarks::Of(const QMenu *songLibrary)
{
    return songLibrary ? qobject_cast<MenuMarks *>(songLibrary->property(kMenuMarksProperty).value<QObject *>())
                       : nullptr;
}

void MenuMarks::Reset()
{
    m_setEntries.clear();
    m_songEntries.clear();
    m_checked.clear();
}

void MenuMarks::AddSetEntry(QAction *entry, const QString &name, bool hasSongs)
{
    if (hasSongs)
        m_setEntries.push_back({entry, m_songLibrary, qHash(name)});
}

void MenuMarks::AddSongEntry(QAction *entry, const QMenu *setMenu, const QString &title)
{
    m_songEntries.push_back({entry, setMenu, qHash(title)});
}

void MenuMarks::UncheckLibraryMenu()
{
    for (QAction *entry : std::as_const(m_checked))
        entry->setChecked(false);
    m_checked.clear();
}

void MenuMarks::CheckLastOfEachMenu(const std::vector<Entry> &entries, const QString &name)
{
    const size_t hash = qHash(name);
    const Entry *pending = nullptr;  // the last match so far in the menu being scanned
    for (const Entry &entry : entries) {
        if (entry.hash != hash || EntryName(entry.entry) != name)
            continue;
        // Entries of one menu stand together: a match in another menu settles the one before.
        if (pending && pending->menu != entry.menu) {
            pending->entry->setChecked(true);
            m_checked.append(pending->entry);
        }
        pending = &entry;
    }
    if (pending) {
        pending->entry->setChecked(true);
        m_checked.append(pending->entry);
    }
}

void MenuMarks::CheckLibraryMenu(const QString &setName, const QString &title)
{
    CheckLastOfEachMenu(m_songEntries, title);
    CheckLastOfEachMenu(m_setEntries, setName);
}

// ---- The four steps ------------------------------------------------------------------------------------

void ClearSongMarks(QTreeWidget *tree)
{
    if (TreeMarks *marks = TreeMarks::Of(tree))
        marks->ClearSongMarks();
}

void MarkSongs(QTreeWidget *tree, const QString &title, int index)
{
    if (TreeMarks *marks = TreeMarks::Of(tree))
        marks->MarkSongs(title, index);
}

void UncheckLibraryMenu(QMenu *songLibrary)
{
    if (MenuMarks *marks = MenuMarks::Of(songLibrary))
        marks->UncheckLibraryMenu();
}

void CheckLibraryMenu(QMenu *songLibrary, const QString &setName, const QString &title)
{
    if (MenuMarks *marks = MenuMarks::Of(songLibrary))
        marks->CheckLibraryMenu(setName, title);
}

}  // namespace library
