#include "tags/tag_file.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

TagFileError::TagFileError(const QString &message) : std::runtime_error(message.toStdString()), message_(message) { }

TagFile::~TagFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void TagFile::fail(const QString &what, int error) const
{
    throw TagFileError(QStringLiteral("%1 %2: %3").arg(what, path_, QString::fromLocal8Bit(std::strerror(error))));
}

bool TagFile::open(const QString &path, Mode mode)
{
    Q_ASSERT(fd_ < 0);
    path_ = path;
    if (path.isEmpty())
        return false;
    // Without O_NONBLOCK a FIFO in place of the file would hang the user interface until someone writes to it.
    const int flags = (mode == Mode::Read ? O_RDONLY : O_RDWR) | O_NONBLOCK | O_CLOEXEC;
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return false;
        fail(mode == Mode::Read ? QStringLiteral("Cannot open") : QStringLiteral("Cannot open for writing"), error);
    }
    fd_ = fd;

    struct stat info { };
    if (::fstat(fd_, &info) != 0)
        fail(QStringLiteral("Cannot examine"), errno);
    if (!S_ISREG(info.st_mode))
        throw TagFileError(QStringLiteral("Not a regular file: %1").arg(path));
    size_ = info.st_size;

    const int lock = (mode == Mode::Read ? LOCK_SH : LOCK_EX) | LOCK_NB;
    if (::flock(fd_, lock) != 0) {
        if (errno == EWOULDBLOCK)
            throw TagFileError(QStringLiteral("The file is in use by another program: %1").arg(path));
        // File systems without locks: go on unlocked rather than refuse every file there.
    }
    return true;
}

QByteArray TagFile::readAt(qint64 offset, qint64 length)
{
    QByteArray bytes(length, '\0');
    qint64 done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd_, bytes.data() + done, static_cast<size_t>(length - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            fail(QStringLiteral("Cannot read"), errno);
        if (got == 0)
            throw TagFileError(QStringLiteral("Cannot read %1: the file became shorter while reading").arg(path_));
        done += got;
    }
    return bytes;
}

void TagFile::writeAt(qint64 offset, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t put =
            ::pwrite(fd_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), offset + done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            fail(QStringLiteral("Cannot write"), errno);
        if (put == 0)
            fail(QStringLiteral("Cannot write"), ENOSPC);
        done += put;
    }
    size_ = std::max(size_, offset + done);
    if (::fdatasync(fd_) != 0)
        fail(QStringLiteral("Cannot write"), errno);
}

void TagFile::truncate(qint64 length)
{
    if (::ftruncate(fd_, length) != 0)
        fail(QStringLiteral("Cannot shorten"), errno);
    size_ = length;
    if (::fdatasync(fd_) != 0)
        fail(QStringLiteral("Cannot shorten"), errno);
}

void TagFile::close()
{
    if (fd_ < 0)
        return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR)
        fail(QStringLiteral("Cannot close"), errno);
}
