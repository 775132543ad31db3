#include "platform/profile/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <QHash>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString failure(const QString &path, const QString &step, int error)
{
    return QStringLiteral("Couldn't write file %1: %2: %3")
        .arg(path, step, QString::fromLocal8Bit(std::strerror(error)));
}

QString followLinks(const QString &path)
{
    QString target = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            break;
        target = info.symLinkTarget();
    }
    return target;
}

bool writeAll(int fd, QByteArrayView data)
{
    const char *p = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// The part of the temporary file's name taken from the file's own name. The temporary name adds 14 bytes at
// most ("." before, "." with up to 8 hex digits and ".tmp" after), and no name may be longer than 255 bytes:
// a long name is cut, at the start of a UTF-8 sequence, so that a file whose own name fits can be written.
QByteArray temporaryStem(QByteArray name)
{
    constexpr qsizetype kLongest = 255 - 14;
    if (name.size() <= kLongest)
        return name;
    qsizetype cut = kLongest;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    name.truncate(cut);
    return name;
}

// A temporary file younger than this may still be written by another writer of this process; one that old is
// left over from a write that never finished (the program was killed, the machine lost power).
constexpr time_t kStaleAfterSeconds = 120;

// The temporary files this process is writing right now, which a sweep never takes even if they are old.
std::mutex inFlightLock;
QSet<QByteArray> inFlight;
// When each folder was last swept after a write. Nothing turns stale in less than a minute, so a folder that
// is written many times in a row (an import writing hundreds of set files) is read once, not at every write.
QHash<QByteArray, time_t> lastSweep;

bool sweepDue(const QByteArray &folder, time_t now)
{
    const std::lock_guard<std::mutex> lock(inFlightLock);
    const auto last = lastSweep.constFind(folder);
    if (last != lastSweep.cend() && now - *last >= 0 && now - *last < 60)
        return false;
    lastSweep.insert(folder, now);
    return true;
}

void setInFlight(const QByteArray &temporary, bool writing)
{
    const std::lock_guard<std::mutex> lock(inFlightLock);
    if (writing)
        inFlight.insert(temporary);
    else
        inFlight.remove(temporary);
}

bool isInFlight(const QByteArray &temporary)
{
    const std::lock_guard<std::mutex> lock(inFlightLock);
    return inFlight.contains(temporary);
}

// Whether a name is one this writer gives its temporary files: "." + a name + "." + 1 to 8 lower-case hex
// digits + ".tmp".
bool isTemporaryName(QByteArrayView name)
{
    constexpr QByteArrayView kEnd(".tmp");
    if (name.size() < 1 + 1 + 1 + 1 + kEnd.size() || name.front() != '.' || !name.endsWith(kEnd))
        return false;
    const QByteArrayView rest = name.chopped(kEnd.size());
    const qsizetype dot = rest.lastIndexOf('.');
    const qsizetype digits = rest.size() - dot - 1;
    if (dot < 2 || digits < 1 || digits > 8)
        return false;
    for (const char c : rest.sliced(dot + 1)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

}  // namespace

void removeStaleTemporaryFiles(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    const int dirFd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    DIR *dir = ::fdopendir(dirFd);
    if (dir == nullptr) {
        ::close(dirFd);
        return;
    }
    const time_t now = std::time(nullptr);
    const QByteArray prefix = path.endsWith('/') ? path : path + '/';
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (!isTemporaryName(name))
            continue;
        // Only a plain file of this user, untouched for a while, that this process is not writing now.
        struct stat info { };
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid() || now - info.st_mtime < kStaleAfterSeconds ||
            isInFlight(prefix + name.toByteArray()))
            continue;
        ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);  // closes dirFd too
}

QString writeFileAtomically(const QString &path, QByteArrayView data)
{
    const QString target = followLinks(path);
    const QFileInfo targetInfo(target);
    const QByteArray targetName = QFile::encodeName(target);
    const QByteArray folder = QFile::encodeName(targetInfo.absolutePath());

    struct stat old { };
    const bool replacing = ::stat(targetName.constData(), &old) == 0 && S_ISREG(old.st_mode);

    // O_EXCL with a random name instead of mkstemp: the new file then gets the usual 0666 less umask.
    const QByteArray stem = temporaryStem(QFile::encodeName(targetInfo.fileName()));
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary =
            folder + "/." + stem + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return failure(path, QStringLiteral("cannot create a temporary file in %1").arg(targetInfo.absolutePath()),
                       errno);
    setInFlight(temporary, true);

    auto abandon = [&](const QString &step) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.constData());
        setInFlight(temporary, false);
        return failure(path, step, error);
    };

    if (replacing) {
        // Best effort: a file whose mode or owner cannot be copied is still better written than not.
        if (::fchmod(fd, old.st_mode & 07777) != 0) { }
        if (::geteuid() == 0 && ::fchown(fd, old.st_uid, old.st_gid) != 0) { }
    }
    if (!writeAll(fd, data))
        return abandon(QStringLiteral("cannot write the temporary file"));
    if (::fsync(fd) != 0)
        return abandon(QStringLiteral("cannot flush the temporary file to disk"));
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return abandon(QStringLiteral("cannot close the temporary file"));
    if (::rename(temporary.constData(), targetName.constData()) != 0)
        return abandon(QStringLiteral("cannot replace the file"));
    setInFlight(temporary, false);

    // Make the rename itself durable. The new contents are complete either way, so a folder that cannot be
    // flushed is no failure.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    // Temporary files that earlier writes left behind when they were cut short go with the next write into
    // their folder.
    if (sweepDue(folder, std::time(nullptr)))
        removeStaleTemporaryFiles(targetInfo.absolutePath());
    return {};
}
