// The main popup menu `popupmenu1`: the tray icon's menu and the main window's context menu. Every command of
// the program is the click of one of its items.

#include "app/ui/form_main.h"

#include <QMenu>
#include <QStyle>

namespace {

QAction *Item(QMenu *menu, const char *name, const QString &caption, const QKeySequence &shortcut = {})
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

QAction *CheckItem(QMenu *menu, const char *name, const QString &caption, bool checked)
{
    QAction *action = Item(menu, name, caption);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

QMenu *Submenu(QMenu *menu, const char *name, const QString &caption)
{
    QMenu *sub = menu->addMenu(caption);
    sub->setObjectName(QString::fromLatin1(name));
    sub->menuAction()->setObjectName(QString::fromLatin1(name));
    return sub;
}

QAction *Separator(QMenu *menu, const char *name)
{
    QAction *action = menu->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QKeySequence Ctrl(Qt::Key key) { return QKeySequence(Qt::CTRL | key); }

}  // namespace

void Tform_main::CreatePopupMenu()
{
    popupmenu1 = new QMenu(this);
    popupmenu1->setObjectName(QStringLiteral("popupmenu1"));
    QMenu *m = popupmenu1;

    pop_showwindow = Item(m, "pop_showwindow", QStringLiteral("Show Window"));
    m->setDefaultAction(pop_showwindow);  // shown bold

    pop_options = Submenu(m, "pop_options", QStringLiteral("Options"));
    pop_autoplayonstart = CheckItem(pop_options, "pop_autoplayonstart", QStringLiteral("Auto Play on Start"), false);
    pop_autoplayonopen =
        CheckItem(pop_options, "pop_autoplayonopen", QStringLiteral("Auto Play on Open File/URL"), true);
    pop_randomset = CheckItem(pop_options, "pop_randomset", QStringLiteral("Random Set"), true);
    pop_randomsong = CheckItem(pop_options, "pop_randomsong", QStringLiteral("Random Song"), true);
    pop_openfolderrecursive =
        CheckItem(pop_options, "pop_openfolderrecursive", QStringLiteral("Open Folder: Recursive?"), false);
    pop_libraryfolder = Item(pop_options, "pop_libraryfolder", QStringLiteral("Enter Library Folder..."));
    pop_SetRewindTime = Item(pop_options, "pop_SetRewindTime", QStringLiteral("Set Rewind Time..."));
    pop_SetFastForwardTime = Item(pop_options, "pop_SetFastForwardTime", QStringLiteral("Set Fast Forward Time..."));
    pop_ConfigureMiniInfo = Item(pop_options, "pop_ConfigureMiniInfo", QStringLiteral("Configure Mini-Info..."));
    N9 = Separator(pop_options, "N9");
    pop_saveoptions = Item(pop_options, "pop_saveoptions", QStringLiteral("Save the above options"));
    N12 = Separator(pop_options, "N12");
    pop_configureHotkeys = Item(pop_options, "pop_configureHotkeys", QStringLiteral("Configure Hotkeys..."));
    N3 = Separator(pop_options, "N3");
    pop_associate = Item(pop_options, "pop_associate", QStringLiteral("Associate *.mp3 file extension with DAK-MP3"));

    pop_audiosettings = Submenu(m, "pop_audiosettings", QStringLiteral("Audio Settings"));
    pop_modifyaudiosettings =
        Item(pop_audiosettings, "pop_modifyaudiosettings", QStringLiteral("Modify Audio Settings"), Ctrl(Qt::Key_M));
    N11 = Separator(pop_audiosettings, "N11");
    pop_audiodrivertreatment =
        Submenu(pop_audiosettings, "pop_audiodrivertreatment", QStringLiteral("Audio Driver Treatment"));
    pop_releaseon_stop =
        CheckItem(pop_audiodrivertreatment, "pop_releaseon_stop", QStringLiteral("Release Audio Driver on Stop"), true);
    pop_releaseon_pause = CheckItem(pop_audiodrivertreatment, "pop_releaseon_pause",
                                    QStringLiteral("Release Audio Driver on Pause"), false);
    pop_releaseon_eof = CheckItem(pop_audiodrivertreatment, "pop_releaseon_eof",
                                  QStringLiteral("Release Audio Driver on End Of File"), true);
    N10 = Separator(pop_audiodrivertreatment, "N10");
    pop_audiodrivertreatment_activate = Item(pop_audiodrivertreatment, "pop_audiodrivertreatment_activate",
                                             QStringLiteral("Activate the above settings now"));

    N4 = Separator(m, "N4");
    pop_openfile = Item(m, "pop_openfile", QStringLiteral("Open File..."), Ctrl(Qt::Key_O));
    pop_openfolder = Item(m, "pop_openfolder", QStringLiteral("Open Folder..."), Ctrl(Qt::Key_F));
    pop_openurl = Item(m, "pop_openurl", QStringLiteral("Open URL..."), Ctrl(Qt::Key_U));
    N5 = Separator(m, "N5");
    pop_play = Item(m, "pop_play", QStringLiteral("Play"), Ctrl(Qt::Key_Y));
    pop_pause = Item(m, "pop_pause", QStringLiteral("Pause"), Ctrl(Qt::Key_A));
    pop_stop = Item(m, "pop_stop", QStringLiteral("Stop"), Ctrl(Qt::Key_S));
    pop_rewind = Item(m, "pop_rewind", QStringLiteral("Rewind"));
    pop_fastforward = Item(m, "pop_fastforward", QStringLiteral("Fast Forward"));
    pop_ShowMiniInfo = Item(m, "pop_ShowMiniInfo", QStringLiteral("Show Mini-Info"));
    N6 = Separator(m, "N6");

    pop_songlibrary = Submenu(m, "pop_songlibrary", QStringLiteral("Song Library"));
    pop_managelibrary =
        Item(pop_songlibrary, "pop_managelibrary", QStringLiteral("Manage Library..."), Ctrl(Qt::Key_L));
    N2 = Separator(pop_songlibrary, "N2");
    pop_favorites = Submenu(pop_songlibrary, "pop_favorites", QStringLiteral("Favorites"));
    pop_favorites->addAction(QString());
    pop_favoritesmedia = Submenu(pop_songlibrary, "pop_favoritesmedia", QStringLiteral("Favorites -> Media"));
    pop_favoritesmedia->addAction(QString());
    N7 = Separator(pop_songlibrary, "N7");

    pop_previoussong = Item(m, "pop_previoussong", QStringLiteral("Previous Song"), Ctrl(Qt::Key_P));
    pop_nextsong = Item(m, "pop_nextsong", QStringLiteral("Next Song"), Ctrl(Qt::Key_N));
    pop_playrandomset = Item(m, "pop_playrandomset", QStringLiteral("Play Random Set"), Ctrl(Qt::Key_T));
    pop_playrandomsong = Item(m, "pop_playrandomsong", QStringLiteral("Play Random Song"), Ctrl(Qt::Key_R));
    N1 = Separator(m, "N1");
    pop_about = Item(m, "pop_about", QStringLiteral("About..."));
    pop_exit = Item(m, "pop_exit", QStringLiteral("Exit"), Ctrl(Qt::Key_X));

    // The items with a picture.
    pop_play->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    pop_pause->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
    pop_stop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    pop_rewind->setIcon(style()->standardIcon(QStyle::SP_MediaSeekBackward));
    pop_fastforward->setIcon(style()->standardIcon(QStyle::SP_MediaSeekForward));
    pop_previoussong->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
    pop_nextsong->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));

