#include "read_only_folder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool g_privateMounts = false;
QString g_prepareError;
}  // namespace

void PrepareReadOnlyFolders()
{
    if (geteuid() != 0)
        return;
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        g_prepareError = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    g_privateMounts = true;
}

ReadOnlyFolder::ReadOnlyFolder(const QString &folder) : folder_(folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (geteuid() != 0) {
        ok_ = ::chmod(path.constData(), 0555) == 0;
        if (!ok_)
            why_ = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    if (!g_privateMounts) {
        why_ = QStringLiteral("no private mount namespace: ") + g_prepareError;
        return;
    }
    if (mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0) {
        why_ = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    mounted_ = true;
    ok_ = mount(nullptr, path.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    if (!ok_)
        why_ = QString::fromLocal8Bit(std::strerror(errno));
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    const QByteArray path = QFile::encodeName(folder_);
    if (mounted_)
        umount2(path.constData(), MNT_DETACH);
    else if (geteuid() != 0)
        ::chmod(path.constData(), 0755);
}
