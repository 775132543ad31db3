// The sample arithmetic of the sound settings at its edges.

#include "platform/decoder/sound_processing.h"
#include "platform/decoder/xaudio.h"

#include <QTest>

#include <vector>

using namespace xa_engine;

class TestSoundProcessing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void curveEndsAndMiddle()
    {
        QCOMPARE(level_gain(100), 1.0);
        QCOMPARE(level_gain(0), 0.0);
        QCOMPARE(level_gain(50), 0.125);
        QCOMPARE(level_gain(150), 1.0);  // out-of-range levels are limited, not extrapolated
        QCOMPARE(level_gain(-5), 0.0);
    }
    void extremesNeverWrapAround()
    {
        std::vector<int16_t> s = {-32768, 32767, 32767, -32768};
        SoundSettings mix;
        mix.channels = XA_OUTPUT_CHANNELS_MONO_MIX;
        apply_sound(s.data(), 2, mix);
        QCOMPARE(s[0], int16_t(0));  // (-32768 + 32767) / 2
        QCOMPARE(s[1], int16_t(0));
        std::vector<int16_t> t = {-32768, -32768};
        SoundSettings quiet;
        quiet.master = 99;
        apply_sound(t.data(), 1, quiet);
        QVERIFY(t[0] < 0 && t[0] > -32768);
    }
    void neutralSettingsTouchNothing()
    {
        SoundSettings s;
        QVERIFY(is_transparent(s));
        s.balance = 49;
        QVERIFY(!is_transparent(s));
        std::vector<int16_t> v = {1234, -4321};
        apply_sound(v.data(), 1, SoundSettings{});
        QCOMPARE(v[0], int16_t(1234));
        QCOMPARE(v[1], int16_t(-4321));
    }
};

QTEST_GUILESS_MAIN(TestSoundProcessing)
#include "test_sound_processing.moc"
