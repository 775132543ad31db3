#include "app/window/form_newset.h"

#include "app/window/WindowPlacement.h"

Tform_newset *form_newset = nullptr;

Tform_newset::Tform_newset(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("form_newset"));
    setWindowTitle(QStringLiteral("Enter New Set Name - DAK-MP3:"));
    CenterOnScreen(this);
}
