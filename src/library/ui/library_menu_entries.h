#pragma once
// Set and song entries of the "Song Library" submenu. A menu takes "&" as the mark of a shortcut letter, so an
// entry's caption holds its name with every "&" doubled and shows the name as it is; the name itself rides
// along in the entry's data. An entry made elsewhere without that data (a temporary pair made to play a song
// by set and title) is read by its caption as it stands.

#include <QString>

class QAction;
class QMenu;

namespace library {

// The caption that shows `name` unchanged in a menu.
QString MenuCaption(const QString &name);

// Sets an entry's caption and name.
void SetEntryName(QAction *entry, const QString &name);

// The name an entry stands for.
QString EntryName(const QAction *entry);

// The menu an entry belongs to (its parent entry), or null: the menu that owns it or, failing that, the first
// menu it was added to.
QMenu *ParentMenu(const QAction *entry);

// The name of a menu standing for a set: its entry's name.
QString MenuName(const QMenu *menu);

}  // namespace library
