#pragma once
// The connection to the X display the program's windows live on.

// Sends what the toolkit has queued for the X server now rather than when the event loop next runs (a tray
// icon's docking request, for one). Does nothing on other platforms: some (offscreen among them) still answer
// for the X11 interface, with nothing valid behind it.
void FlushDisplayConnection();
