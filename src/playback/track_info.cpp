#include "playback/track_info.h"

#include "playback/now_playing.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include <taglib/fileref.h>
#include <taglib/tag.h>

using namespace playback;

namespace {

bool IsStream(const QString &name)
{
    return name.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QString FromTagLib(const TagLib::String &text)
{
    return QString::fromStdString(text.to8Bit(true)).trimmed();
}

}  // namespace

TrackInfo::TrackInfo(NowPlaying *now, QObject *parent)
    : QObject(parent)
    , m_now(now)
{
    connect(now, &NowPlaying::songOpened, this, [this](const QString &fileName) { Opened(fileName); });
    connect(now, &NowPlaying::displayTitleChanged, this, &TrackInfo::changed);
    connect(now, &NowPlaying::durationChanged, this, &TrackInfo::changed);
    connect(&m_watcher, &QFutureWatcher<Tags>::finished, this, [this] {
        const Tags tags = m_watcher.result();
        if (tags.track != m_number)
            return;  // read for a track before the current one
        m_tags = tags;
        m_reading = false;
        Q_EMIT changed();
    });
}

TrackInfo::Tags TrackInfo::ReadTags(const QString &path)
{
    Tags tags;
    const QByteArray name = QFile::encodeName(path);
    const TagLib::FileRef file(name.constData(), false);
    if (file.isNull() || file.tag() == nullptr)
        return tags;
    const TagLib::Tag *tag = file.tag();
    tags.title = FromTagLib(tag->title());
    tags.artist = FromTagLib(tag->artist());
    tags.album = FromTagLib(tag->album());
    return tags;
}

void TrackInfo::Opened(const QString &fileName)
{
    ++m_number;
    m_tags = {};
    m_reading = !IsStream(fileName);
    if (IsStream(fileName)) {
        m_url = fileName;
        m_fallbackTitle = fileName;
    } else {
        m_url = QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()).toString();
        m_fallbackTitle = QFileInfo(fileName).fileName();
        m_watcher.setFuture(QtConcurrent::run([fileName, track = m_number] {
            Tags tags = ReadTags(fileName);
            tags.track = track;
            return tags;
        }));
    }
    Q_EMIT changed();
}

QString TrackInfo::Title() const
{
    if (!m_now->StreamTitle().isEmpty())
        return m_now->StreamTitle();
    if (m_now->Title() != kTitleUnknown)
        return m_now->Title();
    if (!m_tags.title.isEmpty())
        return m_tags.title;
    return m_fallbackTitle;
}

QString TrackInfo::Album() const
{
    return m_now->SetName() != kSetUnknown ? m_now->SetName() : m_tags.album;
}

qint64 TrackInfo::LengthUs() const
{
    return static_cast<qint64>(m_now->Duration()) * 1000000;
}
