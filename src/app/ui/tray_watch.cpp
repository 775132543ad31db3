#include "app/ui/tray_watch.h"

#include <utility>

TrayWatch::TrayWatch(std::function<bool()> trayPresent, QObject *parent)
    : QObject(parent), m_trayPresent(std::move(trayPresent))
{
    connect(&m_timer, &QTimer::timeout, this, &TrayWatch::Look);
}

void TrayWatch::Start(int graceMs, int pollMs)
{
    // Nothing is reported during the grace period: a tray host that comes up in it is simply found.
    QTimer::singleShot(graceMs, this, [this, pollMs] {
        Look();
        m_timer.start(pollMs);
    });
}

void TrayWatch::Look()
{
    const bool present = m_trayPresent();
    if (present == m_present)
        return;
    m_present = present;
    if (present)
        Q_EMIT TrayBack();
    else
        Q_EMIT TrayMissing();
}
