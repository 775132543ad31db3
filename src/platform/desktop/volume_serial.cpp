// The volume serial of a drive, read with statx(2) through the kernel's own record: the C library's record
// does not name the mount id field.

#include "platform/desktop/volume_serial.h"

#include <QFile>

#include <fcntl.h>
#include <linux/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

namespace {

// Linux 6.8 and later: a mount id that is never used again, unlike the one of the mount table.
constexpr unsigned kStatxMntIdUnique = 0x4000U;
constexpr unsigned kStatxMntId = 0x1000U;
constexpr unsigned kStatxBtime = 0x0800U;
constexpr int kStatxDontSync = 0x4000;  // never wait for a network server to confirm

uint64_t Mix(uint64_t hash, uint64_t value)
{
    // FNV-1a over the value's bytes.
    for (int i = 0; i < 8; ++i) {
        hash ^= (value >> (i * 8)) & 0xFF;
        hash *= 0x100000001B3ULL;
    }
    return hash;
}

}  // namespace

qint64 ReadVolumeSerial(const QString &root)
{
    const QByteArray path = QFile::encodeName(root);
    struct statx info { };
    const unsigned want = STATX_INO | kStatxBtime | kStatxMntId | kStatxMntIdUnique;
    if (syscall(SYS_statx, AT_FDCWD, path.constData(), kStatxDontSync, want, &info) != 0)
        return -1;
    if ((info.stx_mode & S_IFMT) != S_IFDIR || ::access(path.constData(), R_OK | X_OK) != 0)
        return -1;
    uint64_t hash = 0xCBF29CE484222325ULL;
    hash = Mix(hash, (uint64_t{info.stx_dev_major} << 32) | info.stx_dev_minor);
    hash = Mix(hash, info.stx_ino);
    if (info.stx_mask & (kStatxMntId | kStatxMntIdUnique))
        hash = Mix(hash, info.stx_mnt_id);
    if (info.stx_mask & kStatxBtime)
        hash = Mix(hash, (static_cast<uint64_t>(info.stx_btime.tv_sec) << 30) ^ info.stx_btime.tv_nsec);
    auto serial = static_cast<qint64>(hash & 0x7FFFFFFFFFFFFFFFULL);
    return serial == 0 ? 1 : serial;
}
