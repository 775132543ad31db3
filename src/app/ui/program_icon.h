#pragma once
// The program's icon: the picture at the left of the main window's button bar, the tray icon until a song
// plays, and the icon of every window. Drawn in code, so it needs no file beside the executable.

#include <QIcon>

QIcon ProgramIcon();
