#include "app/window/form_configureHotkeys.h"

#include "app/window/WindowPlacement.h"

Tform_configureHotkeys *form_configureHotkeys = nullptr;

Tform_configureHotkeys::Tform_configureHotkeys(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("form_configureHotkeys"));
    setWindowTitle(QStringLiteral("Configure Hotkeys - DAK-MP3"));
    CenterOnScreen(this);
}
