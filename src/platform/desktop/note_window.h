#pragma once
// A small note window that floats over the others: no frame, always on top, no taskbar entry, left alone by
// the window manager, and never taking the keyboard focus from where the user works.

#include <Qt>

class QWidget;

// The window flags of such a window, for its constructor.
Qt::WindowFlags NoteWindowFlags();

// Keeps the window from taking the focus when it is shown or clicked. Call before it is first shown.
void KeepFocusAway(QWidget *window);
