#pragma once
// TrackInfo: what the desktop is told about the track being played (media controls, notifications). It
// follows a NowPlaying model: a song of the library is its library title in its set; a file opened outside
// the library is the title, artist and album of its ID3v2 or ID3v1 tag, read with TagLib on a worker
// thread, or else its file name; a stream is its own title while it reports one, else its address. The text
// that stands for "no title" is never given out.
//
// Threads: the user-interface thread only; the tag read runs on Qt's global thread pool and comes back here.

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QStringList>

class NowPlaying;

class TrackInfo : public QObject {
    Q_OBJECT
public:
    struct Tags {
        QString title, artist, album;
        quint64 track = 0;  // the Number() of the track it was read for
    };

    explicit TrackInfo(NowPlaying *now, QObject *parent = nullptr);

    // Counts the tracks opened: 0 before the first.
    quint64 Number() const { return m_number; }
    QString Title() const;
    QString Artist() const { return m_tags.artist; }
    // The library set, else the tag's album.
    QString Album() const;
    // A file as a file: URL, a stream's address as it is.
    QString Url() const { return m_url; }
    // Microseconds; 0 while unknown.
    qint64 LengthUs() const;
    // Whether the tags of the current track are still to come.
    bool ReadingTags() const { return m_reading; }

    // The tag of a local file (ID3v2 before ID3v1, as TagLib merges them); empty fields where there is none.
    static Tags ReadTags(const QString &path);

Q_SIGNALS:
    // Anything of the above changed.
    void changed();

private:
    void Opened(const QString &fileName);

    NowPlaying *m_now;
    quint64 m_number = 0;
    QString m_url;
    QString m_fallbackTitle;  // the file name, or the stream's address
    Tags m_tags;
    bool m_reading = false;
    QFutureWatcher<Tags> m_watcher;
};
