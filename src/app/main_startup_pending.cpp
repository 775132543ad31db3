// Start-up steps of subsystems that are not wired to the main window yet. Each function moves to its
// subsystem's folder when that subsystem lands; delete this file when it is empty.

#include "app/window/form_main.h"

void Tform_main::CreateLibraryMenu() {}
void Tform_main::LibraryMenuOnClick(QAction *) {}
void Tform_main::ApplyEqualizerSettings() {}
QString Tform_main::SaveDefaultEqualizer() { return {}; }
