// Engine benchmarks. Prints "name: value" lines:
//   engine_decode_ratio        speed of Play-to-end-of-file with the "test" output (no pacing) divided by the
//                              speed of a plain libmpg123 read loop on the same 10-minute 128 kbit/s file
//   engine_decode_eq_ratio     the same with the equalizer on and the balance at 30
//   engine_decode_(eq_)cpu_ratio  the same with this process's CPU time in place of wall time
//   engine_play_latency_ms     Play until the first bytes of sound reach the output: the engine writes
//                              through libout123's "raw" module into a file whose size another thread watches
//   engine_seek_ms_cbr/_vbr    InputSeek until the position notification that reports the new place, while
//                              playing to the "test" output; engine_seek_ms is the worse of the two
//   engine_playback_cpu_ratio  CPU time of a process playing a 30 s file through the engine to PulseAudio,
//                              divided by that of `mpg123 -o pulse` playing the same file; the _without_start
//                              variant takes the cost of playing a 1 s file off both sides
// With a PulseAudio server there are two more figures for real-time playback:
//   engine_play_to_playing_pulse_ms  Play until the "playing" notification, which follows the start of the
//                                    PulseAudio stream
//   engine_stop_ms_pulse             Stop until the "stopped" notification while playing to PulseAudio
//   engine_seek_ms_pulse_vbr         seeks as above while playing to PulseAudio in real time
// Lines ending in _s give the medians behind the ratios. Comparisons alternate the contenders within one run
// and report medians. Arguments pick sections (decode, latency, seek, cpu); none means all. Fixtures are
// made into a temporary folder at start. DAK_BENCH_VERBOSE=1 prints the single times behind the latency
// and seek medians; DAK_BENCH_DECODE_RUNS, _LATENCY_RUNS, _SEEKS and _CPU_RUNS change the repeat counts.

#include "tools/engine_driver.h"
#include "measure.h"

#include "tools/fixtures.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <thread>

using namespace bench;
using testtools::Fixtures;
using testtools::Mp3Options;
using testtools::Signal;
using testtools::Tone;

namespace {

constexpr int kLongTimeoutMs = 300000;

int runsFromEnvironment(const char *name, int fallback)
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue(name, &ok);
    return ok && n > 0 ? n : fallback;
}

// With DAK_BENCH_VERBOSE set, every single time behind a median goes to stderr.
void printSeries(const QString &label, const std::vector<double> &values, const char *unit = "ms")
{
    if (!qEnvironmentVariableIsSet("DAK_BENCH_VERBOSE"))
        return;
    std::fprintf(stderr, "%s (%s):", qPrintable(label), unit);
    for (double t : values)
        std::fprintf(stderr, " %.3f", t);
    std::fprintf(stderr, "\n");
}

bool fail(const QString &what)
{
    std::fprintf(stderr, "bench_engine: %s\n", qPrintable(what));
    return false;
}

// Pink noise at 44.1 kHz stereo; made once per run and shared by the sections that use the same name.
QString makeFixture(Fixtures &fx, const QString &name, double seconds, const Mp3Options &options)
{
    if (QFileInfo::exists(fx.path(name)))
        return fx.path(name);
    const Tone tone{Signal::PinkNoise, 44100, 2, seconds, 0.3};
    const QString file = fx.mp3(name, tone, options);
    if (file.isEmpty())
        fail(fx.error());
    QFile::remove(fx.path(name + QStringLiteral(".source.wav")));
    return file;
}

// Seconds from Play to the end-of-file state; the input is open and the output is "test". `cpuSeconds`
// receives this process's CPU time over the same stretch (the engine thread's and the notifications').
double engineDecodeSeconds(EngineDriver &engine, double *cpuSeconds)
{
    engine.discardPending();
    const double cpuStart = processCpuSeconds();
    const qint64 start = nowNs();
    control_message_send_N(engine.player(), XA_MSG_COMMAND_PLAY);
    const auto end = engine.takeState(XA_PLAYER_STATE_EOF, kLongTimeoutMs);
    *cpuSeconds = processCpuSeconds() - cpuStart;
    return end ? double(end->ns - start) / 1e9 : -1;
}

