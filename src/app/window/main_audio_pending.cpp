// The audio settings command, empty until the audio subsystem defines it; delete this file then.

#include "app/window/form_main.h"

void Tform_main::pop_modifyaudiosettingsClick() {}
