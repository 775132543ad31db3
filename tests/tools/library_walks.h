#pragma once
// The plain walks that set the now-playing marks: the reference the program's indexed marks are checked and
// timed against. The marks are in the main window's library tree and in the "Song Library" submenu of its
// popup menu. The tree holds sets with their songs below them; a song node carries a state image index (1
// playing, 2 paused, 3 stopped, -1 none). The submenu holds fixed entries, then one entry per set with one
// entry per song below it; the song being played and its set are checked.
//
// Every walk goes over every node and every entry: titles are compared with the node texts and captions
// exactly (case-sensitive).

#include "playback/ui/tree_state.h"

#include <QString>

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace playback {

int TreeNodeStateIndex(const QTreeWidgetItem *node);
void SetTreeNodeStateIndex(QTreeWidgetItem *node, int index);

// Every child of every node loses its state image.
void ClearSongMarks(QTreeWidget *tree);
// Every child of every node whose text is `title` gets state image `index`, and its parent node is
// expanded (not its own parents). The set is not compared: the title is marked in every set.
void MarkSongs(QTreeWidget *tree, const QString &title, int index);

// Unchecks every entry of the submenu and every entry directly below each of them.
void UncheckLibraryMenu(QMenu *songLibrary);
// For every entry E of the submenu and every entry F directly below E: F is checked when its caption is
// `title`, and E when its caption is `setName`. An entry with nothing below it is never checked.
void CheckLibraryMenu(QMenu *songLibrary, const QString &setName, const QString &title);

// Whether a menu entry's caption is `text`. Menus take '&' as the mark of a shortcut letter, so a caption
// may hold the text with each '&' doubled; both spellings count.
bool CaptionIs(const QAction *entry, const QString &text);

}  // namespace playback
