// Open file, folder and URL commands, empty until the playback subsystem defines them; delete this file then.

#include "app/window/form_main.h"

void Tform_main::pop_openfileClick() {}
void Tform_main::pop_openfolderClick() {}
void Tform_main::pop_openurlClick() {}
