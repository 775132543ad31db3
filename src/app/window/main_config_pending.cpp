// Saving the configuration and the file association, empty until the configuration and association code is
// wired to the window; delete this file then.

#include "app/window/form_main.h"

void Tform_main::pop_saveoptionsClick() {}
void Tform_main::pop_associateClick() {}

bool Tform_main::FormClose()
{
    return true;
}
