#include "app/window/form_libraryfolder.h"

#include "app/window/WindowPlacement.h"

Tform_libraryfolder *form_libraryfolder = nullptr;

Tform_libraryfolder::Tform_libraryfolder(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("form_libraryfolder"));
    setWindowTitle(QStringLiteral("Enter Library Folder - DAK-MP3"));
    CenterOnScreen(this);
}
