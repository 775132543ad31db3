#include "platform/desktop/note_window.h"

#include <QWidget>

Qt::WindowFlags NoteWindowFlags()
{
    return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
        Qt::X11BypassWindowManagerHint;
}

void KeepFocusAway(QWidget *window)
{
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_X11DoNotAcceptFocus);
    window->setFocusPolicy(Qt::NoFocus);
}
