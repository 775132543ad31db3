// What the equalizer sliders do to the sound: pink noise played through the main window's player with the
// sliders moved in the audio settings window. A slider raises or cuts the frequencies of its own bands and
// leaves the rest alone (within the leakage of the decoder's 32-band filter bank).

#include "audio_rig.h"
#include "tools/scripted_answers.h"
#include "tools/fixtures.h"
#include "tools/pcm.h"

#include <QCheckBox>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace testtools;

namespace {
// Subband k of the decoder's filter bank spans k..k+1 times rate/64 (689 Hz at 44.1 kHz).
constexpr double kWidth = 44100.0 / 64;

double Energy(const Pcm &pcm, int channel, double fromBand, double toBand)
{
    const double r = rms(pcm, channel);
    return bandShare(pcm, channel, fromBand * kWidth, toBand * kWidth) * r * r;
}
}  // namespace

class TestEqualizerSound : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_noise;
    int m_run = 0;

    // Plays the noise to a WAV file with the sliders as `configure` leaves them and returns what was played.
    Pcm Render(const std::function<void(AudioRig &)> &configure)
    {
        Shell::ScriptedAnswers answers;
        AudioRig rig;
        configure(rig);
        const QString out = m_dir.filePath(QStringLiteral("out-%1.wav").arg(++m_run));
        const size_t mark = rig.Mark();
        rig.player()->InputOpen(m_noise);
        rig.Sync();
        rig.player()->OutputOpen(QStringLiteral("wav:") + out);
        rig.player()->Play();
        QDeadlineTimer deadline(60000);
        auto ended = [&] {
            for (size_t i = mark; i < rig.messages.size(); ++i)
                if (rig.messages[i].code == XA_MSG_NOTIFY_PLAYER_STATE && rig.messages[i].u8(4) == XA_PLAYER_STATE_EOF)
                    return true;
            return false;
        };
        while (!ended() && !deadline.hasExpired())
            QTest::qWait(10);
        rig.player()->OutputClose();  // writes the sizes into the WAV header
        rig.Sync();
        if (!ended())
            return {};
        return readWav(out);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        Fixtures fixtures(m_dir.path());
        Tone noise;
        noise.signal = Signal::PinkNoise;
        noise.seconds = 4;
        m_noise = fixtures.mp3("noise.mp3", noise);
        QVERIFY2(!m_noise.isEmpty(), qPrintable(fixtures.error()));
    }

    void aSliderRaisesOrCutsItsOwnBandsOnly()
    {
        const Pcm flat = Render([](AudioRig &) {});
        // Slider 9 of both rows at the top: bands 11, 12 and 13 raised by 12 dB in both channels.
        const Pcm raised = Render([](AudioRig &rig) {
            rig.window->checkbox_enableequalizer->setChecked(true);
            rig.window->checkbox_both->setChecked(true);
            UserMove(rig.window->tb_l[9], -128);
            rig.Sync();
        });
        // Left slider 3 at the bottom: band 3 of the left channel cut by 12 dB.
        const Pcm cut = Render([](AudioRig &rig) {
            rig.window->checkbox_enableequalizer->setChecked(true);
            UserMove(rig.window->tb_l[3], 127);
            rig.Sync();
        });
        // The same sliders with the equalizer switched off again: the plain sound.
        const Pcm off = Render([](AudioRig &rig) {
            rig.window->checkbox_enableequalizer->setChecked(true);
            UserMove(rig.window->tb_l[3], 127);
            rig.window->checkbox_enableequalizer->setChecked(false);
            rig.Sync();
        });
        QVERIFY(flat.ok() && raised.ok() && cut.ok() && off.ok());
        QVERIFY(flat.frames() > 44100 * 3);

        for (int ch = 0; ch < 2; ++ch) {
            // +12 dB is 16 times the energy; the band edges leak, so ask for most of it.
            const double in = Energy(raised, ch, 11.2, 13.8) / Energy(flat, ch, 11.2, 13.8);
            const double below = Energy(raised, ch, 1.0, 9.5) / Energy(flat, ch, 1.0, 9.5);
            const double above = Energy(raised, ch, 15.5, 20.0) / Energy(flat, ch, 15.5, 20.0);
            QVERIFY2(in > 8 && in < 20, qPrintable(QString::number(in)));
            QVERIFY2(below > 0.8 && below < 1.25, qPrintable(QString::number(below)));
            QVERIFY2(above > 0.8 && above < 1.25, qPrintable(QString::number(above)));
        }
        const double leftCut = Energy(cut, 0, 3.2, 3.8) / Energy(flat, 0, 3.2, 3.8);
        const double rightCut = Energy(cut, 1, 3.2, 3.8) / Energy(flat, 1, 3.2, 3.8);
        const double leftElsewhere = Energy(cut, 0, 6.0, 12.0) / Energy(flat, 0, 6.0, 12.0);
        QVERIFY2(leftCut < 0.12, qPrintable(QString::number(leftCut)));
        QVERIFY2(qAbs(rightCut - 1.0) < 0.05, qPrintable(QString::number(rightCut)));
        QVERIFY2(qAbs(leftElsewhere - 1.0) < 0.1, qPrintable(QString::number(leftElsewhere)));
        QCOMPARE(maxAbsDifference(off, flat), 0);
    }
};

QTEST_MAIN(TestEqualizerSound)
#include "test_equalizer_sound.moc"
