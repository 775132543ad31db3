#include "app/mpris/mpris.h"

#include "app/ui/form_main.h"
#include "playback/now_playing.h"
#include "playback/track_info.h"
#include "playback/XaudioPlayer.h"
#include "playback/transport_logic.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QMetaObject>
#include <QUrl>

#include <algorithm>

using namespace playback;

namespace {

const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// Every published property with the value the Player interface shows now.
QVariantMap PlayerProperties(const Mpris &mpris)
{
    return {
        {QStringLiteral("PlaybackStatus"), mpris.PlaybackStatus()},
        {QStringLiteral("Metadata"), mpris.Metadata()},
        {QStringLiteral("Volume"), mpris.Volume()},
        {QStringLiteral("CanGoNext"), mpris.CanGoNext()},
        {QStringLiteral("CanGoPrevious"), mpris.CanGoPrevious()},
        {QStringLiteral("CanPlay"), mpris.CanPlay()},
        {QStringLiteral("CanPause"), mpris.CanPause()},
        {QStringLiteral("CanSeek"), mpris.CanSeek()},
    };
}

}  // namespace

Mpris::Mpris(Tform_main &form, QObject *parent)
    : QObject(parent), m_form(form), m_track(new TrackInfo(form.nowPlaying, this))
{
    NowPlaying *now = form.nowPlaying;
    // Queued: the window's own listeners finish first, and a burst of reports makes one publication.
    connect(now, &NowPlaying::enablingChanged, this, &Mpris::Publish, Qt::QueuedConnection);
    connect(now, &NowPlaying::stateChanged, this, &Mpris::Publish, Qt::QueuedConnection);
    connect(now, &NowPlaying::masterLevelChanged, this, &Mpris::Publish, Qt::QueuedConnection);
    connect(m_track, &TrackInfo::changed, this, &Mpris::Publish, Qt::QueuedConnection);
    // The next and previous items follow the library; they are read when published.
    connect(form.pop_nextsong, &QAction::changed, this, &Mpris::Publish, Qt::QueuedConnection);
    connect(form.pop_previoussong, &QAction::changed, this, &Mpris::Publish, Qt::QueuedConnection);
    // Stop and the end of a song move back to the start.
    connect(now, &NowPlaying::stateChanged, this, [this](qint32 state) {
        if (state == kStopped || state == kEndOfFile)
            Q_EMIT Seeked(0);
    });
}

Mpris::~Mpris()
{
    if (!m_registered)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(kObjectPath);
    bus.unregisterService(kServiceName);
}

bool Mpris::Start()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    new MprisRoot(this);
    new MprisPlayer(this);
    if (!bus.registerObject(kObjectPath, this))
        return false;
    if (!bus.registerService(kServiceName)) {
        bus.unregisterObject(kObjectPath);
        return false;
    }
    m_registered = true;
    m_published = PlayerProperties(*this);
    Now().Player()->GetOutputVolume();  // the volume is known once the player reports it
    return true;
}

NowPlaying &Mpris::Now() const { return *m_form.nowPlaying; }

