// A second start with a file while the program runs: the milliseconds from starting it to the running
// program playing that file. "Playing" is seen from outside, where it shows: the program's output stream
// appears in the sound server (`pactl subscribe` reports a new sink input). The running program is started
// afresh for every run, so each hand-over opens a new stream.
//
// Prints second_instance_handover_ms (median of 7). Needs DISPLAY, a PulseAudio server (scripts/bench starts
// both) and DAK_BUILD_DIR.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// Waits until `events` has printed a line holding `what`; returns false after `ms`.
bool waitForEvent(QProcess &events, const QByteArray &what, int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        while (events.canReadLine()) {
            if (events.readLine().contains(what))
                return true;
        }
        events.waitForReadyRead(1);
    }
    return false;
}

double oneHandOver(const QString &program, const QString &song)
{
    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(program, {});
    if (!first.waitForStarted())
        return -1;
    QThread::msleep(1500);  // the start-up has run

    QProcess events;
    events.start(QStringLiteral("stdbuf"),
                 {QStringLiteral("-oL"), QStringLiteral("pactl"), QStringLiteral("subscribe")});
    if (!events.waitForStarted())
        return -1;
    QThread::msleep(300);
    events.readAll();

    QElapsedTimer t;
    t.start();
    QProcess second;
    second.start(program, {song});
    const bool heard = waitForEvent(events, "'new' on sink-input", 5000);
    const double ms = t.nsecsElapsed() / 1e6;
    second.waitForFinished(5000);
    events.kill();
    events.waitForFinished();
    first.kill();
    first.waitForFinished();
    return heard && second.exitCode() == 0 ? ms : -1;
}

}  // namespace

int main()
{
    const QString buildDir = qEnvironmentVariable("DAK_BUILD_DIR");
    if (buildDir.isEmpty() || qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "bench_handover: needs DISPLAY, a PulseAudio server and DAK_BUILD_DIR\n");
        return 1;
    }
    QTemporaryDir folder;
    const QDir build(buildDir);
    for (const QString &name : build.entryList({"dak-mp3", "*.ico", "*.bmp", "*.mp3"}, QDir::Files))
        QFile::copy(build.filePath(name), folder.filePath(name));
    QFile::setPermissions(folder.filePath("dak-mp3"), QFile::permissions(build.filePath("dak-mp3")));
    // An empty library, so the start shows no message.
    QFile(folder.filePath("setlib.dat")).open(QIODevice::WriteOnly);

    std::vector<double> runs;
    for (int run = 0; run < 7; ++run) {
        const double ms = oneHandOver(folder.filePath("dak-mp3"), folder.filePath("demo.mp3"));
        if (ms < 0) {
            std::fprintf(stderr, "bench_handover: run %d: the running program did not play the handed file\n", run);
            return 1;
        }
        runs.push_back(ms);
    }
    std::printf("second_instance_handover_ms: %.1f\n", median(runs));
    return 0;
}
