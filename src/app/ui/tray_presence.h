#pragma once
// The program's icon in the system tray, the clicks on it, and the stand-in for a desktop without a tray.
//
// The icon is the program's way in while the main window is hidden. When the desktop has no tray (TrayWatch
// reports it missing), the main window stands in for the icon: an ordinary window with a taskbar entry,
// shown whatever its saved "show" says, which "Hide Window" only minimises. The user is told why once per
// run. When a tray appears the icon docks there and the window goes back to how it was.
//
// Whenever InUse() may have changed, the window is told to apply its window flags again (no taskbar entry
// while the icon stands for the program).

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class QIcon;
class QMenu;
class QWidget;
class TrayClicks;
class TrayWatch;

class TrayPresence : public QObject {
    Q_OBJECT
public:
    // The longest tip a tray icon shows.
    static constexpr int kTipMax = 63;
    // `tip` cut to kTipMax characters, ending in "..." when it had to be cut.
    static QString TipText(const QString &tip);

    // `window` is the main window; `applyWindowFlags` makes it apply its flags after InUse() changed.
    TrayPresence(QWidget *window, std::function<void()> applyWindowFlags);

    // Puts the icon into the tray at once, with no menu yet; nothing when it is there already.
    void Show(const QIcon &icon);
    // Shows the icon if needed and completes it: `menu` as its context menu, its clicks handled.
    void Complete(const QIcon &icon, QMenu *menu);
    // Takes the icon out of the tray.
    void Remove();
    // The icon and tip the tray shows; the tip is cut to kTipMax.
    void Modify(const QIcon &icon, const QString &tip);
    bool Exists() const { return m_icon != nullptr; }
    QSystemTrayIcon *Icon() const { return m_icon; }
    // The icon exists and a tray holds it: the window needs no taskbar entry.
    bool InUse() const { return m_icon != nullptr && !m_noTray; }
    // No tray: the window is the program's way in.
    bool Missing() const { return m_noTray; }

    // What the icon's events do: clicks go to Clicks(), a context request opens the menu.
    void Activated(QSystemTrayIcon::ActivationReason reason);
    TrayClicks &Clicks() { return *m_clicks; }

    // Begins watching whether the desktop has a tray; `trayPresent` answers whether one exists now. The first
    // verdict comes after `graceMs`, then a look every `pollMs`.
    void WatchForTray(std::function<bool()> trayPresent, int graceMs = 2000, int pollMs = 500);
    // The user showed or hid the window: it no longer stands in for a missing tray only.
    void ForgetShownForMissingTray() { m_shownForMissingTray = false; }

private:
    void TrayMissing();
    void TrayBack();

    QWidget *m_window;
    std::function<void()> m_applyWindowFlags;
    QSystemTrayIcon *m_icon = nullptr;
    QMenu *m_menu = nullptr;
    TrayClicks *m_clicks = nullptr;
    TrayWatch *m_watch = nullptr;
    bool m_noTray = false;               // no tray: the window is the program's way in
    bool m_shownForMissingTray = false;  // the window is up only because the tray was missing
    bool m_noTrayExplained = false;      // the user was told why, once per run
};
