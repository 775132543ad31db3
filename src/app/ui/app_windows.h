#pragma once
// The program's ten windows. Each lives from start-up to exit and is only shown and hidden; its instance is
// reached through the global named after it (form_main, form_about, ...).

// Creates the windows in this order: form_main (which adds the tray icon), form_openurl, form_about,
// form_manage, form_newset, form_libraryfolder, form_modifyaudiosettings, form_configureHotkeys,
// form_currenttitle, form_ConfigureMiniInfo. Needs a QApplication.
void CreateAppWindows();

// Destroys them in the opposite order and clears the globals; the main window last, so that its end
// (tray icon removed, player stopped) comes after the other windows are gone.
void DestroyAppWindows();
