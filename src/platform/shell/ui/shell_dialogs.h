#pragma once
// The Qt dialogs behind the shell seam: message boxes, input boxes, file and folder dialogs.

namespace Shell {

// Registers the Qt dialogs as the seam's presenter. The program calls it once, after creating its
// QApplication; an answerer a test installs still goes first.
void useQtDialogs();

}  // namespace Shell
