#include "library/store/library_text.h"

#include "platform/profile/legacy_text.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Calls add(begin, end) for every line of text.
template <typename Add>
void forEachLine(QByteArrayView text, Add add)
{
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        add(start, i);
        if (c == '\r' && i + 1 < size && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        add(start, size);
}

// Whether data is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF). Much faster
// than asking a QStringDecoder, which matters for sets of many thousand songs.
bool isValidUtf8(QByteArrayView data)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data.data());
    const auto *end = p + data.size();
    const auto continuation = [&](const unsigned char *at) { return at < end && (*at & 0xC0) == 0x80; };
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;  // allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i < length; ++i) {
            if (!continuation(p + i))
                return false;
        }
        p += length;
    }
    return true;
}

}  // namespace

QStringList SplitLibraryText(const QByteArray &bytes)
{
    constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
    QByteArrayView data(bytes);
    if (data.startsWith(kByteOrderMark))
        data = data.sliced(3);

    // Line ends are plain ASCII and never part of a UTF-8 sequence, so in a file that is valid UTF-8 as a whole
    // every line is valid and can take the fast conversion; otherwise each line is checked on its own. Lines
    // are converted one by one rather than the whole text at once: a large temporary copy costs more than
    // the conversion itself.
    const bool utf8 = isValidUtf8(data);
    QStringList lines;
    forEachLine(data, [&](qsizetype begin, qsizetype end) {
        const QByteArrayView line = data.sliced(begin, end - begin);
        // QString::fromUtf8 would drop a byte-order mark at the start of a line; only the file's is one.
        const bool fast = utf8 && !line.startsWith(kByteOrderMark);
        lines.append(fast ? QString::fromUtf8(line) : decodeUtf8OrWindows1252(line));
    });
    return lines;
}

LibraryTextRead ReadLibraryText(const QString &path)
{
    LibraryTextRead result;
    const auto unreadable = [&result](const QString &reason) {
        result.status = LibraryTextRead::Status::Unreadable;
        result.reason = reason;
        return result;
    };
    // Opened without blocking and checked for its type before anything is read: a FIFO, a socket or a device
    // under a library file's name must not stop the program waiting for a writer or for endless data.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return result;  // Missing; a link to nothing counts as missing too
        return unreadable(QString::fromLocal8Bit(std::strerror(error)));
    }
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return unreadable(QStringLiteral("not a plain file"));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return unreadable(file.errorString());
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unreadable(file.errorString());
    result.status = LibraryTextRead::Status::Ok;
    result.lines = SplitLibraryText(bytes);
    return result;
}

QByteArray EncodeLibraryText(const QStringList &lines)
{
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    QByteArray bytes;
    bytes.reserve(size + size / 8);
    // A first line that starts with a byte-order mark character (a file that had two) keeps it only behind a
    // byte-order mark of the file's own, which reading skips.
    if (!lines.isEmpty() && lines.constFirst().startsWith(QChar(0xFEFF)))
        bytes.append("\xEF\xBB\xBF");
    for (const QString &line : lines) {
        bytes.append(line.toUtf8());
        bytes.append("\r\n", 2);
    }
    return bytes;
}

QString SongTitle(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    return equals < 0 ? QString() : line.left(equals);
}

QString SongPath(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    return equals < 0 ? line : line.mid(equals + 1);
}

QString SongLine(const QString &title, const QString &path) { return title + u'=' + path; }
