#include "platform/desktop/mount_watcher.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

MountWatcher::MountWatcher(const QString &mountInfoPath, QObject *parent) : QObject(parent)
{
    m_fd = ::open(QFile::encodeName(mountInfoPath).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    Drain();
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &MountWatcher::Activated);
}

MountWatcher::~MountWatcher()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void MountWatcher::Drain()
{
    // Reading the table from its start to its end acknowledges the change the kernel reported.
    char buffer[8192];
    ::lseek(m_fd, 0, SEEK_SET);
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got > 0 || (got < 0 && errno == EINTR))
            continue;
        break;
    }
}

void MountWatcher::Activated()
{
    Drain();
    Q_EMIT mountsChanged();
}
