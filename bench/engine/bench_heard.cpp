// What the user hears, measured at the PulseAudio null sink "test" (run it on the desktop of
// tests/tools/desktop.sh, as scripts/bench does). Prints "name: value" lines, medians in milliseconds:
//   pause_to_silence_ms        Pause sent until the end of the last loud 5 ms window at the sink's monitor
//   stop_to_silence_ms         the same for Stop
//   seek_to_sound_ms           a seek from a 440 Hz part to an 880 Hz part until the first 5 ms window that
//                              is mostly 880 Hz
//   song_change_gap_ms         the longest silence between two songs of one format played one after the
//                              other as the program does (open and play the next at the end-of-file report),
//                              with the device released at the end of a file (the program's default)
//   command_latency_stalled_ms a Ping's answer while the sink is suspended and playback is under way
//   player_delete_stalled_ms   player_delete in the same situation
// The monitor is recorded by parec with 5 ms latency; every block is stamped with the clock on arrival and
// the samples in it are dated back from there. DAK_BENCH_HEARD_RUNS changes the repeat count (default 5).

#include "tools/engine_driver.h"
#include "measure.h"

#include "tools/fixtures.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <mutex>
#include <thread>

using namespace bench;
using testtools::Fixtures;
using testtools::Tone;

namespace {
constexpr int kRate = 44100;
constexpr int kWindow = kRate / 200;  // 5 ms
constexpr double kLoud = 300;         // RMS of a 5 ms window; the tones have about 11,000

class Monitor {
public:
    bool start()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], 1);
            ::close(fds[0]);
            ::close(fds[1]);
            execlp("parec", "parec", "-d", "test.monitor", "--raw", "--format=s16le", "--rate=44100", "--channels=1",
                   "--latency-msec=5", "--process-time-msec=5", static_cast<char *>(nullptr));
            _exit(127);
        }
        ::close(fds[1]);
        fd_ = fds[0];
        reader_ = std::thread([this] {
            char buf[4096];
            ssize_t n;
            std::vector<char> carry;
            while ((n = read(fd_, buf, sizeof buf)) > 0) {
                const qint64 at = nowNs();
                carry.insert(carry.end(), buf, buf + n);
                const size_t whole = carry.size() / 2 * 2;
                std::lock_guard lock(m_);
                for (size_t i = 0; i < whole; i += 2)
                    samples_.push_back(int16_t(uint8_t(carry[i]) | (uint8_t(carry[i + 1]) << 8)));
                carry.erase(carry.begin(), carry.begin() + qsizetype(whole));
                stamps_.push_back({samples_.size(), at});
            }
        });
        const qint64 deadline = nowNs() + 5000000000LL;
        while (size() == 0 && nowNs() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return size() > 0;
    }
    ~Monitor()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (reader_.joinable())
            reader_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    size_t size()
    {
        std::lock_guard lock(m_);
        return samples_.size();
    }
    // The clock time at which sample `i` reached the monitor.
    qint64 timeOf(size_t i)
    {
        std::lock_guard lock(m_);
        for (const auto &[end, at] : stamps_)
            if (end > i)
                return at - qint64(end - i) * 1000000000LL / kRate;
        return stamps_.empty() ? 0 : stamps_.back().second;
    }
    // The first sample that arrived at or after `ns`.
    size_t indexAt(qint64 ns)
    {
        std::lock_guard lock(m_);
        size_t previous = 0;
        for (const auto &[end, at] : stamps_) {
            if (at >= ns) {
                const qint64 back = (at - ns) * kRate / 1000000000LL;
                return std::max<qint64>(qint64(previous), qint64(end) - back);
            }
            previous = end;
        }
        return samples_.size();
    }
    double rms(size_t from, size_t to)
    {
        std::lock_guard lock(m_);
        double sum = 0;
        for (size_t i = from; i < to && i < samples_.size(); ++i)
            sum += double(samples_[i]) * samples_[i];
        return to > from ? std::sqrt(sum / double(to - from)) : 0;
    }
    double share(size_t from, size_t to, double hz)
    {
        const double r = rms(from, to);
        std::lock_guard lock(m_);
        const double w = 2 * M_PI * hz / kRate;
        double s1 = 0, s2 = 0;
        for (size_t i = from; i < to && i < samples_.size(); ++i) {
            const double s = samples_[i] + 2 * std::cos(w) * s1 - s2;
            s2 = s1;
            s1 = s;
        }
        const double n = double(to - from);
        const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
        return r > 0 ? 2 * power / (n * n * r * r) : 0;
    }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    std::thread reader_;
    std::mutex m_;
    std::vector<int16_t> samples_;
    std::vector<std::pair<size_t, qint64>> stamps_;
};

