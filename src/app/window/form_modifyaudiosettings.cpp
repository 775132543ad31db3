#include "app/window/form_modifyaudiosettings.h"

#include "app/window/WindowPlacement.h"

Tform_modifyaudiosettings *form_modifyaudiosettings = nullptr;

Tform_modifyaudiosettings::Tform_modifyaudiosettings(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("form_modifyaudiosettings"));
    setWindowTitle(QStringLiteral("Modify Audio Settings - DAK-MP3"));
    CenterOnScreen(this);
}
