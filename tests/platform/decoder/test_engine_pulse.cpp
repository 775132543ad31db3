// Real-time playback into a PulseAudio null sink, checked by what its monitor records: pause, stop and seek
// are heard at once, two songs of one format join without silence (and one of another rate follows the last
// without losing its end), a sink that stops taking audio or a server that goes away freezes neither the
// engine nor its deletion, and without a sound server the default output says why it failed.

#include "tools/engine_driver.h"
#include "tools/fixtures.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace testtools;

namespace {
constexpr int kRate = 44100;
constexpr int kWindow = kRate / 200;  // 5 ms

// Records the null sink's monitor as mono 16-bit samples while the test runs.
class Sink {
public:
    bool start()
    {
        parec_.start(QStringLiteral("parec"),
                     {QStringLiteral("-d"), QStringLiteral("test.monitor"), QStringLiteral("--raw"),
                      QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"), QStringLiteral("--channels=1"),
                      QStringLiteral("--latency-msec=5"), QStringLiteral("--process-time-msec=5")});
        if (!parec_.waitForStarted(5000))
            return false;
        // The monitor delivers once the sink runs at the low latency asked for.
        QElapsedTimer t;
        t.start();
        while (mark() == 0 && t.elapsed() < 5000)
            collect(20);
        return mark() > 0;
    }
    ~Sink()
    {
        parec_.kill();
        parec_.waitForFinished(2000);
    }
    // Keeps recording for `ms` while the player's notifications are delivered.
    void collect(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            parec_.waitForReadyRead(5);
            bytes_ += parec_.readAllStandardOutput();
        }
    }
    qsizetype mark()
    {
        collect(0);
        bytes_ += parec_.readAllStandardOutput();
        return bytes_.size() / 2;
    }
    qsizetype end() { return mark(); }
    qint16 at(qsizetype i) const { return reinterpret_cast<const qint16 *>(bytes_.constData())[i]; }
    double rms(qsizetype from, qsizetype to) const
    {
        double sum = 0;
        for (qsizetype i = from; i < to; ++i)
            sum += double(at(i)) * at(i);
        return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
    }
    // Loudest 5 ms window in the range: near 0 for silence, thousands for the test tones.
    double loudestWindow(qsizetype from, qsizetype to) const
    {
        double loudest = 0;
        for (qsizetype i = from; i + kWindow <= to; i += kWindow)
            loudest = std::max(loudest, rms(i, i + kWindow));
        return loudest;
    }
    // The share of the range's energy at `hz` (Goertzel), 0..1.
    double share(qsizetype from, qsizetype to, double hz) const
    {
        const double w = 2 * M_PI * hz / kRate;
        double s1 = 0, s2 = 0;
        for (qsizetype i = from; i < to; ++i) {
            const double s = at(i) + 2 * std::cos(w) * s1 - s2;
            s2 = s1;
            s1 = s;
        }
        const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
        const double n = double(to - from);
        const double total = rms(from, to) * rms(from, to) * n;
        return total > 0 ? 2 * power / (n * total) : 0.0;
    }
    // Milliseconds from the first loud 5 ms window to the end of the last one.
    int loudSpanMs(qsizetype from, qsizetype to, double quiet) const
    {
        qsizetype first = -1, last = -1;
        for (qsizetype i = from; i + kWindow <= to; i += kWindow)
            if (rms(i, i + kWindow) > quiet) {
                if (first < 0)
                    first = i;
                last = i + kWindow;
            }
        return first < 0 ? 0 : int((last - first) * 1000 / kRate);
    }
    // The longest run of quiet 5 ms windows between the first and the last loud one, in milliseconds.
    int longestGapMs(qsizetype from, qsizetype to, double quiet) const
    {
        int run = 0, longest = 0;
        bool started = false;
        for (qsizetype i = from; i + kWindow <= to; i += kWindow) {
            if (rms(i, i + kWindow) > quiet) {
                if (started)
                    longest = std::max(longest, run);
                started = true;
                run = 0;
            } else if (started) {
                ++run;
            }
        }
        return longest * 5;
    }

private:
    QProcess parec_;
    QByteArray bytes_;
};