void wait(EngineDriver &engine, int ms)
{
    engine.take([](const XA_Message &) { return false; }, ms);
}

// Milliseconds from `sent` to the end of the last loud window heard after it; negative when the sink was not
// playing just before (nothing to measure).
double toSilence(Monitor &mon, qint64 sent)
{
    if (mon.rms(mon.indexAt(sent - 150000000), mon.indexAt(sent - 50000000)) < kLoud)
        return -1;
    const size_t from = mon.indexAt(sent - 20000000);
    const size_t to = mon.size();
    size_t lastLoudEnd = 0;
    for (size_t i = from; i + kWindow <= to; i += kWindow)
        if (mon.rms(i, i + kWindow) > kLoud)
            lastLoudEnd = i + kWindow;
    return lastLoudEnd == 0 ? 0.0 : std::max(0.0, double(mon.timeOf(lastLoudEnd) - sent) / 1e6);
}

// Milliseconds from `sent` to the end of the first window that is mostly `hz`.
double toTone(Monitor &mon, qint64 sent, double hz)
{
    const size_t to = mon.size();
    for (size_t i = mon.indexAt(sent - 20000000); i + kWindow * 2 <= to; i += kWindow / 5)
        if (mon.rms(i, i + kWindow * 2) > kLoud && mon.share(i, i + kWindow * 2, hz) > 0.7)
            return std::max(0.0, double(mon.timeOf(i + kWindow * 2) - sent) / 1e6);
    return -1;
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench_heard: %s\n", what);
    return 1;
}

