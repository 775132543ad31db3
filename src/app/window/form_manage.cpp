#include "app/window/form_manage.h"

#include "app/window/WindowPlacement.h"

Tform_manage *form_manage = nullptr;

Tform_manage::Tform_manage(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("form_manage"));
    setWindowTitle(QStringLiteral("Manage Library - DAK-MP3"));
    CenterOnScreen(this);
}
