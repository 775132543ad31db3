#pragma once
// The media-player interface on the session bus (org.mpris.MediaPlayer2 and its Player interface), through
// which desktop media controls, media keys and `playerctl` drive the player. It listens to the player-state
// model and the track description, and sends every command through the main window's popup-menu items, so
// the same enabling rules hold as for the tray and the hotkeys. Commands run after the bus call returned,
// so a window or box they open never holds a caller waiting.
//
// Without a session bus, or when the name is taken, Start() returns false and nothing else happens.
//
// Threads: the user-interface thread only.

#include "config/texts.h"

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <functional>

class NowPlaying;
class TrackInfo;
class Tform_main;

class Mpris : public QObject {
    Q_OBJECT
public:
    static inline const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.dakmp3");
    static inline const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");

    explicit Mpris(Tform_main &form, QObject *parent = nullptr);
    ~Mpris() override;

    // Registers the interface on the session bus; false when there is none or the name is taken.
    bool Start();

    Tform_main &Form() const { return m_form; }
    NowPlaying &Now() const;
    TrackInfo &Track() const { return *m_track; }

    // Properties of the Player interface.
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    qlonglong PositionUs() const;
    double Volume() const;
    void SetVolume(double volume);
    bool CanGoNext() const;
    bool CanGoPrevious() const;
    bool CanPlay() const;
    bool CanPause() const;
    bool CanSeek() const;
    QDBusObjectPath TrackId() const;

    // Commands; each runs from the event loop once the bus call has returned.
    void Later(std::function<void()> command);
    void SeekTo(qlonglong positionUs);

Q_SIGNALS:
    void Seeked(qlonglong positionUs);

private:
    // Sends PropertiesChanged for what changed since the last time.
    void Publish();

    Tform_main &m_form;
    TrackInfo *m_track;
    bool m_registered = false;
    QVariantMap m_published;
};

// org.mpris.MediaPlayer2
class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
    explicit MprisRoot(Mpris *mpris);
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return texts::kProgramName; }
    QString DesktopEntry() const { return QStringLiteral("dak-mp3"); }
    QStringList SupportedUriSchemes() const
    {
        return {QStringLiteral("file"), QStringLiteral("http"), QStringLiteral("https")};
    }
    QStringList SupportedMimeTypes() const { return {QStringLiteral("audio/mpeg")}; }

public Q_SLOTS:
    void Raise();
    void Quit();

private:
    Mpris *m_mpris;
};

// org.mpris.MediaPlayer2.Player
class MprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit MprisPlayer(Mpris *mpris);
    QString PlaybackStatus() const { return m_mpris->PlaybackStatus(); }
    double Rate() const { return 1.0; }
    void SetRate(double) { }  // one rate only
    QVariantMap Metadata() const { return m_mpris->Metadata(); }
    double Volume() const { return m_mpris->Volume(); }
    void SetVolume(double volume) { m_mpris->SetVolume(volume); }
    qlonglong Position() const { return m_mpris->PositionUs(); }
    bool CanGoNext() const { return m_mpris->CanGoNext(); }
    bool CanGoPrevious() const { return m_mpris->CanGoPrevious(); }
    bool CanPlay() const { return m_mpris->CanPlay(); }
    bool CanPause() const { return m_mpris->CanPause(); }
    bool CanSeek() const { return m_mpris->CanSeek(); }
    bool CanControl() const { return true; }

public Q_SLOTS:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath &TrackId, qlonglong Position);
    void OpenUri(const QString &Uri);

Q_SIGNALS:
    void Seeked(qlonglong Position);

private:
    Mpris *m_mpris;
};
