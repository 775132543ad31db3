#pragma once
// Whether a top-level window has an entry in the desktop's taskbar. Tool windows alone do not keep every
// taskbar away (some list them anyway), so on X11 the window also carries the state "skip taskbar". Does
// nothing on other platforms and for windows that were never created.

class QWidget;

// Call before the window is mapped (from its show event) and whenever the wish changes.
void SetSkipTaskbar(QWidget *window, bool skip);
