#include "playback/track_info.h"

#include "playback/now_playing.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include <tag_c.h>

#include <dlfcn.h>

#include <mutex>

using namespace playback;

namespace {

bool IsStream(const QString &name)
{
    return name.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
        name.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

// TagLib's C interface, loaded when the first tag is read. Linked in, TagLib would be mapped and initialised
// at every start, although most runs only ever play songs of the library, whose titles come from the
// library: half a megabyte of resident memory for nothing. The header gives the types; the functions come
// from the shared library at run time.
struct TagLibApi {
    void (*set_strings_unicode)(BOOL);
    void (*set_string_management_enabled)(BOOL);
    void (*free)(void *);
    TagLib_File *(*file_new)(const char *);
    void (*file_free)(TagLib_File *);
    BOOL (*file_is_valid)(const TagLib_File *);
    TagLib_Tag *(*file_tag)(const TagLib_File *);
    char *(*tag_title)(const TagLib_Tag *);
    char *(*tag_artist)(const TagLib_Tag *);
    char *(*tag_album)(const TagLib_Tag *);
};

template <typename F>
bool Resolve(void *library, const char *name, F &function)
{
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

// The library, loaded on the first call from any thread; null when it cannot be loaded (then no file has
// a tag, and titles fall back to file names).
const TagLibApi *LoadTagLib()
{
    static std::once_flag once;
    static TagLibApi api{};
    static bool ok = false;
    std::call_once(once, [] {
        // The run-time name of the library the header belongs to.
        void *library = dlopen("libtag_c.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            qWarning("Tags are not read: %s", dlerror());
            return;
        }
        ok = Resolve(library, "taglib_set_strings_unicode", api.set_strings_unicode) &&
            Resolve(library, "taglib_set_string_management_enabled", api.set_string_management_enabled) &&
            Resolve(library, "taglib_free", api.free) && Resolve(library, "taglib_file_new", api.file_new) &&
            Resolve(library, "taglib_file_free", api.file_free) &&
            Resolve(library, "taglib_file_is_valid", api.file_is_valid) &&
            Resolve(library, "taglib_file_tag", api.file_tag) && Resolve(library, "taglib_tag_title", api.tag_title) &&
            Resolve(library, "taglib_tag_artist", api.tag_artist) &&
            Resolve(library, "taglib_tag_album", api.tag_album);
        if (!ok) {
            qWarning("Tags are not read: libtag_c.so.0 lacks a function");
            return;  // the library stays loaded, as it may have started using memory of its own
        }
        // Texts in UTF-8, each freed by the caller: the library's own bookkeeping of the texts it handed
        // out is one list for the whole process, which reads on several threads would share unguarded.
        api.set_strings_unicode(1);
        api.set_string_management_enabled(0);
    });
    return ok ? &api : nullptr;
}

// A text the library handed out, as a QString; the text is freed.
QString Take(const TagLibApi &api, char *text)
{
    if (!text)
        return {};
    const QString result = QString::fromUtf8(text).trimmed();
    api.free(text);
    return result;
}

}  // namespace

TrackInfo::TrackInfo(NowPlaying *now, QObject *parent) : QObject(parent), m_now(now)
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
    const TagLibApi *api = LoadTagLib();
    if (!api)
        return tags;
    const QByteArray name = QFile::encodeName(path);
    TagLib_File *file = api->file_new(name.constData());
    if (!file)
        return tags;
    if (api->file_is_valid(file)) {
        if (const TagLib_Tag *tag = api->file_tag(file)) {
            tags.title = Take(*api, api->tag_title(tag));
            tags.artist = Take(*api, api->tag_artist(tag));
            tags.album = Take(*api, api->tag_album(tag));
        }
    }
    api->file_free(file);
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

QString TrackInfo::Album() const { return m_now->SetName() != kSetUnknown ? m_now->SetName() : m_tags.album; }

qint64 TrackInfo::LengthUs() const { return static_cast<qint64>(m_now->Duration()) * 1000000; }
