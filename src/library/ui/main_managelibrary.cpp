// "Manage Library...": shows the library manager window, modeless.

#include "app/ui/form_main.h"
#include "library/ui/form_manage.h"

void Tform_main::pop_managelibraryClick()
{
    if (form_manage == nullptr)
        return;
    if (form_manage->isMinimized())
        form_manage->showNormal();
    else
        form_manage->show();
    form_manage->raise();
    form_manage->activateWindow();
}
