#include "platform/profile/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString failure(const QString &path, const QString &step, int error)
{
    return QStringLiteral("Couldn't write file %1: %2: %3").arg(path, step, QString::fromLocal8Bit(std::strerror(error)));
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

} // namespace

QString writeFileAtomically(const QString &path, QByteArrayView data)
{
    const QString target = followLinks(path);
    const QFileInfo targetInfo(target);
    const QByteArray targetName = QFile::encodeName(target);
    const QByteArray folder = QFile::encodeName(targetInfo.absolutePath());

    struct stat old {};
    const bool replacing = ::stat(targetName.constData(), &old) == 0 && S_ISREG(old.st_mode);

    // O_EXCL with a random name instead of mkstemp: the new file then gets the usual 0666 less umask.
    const QByteArray stem = temporaryStem(QFile::encodeName(targetInfo.fileName()));
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + "/." + stem + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return failure(path, QStringLiteral("cannot create a temporary file in %1").arg(targetInfo.absolutePath()), errno);

    auto abandon = [&](const QString &step) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.constData());
        return failure(path, step, error);
    };

    if (replacing) {
        // Best effort: a file whose mode or owner cannot be copied is still better written than not.
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
        }
        if (::geteuid() == 0 && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        }
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

    // Make the rename itself durable. The new contents are complete either way, so a folder that cannot be
    // flushed is no failure.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}
