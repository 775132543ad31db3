#pragma once
// The main window's panels and controls, public members named like their object names, so that every
// subsystem's part of the window and the windows that read the main window's labels reach them directly.
// The window creates them (main_layout.cpp) and owns them as its children; null until then.

class QFrame;
class QLabel;
class QSlider;
class QToolButton;
class QTreeWidget;

struct MainWindowControls {
    QFrame *panel_time = nullptr;
    QSlider *trackbar_song = nullptr;
    QLabel *label_length = nullptr, *label_currenttime = nullptr;

    QFrame *panel_songinfo = nullptr;
    QLabel *label_setname = nullptr, *label_songtitle = nullptr, *label_filename = nullptr, *label_songdata = nullptr;

    QFrame *panel_songlibrary = nullptr;
    QLabel *label_treeviewdock = nullptr;
    QTreeWidget *treeview_songlibrary = nullptr;  // its context menu is the library's own, not popupmenu1

    QFrame *panel_controls = nullptr;
    QLabel *Image1 = nullptr;  // shows the state icon; a click opens the about window
    QToolButton *button_alwaysontop = nullptr, *button_toggledisplaystyle = nullptr, *button_hide = nullptr,
                *button_exit = nullptr;
    QFrame *bevel_leftline = nullptr;
    QToolButton *speedbutton_play = nullptr, *speedbutton_pause = nullptr, *speedbutton_stop = nullptr,
                *speedbutton_previoussong = nullptr, *speedbutton_nextsong = nullptr;
};
