#include "tools/library_walks.h"

#include <QAction>
#include <QMenu>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace playback {

namespace {

// Calls f(node, child) for every child of every node of the tree, at any depth.
template <typename F>
void ForEachChild(QTreeWidget *tree, F f)
{
    if (!tree)
        return;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        QTreeWidgetItem *node = *it;
        for (int i = 0; i < node->childCount(); ++i)
            f(node, node->child(i));
    }
}

// Calls f(entry, below) for every entry of the submenu and every entry directly below it.
template <typename F>
void ForEachEntryBelow(QMenu *songLibrary, F f)
{
    if (!songLibrary)
        return;
    const QList<QAction *> entries = songLibrary->actions();
    for (QAction *entry : entries) {
        const QMenu *sub = entry->menu();
        if (!sub)
            continue;
        const QList<QAction *> below = sub->actions();
        for (QAction *b : below)
            f(entry, b);
    }
}

}  // namespace

int TreeNodeStateIndex(const QTreeWidgetItem *node)
{
    const QVariant value = node->data(0, kTreeStateIndexRole);
    return value.isValid() ? value.toInt() : -1;
}

void SetTreeNodeStateIndex(QTreeWidgetItem *node, int index)
{
    if (TreeNodeStateIndex(node) != index)
        node->setData(0, kTreeStateIndexRole, index);
}

void ClearSongMarks(QTreeWidget *tree)
{
    ForEachChild(tree, [](QTreeWidgetItem *, QTreeWidgetItem *child) { SetTreeNodeStateIndex(child, -1); });
}

void MarkSongs(QTreeWidget *tree, const QString &title, int index)
{
    ForEachChild(tree, [&](QTreeWidgetItem *node, QTreeWidgetItem *child) {
        if (child->text(0) == title) {
            SetTreeNodeStateIndex(child, index);
            node->setExpanded(true);
        }
    });
}

void UncheckLibraryMenu(QMenu *songLibrary)
{
    if (!songLibrary)
        return;
    const QList<QAction *> entries = songLibrary->actions();
    for (QAction *entry : entries) {
        entry->setChecked(false);
        if (const QMenu *sub = entry->menu()) {
            const QList<QAction *> below = sub->actions();
            for (QAction *b : below)
                b->setChecked(false);
        }
    }
}

void CheckLibraryMenu(QMenu *songLibrary, const QString &setName, const QString &title)
{
    ForEachEntryBelow(songLibrary, [&](QAction *entry, QAction *below) {
        if (CaptionIs(below, title))
            below->setChecked(true);
        if (CaptionIs(entry, setName))
            entry->setChecked(true);
    });
}

bool CaptionIs(const QAction *entry, const QString &text)
{
    const QString caption = entry->text();
    if (caption == text)
        return true;
    return text.contains(QLatin1Char('&')) &&
        caption == QString(text).replace(QStringLiteral("&"), QStringLiteral("&&"));
}

}  // namespace playback