void setSound(EngineDriver &engine, bool equalizerOn)
{
    XA_EqualizerInfo eq{};
    for (int band = 0; band < 32; ++band) {
        const int8_t gain = band < 8 ? 48 : band >= 20 ? -40 : 0;  // bass up, treble down
        eq.left[band] = gain;
        eq.right[band] = gain;
    }
    control_message_send_P(engine.player(), XA_MSG_SET_CODEC_EQUALIZER, equalizerOn ? &eq : nullptr);
    engine.takeAck(XA_MSG_SET_CODEC_EQUALIZER, 5000);
    control_message_send_III(engine.player(), XA_MSG_SET_OUTPUT_VOLUME, equalizerOn ? 30 : 50, 100, 100);
    engine.take([](const XA_Message &m) { return m.code == XA_MSG_NOTIFY_OUTPUT_VOLUME; }, 5000);
}

bool benchDecode(Fixtures &fx)
{
    const QString file = makeFixture(fx, QStringLiteral("long_cbr.mp3"), 600, {});
    if (file.isEmpty())
        return false;
    EngineDriver engine;
    if (!engine.ok() || !engine.openOutput("test") || !engine.openInput(file))
        return fail(QStringLiteral("decode: ") + engine.lastError);
    std::vector<double> reference, plain, equalized;           // wall seconds
    std::vector<double> referenceCpu, plainCpu, equalizedCpu;  // CPU seconds
    const int runs = runsFromEnvironment("DAK_BENCH_DECODE_RUNS", 9);
    for (int i = 0; i < runs; ++i) {
        for (int k = 0; k < 3; ++k) {  // a different order each round
            double cpu = 0;
            switch ((i + k) % 3) {
            case 0:
                reference.push_back(referenceDecodeSeconds(file, &cpu));
                referenceCpu.push_back(cpu);
                break;
            case 1:
                setSound(engine, false);
                plain.push_back(engineDecodeSeconds(engine, &cpu));
                plainCpu.push_back(cpu);
                break;
            case 2:
                setSound(engine, true);
                equalized.push_back(engineDecodeSeconds(engine, &cpu));
                equalizedCpu.push_back(cpu);
                break;
            }
        }
    }
    for (const auto *series : {&reference, &plain, &equalized})
        for (double s : *series)
            if (s <= 0)
                return fail(QStringLiteral("decode: a run did not reach the end of the file"));
    printSeries(QStringLiteral("mpg123 decode"), reference, "s");
    printSeries(QStringLiteral("engine decode"), plain, "s");
    printSeries(QStringLiteral("engine decode with equalizer"), equalized, "s");
    report("mpg123_decode_s", median(reference));
    report("engine_decode_s", median(plain));
    report("engine_decode_eq_s", median(equalized));
    // Each round's three runs follow one another closely, so they share the machine's load of the moment:
    // the ratios are taken within a round, and their median is reported. The CPU-time ratios are steadier
    // on a busy machine; they leave out time spent waiting for a core.
    std::vector<double> ratio, eqRatio, cpuRatio, eqCpuRatio;
    for (size_t i = 0; i < reference.size(); ++i) {
        ratio.push_back(reference[i] / plain[i]);
        eqRatio.push_back(reference[i] / equalized[i]);
        cpuRatio.push_back(referenceCpu[i] / plainCpu[i]);
        eqCpuRatio.push_back(referenceCpu[i] / equalizedCpu[i]);
    }
    report("engine_decode_ratio", median(ratio));
    report("engine_decode_eq_ratio", median(eqRatio));
    report("engine_decode_cpu_ratio", median(cpuRatio));
    report("engine_decode_eq_cpu_ratio", median(eqCpuRatio));
    return true;
}

