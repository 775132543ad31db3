#include "app/notify/desktop_notifications.h"

#include "playback/now_playing.h"
#include "playback/track_info.h"
#include "playback/transport_logic.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

DesktopNotifications::DesktopNotifications(NowPlaying *now, QObject *parent)
    : QObject(parent), m_now(now), m_track(new TrackInfo(now, this))
{
    // A title read from the tags after the notification went out replaces it.
    connect(m_track, &TrackInfo::changed, this, [this] {
        if (m_shownTrack != 0 && m_shownTrack == m_track->Number())
            Send();
    });
}

bool DesktopNotifications::Show(int milliseconds)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr)
        return false;
    // Many desktops start their notification service on the first call.
    if (!bus.interface()->isServiceRegistered(kService) &&
        !bus.interface()->activatableServiceNames().value().contains(kService))
        return false;
    m_milliseconds = milliseconds > 0 ? milliseconds : -1;
    m_shownTrack = m_track->Number();
    Send();
    return true;
}

QString DesktopNotifications::Summary() const { return m_track->Title(); }

QString DesktopNotifications::Body() const
{
    const QString time = m_now->TimeText().isEmpty() ? playback::TimeText(0, 0, 0) : m_now->TimeText();
    const QString line = playback::TimeLine(time, m_now->Duration());
    const QString set = m_track->Album();
    return set.isEmpty() ? line : set + QLatin1Char('\n') + line;
}

void DesktopNotifications::Send()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/Notifications"),
                                                       kService, QStringLiteral("Notify"));
    call << texts::kProgramName << m_lastId << QStringLiteral("dak-mp3") << Summary() << Body() << QStringList()
         << QVariantMap() << m_milliseconds;
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *done) {
        const QDBusPendingReply<quint32> reply = *done;
        if (!reply.isError())
            m_lastId = reply.value();
        done->deleteLater();
    });
}
