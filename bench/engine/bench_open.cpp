// Opening large files. Prints "name: value" lines:
//   open_to_first_sound_ms   InputOpen and Play of a 100 MB file (128 kbit/s CBR, 1.8 hours) sent together,
//                            until the first bytes of sound reach the output: the engine writes through
//                            libout123's "raw" module into a file whose size another thread watches. Median
//                            of DAK_BENCH_OPEN_RUNS runs (default 7), the file in the page cache.
//   open_to_first_sound_small_ms  the same for a 30 s file of the same kind, for comparison
// DAK_BENCH_VERBOSE=1 prints the single times.

#include "tools/engine_driver.h"
#include "measure.h"

#include "tools/fixtures.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <thread>

using namespace bench;
using testtools::Fixtures;
using testtools::Mp3Options;
using testtools::Signal;
using testtools::Tone;

namespace {

bool fail(const QString &what)
{
    std::fprintf(stderr, "bench_open: %s\n", qPrintable(what));
    return false;
}

// Milliseconds from InputOpen + Play to the first bytes in the raw output file, or -1.
double openToFirstSound(EngineDriver &engine, const QString &file, const QString &out)
{
    if (!engine.openOutput(qPrintable(QStringLiteral("raw:") + out)))
        return fail(QStringLiteral("output: ") + engine.lastError), -1;
    std::atomic<qint64> firstBytes{0};
    std::atomic<bool> quit{false};
    const QByteArray path = QFile::encodeName(out);
    std::thread watcher([&] {
        struct stat st { };
        while (!quit) {
            if (::stat(path.constData(), &st) == 0 && st.st_size > 0) {
                firstBytes = nowNs();
                return;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    engine.discardPending();
    const qint64 start = nowNs();
    control_message_send_S(engine.player(), XA_MSG_COMMAND_INPUT_OPEN, QFile::encodeName(file).constData());
    control_message_send_N(engine.player(), XA_MSG_COMMAND_PLAY);
    const bool acked = engine.takeAck(XA_MSG_COMMAND_PLAY, 30000);
    for (int waited = 0; acked && firstBytes == 0 && waited < 10000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    quit = true;
    watcher.join();
    control_message_send_N(engine.player(), XA_MSG_COMMAND_INPUT_CLOSE);
    engine.takeAck(XA_MSG_COMMAND_INPUT_CLOSE, 10000);
    QFile::remove(out);
    if (!acked || firstBytes == 0)
        return fail(QStringLiteral("no sound was written: ") + engine.lastError), -1;
    return double(firstBytes - start) / 1e6;
}

bool measure(Fixtures &fx, const QString &file, const char *name, int runs)
{
    EngineDriver engine;
    if (!engine.ok())
        return fail(QStringLiteral("no player"));
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = openToFirstSound(engine, file, fx.path(QStringLiteral("open%1.raw").arg(i)));
        if (ms < 0)
            return false;
        times.push_back(ms);
    }
    if (qEnvironmentVariableIsSet("DAK_BENCH_VERBOSE")) {
        std::fprintf(stderr, "%s (ms):", name);
        for (double t : times)
            std::fprintf(stderr, " %.3f", t);
        std::fprintf(stderr, "\n");
    }
    report(name, median(times), 2);
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return fail(QStringLiteral("no temporary folder")), 1;
    Fixtures fx(dir.path());
    Mp3Options options;
    options.infoHeader = false;  // copies of it join into one stream
    const QString small = fx.mp3(QStringLiteral("small.mp3"), Tone{Signal::PinkNoise, 44100, 2, 30, 0.3}, options);
    if (small.isEmpty())
        return fail(fx.error()), 1;
    QFile in(small);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read ") + small), 1;
    const QByteArray piece = in.readAll();
    QFile big(fx.path(QStringLiteral("big.mp3")));
    if (!big.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write ") + big.fileName()), 1;
    while (big.size() < 100 * 1000 * 1000)
        if (big.write(piece) != piece.size())
            return fail(QStringLiteral("cannot write ") + big.fileName()), 1;
    big.close();

    bool ok_env = false;
    const int n = qEnvironmentVariableIntValue("DAK_BENCH_OPEN_RUNS", &ok_env);
    const int runs = ok_env && n > 0 ? n : 7;
    bool ok = measure(fx, big.fileName(), "open_to_first_sound_ms", runs);
    ok = measure(fx, small, "open_to_first_sound_small_ms", runs) && ok;
    return ok ? 0 : 1;
}
