// The hotkey configuration command, empty until the hotkeys subsystem defines it; delete this file then.

#include "app/window/form_main.h"

void Tform_main::pop_configureHotkeysClick() {}
