// Transport handlers of the main window, empty until the playback subsystem defines them; delete this file
// then.

#include "app/window/form_main.h"

void Tform_main::OpenMP3(const QString &, const QString &, const QString &) {}
void Tform_main::pop_playClick() {}
void Tform_main::pop_pauseClick() {}
void Tform_main::pop_stopClick() {}
void Tform_main::pop_rewindClick() {}
void Tform_main::pop_fastforwardClick() {}
void Tform_main::pop_SetRewindTimeClick() {}
void Tform_main::pop_SetFastForwardTimeClick() {}
void Tform_main::pop_releaseon_stopClick() {}
void Tform_main::pop_releaseon_pauseClick() {}
void Tform_main::pop_releaseon_eofClick() {}
void Tform_main::pop_audiodrivertreatment_activateClick() {}
void Tform_main::speedbutton_playClick() {}
void Tform_main::speedbutton_pauseClick() {}
void Tform_main::speedbutton_stopClick() {}
void Tform_main::speedbutton_previoussongClick() {}
void Tform_main::speedbutton_nextsongClick() {}
void Tform_main::trackbar_songChange() {}
