// Mini-info commands, empty until the mini-info subsystem defines them; delete this file then.

#include "app/window/form_main.h"

void Tform_main::pop_ConfigureMiniInfoClick() {}
void Tform_main::pop_ShowMiniInfoClick() {}