bool havePulseAudio()
{
    QProcess pactl;
    pactl.setStandardOutputFile(QProcess::nullDevice());
    pactl.setStandardErrorFile(QProcess::nullDevice());
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    return pactl.waitForFinished(10000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
}

// Play until the first bytes appear in the file the "raw" output writes.
bool rawOutputLatency(Fixtures &fx, const QString &file)
{
    EngineDriver engine;
    if (!engine.ok() || !engine.openInput(file))
        return fail(QStringLiteral("latency: ") + engine.lastError);
    std::vector<double> latencies;
    const int runs = runsFromEnvironment("DAK_BENCH_LATENCY_RUNS", 15);
    for (int i = 0; i < runs; ++i) {
        const QString out = fx.path(QStringLiteral("latency%1.raw").arg(i));
        if (!engine.openOutput(qPrintable(QStringLiteral("raw:") + out)))
            return fail(QStringLiteral("latency: ") + engine.lastError);
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
        control_message_send_N(engine.player(), XA_MSG_COMMAND_PLAY);
        const bool acked = engine.takeAck(XA_MSG_COMMAND_PLAY, 10000);
        for (int waited = 0; acked && firstBytes == 0 && waited < 5000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        quit = true;
        watcher.join();
        control_message_send_N(engine.player(), XA_MSG_COMMAND_STOP);
        engine.takeAck(XA_MSG_COMMAND_STOP, 10000);
        if (!acked || firstBytes == 0)
            return fail(QStringLiteral("latency: no sound was written: ") + engine.lastError);
        latencies.push_back(double(firstBytes - start) / 1e6);
        QFile::remove(out);
    }
    printSeries(QStringLiteral("play latency (raw)"), latencies);
    report("engine_play_latency_ms", median(latencies), 2);
    return true;
}

// With PulseAudio the output stream is set up on Play; the engine reports "playing" once the stream has
// started, right before it decodes and writes the first frame. After 50 to 150 ms of playback, Stop until
// the "stopped" notification tells how long a command waits while the engine is busy with the device.
bool pulseStartLatency(const QString &file)
{
    EngineDriver engine;
    if (!engine.ok() || !engine.openOutput("pulse") || !engine.openInput(file))
        return fail(QStringLiteral("latency (pulse): ") + engine.lastError);
    std::vector<double> latencies, stops;
    std::mt19937 random(777);
    const int runs = runsFromEnvironment("DAK_BENCH_LATENCY_RUNS", 15);
    for (int i = 0; i < runs; ++i) {
        engine.discardPending();
        const qint64 start = nowNs();
        control_message_send_N(engine.player(), XA_MSG_COMMAND_PLAY);
        const auto playing = engine.takeState(XA_PLAYER_STATE_PLAYING, 10000);
        engine.take([](const XA_Message &) { return false; }, 50 + int(random() % 100));
        const qint64 stopSent = nowNs();
        control_message_send_N(engine.player(), XA_MSG_COMMAND_STOP);
        const auto stopped = engine.takeState(XA_PLAYER_STATE_STOPPED, 10000);
        if (!playing || !stopped)
            return fail(QStringLiteral("latency (pulse): playback did not start and stop"));
        latencies.push_back(double(playing->ns - start) / 1e6);
        stops.push_back(double(stopped->ns - stopSent) / 1e6);
    }
    printSeries(QStringLiteral("play to playing (pulse)"), latencies);
    printSeries(QStringLiteral("stop (pulse)"), stops);
    report("engine_play_to_playing_pulse_ms", median(latencies), 2);
    report("engine_stop_ms_pulse", median(stops), 2);
    return true;
}

bool benchLatency(Fixtures &fx, const QString &file, bool pulse)
{
    const bool raw = rawOutputLatency(fx, file);
    return (!pulse || pulseStartLatency(file)) && raw;
}

// Median milliseconds from InputSeek to the position notification that reports the new place, over random
// seeks while the engine plays `file` to `output`. With a real-time output the engine spends most of its
// time waiting for the device to take the next frame; a pause of 0.5 to 1.5 times `pauseMs` before each seek
// lets it settle into that and lands the seeks at random points of the device's cycle.
double seekMilliseconds(const QString &file, const char *output, int pauseMs, const char *label)
{
    constexpr int range = 100000;
    EngineDriver engine;
    control_message_send_I(engine.player(), XA_MSG_SET_INPUT_POSITION_RANGE, range);
    if (!engine.ok() || !engine.openOutput(output) || !engine.openInput(file))
        return fail(QStringLiteral("seek: ") + engine.lastError), -1;
    int state = XA_PLAYER_STATE_STOPPED;
    Received lastPosition;
    engine.onSkipped = [&](const Received &r) {
        if (r.message.code == XA_MSG_NOTIFY_PLAYER_STATE)
            state = r.message.u8(4);
        else if (r.message.code == XA_MSG_NOTIFY_INPUT_POSITION)
            lastPosition = r;
    };
    std::mt19937 random(12345);
    std::vector<double> times;
    int misplaced = 0;
    const int seeks = runsFromEnvironment("DAK_BENCH_SEEKS", 41);
    for (int i = 0; i < seeks; ++i) {
        if (state != XA_PLAYER_STATE_PLAYING) {
            control_message_send_N(engine.player(), XA_MSG_COMMAND_PLAY);
            if (!engine.takeState(XA_PLAYER_STATE_PLAYING, 10000))
                return fail(QStringLiteral("seek: Play did not start playback")), -1;
            state = XA_PLAYER_STATE_PLAYING;
        }
        if (pauseMs > 0)
            engine.take([](const XA_Message &) { return false; }, pauseMs / 2 + int(random() % pauseMs));
        const int target = int(random() % range);
        lastPosition = {};
        const qint64 start = nowNs();
        control_message_send_II(engine.player(), XA_MSG_COMMAND_INPUT_SEEK, target, range);
        if (!engine.takeAck(XA_MSG_COMMAND_INPUT_SEEK, 10000))
            return fail(QStringLiteral("seek: ") + engine.lastError), -1;
        // The engine reports the new position just before it acknowledges the seek.
        if (lastPosition.ns == 0)
            return fail(QStringLiteral("seek: no position was reported")), -1;
        if (std::abs(int(lastPosition.message.u32(4)) - target) > range / 1000)
            ++misplaced;
        times.push_back(double(lastPosition.ns - start) / 1e6);
    }
    printSeries(QStringLiteral("seek ") + QLatin1String(label), times);
    if (misplaced > 0)
        std::fprintf(stderr, "bench_engine: seek %s: %d of %d seeks reported a position more than 0.1%% off\n", label,
                     misplaced, seeks);
    return median(times);
}

bool benchSeek(Fixtures &fx, bool pulse)
{
    Mp3Options vbr;
    vbr.vbrQuality = 2;
    const QString cbrFile = makeFixture(fx, QStringLiteral("long_cbr.mp3"), 600, {});
    const QString vbrFile = makeFixture(fx, QStringLiteral("long_vbr.mp3"), 600, vbr);
    if (cbrFile.isEmpty() || vbrFile.isEmpty())
        return false;
    const double cbr = seekMilliseconds(cbrFile, "test", 0, "cbr");
    const double vbrMs = seekMilliseconds(vbrFile, "test", 0, "vbr");
    if (cbr < 0 || vbrMs < 0)
        return false;
    report("engine_seek_ms_cbr", cbr, 2);
    report("engine_seek_ms_vbr", vbrMs, 2);
    report("engine_seek_ms", std::max(cbr, vbrMs), 2);
    if (pulse) {
        const double realTime = seekMilliseconds(vbrFile, "pulse", 100, "pulse");
        if (realTime < 0)
            return false;
        report("engine_seek_ms_pulse_vbr", realTime, 2);
    }
    return true;
}

struct PlaybackCost {
    std::vector<double> engineCpu, mpg123Cpu, engineWall, mpg123Wall;
};

// Plays `file` through the helper and through mpg123, one after the other.
bool playBoth(const QString &file, PlaybackCost &cost)
{
    const QString helper = QCoreApplication::applicationDirPath() + QStringLiteral("/engine_play_helper");
    const ProcessCost e = runMeasured({helper, file, QStringLiteral("pulse")});
    const ProcessCost m = runMeasured(
        {QStringLiteral("mpg123"), QStringLiteral("-q"), QStringLiteral("-o"), QStringLiteral("pulse"), file});
    if (!e.ok || !m.ok)
        return fail(QStringLiteral("cpu: ") + e.error + QLatin1Char(' ') + m.error);
    cost.engineCpu.push_back(e.cpuSeconds);
    cost.engineWall.push_back(e.wallSeconds);
    cost.mpg123Cpu.push_back(m.cpuSeconds);
    cost.mpg123Wall.push_back(m.wallSeconds);
    return true;
}

// Besides the plain ratio, the cost of a 1 s file is taken off both sides: what is left is the cost of the
// other 29 s of playback, without process start-up (loading Qt and the libraries, connecting to the server).
bool benchCpu(const QString &file, const QString &oneSecond)
{
    PlaybackCost full, start;
    const int runs = runsFromEnvironment("DAK_BENCH_CPU_RUNS", 2);
    for (int i = 0; i < runs; ++i) {
        if (!playBoth(file, full))
            return false;
        for (int k = 0; k < 2; ++k)
            if (!playBoth(oneSecond, start))
                return false;
    }
    printSeries(QStringLiteral("engine playback CPU"), full.engineCpu, "s");
    printSeries(QStringLiteral("mpg123 playback CPU"), full.mpg123Cpu, "s");
    printSeries(QStringLiteral("engine start CPU"), start.engineCpu, "s");
    printSeries(QStringLiteral("mpg123 start CPU"), start.mpg123Cpu, "s");
    report("engine_playback_cpu_s", median(full.engineCpu));
    report("mpg123_playback_cpu_s", median(full.mpg123Cpu));
    report("engine_playback_wall_s", median(full.engineWall), 2);
    report("mpg123_playback_wall_s", median(full.mpg123Wall), 2);
    report("engine_start_cpu_s", median(start.engineCpu));
    report("mpg123_start_cpu_s", median(start.mpg123Cpu));
    report("engine_playback_cpu_ratio", median(full.engineCpu) / median(full.mpg123Cpu));
    report("engine_playback_cpu_ratio_without_start",
           (median(full.engineCpu) - median(start.engineCpu)) / (median(full.mpg123Cpu) - median(start.mpg123Cpu)));
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList sections = app.arguments().mid(1);
    if (sections.isEmpty())
        sections = {QStringLiteral("decode"), QStringLiteral("latency"), QStringLiteral("seek"), QStringLiteral("cpu")};
    QTemporaryDir dir;
    if (!dir.isValid())
        return fail(QStringLiteral("no temporary folder")), 1;
    Fixtures fx(dir.path());
    QString stretch, oneSecond;  // for latency and CPU
    if (sections.contains(QStringLiteral("latency")) || sections.contains(QStringLiteral("cpu"))) {
        stretch = makeFixture(fx, QStringLiteral("stretch30.mp3"), 30, {});
        oneSecond = makeFixture(fx, QStringLiteral("stretch1.mp3"), 1, {});
        if (stretch.isEmpty() || oneSecond.isEmpty())
            return 1;
    }
    // The real-time figures need a sound server; without one they are left out, which is not a failure.
    const bool pulse = havePulseAudio();
    if (!pulse)
        fail(QStringLiteral("no PulseAudio server answers: the figures that need one are left out"));
    bool ok = true;
    if (sections.contains(QStringLiteral("decode")))
        ok = benchDecode(fx) && ok;
    if (sections.contains(QStringLiteral("latency")))
        ok = benchLatency(fx, stretch, pulse) && ok;
    if (sections.contains(QStringLiteral("seek")))
        ok = benchSeek(fx, pulse) && ok;
    if (sections.contains(QStringLiteral("cpu")) && pulse)
        ok = benchCpu(stretch, oneSecond) && ok;
    return ok ? 0 : 1;
}
