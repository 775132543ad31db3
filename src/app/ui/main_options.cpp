// The option items of the popup menu's "Options" submenu. Each is a check item: choosing it flips its check
// mark (the menu does that before the handler runs) and the check mark is the option's new state, which is
// copied into the in-memory settings; the file is written by "Save the above options" and at exit.

#include "app/ui/form_main.h"

#include <QAction>

void Tform_main::pop_autoplayonstartClick() { settings.Options.autoplayonstart = pop_autoplayonstart->isChecked(); }

void Tform_main::pop_autoplayonopenClick() { settings.Options.autoplayonopen = pop_autoplayonopen->isChecked(); }

void Tform_main::pop_randomsetClick() { settings.Options.randomset = pop_randomset->isChecked(); }

void Tform_main::pop_randomsongClick()
{
    settings.Options.randomsong = pop_randomsong->isChecked();
    // A random set is only chosen as part of a random song.
    pop_randomset->setEnabled(pop_randomsong->isChecked());
}

void Tform_main::pop_openfolderrecursiveClick()
{
    settings.Options.openfolderrecursive = pop_openfolderrecursive->isChecked();
}
