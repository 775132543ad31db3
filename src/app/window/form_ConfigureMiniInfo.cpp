#include "app/window/form_ConfigureMiniInfo.h"

#include "app/window/WindowPlacement.h"

Tform_ConfigureMiniInfo *form_ConfigureMiniInfo = nullptr;

Tform_ConfigureMiniInfo::Tform_ConfigureMiniInfo(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("form_ConfigureMiniInfo"));
    setWindowTitle(QStringLiteral("Configure Mini-Info:"));
    CenterOnScreen(this);
}
