// The option items of the popup menu's "Options" submenu. Each is a check item: choosing it flips its check
// mark (the menu does that before the handler runs) and the check mark is the option's new state. Copying
// that state into the in-memory settings joins these handlers once the settings are held by this window.

#include "app/window/form_main.h"

#include <QAction>

void Tform_main::pop_autoplayonstartClick()
{
}

void Tform_main::pop_autoplayonopenClick()
{
}

void Tform_main::pop_randomsetClick()
{
}

void Tform_main::pop_randomsongClick()
{
    // A random set is only chosen as part of a random song.
    pop_randomset->setEnabled(pop_randomsong->isChecked());
}

void Tform_main::pop_openfolderrecursiveClick()
{
}
