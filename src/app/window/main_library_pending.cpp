// Library and song navigation commands, empty until the library subsystem defines them; delete this file
// then.

#include "app/window/form_main.h"

void Tform_main::pop_libraryfolderClick() {}
void Tform_main::pop_managelibraryClick() {}
void Tform_main::pop_previoussongClick() {}
void Tform_main::pop_nextsongClick() {}
void Tform_main::pop_playrandomsetClick() {}
void Tform_main::pop_playrandomsongClick() {}
