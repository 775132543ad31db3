#include "app/ui/tray_clicks.h"

#include <QGuiApplication>
#include <QStyleHints>

TrayClicks::TrayClicks(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    // The desktop's double-click interval; without a GUI (tests of this logic) the usual 400 ms.
    int interval = 400;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &TrayClicks::FirePending);
    // A performed click can be undone by a double-click event for one more interval; a double-click event
    // long after a single click belongs to no click of ours.
    m_undoWindow.setSingleShot(true);
    m_undoWindow.setInterval(m_timer.interval());
    connect(&m_undoWindow, &QTimer::timeout, this, &TrayClicks::ForgetLastClick);
}

void TrayClicks::SetActions(std::function<void()> toggle, std::function<void()> showWindow)
{
    m_toggle = std::move(toggle);
    m_showWindow = std::move(showWindow);
}

void TrayClicks::SetInterval(int ms)
{
    m_timer.setInterval(ms);
    m_undoWindow.setInterval(ms);
}

void TrayClicks::Click()
{
    ForgetLastClick();
    if (m_pending) {
        // The second click of a double click delivered as two clicks.
        m_pending = false;
        m_timer.stop();
        if (m_showWindow)
            m_showWindow();
        return;
    }
    m_pending = true;
    m_timer.start();
}

void TrayClicks::DoubleClick()
{
    if (m_pending) {
        m_pending = false;
        m_timer.stop();
    } else if (m_lastClickToggled) {
        // The first click of this double click was already performed: undo its toggle.
        ForgetLastClick();
        if (m_toggle)
            m_toggle();
    }
    if (m_showWindow)
        m_showWindow();
}

void TrayClicks::FirePending()
{
    if (!m_pending)
        return;
    m_pending = false;
    m_timer.stop();
    m_lastClickToggled = true;
    m_undoWindow.start();
    if (m_toggle)
        m_toggle();
}

void TrayClicks::ForgetLastClick()
{
    m_lastClickToggled = false;
    m_undoWindow.stop();
}