bool pactl(const QStringList &args) { return QProcess::execute(QStringLiteral("pactl"), args) == 0; }
}  // namespace

class TestEnginePulse : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<Fixtures> fx_;
    QString lowHigh_;  // 4 s at 440 Hz, then 4 s at 880 Hz
    QString first_;    // 1.5 s at 440 Hz
    QString second_;   // 1.5 s at 660 Hz
    QString other_;    // 1 s at 550 Hz, 22.05 kHz

    QString tone(const QString &name, double hz, double seconds)
    {
        Tone t;
        t.frequency = hz;
        t.seconds = seconds;
        return fx_->wav(name, t);
    }
    static bool acked(EngineDriver &p, int command, size_t from)
    {
        const int i = p.waitReply(command, 5000, from);
        return i >= 0 && p.messages[size_t(i)].code == XA_MSG_NOTIFY_ACK;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "runs on the private desktop of tests/tools/desktop.sh");
        fx_ = std::make_unique<Fixtures>(dir_.path());
        const QString low = tone("low.wav", 440, 4), high = tone("high.wav", 880, 4);
        QVERIFY2(!low.isEmpty() && !high.isEmpty(), qPrintable(fx_->error()));
        const QString joined = dir_.filePath("low-high.wav");
        QCOMPARE(QProcess::execute(QStringLiteral("sox"), {low, high, joined}), 0);
        lowHigh_ = fx_->mp3("low-high.mp3", joined);
        first_ = fx_->mp3("first.mp3", tone("first.wav", 440, 1.5));
        second_ = fx_->mp3("second.mp3", tone("second.wav", 660, 1.5));
        Tone t;
        t.rate = 22050;
        t.frequency = 550;
        t.seconds = 1;
        other_ = fx_->mp3("other.mp3", t);
        QVERIFY2(!lowHigh_.isEmpty() && !first_.isEmpty() && !second_.isEmpty() && !other_.isEmpty(),
                 qPrintable(fx_->error()));
    }

    void pauseStopAndSeekAreHeardAtOnce()
    {
        Sink sink;
        QVERIFY(sink.start());
        EngineDriver p;
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("pulse"));
        QVERIFY(acked(p, XA_MSG_COMMAND_OUTPUT_OPEN, 0));
        QVERIFY(p.open(lowHigh_));
        size_t from = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_PLAYING, 5000, from) >= 0);
        sink.collect(300);
        qsizetype m = sink.mark();
        sink.collect(300);
        QVERIFY2(sink.rms(m, sink.end()) > 3000,
                 qPrintable(QStringLiteral("the song reaches the sink: RMS %1 over %2 samples")
                                .arg(sink.rms(m, sink.end()))
                                .arg(sink.end() - m)));
        QVERIFY(sink.share(m, sink.end(), 440) > 0.8);

        // Each command is followed by 100 ms of grace; after that the sink must already be silent (or at the
        // new place). A device buffer that plays out would still sound for a good part of a second.
        auto silentAfter = [&](int command) {
            const size_t at = p.messages.size();
            p.send(command);
            if (!acked(p, command, at))
                return false;
            sink.collect(100);
            const qsizetype from2 = sink.mark();
            sink.collect(400);
            return sink.loudestWindow(from2, sink.end()) < 100;
        };
        QVERIFY2(silentAfter(XA_MSG_COMMAND_PAUSE), "pause falls silent");
        from = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_PLAYING, 5000, from) >= 0);
        sink.collect(100);
        m = sink.mark();
        sink.collect(200);
        QVERIFY2(sink.rms(m, sink.end()) > 3000, "playback goes on after the pause");

        from = p.messages.size();
        p.send(XA_MSG_COMMAND_INPUT_SEEK, 3, 4);  // 6 s: the high half
        QVERIFY(acked(p, XA_MSG_COMMAND_INPUT_SEEK, from));
        sink.collect(100);
        m = sink.mark();
        sink.collect(200);
        QVERIFY2(sink.share(m, sink.end(), 880) > 0.8,
                 qPrintable(QStringLiteral("880 Hz share after the seek: %1").arg(sink.share(m, sink.end(), 880))));

        QVERIFY2(silentAfter(XA_MSG_COMMAND_STOP), "stop falls silent");
    }

    void songsFollowWithoutSilenceOrLoss()
    {
        Sink sink;
        QVERIFY(sink.start());
        EngineDriver p;
        // The program's default: the device is given back at the end of a file.
        p.send(XA_MSG_SET_PLAYER_MODE, XA_PLAYER_MODE_OUTPUT_AUTO_CLOSE_ON_EOF);
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("pulse"));
        QVERIFY(acked(p, XA_MSG_COMMAND_OUTPUT_OPEN, 0));
        QVERIFY(p.open(first_));
        const qsizetype start = sink.mark();
        size_t from = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        // As the program does: the end of one song opens and plays the next.
        QVERIFY(p.waitState(XA_PLAYER_STATE_EOF, 10000, from) >= 0);
        from = p.messages.size();
        p.send(XA_MSG_COMMAND_INPUT_OPEN, second_);
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_EOF, 10000, from) >= 0);
        sink.collect(800);
        const qsizetype end = sink.end();
        QVERIFY2(sink.rms(start, end) > 3000, "both songs reach the sink");
        const int gap = sink.longestGapMs(start, end, 300);
        QVERIFY2(gap <= 10, qPrintable(QStringLiteral("%1 ms of silence between the songs").arg(gap)));
        // Nothing of either song is lost at the join: 1.5 s + 1.5 s.
        const int span = sink.loudSpanMs(start, end, 300);
        QVERIFY2(span >= 2950 && span <= 3100, qPrintable(QStringLiteral("%1 ms of sound").arg(span)));
        // The device is given back once it has been idle for a while after the last song.
        QVERIFY(p.waitFor(
                    [](const XA_Message &msg) {
                        return msg.code == XA_MSG_NOTIFY_OUTPUT_STATE && msg.u8(4) == XA_OUTPUT_STATE_CLOSED;
                    },
                    5000, from) >= 0);

        // A song of another rate straight after one still playing: the first is heard to its end, then the
        // other from its start.
        const qsizetype again = sink.mark();
        from = p.messages.size();
        p.send(XA_MSG_COMMAND_INPUT_OPEN, second_);
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_EOF, 10000, from) >= 0);
        from = p.messages.size();
        p.send(XA_MSG_COMMAND_INPUT_OPEN, other_);
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_EOF, 10000, from) >= 0);
        sink.collect(800);
        const int both = sink.loudSpanMs(again, sink.end(), 300);
        QVERIFY2(both >= 2450 && both <= 2700, qPrintable(QStringLiteral("%1 ms of sound").arg(both)));
    }

    void suspendedSinkNeitherFreezesCommandsNorExit()
    {
        auto *p = new EngineDriver;
        p->send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("pulse"));
        QVERIFY(acked(*p, XA_MSG_COMMAND_OUTPUT_OPEN, 0));
        QVERIFY(p->open(lowHigh_));
        p->send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p->waitState(XA_PLAYER_STATE_PLAYING) >= 0);
        QTest::qWait(300);
        QVERIFY(pactl({QStringLiteral("suspend-sink"), QStringLiteral("test"), QStringLiteral("1")}));
        struct Resume {
            ~Resume() { pactl({QStringLiteral("suspend-sink"), QStringLiteral("test"), QStringLiteral("0")}); }
        } resume;
        QTest::qWait(500);
        size_t from = p->messages.size();
        p->send(XA_MSG_COMMAND_PING, 7);
        QVERIFY2(p->waitCode(XA_MSG_NOTIFY_PONG, 1000, from) >= 0, "commands are answered while the sink is stalled");
        // A device that takes nothing for seconds is reported, and playback pauses instead of hanging.
        const int err = p->waitCode(XA_MSG_NOTIFY_ERROR, 15000, from);
        QVERIFY2(err >= 0, "the stalled sink is reported");
        QCOMPARE(int(p->messages[size_t(err)].u8(4)), 2);  // the output
        QVERIFY(!p->messages[size_t(err)].text(8).empty());
        QVERIFY(p->waitState(XA_PLAYER_STATE_PAUSED, 2000, from) >= 0);
        from = p->messages.size();
        p->send(XA_MSG_COMMAND_PLAY);  // tries the device again: still stalled, still answered
        QVERIFY(p->waitReply(XA_MSG_COMMAND_PLAY, 1000, from) >= 0);
        QElapsedTimer t;
        t.start();
        delete p;
        QVERIFY2(t.elapsed() < 1000, qPrintable(QStringLiteral("player_delete took %1 ms").arg(t.elapsed())));
    }

    // The sound server goes away mid-song: the failure is reported and playback pauses; once a server runs
    // again, Play connects to it afresh.
    void serverKilledAndRestarted()
    {
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        auto startServer = [&](QProcess &server) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("XDG_RUNTIME_DIR", runtime.path());
            env.remove("PULSE_SERVER");
            // A sound server claims its name on the session bus; the desktop's own server already holds it there.
            env.remove("DBUS_SESSION_BUS_ADDRESS");
            server.setProcessEnvironment(env);
            server.start(QStringLiteral("pulseaudio"),
                         {"--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no", "--system=no",
                          "--load=module-null-sink sink_name=other", "--load=module-native-protocol-unix"});
            QElapsedTimer t;
            t.start();
            while (!QFile::exists(runtime.filePath("pulse/native")) && t.elapsed() < 10000)
                QTest::qWait(50);
            return QFile::exists(runtime.filePath("pulse/native"));
        };
        const QByteArray server = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:" + runtime.filePath("pulse/native").toUtf8());
        struct Restore {
            QByteArray value;
            ~Restore() { qputenv("PULSE_SERVER", value); }
        } restore{server};
        auto first = std::make_unique<QProcess>();
        QVERIFY(startServer(*first));
        EngineDriver p;
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("pulse"));
        QVERIFY(acked(p, XA_MSG_COMMAND_OUTPUT_OPEN, 0));
        QVERIFY(p.open(lowHigh_));
        size_t from = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_PLAYING, 5000, from) >= 0);
        QTest::qWait(300);
        first->kill();
        first->waitForFinished(5000);
        QFile::remove(runtime.filePath("pulse/native"));
        const int err = p.waitCode(XA_MSG_NOTIFY_ERROR, 5000, from);
        QVERIFY2(err >= 0, "the lost server is reported");
        QCOMPARE(int(p.messages[size_t(err)].u8(4)), 2);
        QVERIFY(p.waitState(XA_PLAYER_STATE_PAUSED, 2000, from) >= 0);

        QProcess second;
        QVERIFY(startServer(second));
        from = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY2(acked(p, XA_MSG_COMMAND_PLAY, from), "Play connects to the new server");
        QVERIFY(p.waitState(XA_PLAYER_STATE_PLAYING, 5000, from) >= 0);
        QTest::qWait(300);
        const size_t mark = p.messages.size();
        QTest::qWait(200);
        for (size_t i = mark; i < p.messages.size(); ++i)
            QVERIFY(p.messages[i].code != XA_MSG_NOTIFY_ERROR);
        p.send(XA_MSG_COMMAND_STOP);
        QVERIFY(acked(p, XA_MSG_COMMAND_STOP, mark));
        second.terminate();
        second.waitForFinished(5000);
    }

    void withoutSoundServerTheDefaultOutputSaysWhy()
    {
        const QByteArray server = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:" + dir_.filePath("nobody-listens").toUtf8());
        EngineDriver p;
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QString());
        const int reply = p.waitReply(XA_MSG_COMMAND_OUTPUT_OPEN, 5000);
        qputenv("PULSE_SERVER", server);
        QVERIFY(reply >= 0);
        if (p.messages[size_t(reply)].code == XA_MSG_NOTIFY_ACK)
            QSKIP("an ALSA device is present: the fallback opened it");
        const XA_Message *err = p.last(XA_MSG_NOTIFY_ERROR);
        QVERIFY(err);
        const QString text = QString::fromStdString(err->text(8));
        QVERIFY2(text.contains("PulseAudio") && text.contains("ALSA"), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestEnginePulse)
#include "test_engine_pulse.moc"
