#include "app/ui/tray_presence.h"

#include "app/ui/tray_clicks.h"
#include "app/ui/tray_watch.h"
#include "config/texts.h"
#include "platform/desktop/x_display.h"
#include "platform/shell/shell.h"

#include <QCursor>
#include <QMenu>
#include <QWidget>

TrayPresence::TrayPresence(QWidget *window, std::function<void()> applyWindowFlags)
    : QObject(window), m_window(window), m_applyWindowFlags(std::move(applyWindowFlags)), m_clicks(new TrayClicks(this))
{ }

QString TrayPresence::TipText(const QString &tip)
{
    if (tip.size() <= kTipMax)
        return tip;
    const QString ellipsis = QStringLiteral("...");
    return tip.left(kTipMax - ellipsis.size()) + ellipsis;
}

void TrayPresence::Show(const QIcon &icon)
{
    if (m_icon)
        return;
    m_icon = new QSystemTrayIcon(icon, this);
    m_icon->setToolTip(texts::kProgramName);
    m_icon->show();
    // Send the docking request now rather than when the event loop first runs.
    FlushDisplayConnection();
}

void TrayPresence::Complete(const QIcon &icon, QMenu *menu)
{
    const bool completed = m_icon && m_icon->contextMenu() == menu;
    Show(icon);
    m_menu = menu;
    if (!completed) {
        m_icon->setContextMenu(menu);
        connect(m_icon, &QSystemTrayIcon::activated, this, &TrayPresence::Activated);
    }
    m_applyWindowFlags();
}

void TrayPresence::Remove()
{
    if (!m_icon)
        return;
    m_icon->hide();
    delete m_icon;
    m_icon = nullptr;
    m_applyWindowFlags();  // without the icon the window is the program's taskbar entry again
}

void TrayPresence::Modify(const QIcon &icon, const QString &tip)
{
    if (!m_icon)
        return;
    m_icon->setIcon(icon);
    m_icon->setToolTip(TipText(tip));
}

void TrayPresence::Activated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        m_clicks->Click();
        break;
    case QSystemTrayIcon::DoubleClick:
        m_clicks->DoubleClick();
        break;
    case QSystemTrayIcon::Context:
        // Some tray hosts open the icon's context menu themselves before reporting the click.
        if (m_menu && !m_menu->isVisible())
            m_menu->popup(QCursor::pos());
        break;
    default:
        break;
    }
}

void TrayPresence::WatchForTray(std::function<bool()> trayPresent, int graceMs, int pollMs)
{
    if (m_watch)
        return;
    m_watch = new TrayWatch(std::move(trayPresent), this);
    connect(m_watch, &TrayWatch::TrayMissing, this, &TrayPresence::TrayMissing);
    connect(m_watch, &TrayWatch::TrayBack, this, &TrayPresence::TrayBack);
    m_watch->Start(graceMs, pollMs);
}

void TrayPresence::TrayMissing()
{
    // The window becomes the way in: a taskbar entry of its own, and shown, whatever the saved "show" says.
    m_noTray = true;
    m_applyWindowFlags();
    if (!m_window->isVisible()) {
        m_shownForMissingTray = true;
        m_window->show();
    }
    if (!m_noTrayExplained) {
        m_noTrayExplained = true;
        Shell::notice(QStringLiteral("The desktop has no system tray, so DAK-MP3 stays in this window. When a "
                                     "system tray appears, DAK-MP3 moves its icon there."),
                      m_window);
    }
}

void TrayPresence::TrayBack()
{
    m_noTray = false;
    if (m_icon) {
        // Dock anew in the tray that appeared.
        m_icon->hide();
        m_icon->show();
    }
    m_applyWindowFlags();
    if (m_shownForMissingTray && m_window->isVisible() && !m_window->isMinimized())
        m_window->hide();  // it was up only for want of the tray
    else if (m_window->isMinimized())
        m_window->hide();  // "Hide Window" minimised it for want of the tray; now it can really hide
    m_shownForMissingTray = false;
}
