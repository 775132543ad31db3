#pragma once

class QWidget;

// Places a top-level window in the middle of the screen's work area.
void CenterOnScreen(QWidget *window);
