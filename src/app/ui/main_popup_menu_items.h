#pragma once
// The main popup menu `popupmenu1` and its items in display order, public members named like their object
// names. Submenus are QMenus; their menuAction() carries the same object name. Separators are actions named
// N1 ... N12. The window creates them (main_popupmenu.cpp); null until then.

class QAction;
class QMenu;

struct MainPopupMenuItems {
    QMenu *popupmenu1 = nullptr;
    QAction *pop_showwindow = nullptr;
    QMenu *pop_options = nullptr;  // holds the items up to pop_associate
    QAction *pop_autoplayonstart = nullptr, *pop_autoplayonopen = nullptr, *pop_randomset = nullptr,
            *pop_randomsong = nullptr, *pop_openfolderrecursive = nullptr, *pop_libraryfolder = nullptr,
            *pop_SetRewindTime = nullptr, *pop_SetFastForwardTime = nullptr, *pop_ConfigureMiniInfo = nullptr,
            *N9 = nullptr, *pop_saveoptions = nullptr, *N12 = nullptr, *pop_configureHotkeys = nullptr, *N3 = nullptr,
            *pop_associate = nullptr;
    QMenu *pop_audiosettings = nullptr;  // holds the items up to pop_audiodrivertreatment_activate
    QAction *pop_modifyaudiosettings = nullptr, *N11 = nullptr;
    QMenu *pop_audiodrivertreatment = nullptr;
    QAction *pop_releaseon_stop = nullptr, *pop_releaseon_pause = nullptr, *pop_releaseon_eof = nullptr, *N10 = nullptr,
            *pop_audiodrivertreatment_activate = nullptr;
    QAction *N4 = nullptr, *pop_openfile = nullptr, *pop_openfolder = nullptr, *pop_openurl = nullptr;
    QAction *N5 = nullptr, *pop_play = nullptr, *pop_pause = nullptr, *pop_stop = nullptr, *pop_rewind = nullptr,
            *pop_fastforward = nullptr, *pop_ShowMiniInfo = nullptr, *N6 = nullptr;
    QMenu *pop_songlibrary = nullptr;  // five fixed entries, then one submenu per set
    QAction *pop_managelibrary = nullptr, *N2 = nullptr;
    QMenu *pop_favorites = nullptr, *pop_favoritesmedia = nullptr;
    QAction *N7 = nullptr, *pop_previoussong = nullptr, *pop_nextsong = nullptr, *pop_playrandomset = nullptr,
            *pop_playrandomsong = nullptr, *N1 = nullptr, *pop_about = nullptr, *pop_exit = nullptr;
};
