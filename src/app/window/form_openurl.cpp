#include "app/window/form_openurl.h"

#include "app/window/WindowPlacement.h"

Tform_openurl *form_openurl = nullptr;

Tform_openurl::Tform_openurl(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("form_openurl"));
    setWindowTitle(QStringLiteral("Open URL - DAK-MP3:"));
    CenterOnScreen(this);
}