    pop_randomset->setEnabled(pop_randomsong->isChecked());
}

void Tform_main::ConnectMenuItems()
{
    const std::initializer_list<std::pair<QAction *, void (Tform_main::*)()>> handlers = {
        {pop_showwindow, &Tform_main::pop_showwindowClick},
        {pop_autoplayonstart, &Tform_main::pop_autoplayonstartClick},
        {pop_autoplayonopen, &Tform_main::pop_autoplayonopenClick},
        {pop_randomset, &Tform_main::pop_randomsetClick},
        {pop_randomsong, &Tform_main::pop_randomsongClick},
        {pop_openfolderrecursive, &Tform_main::pop_openfolderrecursiveClick},
        {pop_libraryfolder, &Tform_main::pop_libraryfolderClick},
        {pop_SetRewindTime, &Tform_main::pop_SetRewindTimeClick},
        {pop_SetFastForwardTime, &Tform_main::pop_SetFastForwardTimeClick},
        {pop_ConfigureMiniInfo, &Tform_main::pop_ConfigureMiniInfoClick},
        {pop_saveoptions, &Tform_main::pop_saveoptionsClick},
        {pop_configureHotkeys, &Tform_main::pop_configureHotkeysClick},
        {pop_associate, &Tform_main::pop_associateClick},
        {pop_modifyaudiosettings, &Tform_main::pop_modifyaudiosettingsClick},
        {pop_releaseon_stop, &Tform_main::pop_releaseon_stopClick},
        {pop_releaseon_pause, &Tform_main::pop_releaseon_pauseClick},
        {pop_releaseon_eof, &Tform_main::pop_releaseon_eofClick},
        {pop_audiodrivertreatment_activate, &Tform_main::pop_audiodrivertreatment_activateClick},
        {pop_openfile, &Tform_main::pop_openfileClick},
        {pop_openfolder, &Tform_main::pop_openfolderClick},
        {pop_openurl, &Tform_main::pop_openurlClick},
        {pop_play, &Tform_main::pop_playClick},
        {pop_pause, &Tform_main::pop_pauseClick},
        {pop_stop, &Tform_main::pop_stopClick},
        {pop_rewind, &Tform_main::pop_rewindClick},
        {pop_fastforward, &Tform_main::pop_fastforwardClick},
        {pop_ShowMiniInfo, &Tform_main::pop_ShowMiniInfoClick},
        {pop_managelibrary, &Tform_main::pop_managelibraryClick},
        {pop_previoussong, &Tform_main::pop_previoussongClick},
        {pop_nextsong, &Tform_main::pop_nextsongClick},
        {pop_playrandomset, &Tform_main::pop_playrandomsetClick},
        {pop_playrandomsong, &Tform_main::pop_playrandomsongClick},
        {pop_about, &Tform_main::pop_aboutClick},
        {pop_exit, &Tform_main::pop_exitClick},
    };
    for (const auto &[item, handler] : handlers) {
        connect(item, &QAction::triggered, this, handler);
        // The window carries the items too, so their shortcuts work while it has the focus.
        addAction(item);
    }
}
