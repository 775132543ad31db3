#include "measure.h"

#include "tools/engine_driver.h"

#include <QFile>

#include <mpg123.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

extern char **environ;

namespace bench {

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
        double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double referenceDecodeSeconds(const QString &file, double *cpuSeconds)
{
    int err = MPG123_OK;
    mpg123_handle *mh = mpg123_new(nullptr, &err);
    if (!mh)
        return -1;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET, 0);
    mpg123_format_none(mh);
    const long *rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(mh, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    double seconds = -1;
    if (mpg123_open(mh, QFile::encodeName(file).constData()) == MPG123_OK) {
        std::vector<unsigned char> buffer(mpg123_outblock(mh));
        size_t done = 0;
        size_t total = 0;
        const double cpuStart = processCpuSeconds();
        const qint64 start = nowNs();
        int r;
        while ((r = mpg123_read(mh, buffer.data(), buffer.size(), &done)) == MPG123_OK || r == MPG123_NEW_FORMAT)
            total += done;
        if (r == MPG123_DONE && total > 0)
            seconds = double(nowNs() - start) / 1e9;
        if (cpuSeconds)
            *cpuSeconds = processCpuSeconds() - cpuStart;
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    return seconds;
}

ProcessCost runMeasured(const QStringList &argv)
{
    ProcessCost cost;
    std::vector<QByteArray> storage;
    std::vector<char *> args;
    for (const QString &a : argv)
        storage.push_back(QFile::encodeName(a));
    for (QByteArray &s : storage)
        args.push_back(s.data());
    args.push_back(nullptr);
    const qint64 start = nowNs();
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ);
    if (rc != 0) {
        cost.error =
            QStringLiteral("cannot start %1: %2").arg(argv.value(0), QString::fromLocal8Bit(std::strerror(rc)));
        return cost;
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            cost.error = QStringLiteral("wait4 failed");
            return cost;
        }
    }
    cost.wallSeconds = double(nowNs() - start) / 1e9;
    cost.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
        double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    cost.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!cost.ok)
        cost.error = QStringLiteral("%1 exited with status %2").arg(argv.join(QLatin1Char(' '))).arg(status);
    return cost;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void report(const char *name, double value, int decimals)
{
    std::printf("%s: %.*f\n", name, decimals, value);
    std::fflush(stdout);
}

}  // namespace bench
