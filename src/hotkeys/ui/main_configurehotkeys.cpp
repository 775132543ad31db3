// The main window's command that opens the hotkey configuration window.

#include "app/ui/form_main.h"
#include "hotkeys/ui/form_configureHotkeys.h"

void Tform_main::pop_configureHotkeysClick()
{
    if (!form_configureHotkeys)
        return;
    // Shown already: only brought forward; the lines are read again at the next showing.
    form_configureHotkeys->show();
    form_configureHotkeys->raise();
    form_configureHotkeys->activateWindow();
}
