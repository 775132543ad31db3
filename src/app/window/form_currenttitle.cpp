#include "app/window/form_currenttitle.h"

Tform_currenttitle *form_currenttitle = nullptr;

Tform_currenttitle::Tform_currenttitle(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    // A borderless popup placed by its own code, not centred like the other windows.
    setObjectName(QStringLiteral("form_currenttitle"));
    setWindowTitle(QStringLiteral("Current Title - DAK-MP3"));
}