bool send(EngineDriver &engine, int command, qint64 *sent)
{
    *sent = nowNs();
    control_message_send_N(engine.player(), command);
    return engine.takeAck(command, 5000);
}
}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("info")}) != 0)
        return std::fprintf(stderr, "bench_heard: no PulseAudio server answers: nothing measured\n"), 0;
    bool ok = false;
    const int runs = std::max(1, qEnvironmentVariableIntValue("DAK_BENCH_HEARD_RUNS", &ok));
    const int n = ok ? runs : 5;
    QTemporaryDir dir;
    Fixtures fx(dir.path());
    Tone low{testtools::Signal::Sine, kRate, 2, 4, 0.5, 440};
    Tone high = low;
    high.frequency = 880;
    const QString lowWav = fx.wav("low.wav", low), highWav = fx.wav("high.wav", high);
    const QString joined = dir.filePath("low-high.wav");
    if (lowWav.isEmpty() || highWav.isEmpty() ||
        QProcess::execute(QStringLiteral("sox"), {lowWav, highWav, joined}) != 0)
        return fail("the fixtures could not be made");
    const QString lowHigh = fx.mp3("low-high.mp3", joined);
    Tone shortLow = low, shortHigh = high;
    shortLow.seconds = shortHigh.seconds = 1.5;
    shortHigh.frequency = 660;
    const QString first = fx.mp3("first.mp3", shortLow), second = fx.mp3("second.mp3", shortHigh);
    if (lowHigh.isEmpty() || first.isEmpty() || second.isEmpty())
        return fail("the MP3 fixtures could not be made");

    Monitor mon;
    if (!mon.start())
        return fail("the sink's monitor records nothing");

    std::vector<double> pauses, stops, seeks, gaps, pings;
    {
        EngineDriver engine;
        if (!engine.ok() || !engine.openOutput("pulse") || !engine.openInput(lowHigh))
            return fail("playback to PulseAudio could not start");
        for (int i = 0; i < n; ++i) {
            qint64 sent = 0;
            if (!send(engine, XA_MSG_COMMAND_PLAY, &sent))
                return fail("Play was refused");
            control_message_send_II(engine.player(), XA_MSG_COMMAND_INPUT_SEEK, 1, 8);
            wait(engine, 500);
            if (!send(engine, XA_MSG_COMMAND_PAUSE, &sent))
                return fail("Pause was refused");
            wait(engine, 500);
            pauses.push_back(toSilence(mon, sent));
            send(engine, XA_MSG_COMMAND_PLAY, &sent);
            wait(engine, 400);
            control_message_send_II(engine.player(), XA_MSG_COMMAND_INPUT_SEEK, 3, 4);
            sent = nowNs();
            engine.takeAck(XA_MSG_COMMAND_INPUT_SEEK, 5000);
            wait(engine, 400);
            seeks.push_back(toTone(mon, sent, 880));
            if (!send(engine, XA_MSG_COMMAND_STOP, &sent))
                return fail("Stop was refused");
            wait(engine, 500);
            stops.push_back(toSilence(mon, sent));
        }
    }
    for (int i = 0; i < n; ++i) {
        EngineDriver engine;
        control_message_send_I(engine.player(), XA_MSG_SET_PLAYER_MODE, XA_PLAYER_MODE_OUTPUT_AUTO_CLOSE_ON_EOF);
        if (!engine.openOutput("pulse") || !engine.openInput(first))
            return fail("playback to PulseAudio could not start");
        const size_t start = mon.size();
        control_message_send_N(engine.player(), XA_MSG_COMMAND_PLAY);
        if (!engine.takeState(XA_PLAYER_STATE_EOF, 10000))
            return fail("the first song did not end");
        control_message_send_S(engine.player(), XA_MSG_COMMAND_INPUT_OPEN, second.toUtf8().constData());
        control_message_send_N(engine.player(), XA_MSG_COMMAND_PLAY);
        engine.discardPending();
        if (!engine.takeState(XA_PLAYER_STATE_EOF, 10000))
            return fail("the second song did not end");
        wait(engine, 700);
        const size_t end = mon.size();
        int run = 0, longest = 0;
        bool started = false;
        for (size_t w = start; w + kWindow <= end; w += kWindow) {
            if (mon.rms(w, w + kWindow) > kLoud) {
                if (started)
                    longest = std::max(longest, run);
                started = true;
                run = 0;
            } else if (started) {
                ++run;
            }
        }
        gaps.push_back(longest * 5.0);
    }
    double deleteMs = -1;
    {
        auto *engine = new EngineDriver;
        engine->openOutput("pulse");
        engine->openInput(lowHigh);
        control_message_send_N(engine->player(), XA_MSG_COMMAND_PLAY);
        wait(*engine, 300);
        QProcess::execute(QStringLiteral("pactl"),
                          {QStringLiteral("suspend-sink"), QStringLiteral("test"), QStringLiteral("1")});
        wait(*engine, 500);
        for (int i = 0; i < 10; ++i) {
            engine->discardPending();
            const qint64 sent = nowNs();
            control_message_send_I(engine->player(), XA_MSG_COMMAND_PING, i);
            const auto pong = engine->take([](const XA_Message &m) { return m.code == XA_MSG_NOTIFY_PONG; }, 5000);
            pings.push_back(pong ? double(pong->ns - sent) / 1e6 : 5000.0);
            wait(*engine, 50);
        }
        const qint64 before = nowNs();
        delete engine;
        deleteMs = double(nowNs() - before) / 1e6;
        QProcess::execute(QStringLiteral("pactl"),
                          {QStringLiteral("suspend-sink"), QStringLiteral("test"), QStringLiteral("0")});
    }
    if (qEnvironmentVariableIsSet("DAK_BENCH_VERBOSE")) {
        for (const auto &[label, v] :
             {std::pair{"pause", &pauses}, {"stop", &stops}, {"seek", &seeks}, {"gap", &gaps}}) {
            std::fprintf(stderr, "%s (ms):", label);
            for (double t : *v)
                std::fprintf(stderr, " %.1f", t);
            std::fprintf(stderr, "\n");
        }
    }
    report("pause_to_silence_ms", median(pauses), 1);
    report("stop_to_silence_ms", median(stops), 1);
    report("seek_to_sound_ms", median(seeks), 1);
    report("song_change_gap_ms", median(gaps), 1);
    report("command_latency_stalled_ms", median(pings), 2);
    report("player_delete_stalled_ms", deleteMs, 1);
    return 0;
}
