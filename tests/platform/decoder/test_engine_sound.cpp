// What the sound settings do to the engine's output: balance, the four channel modes, volume levels, mute,
// and the equalizer raising one band and only that band.

#include "tools/engine_driver.h"
#include "tools/fixtures.h"
#include "tools/pcm.h"

#include <QTemporaryDir>
#include <QTest>

using namespace testtools;

class TestEngineSound : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<Fixtures> fx_;
    QString twoSided_;  // 440 Hz left, 1000 Hz right
    QString noise_;     // pink noise
    int run_ = 0;

    // Plays `file` with the settings that `configure` sends and returns what reached the output.
    Pcm render(const QString &file, const std::function<void(EngineDriver &)> &configure)
    {
        EngineDriver p;
        configure(p);
        if (!p.open(file))
            return {};
        const QString out = dir_.filePath(QStringLiteral("out-%1.wav").arg(++run_));
        if (!p.playToWav(out))
            return {};
        return readWav(out);
    }
    static void volume(EngineDriver &p, int balance, int pcm, int master)
    {
        control_message_send_III(p.player(), XA_MSG_SET_OUTPUT_VOLUME, balance, pcm, master);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        fx_ = std::make_unique<Fixtures>(dir_.path());
        Tone t;
        t.seconds = 2;
        t.frequency = 440;
        t.rightFrequency = 1000;
        Mp3Options o;
        o.mode = ChannelMode::Stereo;
        twoSided_ = fx_->mp3("two-sided.mp3", t, o);
        Tone n;
        n.signal = Signal::PinkNoise;
        n.seconds = 4;
        noise_ = fx_->mp3("noise.mp3", n);
        QVERIFY2(!twoSided_.isEmpty() && !noise_.isEmpty(), qPrintable(fx_->error()));
    }

    void balanceMovesTheSoundBetweenSides()
    {
        const Pcm centre = render(twoSided_, [](EngineDriver &) {});
        const Pcm left = render(twoSided_, [](EngineDriver &p) { volume(p, 0, 100, 100); });
        const Pcm right = render(twoSided_, [](EngineDriver &p) { volume(p, 100, 100, 100); });
        const Pcm quarter = render(twoSided_, [](EngineDriver &p) { volume(p, 25, 100, 100); });
        QVERIFY(centre.ok() && left.ok() && right.ok() && quarter.ok());
        QVERIFY(rms(centre, 0) > 0.3 && rms(centre, 1) > 0.3);
        QCOMPARE(rms(left, 1), 0.0);
        QVERIFY(qAbs(rms(left, 0) - rms(centre, 0)) < 1e-3);
        QCOMPARE(rms(right, 0), 0.0);
        QVERIFY(qAbs(rms(right, 1) - rms(centre, 1)) < 1e-3);
        // Left of centre: the right side is attenuated in proportion, the left keeps its level.
        QVERIFY(qAbs(rms(quarter, 1) / rms(centre, 1) - 0.5) < 0.01);
        QVERIFY(qAbs(rms(quarter, 0) - rms(centre, 0)) < 1e-3);
    }

    void channelModesPickOrMixTheSides()
    {
        auto mode = [this](int channels) {
            return render(twoSided_, [channels](EngineDriver &p) { p.send(XA_MSG_SET_OUTPUT_CHANNELS, channels); });
        };
        const Pcm monoLeft = mode(XA_OUTPUT_CHANNELS_MONO_LEFT);
        const Pcm monoRight = mode(XA_OUTPUT_CHANNELS_MONO_RIGHT);
        const Pcm mix = mode(XA_OUTPUT_CHANNELS_MONO_MIX);
        QVERIFY(monoLeft.ok() && monoRight.ok() && mix.ok());
        for (int ch = 0; ch < 2; ++ch) {
            QVERIFY(toneAmplitude(monoLeft, ch, 440) > 0.4);
            QVERIFY(toneAmplitude(monoLeft, ch, 1000) < 0.01);
            QVERIFY(toneAmplitude(monoRight, ch, 1000) > 0.4);
            QVERIFY(toneAmplitude(monoRight, ch, 440) < 0.01);
            QVERIFY(qAbs(toneAmplitude(mix, ch, 440) - 0.25) < 0.03);
            QVERIFY(qAbs(toneAmplitude(mix, ch, 1000) - 0.25) < 0.03);
        }
    }

    void levelsFollowThePerceptualCurveAndMuteSilences()
    {
        const Pcm full = render(twoSided_, [](EngineDriver &) {});
        const Pcm halfMaster = render(twoSided_, [](EngineDriver &p) { volume(p, 50, 100, 50); });
        const Pcm halfBoth = render(twoSided_, [](EngineDriver &p) { volume(p, 50, 50, 50); });
        const Pcm zero = render(twoSided_, [](EngineDriver &p) { volume(p, 50, 0, 100); });
        const Pcm muted = render(twoSided_, [](EngineDriver &p) { p.send(XA_MSG_COMMAND_OUTPUT_MUTE); });
        const Pcm unmuted = render(twoSided_, [](EngineDriver &p) {
            p.send(XA_MSG_COMMAND_OUTPUT_MUTE);
            p.send(XA_MSG_COMMAND_OUTPUT_UNMUTE);
        });
        QVERIFY(full.ok() && halfMaster.ok() && halfBoth.ok() && zero.ok() && muted.ok() && unmuted.ok());
        // Level 50 is a cube: 1/8 of the amplitude (-18 dB); PCM and master multiply.
        QVERIFY(qAbs(rms(halfMaster, 0) / rms(full, 0) - 0.125) < 0.002);
        QVERIFY(qAbs(rms(halfBoth, 0) / rms(full, 0) - 0.125 * 0.125) < 0.001);
        QCOMPARE(peak(zero, 0), 0.0);
        QCOMPARE(peak(muted, 0), 0.0);
        QCOMPARE(peak(muted, 1), 0.0);
        // Muted playback still takes its time: the same length as unmuted.
        QCOMPARE(muted.frames(), full.frames());
        QCOMPARE(maxAbsDifference(unmuted, full), 0);
    }

    void equalizerRaisesOneBandOnly()
    {
        // Subband k of the decoder's filter bank spans k..k+1 times rate/64 (689 Hz at 44.1 kHz).
        const double width = 44100.0 / 64;
        const Pcm flat = render(noise_, [](EngineDriver &) {});
        XA_EqualizerInfo eq{};
        for (int band : {4, 5}) {
            eq.left[band] = 127;
            eq.right[band] = 127;
        }
        const Pcm raised = render(
            noise_, [&eq](EngineDriver &p) { control_message_send_P(p.player(), XA_MSG_SET_CODEC_EQUALIZER, &eq); });
        XA_EqualizerInfo cut{};
        for (int band = 0; band < 32; ++band)
            cut.left[band] = band == 1 ? -128 : 0;
        const Pcm lowered = render(
            noise_, [&cut](EngineDriver &p) { control_message_send_P(p.player(), XA_MSG_SET_CODEC_EQUALIZER, &cut); });
        const Pcm off = render(noise_, [&eq](EngineDriver &p) {
            control_message_send_P(p.player(), XA_MSG_SET_CODEC_EQUALIZER, &eq);
            control_message_send_P(p.player(), XA_MSG_SET_CODEC_EQUALIZER, nullptr);
        });
        QVERIFY(flat.ok() && raised.ok() && lowered.ok() && off.ok());

        // Energy per band, absolute (shares would move everywhere when one band grows).
        auto energy = [](const Pcm &pcm, int ch, double lo, double hi) {
            const double r = rms(pcm, ch);
            return bandShare(pcm, ch, lo, hi) * r * r;
        };
        const double inBandGain =
            energy(raised, 0, 4.2 * width, 5.8 * width) / energy(flat, 0, 4.2 * width, 5.8 * width);
        const double lowGain = energy(raised, 0, 0.5 * width, 2.5 * width) / energy(flat, 0, 0.5 * width, 2.5 * width);
        const double highGain = energy(raised, 0, 9 * width, 14 * width) / energy(flat, 0, 9 * width, 14 * width);
        // +12 dB is 16 times the energy; the band edges leak, so ask for most of it.
        QVERIFY2(inBandGain > 8 && inBandGain < 20, qPrintable(QString::number(inBandGain)));
        QVERIFY2(lowGain < 1.3, qPrintable(QString::number(lowGain)));
        QVERIFY2(highGain < 1.3, qPrintable(QString::number(highGain)));
        // The cut reaches only the left channel, and -128 takes about 12 dB off.
        const double leftCut = energy(lowered, 0, 1.2 * width, 1.8 * width) / energy(flat, 0, 1.2 * width, 1.8 * width);
        const double rightCut =
            energy(lowered, 1, 1.2 * width, 1.8 * width) / energy(flat, 1, 1.2 * width, 1.8 * width);
        QVERIFY2(leftCut < 0.12, qPrintable(QString::number(leftCut)));
        QVERIFY2(qAbs(rightCut - 1.0) < 0.05, qPrintable(QString::number(rightCut)));
        // A null record switches it off: the plain decode again.
        QCOMPARE(maxAbsDifference(off, flat), 0);
    }
};

QTEST_GUILESS_MAIN(TestEngineSound)
#include "test_engine_sound.moc"
