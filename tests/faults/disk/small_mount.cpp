#include "small_mount.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

QString why(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

QString enterPrivateMountNamespace()
{
    if (::geteuid() != 0)
        return QStringLiteral("mounting needs root");
    if (::unshare(CLONE_NEWNS) != 0)
        return why("unshare(CLONE_NEWNS)");
    // Nothing mounted here may reach the namespace we came from.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return why("making / private");
    return {};
}

SmallMount::SmallMount(int kibibytes)
{
    if (!dir_.isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k,mode=0755";
    if (::mount("dak-fault", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, options.constData()) != 0) {
        error_ = why("mount -t tmpfs");
        return;
    }
    mounted_ = true;
}

SmallMount::~SmallMount()
{
    if (mounted_)
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

bool SmallMount::fill()
{
    const int fd = ::open(QFile::encodeName(filePath(QStringLiteral("filler"))).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const QByteArray block(4096, 'f');
    bool full = false;
    for (int i = 0; i < 1 << 20 && !full; ++i) {
        if (::write(fd, block.constData(), size_t(block.size())) < 0)
            full = errno == ENOSPC;
    }
    // Whatever part of a block still fits.
    while (full && ::write(fd, "f", 1) == 1) { }
    ::close(fd);
    return full;
}

bool SmallMount::makeReadOnly()
{
    return ::mount(nullptr, QFile::encodeName(dir_.path()).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
