// The engine against a plain libmpg123 decode: bit-exact output at neutral settings for every kind of MPEG
// audio file, the notification sequence of a whole play, duration and seek accuracy, and codec quality.

#include "tools/engine_driver.h"
#include "tools/fixtures.h"
#include "tools/pcm.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

#include <sys/stat.h>

using namespace testtools;

class TestEnginePlayback : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<Fixtures> fx_;
    QString cbr_, vbr_;

    // Where, in frames, `part` begins inside `whole`: the offset near `expected` (searched +-searchFrames)
    // with the smallest difference over 2048 frames.
    static qint64 locate(const Pcm &whole, const Pcm &part, qint64 expected, qint64 searchFrames)
    {
        qint64 best = -1;
        double bestError = 1e300;
        const qint64 n = std::min<qint64>(2048, part.frames());
        for (qint64 off = std::max<qint64>(0, expected - searchFrames); off <= expected + searchFrames; ++off) {
            if (off + n > whole.frames())
                break;
            double err = 0;
            for (qint64 i = 0; i < n; ++i) {
                const double d = whole.samples[size_t((off + i) * 2)] - part.samples[size_t(i * 2)];
                err += d * d;
            }
            if (err < bestError) {
                bestError = err;
                best = off;
            }
        }
        return best;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        fx_ = std::make_unique<Fixtures>(dir_.path());
        Tone sweep;
        sweep.signal = Signal::Sweep;
        sweep.frequency = 200;
        sweep.secondFrequency = 4000;
        sweep.seconds = 20;
        const QString wav = fx_->wav("sweep.wav", sweep);
        QVERIFY2(!wav.isEmpty(), qPrintable(fx_->error()));
        cbr_ = fx_->mp3("sweep-cbr.mp3", wav);
        Mp3Options vbr;
        vbr.vbrQuality = 2;
        vbr_ = fx_->mp3("sweep-vbr.mp3", wav, vbr);
        QVERIFY2(!cbr_.isEmpty() && !vbr_.isEmpty(), qPrintable(fx_->error()));
    }

    void bitExactAgainstPlainDecode_data()
    {
        QTest::addColumn<QString>("file");
        Tone tone;
        tone.signal = Signal::TwoTone;
        tone.seconds = 3;
        auto mp3 = [&](const char *name, Mp3Options o, int rate = 44100, int channels = 2) {
            Tone t = tone;
            t.rate = rate;
            t.channels = channels;
            const QString f = fx_->mp3(name, t, o);
            QVERIFY2(!f.isEmpty(), qPrintable(fx_->error()));
            QTest::newRow(name) << f;
        };
        Mp3Options o;
        mp3("mpeg1-cbr-joint.mp3", o);
        o.mode = ChannelMode::Stereo;
        mp3("mpeg1-cbr-stereo.mp3", o);
        o.mode = ChannelMode::DualChannel;
        mp3("mpeg1-cbr-dual.mp3", o);
        o = {};
        o.mode = ChannelMode::Mono;
        mp3("mpeg1-mono.mp3", o, 44100, 1);
        o = {};
        o.resampleHz = 22050;
        o.bitrate = 64;
        mp3("mpeg2-22k.mp3", o);
        o = {};
        o.resampleHz = 11025;
        o.bitrate = 32;
        o.mode = ChannelMode::Mono;
        mp3("mpeg25-11k-mono.mp3", o, 44100, 1);
        o = {};
        o.vbrQuality = 4;
        o.id3v1 = o.id3v2 = true;
        o.title = "Tagged";
        mp3("vbr-tagged.mp3", o);
        const QString mp2 = fx_->mp2("layer2.mp2", tone);
        QVERIFY2(!mp2.isEmpty(), qPrintable(fx_->error()));
        QTest::newRow("layer2") << mp2;
    }
    void bitExactAgainstPlainDecode()
    {
        QFETCH(QString, file);
        EngineDriver p;
        QVERIFY(p.open(file));
        const QString out = dir_.filePath(QFileInfo(file).fileName() + ".wav");
        QVERIFY(p.playToWav(out));
        const Pcm got = readWav(out);
        const Pcm want = decodeWithMpg123(file);
        QVERIFY2(got.ok(), qPrintable(got.error));
        QVERIFY2(want.ok(), qPrintable(want.error));
        QCOMPARE(got.channels, 2);
        QCOMPARE(got.rate, want.rate);
        QCOMPARE(got.frames(), want.frames());
        QCOMPARE(maxAbsDifference(got, want), 0);
    }

    void notificationSequenceOfAWholePlay()
    {
        EngineDriver p;
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("test"));
        const size_t from = p.messages.size();
        QVERIFY(p.open(cbr_));
        // Opening reports the input, what it is and how long it lasts, before anything plays.
        const int info = p.waitCode(XA_MSG_NOTIFY_INPUT_STREAM_INFO, 5000, from);
        const int duration = p.waitCode(XA_MSG_NOTIFY_INPUT_DURATION, 5000, from);
        QVERIFY(info >= 0 && duration >= 0);
        const XA_Message &si = p.messages[size_t(info)];
        QCOMPARE(int(si.u8(4)), 1);     // MPEG 1
        QCOMPARE(int(si.u8(5)), 3);     // layer III
        QCOMPARE(int(si.u16(6)), 128);  // kbit/s
        QCOMPARE(int(si.u16(8)), 44100);
        QCOMPARE(int(si.u8(10)), XA_STREAM_MODE_JOINT_STEREO);
        QCOMPARE(p.messages[size_t(duration)].u32(4), 20u);

        size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_PLAYING, 5000, mark) >= 0);
        p.send(XA_MSG_COMMAND_PAUSE);
        QVERIFY(p.waitState(XA_PLAYER_STATE_PAUSED, 5000, mark) >= 0);
        p.send(XA_MSG_COMMAND_PLAY);
        const int resumed = p.waitState(XA_PLAYER_STATE_PLAYING, 5000, size_t(p.waitState(2, 0, mark)) + 1);
        QVERIFY(resumed >= 0);
        p.send(XA_MSG_COMMAND_STOP);
        const int stopped = p.waitState(XA_PLAYER_STATE_STOPPED, 5000, size_t(resumed));
        QVERIFY(stopped >= 0);
        // Stop rewinds: the position report that follows is the start.
        const int pos = p.waitCode(XA_MSG_NOTIFY_INPUT_POSITION, 5000, size_t(stopped));
        QVERIFY(pos >= 0);
        QCOMPARE(p.messages[size_t(pos)].u32(4), 0u);

        mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        const int eof = p.waitState(XA_PLAYER_STATE_EOF, 20000, mark);
        QVERIFY(eof >= 0);
        // Time reports while playing: at least one per second of audio, the last one at the end.
        int timecodes = 0;
        for (size_t i = mark; i < size_t(eof); ++i)
            timecodes += p.messages[i].code == XA_MSG_NOTIFY_INPUT_TIMECODE;
        QVERIFY2(timecodes >= 20, qPrintable(QString::number(timecodes)));
        const XA_Message *lastPos = p.last(XA_MSG_NOTIFY_INPUT_POSITION);
        QCOMPARE(lastPos->u32(4), lastPos->u32(8));
        // Play after the end starts over.
        mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_PLAYING, 5000, mark) >= 0);
    }

    void durationIsExactForVbrWithoutHeader()
    {
        const QString bare = fx_->withoutXingHeader("sweep-vbr-bare.mp3", vbr_);
        QVERIFY2(!bare.isEmpty(), qPrintable(fx_->error()));
        EngineDriver p;
        QVERIFY(p.open(bare));
        // The first report may be an estimate; the scan that follows the open reports the exact length.
        const int d =
            p.waitFor([](const XA_Message &m) { return m.code == XA_MSG_NOTIFY_INPUT_DURATION && m.u32(4) == 20u; });
        QVERIFY(d >= 0);
    }

    void seekLandsWhereAsked_data()
    {
        QTest::addColumn<bool>("vbr");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("range");
        QTest::newRow("cbr quarter") << false << 10000 << 40000;
        QTest::newRow("cbr 13.3 s") << false << 2660 << 4000;
        QTest::newRow("vbr quarter") << true << 10000 << 40000;
        QTest::newRow("vbr 17.1 s") << true << 171 << 200;
    }
    void seekLandsWhereAsked()
    {
        QFETCH(bool, vbr);
        QFETCH(int, offset);
        QFETCH(int, range);
        const QString file = vbr ? vbr_ : cbr_;
        const Pcm whole = decodeWithMpg123(file);
        QVERIFY(whole.ok());
        EngineDriver p;
        QVERIFY(p.open(file));
        p.send(XA_MSG_COMMAND_INPUT_SEEK, offset, range);
        QVERIFY(p.waitReply(XA_MSG_COMMAND_INPUT_SEEK) >= 0);
        QCOMPARE(p.last(XA_MSG_NOTIFY_ACK)->u8(4), uint8_t(XA_MSG_COMMAND_INPUT_SEEK));
        const QString out = dir_.filePath(QStringLiteral("seek-%1-%2.wav").arg(vbr).arg(offset));
        QVERIFY(p.playToWav(out));
        const Pcm part = readWav(out);
        QVERIFY(part.ok());
        const qint64 expected = qint64(double(offset) / range * whole.frames());
        const qint64 found = locate(whole, part, expected, whole.rate / 5);
        QVERIFY(found >= 0);
        QVERIFY2(std::abs(found - expected) <= whole.rate / 10,
                 qPrintable(QStringLiteral("landed at frame %1, asked for %2").arg(found).arg(expected)));
        // And the rest of the file follows without a gap.
        QCOMPARE(part.frames(), whole.frames() - found);
    }

    // A large file seeks by an estimate until its frame index has been built in the background; once the index
    // is there, playback is put back on the exact position, so the rest of the song and the reported time agree.
    // The file is VBR without a Xing header, half silence and half noise (so its bytes are far from evenly
    // spread), behind several megabytes of tag; the seek is sent right behind the open, before the index exists.
    void seekBeforeTheIndexLandsExactlyOnceItIsKnown()
    {
        const int rate = 44100;
        const qint64 frames = qint64(rate) * 16;
        QByteArray pcm(int(frames * 4), '\0');
        uint32_t seed = 12345;
        auto *samples = reinterpret_cast<int16_t *>(pcm.data());
        for (qint64 i = frames / 2 * 2; i < frames * 2; ++i) {
            seed = seed * 1664525u + 1013904223u;
            samples[i] = int16_t(int32_t(seed >> 16) - 32768) / 4;
        }
        QByteArray wav("RIFF", 4);
        auto le32 = [](QByteArray &b, uint32_t v) {
            for (int k = 0; k < 4; ++k)
                b.append(char((v >> (8 * k)) & 0xFF));
        };
        le32(wav, uint32_t(36 + pcm.size()));
        wav.append("WAVEfmt ", 8);
        le32(wav, 16);
        wav.append("\x01\x00\x02\x00", 4);
        le32(wav, rate);
        le32(wav, rate * 4);
        wav.append("\x04\x00\x10\x00", 4);
        wav.append("data", 4);
        le32(wav, uint32_t(pcm.size()));
        wav.append(pcm);
        const QString wavPath = dir_.filePath(QStringLiteral("quiet-then-noise.wav"));
        QFile w(wavPath);
        QVERIFY(w.open(QIODevice::WriteOnly) && w.write(wav) == wav.size());
        w.close();
        Mp3Options vbr;
        vbr.vbrQuality = 2;
        const QString mp3 = fx_->mp3("quiet-then-noise.mp3", wavPath, vbr);
        QVERIFY2(!mp3.isEmpty(), qPrintable(fx_->error()));
        const QString bare = fx_->withoutXingHeader("quiet-then-noise-bare.mp3", mp3);
        QVERIFY2(!bare.isEmpty(), qPrintable(fx_->error()));

        QFile source(bare);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const qint64 padding = 6 << 20;
        QByteArray tagged("ID3\x03\x00\x00", 6);
        for (int shift : {21, 14, 7, 0})
            tagged.append(char((padding >> shift) & 0x7F));
        tagged.append(QByteArray(padding, '\0'));
        tagged.append(source.readAll());
        const QString file = dir_.filePath(QStringLiteral("quiet-then-noise-big-tag.mp3"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(tagged) == tagged.size());
        out.close();
        const Pcm whole = decodeWithMpg123(bare);
        QVERIFY(whole.ok());

        EngineDriver p;
        p.send(XA_MSG_COMMAND_INPUT_OPEN, file);
        p.send(XA_MSG_COMMAND_INPUT_SEEK, 3, 10);
        QVERIFY(p.waitReply(XA_MSG_COMMAND_INPUT_SEEK) >= 0);
        QCOMPARE(p.last(XA_MSG_NOTIFY_ACK)->u8(4), uint8_t(XA_MSG_COMMAND_INPUT_SEEK));
        const QString played = dir_.filePath(QStringLiteral("seek-before-index.wav"));
        QVERIFY(p.playToWav(played));
        const Pcm part = readWav(played);
        QVERIFY(part.ok());
        // The time reported at the end is the song's length, and the last seconds are the song's own.
        const XA_Message *end = p.last(XA_MSG_NOTIFY_INPUT_TIMECODE);
        QVERIFY(end);
        const int endCs = ((end->u8(4) * 60 + end->u8(5)) * 60 + end->u8(6)) * 100 + end->u8(7);
        const int lengthCs = int(whole.frames() * 100 / whole.rate);
        QVERIFY2(std::abs(endCs - lengthCs) <= 1,
                 qPrintable(QStringLiteral("the end was reported at %1 cs of %2").arg(endCs).arg(lengthCs)));
        // What was played adds up to the rest of the song from three tenths of it.
        const qint64 rest = whole.frames() - whole.frames() * 3 / 10;
        QVERIFY2(std::abs(part.frames() - rest) <= 2,
                 qPrintable(QStringLiteral("played %1 frames, not %2").arg(part.frames()).arg(rest)));
        const qint64 tail = std::min<qint64>(part.frames(), whole.rate * 5);
        int worst = 0;
        for (qint64 i = 0; i < tail * 2; ++i) {
            const size_t a = size_t((whole.frames() - tail) * 2 + i), b = size_t((part.frames() - tail) * 2 + i);
            worst = std::max(worst, std::abs(int(whole.samples[a]) - int(part.samples[b])));
        }
        QCOMPARE(worst, 0);
    }

    void codecQualityReducesTheRate()
    {
        EngineDriver p;
        p.send(XA_MSG_SET_CODEC_QUALITY, XA_CODEC_QUALITY_HALF);
        QVERIFY(p.open(cbr_));
        const QString out = dir_.filePath("half.wav");
        QVERIFY(p.playToWav(out));
        const Pcm half = readWav(out);
        QCOMPARE(half.rate, 22050);
        QVERIFY(std::abs(half.seconds() - 20.0) < 0.1);

        // A quarter of 22.05 kHz is not possible: the engine says what it does instead.
        Tone t;
        t.seconds = 2;
        Mp3Options o;
        o.resampleHz = 22050;
        o.bitrate = 64;
        const QString low = fx_->mp3("quarter.mp3", t, o);
        QVERIFY(!low.isEmpty());
        p.send(XA_MSG_SET_CODEC_QUALITY, XA_CODEC_QUALITY_QUARTER);
        QVERIFY(p.open(low));
        const size_t mark = p.messages.size();
        p.send(XA_MSG_GET_CODEC_QUALITY);
        const int q = p.waitCode(XA_MSG_NOTIFY_CODEC_QUALITY, 5000, mark);
        QVERIFY(q >= 0);
        QCOMPARE(int(p.messages[size_t(q)].u8(4)), XA_CODEC_QUALITY_HALF);
        QVERIFY(p.playToWav(dir_.filePath("quarter.wav")));
        QCOMPARE(readWav(dir_.filePath("quarter.wav")).rate, 11025);
    }

    void getCommandsAnswerWithTheirNotifications()
    {
        EngineDriver p;
        p.send(XA_MSG_SET_OUTPUT_VOLUME, 30);  // only the balance given: PCM and master become 0
        control_message_send_III(p.player(), XA_MSG_SET_OUTPUT_VOLUME, 30, 70, 90);
        // Both settings are through (each reports the volume, ending with the master level) before the
        // question is asked, so that the answers below cannot be the settings' own reports.
        const int first = p.waitCode(XA_MSG_NOTIFY_OUTPUT_MASTER_LEVEL, 5000);
        QVERIFY(first >= 0);
        QVERIFY(p.waitCode(XA_MSG_NOTIFY_OUTPUT_MASTER_LEVEL, 5000, size_t(first) + 1) >= 0);
        size_t mark = p.messages.size();
        p.send(XA_MSG_GET_OUTPUT_VOLUME);
        QVERIFY(p.waitCode(XA_MSG_NOTIFY_OUTPUT_MASTER_LEVEL, 5000, mark) >= 0);
        QCOMPARE(int(p.last(XA_MSG_NOTIFY_OUTPUT_BALANCE)->u8(6)), 30);
        QCOMPARE(int(p.last(XA_MSG_NOTIFY_OUTPUT_PCM_LEVEL)->u8(5)), 70);
        QCOMPARE(int(p.last(XA_MSG_NOTIFY_OUTPUT_MASTER_LEVEL)->u8(4)), 90);
        const XA_Message *v = p.last(XA_MSG_NOTIFY_OUTPUT_VOLUME);
        QCOMPARE(int(v->u8(4)), 90);
        QCOMPARE(int(v->u8(5)), 70);
        QCOMPARE(int(v->u8(6)), 30);

        p.send(XA_MSG_SET_OUTPUT_PORTS, XA_OUTPUT_PORT_HEADPHONE);
        p.send(XA_MSG_SET_OUTPUT_CHANNELS, XA_OUTPUT_CHANNELS_MONO_RIGHT);
        p.send(XA_MSG_SET_OUTPUT_CHANNELS, 7);  // refused, the mode stays
        mark = p.messages.size();
        p.send(XA_MSG_GET_OUTPUT_PORTS);
        p.send(XA_MSG_GET_OUTPUT_CHANNELS);
        p.send(XA_MSG_SET_PLAYER_MODE, 5);
        QVERIFY(p.waitCode(XA_MSG_NOTIFY_PLAYER_MODE, 5000, mark) >= 0);
        QCOMPARE(p.last(XA_MSG_NOTIFY_OUTPUT_PORTS)->u8(4), uint8_t(XA_OUTPUT_PORT_HEADPHONE));
        QCOMPARE(p.last(XA_MSG_NOTIFY_OUTPUT_CHANNELS)->u8(4), uint8_t(XA_OUTPUT_CHANNELS_MONO_RIGHT));
        QCOMPARE(p.last(XA_MSG_NOTIFY_PLAYER_MODE)->u32(4), 5u);
        QVERIFY(p.waitFor([](const XA_Message &m) {
            return m.code == XA_MSG_NOTIFY_NACK && m.u8(4) == XA_MSG_SET_OUTPUT_CHANNELS && m.s16(6) < 0;
        }) >= 0);

        XA_EqualizerInfo eq{};
        eq.left[3] = -128;
        eq.right[31] = 127;
        control_message_send_P(p.player(), XA_MSG_SET_CODEC_EQUALIZER, &eq);
        eq.left[3] = 0;  // the library took a copy
        mark = p.messages.size();
        p.send(XA_MSG_GET_CODEC_EQUALIZER);
        const int e = p.waitCode(XA_MSG_NOTIFY_CODEC_EQUALIZER, 5000, mark);
        QVERIFY(e >= 0);
        QCOMPARE(int(p.messages[size_t(e)].equalizer->left[3]), -128);
        QCOMPARE(int(p.messages[size_t(e)].equalizer->right[31]), 127);

        control_message_send_SI(p.player(), XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, "answer", 42);
        mark = p.messages.size();
        control_message_send_S(p.player(), XA_MSG_GET_PLAYER_ENVIRONMENT_INTEGER, "answer");
        control_message_send_S(p.player(), XA_MSG_GET_PLAYER_ENVIRONMENT_INTEGER, "missing");
        QVERIFY(p.waitReply(XA_MSG_GET_PLAYER_ENVIRONMENT_INTEGER, 5000, mark) >= 0);
        const XA_Message *env = p.last(XA_MSG_NOTIFY_PLAYER_ENVIRONMENT_INTEGER);
        QCOMPARE(QString::fromStdString(env->text(4)), QStringLiteral("answer"));
        QCOMPARE(env->s32(8), 42);

        mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PING, 0x7fff1234);
        const int pong = p.waitCode(XA_MSG_NOTIFY_PONG, 5000, mark);
        QVERIFY(pong >= 0);
        QCOMPARE(p.messages[size_t(pong)].u32(4), 0x7fff1234u);
    }

    void priorityReportsWhatIsInForce()
    {
        EngineDriver p;
        QCOMPARE(player_set_priority(p.player(), XA_PRIORITY_LOW), int(XA_SUCCESS));
        QCOMPARE(player_get_priority(p.player()), int(XA_PRIORITY_LOW));
        QCOMPARE(player_set_priority(p.player(), XA_PRIORITY_LOWEST), int(XA_SUCCESS));
        QCOMPARE(player_get_priority(p.player()), int(XA_PRIORITY_LOWEST));
        QVERIFY(player_set_priority(p.player(), 9) < 0);
        QCOMPARE(player_get_priority(p.player()), int(XA_PRIORITY_LOWEST));
    }

    // A device that takes nothing (a FIFO that nobody reads, through the wav output) is reported after a few
    // seconds; commands are answered meanwhile and deleting the player does not wait for the device.
    void outputThatTakesNothingNeverFreezesTheEngine()
    {
        const QString fifo = dir_.filePath("nobody-reads.wav");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        auto *p = new EngineDriver;
        QVERIFY(p->open(cbr_));
        p->send(XA_MSG_COMMAND_OUTPUT_OPEN, "wav:" + fifo);
        QVERIFY(p->waitReply(XA_MSG_COMMAND_OUTPUT_OPEN, 3000) >= 0);
        size_t from = p->messages.size();
        p->send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p->waitReply(XA_MSG_COMMAND_PLAY, 3000, from) >= 0);
        QTest::qWait(300);
        from = p->messages.size();
        p->send(XA_MSG_COMMAND_PING, 3);
        QVERIFY2(p->waitCode(XA_MSG_NOTIFY_PONG, 1000, from) >= 0, "commands are answered");
        const int err = p->waitCode(XA_MSG_NOTIFY_ERROR, 15000, from);
        QVERIFY2(err >= 0, "the device that takes nothing is reported");
        QCOMPARE(int(p->messages[size_t(err)].u8(4)), 2);  // the output
        QVERIFY(p->waitState(XA_PLAYER_STATE_PAUSED, 2000, from) >= 0);
        from = p->messages.size();
        p->send(XA_MSG_COMMAND_PLAY);  // the device is tried again, and again it cannot hold up the engine
        QVERIFY(p->waitReply(XA_MSG_COMMAND_PLAY, 3000, from) >= 0);
        p->send(XA_MSG_COMMAND_PING, 4);
        QVERIFY(p->waitCode(XA_MSG_NOTIFY_PONG, 1000, from) >= 0);
        QElapsedTimer t;
        t.start();
        delete p;
        QVERIFY2(t.elapsed() < 1000, qPrintable(QStringLiteral("player_delete took %1 ms").arg(t.elapsed())));
    }

    void exitEndsTheEngine()
    {
        EngineDriver p;
        QVERIFY(p.open(cbr_));
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("test"));
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_PLAYING) >= 0);
        p.send(XA_MSG_COMMAND_OUTPUT_RESET);
        p.send(XA_MSG_COMMAND_EXIT);
        QVERIFY(p.waitCode(XA_MSG_NOTIFY_EXITED) >= 0);
        const size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PING, 1);  // nobody is left to answer
        QTest::qWait(200);
        QCOMPARE(p.messages.size(), mark);
    }
};

QTEST_GUILESS_MAIN(TestEnginePlayback)
#include "test_engine_playback.moc"
