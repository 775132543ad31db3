#pragma once
// The mini-info as a desktop notification (org.freedesktop.Notifications on the session bus): the title of
// the track with the same rule as the media controls (library title, else the tag's, else the file name),
// the set or album and the song's length. Each notification replaces the one before, so a run of song
// changes leaves one on the screen; when the tags of a file arrive after its notification, it is updated.
//
// Threads: the user-interface thread only. Calls to the service never wait for it.

#include <QObject>
#include <QString>

class NowPlaying;
class TrackInfo;

class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    static inline const QString kService = QStringLiteral("org.freedesktop.Notifications");

    explicit DesktopNotifications(NowPlaying *now, QObject *parent = nullptr);

    // Shows the current track for `milliseconds` (0 or less: the service's default); false when there is no
    // session bus or no notification service on it.
    bool Show(int milliseconds);

    // The texts of the current track's notification.
    QString Summary() const;
    QString Body() const;

private:
    void Send();

    NowPlaying *m_now;
    TrackInfo *m_track;
    quint32 m_lastId = 0;      // the service's id of the last notification, replaced by the next
    quint64 m_shownTrack = 0;  // the track the last notification was about; 0 for none
    int m_milliseconds = -1;
};