void Mpris::Publish()
{
    if (!m_registered)
        return;
    const QVariantMap now = PlayerProperties(*this);
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (m_published.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    m_published = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

// ---- Properties ----------------------------------------------------------------------------------------------

QString Mpris::PlaybackStatus() const
{
    switch (Now().State()) {
    case kPlaying:
        return QStringLiteral("Playing");
    case kPaused:
        return QStringLiteral("Paused");
    default:
        return QStringLiteral("Stopped");
    }
}

QDBusObjectPath Mpris::TrackId() const
{
    if (m_track->Number() == 0)
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    return QDBusObjectPath(QStringLiteral("/org/dakmp3/track/%1").arg(m_track->Number()));
}

QVariantMap Mpris::Metadata() const
{
    QVariantMap data{{QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId())}};
    if (m_track->Number() == 0)
        return data;
    data.insert(QStringLiteral("xesam:title"), m_track->Title());
    data.insert(QStringLiteral("xesam:url"), m_track->Url());
    if (m_track->LengthUs() > 0)
        data.insert(QStringLiteral("mpris:length"), m_track->LengthUs());
    if (!m_track->Album().isEmpty())
        data.insert(QStringLiteral("xesam:album"), m_track->Album());
    if (!m_track->Artist().isEmpty())
        data.insert(QStringLiteral("xesam:artist"), QStringList{m_track->Artist()});
    return data;
}

qlonglong Mpris::PositionUs() const
{
    const quint32 range = Now().PositionRange();
    if (range == 0)
        return 0;
    const double share = static_cast<double>(Now().Position()) / range;
    return static_cast<qlonglong>(share * static_cast<double>(m_track->LengthUs()));
}

double Mpris::Volume() const { return std::max(0, Now().MasterLevel()) / 100.0; }

void Mpris::SetVolume(double volume)
{
    Later([this, volume] { Now().SetMasterLevel(static_cast<int>(std::clamp(volume, 0.0, 1.0) * 100.0 + 0.5)); });
}

bool Mpris::CanGoNext() const { return m_form.pop_nextsong->isEnabled(); }

bool Mpris::CanGoPrevious() const { return m_form.pop_previoussong->isEnabled(); }

// Play is offered while something is open that plays or can be played; Pause while it plays or is paused.
bool Mpris::CanPlay() const { return Now().Enabling().play || Now().State() == kPlaying; }

bool Mpris::CanPause() const { return Now().Enabling().pause || Now().State() == kPaused; }

bool Mpris::CanSeek() const { return Now().SongOpened() && Now().Duration() > 0 && Now().PositionRange() > 0; }

// ---- Commands ----------------------------------------------------------------------------------------------

void Mpris::Later(std::function<void()> command)
{
    QMetaObject::invokeMethod(this, std::move(command), Qt::QueuedConnection);
}

void Mpris::SeekTo(qlonglong positionUs)
{
    if (!CanSeek())
        return;
    const qlonglong length = m_track->LengthUs();
    if (positionUs > length) {
        Tform_main::ClickMenuItem(m_form.pop_nextsong);  // past the end: on to the next song
        return;
    }
    const qlonglong target = std::max<qlonglong>(0, positionUs);
    const quint32 range = Now().PositionRange();
    const double share = static_cast<double>(target) / static_cast<double>(length);
    Now().Seek(static_cast<quint32>(share * range + 0.5), range);
    Q_EMIT Seeked(target);
}

MprisRoot::MprisRoot(Mpris *mpris) : QDBusAbstractAdaptor(mpris), m_mpris(mpris) { }

void MprisRoot::Raise()
{
    m_mpris->Later([this] { m_mpris->Form().pop_showwindowClick(); });
}

void MprisRoot::Quit()
{
    m_mpris->Later([this] { Tform_main::ClickMenuItem(m_mpris->Form().pop_exit); });
}

MprisPlayer::MprisPlayer(Mpris *mpris) : QDBusAbstractAdaptor(mpris), m_mpris(mpris)
{
    connect(mpris, &Mpris::Seeked, this, &MprisPlayer::Seeked);
}

void MprisPlayer::Next()
{
    m_mpris->Later([this] { Tform_main::ClickMenuItem(m_mpris->Form().pop_nextsong); });
}

void MprisPlayer::Previous()
{
    m_mpris->Later([this] { Tform_main::ClickMenuItem(m_mpris->Form().pop_previoussong); });
}

void MprisPlayer::Pause()
{
    m_mpris->Later([this] {
        if (m_mpris->Now().Playing())
            Tform_main::ClickMenuItem(m_mpris->Form().pop_pause);
    });
}

void MprisPlayer::PlayPause()
{
    m_mpris->Later([this] { m_mpris->Form().TrayPlayPauseToggle(); });
}

void MprisPlayer::Stop()
{
    m_mpris->Later([this] { Tform_main::ClickMenuItem(m_mpris->Form().pop_stop); });
}

void MprisPlayer::Play()
{
    m_mpris->Later([this] {
        if (!m_mpris->Now().Playing())
            Tform_main::ClickMenuItem(m_mpris->Form().pop_play);
    });
}

void MprisPlayer::Seek(qlonglong Offset)
{
    m_mpris->Later([this, Offset] { m_mpris->SeekTo(m_mpris->PositionUs() + Offset); });
}

void MprisPlayer::SetPosition(const QDBusObjectPath &TrackId, qlonglong Position)
{
    // A position for a track that is no longer the current one is ignored.
    if (TrackId != m_mpris->TrackId() || Position < 0)
        return;
    m_mpris->Later([this, Position] { m_mpris->SeekTo(Position); });
}

void MprisPlayer::OpenUri(const QString &Uri)
{
    const QUrl url(Uri);
    QString name;
    if (url.isLocalFile())
        name = url.toLocalFile();
    else if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        name = Uri;
    else
        return;  // not a scheme this player opens
    m_mpris->Later([this, name] {
        Tform_main &form = m_mpris->Form();
        // As a file opened from the menu: outside the library, what plays stops, the new one plays.
        Tform_main::ClickMenuItem(form.pop_stop);
        form.OpenMP3(name, kSetUnknown, kTitleUnknown);
        form.pop_playClick();
    });
}
