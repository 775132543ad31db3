#pragma once
// The main window: four stacked panels (time and seek bar, song information, song library, button bar),
// the tray icon and the main popup menu `popupmenu1`, through which every command of the program runs.
//
// One class, spread over files by concern. In this folder: main_core.cpp (creation, tray icon, show/hide,
// close), main_layout.cpp (panels, display styles, resize rule, docking, always on top), main_popupmenu.cpp
// (the menu), main_options.cpp (the option items). Handlers of other subsystems live in their folders.
// Controls, menu items, the player and the names of its events are public members of the bases. What is
// playing is NowPlaying's; the library tree and menu are LibraryViews'. User-interface thread only.

#include "app/ui/main_library_handlers.h"
#include "app/ui/main_player_events.h"
#include "app/ui/main_popup_menu_items.h"
#include "app/ui/main_window_controls.h"
#include "app/ui/tray_presence.h"
#include "app/ui/window_layout.h"
#include "config/settings.h"
#include "hotkeys/shortcuts/hook_decision.h"
#include "platform/keyhook/keyhook.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QTimer;
class AutoSizeLabels;
class LibraryViews;
class PanelDocking;

class Tform_main : public QWidget,
                   public MainWindowControls,
                   public MainPopupMenuItems,
                   public MainPlayerEvents,
                   public MainLibraryHandlers {
    Q_OBJECT
public:
    explicit Tform_main(QWidget *parent = nullptr);
    ~Tform_main() override;

    // Performs the click of a menu item as if it was chosen from the menu; a disabled item ignores it. Returns
    // whether the item's handler ran. Every caller of a command (buttons, tray, hotkeys, end of file) uses it.
    static bool ClickMenuItem(QAction *item);

    // ---- Tray icon (TrayPresence; without a tray the window stands in for it).
    void TaskBarAddIcon();
    void TaskBarRemoveIcon();
    // Shows Image1's current icon in the tray with `tip` (shortened to what a tray tip holds).
    void TaskBarModifyIcon(const QString &tip);
    bool TrayIconExists() const { return m_tray->Exists(); }
    QSystemTrayIcon *TrayIcon() const { return m_tray->Icon(); }
    static constexpr int kTrayTipMax = TrayPresence::kTipMax;
    static QString TrayTipText(const QString &tip) { return TrayPresence::TipText(tip); }
    void TrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void TrayPlayPauseToggle();  // pause when playing, else play; nothing while no song is open
    TrayClicks &TrayClickHandling() { return m_tray->Clicks(); }
    // Image1's picture; setting it does not touch the tray icon (TaskBarModifyIcon does).
    void SetImage1Icon(const QIcon &icon);
    QIcon Image1Icon() const { return m_image1Icon; }

    // ---- Layout and display styles.
    int DisplayStyle() const { return m_layout.DisplayStyle(); }
    // Brings back a stored display style through the style button: 1, 2 and 3 come back unchanged, 0 and
    // anything outside 1..3 give style 0.
    void RestoreDisplayStyle(int storedStyle);
    // The window's client size as last recorded by the resize rule (stored as width and height at exit).
    int RecordedWidth() const { return m_layout.RecordedWidth(); }
    int RecordedHeight() const { return m_layout.RecordedHeight(); }
    const WindowLayout &Layout() const { return m_layout; }
    bool AlwaysOnTop() const { return m_alwaysOnTop; }
    // Panel docking; the drag with the mouse ends in these two.
    PanelDocking &Docking() { return *m_docking; }
    void FloatPanel(QFrame *panel, const QRect &globalRect);
    void DockPanel(QFrame *panel);
    // Set while the window is shown, cleared when it is hidden; stored as the window's "show" setting.
    bool MainWindowShown() const { return m_shown; }

    // ---- Playback (main_open.cpp, main_nowplaying.cpp, main_transport.cpp).
    // The one entry for opening a file or URL in the player; does not stop what plays.
    void OpenMP3(const QString &FileName, const QString &SetName, const QString &SongTitle);
    // Binds the player's events to nowPlaying and the window to nowPlaying's signals, once.
    void BindPlaybackEvents();

    // ---- Start-up and configuration (main_startup.cpp, main_config.cpp).
    Settings settings;              // the process-wide settings: loaded by DoAllInitStuff, written at exit
    QString ConfigFilePath;         // computed by every DoAllInitStuff run, used by the writers
    QTimer *timer_start = nullptr;  // fires once, 100 ms after creation: the real start-up
    QStringList CommandLine;        // the program's arguments, without the program's own name
    void timer_startTimer();
    // Reads the configuration file and applies it; safe to run again at any time.
    void DoAllInitStuff();
    // Opens every command-line argument that is not a window switch, shows the windows the switches name;
    // returns whether any argument was opened as a file.
    bool HandleCommandLine(const QStringList &arguments);
    // Sets the option items' check marks from the settings (start-up and every configuration load).
    void ApplyOptionCheckMarks();

    // ---- Hotkeys (main_hotkeys.cpp): the table the hook's messages are matched against.
    std::array<shortcuts::HookBinding, kHotkeyActionCount> HotkeyTable{};
    uint16_t LastHookShortcut = 0;
    // One key combination from the keyboard hook; answers 1 to pass the key on, 0 to withhold it.
    int HookMessage(uint32_t wParam, int32_t lParam);
    // The stored hotkeys become the menu items' shortcuts and the hook's table; the hook grabs anew.
    void ApplyHotkeySettings();

    // ---- Song library (main_librarymenu.cpp): the tree's handlers and the navigation commands
    // forward to Views(). Library() is the working copy shared with the library manager window, reading and
    // writing in this window's library folder setting.
    LibraryViews &Views() override;
    class LibraryStore &Library();
    void CreateLibraryMenu();                // the library tree and the "Song Library" submenu (start-up)
    void LibraryMenuOnClick(QAction *item);  // plays the song of a library menu entry

    // ---- Mini-info (main_miniinfo.cpp): pops the mini-info up while this window is hidden.
    // Forced for "Show Mini-Info", its hotkey and the next and previous song commands; not forced when
    // playing starts and on rewind and fast forward, which show it only when it is to show on every change.
    void ShowMiniInfo(bool forced);
    // Shows the mini-info as a desktop notification for `milliseconds`; false when there is no notification
    // service (the popup shows instead). Set by whoever offers the desktop's notifications; empty: none.
    std::function<bool(int milliseconds)> ShowDesktopNotification;

    // ---- Audio settings (main_audio.cpp). Binds the player's output and codec reports, once.
    void BindAudioEvents();
    void ApplyEqualizerSettings();  // the equalizer switch and the default equalizer file (start-up)
    // Saves the default equalizer file at exit; returns an error text naming the file, empty on success.
    QString SaveDefaultEqualizer();
    // The default equalizer file, loaded at start and saved at exit while the equalizer is on; empty:
    // "devud3.eqs" in the program's folder.
    QString DefaultEqualizerFile;
    QString DefaultEqualizerFilePath() const;

    // ---- Window life cycle.
    void FormCreate();
    void FormDestroy();
    // Runs before the window closes (saving the configuration). Returns false when the close must not
    // complete because saving failed; the program then keeps running. Closing the window ends the program.
    bool FormClose();
    QString SaveAtClose();  // what closing saves, without asking; returns the failure text, empty when saved

Q_SIGNALS:
    // "Add new Set at this position...": the new-set dialog opens in insert mode, for a set at `position`.
    void NewSetDialogRequested(int position);

public Q_SLOTS:
    // ---- Handlers of this folder.
    void pop_showwindowClick();
    void button_hideClick();
    void pop_aboutClick();
    void Image1Click();
    void pop_exitClick();
    void button_exitClick();
    void button_toggledisplaystyleClick();
    void button_alwaysontopClick();
    void FormResize(bool fromToggle = false);
    void FormDockDrop();
    void pop_autoplayonstartClick();
    void pop_autoplayonopenClick();
    void pop_randomsetClick();
    void pop_randomsongClick();
    void pop_openfolderrecursiveClick();

    // ---- Transport (main_transport.cpp).
    void pop_playClick();
    void pop_pauseClick();
    void pop_stopClick();
    void pop_rewindClick();
    void pop_fastforwardClick();
    void pop_SetRewindTimeClick();
    void pop_SetFastForwardTimeClick();
    void pop_releaseon_stopClick();
    void pop_releaseon_pauseClick();
    void pop_releaseon_eofClick();
    void pop_audiodrivertreatment_activateClick();
    void speedbutton_playClick();
    void speedbutton_pauseClick();
    void speedbutton_stopClick();
    void speedbutton_previoussongClick();
    void speedbutton_nextsongClick();
    void trackbar_songChange();  // the user moved the seek bar; not called when code sets it

    // ---- Commands of other subsystems (in their folders).
    void pop_openfileClick();
    void pop_openfolderClick();
    void pop_openurlClick();
    void pop_libraryfolderClick();
    void pop_managelibraryClick();
    void pop_previoussongClick();
    void pop_nextsongClick();
    void pop_playrandomsetClick();
    void pop_playrandomsongClick();
    void pop_modifyaudiosettingsClick();
    void pop_configureHotkeysClick();
    void pop_ConfigureMiniInfoClick();
    void pop_ShowMiniInfoClick();
    void pop_saveoptionsClick();
    void pop_associateClick();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The window's side of the now-playing display (main_nowplaying.cpp): listens to nowPlaying.
    void ConnectNowPlaying();
    void ShowSongOpened(const QString &FileName, const QString &SetName, const QString &SongTitle);
    void ShowEnabling(bool Play, bool Pause, bool Stop, bool ButtonsToo);
    void ShowPlayerState(qint32 State, const QString &IconPath);
    void ShowPosition(quint32 Offset, quint32 Range);
    void ShowTime(const QString &Time, const QString &TimeLine);
    void ShowDisplayTitle(const QString &Title);
    void ShowError(const QString &Text);
    // Its mini-info steps (main_miniinfo.cpp).
    void OfferMiniInfo();                                // ShowMiniInfo, not forced
    void ShowMiniInfoTimeLine(const QString &timeLine);  // "00:01:05 / 00:03:20" into the mini-info
    // main_layout.cpp
    void CreatePanels();
    void CreateTimePanel();
    void CreateSongInfoPanel();
    void CreateLibraryPanel();
    void CreateControlsPanel();
    void ApplyLayout();
    void ApplyWindowFlags();
    QFrame *Panel(WindowLayout::Panel which) const;
    // main_popupmenu.cpp
    void CreatePopupMenu();
    void ConnectMenuItems();
    void UsePopupMenu(QWidget *widget);  // popupmenu1 as the context menu of `widget`

    WindowLayout m_layout;
    PanelDocking *m_docking = nullptr;
    AutoSizeLabels *m_autoSizeLabels = nullptr;
    bool m_inLayout = false;  // the window applies a layout; its own resize events change nothing
    bool m_alwaysOnTop = false;
    bool m_shown = false;
    bool m_nowPlayingConnected = false;
    QIcon m_image1Icon;
    TrayPresence *m_tray = nullptr;
    std::unique_ptr<keyhook::HookWindow> m_hookWindow;  // what the keyboard hook delivers to
    LibraryViews *m_libraryViews = nullptr;             // Views()
};

// The one main window of the program; null until it is created.
extern Tform_main *form_main;
