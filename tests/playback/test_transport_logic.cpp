// The transport rules without a window: enabling by state, rewind and fast-forward arithmetic, the player
// mode, and the texts for errors, the stream, times and the tray tip.

#include "playback/transport_logic.h"

#include <QTest>

#include <limits>

using namespace playback;
using Kind = SeekStep::Kind;

class TestTransportLogic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void enablingFollowsThePlayerState()
    {
        const TransportEnabling onlyPlay{true, false, false};
        QCOMPARE(EnablingForPlayerState(kStopped), onlyPlay);
        QCOMPARE(EnablingForPlayerState(kEndOfFile), onlyPlay);
        QCOMPARE(EnablingForPlayerState(kPaused), (TransportEnabling{true, false, true}));
        QCOMPARE(EnablingForPlayerState(kPlaying), (TransportEnabling{false, true, true}));
        QVERIFY(!EnablingForPlayerState(4));
        QVERIFY(!EnablingForPlayerState(-1));
    }

    void enablingFollowsTheInputState()
    {
        QCOMPARE(EnablingForInputState(kInputOpen, false), (TransportEnabling{true, false, false}));
        QCOMPARE(EnablingForInputState(kInputOpen, true), (TransportEnabling{false, true, true}));
        for (bool autoplay : {false, true})
            QCOMPARE(EnablingForInputState(1, autoplay), (TransportEnabling{false, false, false}));
    }

    void rewind()
    {
        // 40000 * 10 / 200 = 2000 steps back from 1000: the start.
        QCOMPARE(RewindStep(1000, 40000, 10, 200), (SeekStep{Kind::Seek, 0, 40000}));
        QCOMPARE(RewindStep(30000, 40000, 10, 200), (SeekStep{Kind::Seek, 28000, 40000}));
        // 20000 - 40000 / 3 = 6666.67 rounds to 6667.
        QCOMPARE(RewindStep(20000, 40000, 1, 3), (SeekStep{Kind::Seek, 6667, 40000}));
        // The default time of 5000 s goes back to the start of any shorter song.
        QCOMPARE(RewindStep(39999, 40000, 5000, 4999), (SeekStep{Kind::Seek, 0, 40000}));
        // A negative time moves forward, but not past the end.
        QCOMPARE(RewindStep(30000, 40000, -100, 200), (SeekStep{Kind::Seek, 40000, 40000}));
    }

    void fastForward()
    {
        // 39000 + 2000 is past the end: stop.
        QCOMPARE(FastForwardStep(39000, 40000, 10, 200).kind, Kind::Stop);
        QCOMPARE(FastForwardStep(1000, 40000, 10, 200), (SeekStep{Kind::Seek, 3000, 40000}));
        // Landing exactly on the end is still a seek.
        QCOMPARE(FastForwardStep(38000, 40000, 10, 200), (SeekStep{Kind::Seek, 40000, 40000}));
        QCOMPARE(FastForwardStep(0, 40000, 5000, 4999).kind, Kind::Stop);
        // A negative time moves back, not before the start; far back it stops, as far ahead does.
        QCOMPARE(FastForwardStep(1000, 40000, -10, 200), (SeekStep{Kind::Seek, 0, 40000}));
        QCOMPARE(FastForwardStep(1000, 40000, -10000, 200).kind, Kind::Stop);
    }

    void noDurationNoJump()
    {
        QCOMPARE(RewindStep(1000, 40000, 10, 0).kind, Kind::Nothing);
        QCOMPARE(FastForwardStep(1000, 40000, 10, 0).kind, Kind::Nothing);
    }

    void largeTimesDoNotWrap()
    {
        // 40000 * 60000 = 2.4e9 is beyond 32 bits; over a 100000 s song it is 24000 steps.
        QCOMPARE(RewindStep(30000, 40000, 60000, 100000), (SeekStep{Kind::Seek, 6000, 40000}));
        QCOMPARE(FastForwardStep(1000, 40000, 60000, 100000), (SeekStep{Kind::Seek, 25000, 40000}));
        constexpr int kMost = std::numeric_limits<int>::max();
        QCOMPARE(RewindStep(kMost, kMost, kMost, 1), (SeekStep{Kind::Seek, 0, quint32(kMost)}));
        QCOMPARE(FastForwardStep(0, kMost, kMost, 1).kind, Kind::Stop);
        QCOMPARE(FastForwardStep(kMost, kMost, -kMost, 1).kind, Kind::Stop);
    }

    void playerModeBits()
    {
        QCOMPARE(PlayerMode(false, false, false), 0);
        QCOMPARE(PlayerMode(true, false, true), 5);
        QCOMPARE(PlayerMode(false, true, false), 2);
        QCOMPARE(PlayerMode(true, true, true), 7);
    }

    void errorTexts()
    {
        QCOMPARE(NackText(3, -5), QStringLiteral("Cannot Play Stream -5"));
        QCOMPARE(NackText(7, -32768), QStringLiteral("Cannot Open Input -32768"));
        QCOMPARE(NackText(7, 12), QStringLiteral("Cannot Open Input 12"));
        QVERIFY(NackText(6, -1).isEmpty());  // a refused seek is not reported
        QVERIFY(NackText(5, -1).isEmpty());
        QCOMPARE(NotAnIntegerText("abc"), QStringLiteral("'abc' is not a valid integer value."));
    }

    void secondsTyped()
    {
        QCOMPARE(ParseSeconds("15"), 15);
        QCOMPARE(ParseSeconds(" -3 "), -3);
        QCOMPARE(ParseSeconds("$10"), 16);
        QCOMPARE(ParseSeconds("0x10"), 16);
        QVERIFY(!ParseSeconds("abc"));
        QVERIFY(!ParseSeconds(""));
        QVERIFY(!ParseSeconds("12s"));
        QVERIFY(!ParseSeconds("2147483648"));
    }

    void streamDescription()
    {
        QCOMPARE(StreamDescription(1, 3, 128, 44100, 3),
                 QStringLiteral("MPEG 1, Audio Layer 3, 128 Kbps, 44100 Hz, mono"));
        QCOMPARE(StreamDescription(1, 3, 128, 44100, 1),
                 QStringLiteral("MPEG 1, Audio Layer 3, 128 Kbps, 44100 Hz, joint-stereo"));
        QCOMPARE(StreamDescription(2, 2, 64, 22050, 0),
                 QStringLiteral("MPEG 2, Audio Layer 2, 64 Kbps, 22050 Hz, stereo"));
        QCOMPARE(StreamDescription(1, 3, 320, 48000, 2),
                 QStringLiteral("MPEG 1, Audio Layer 3, 320 Kbps, 48000 Hz, dual-channel"));
        QVERIFY(!StreamDescription(1, 3, 128, 44100, 4));
        QVERIFY(!StreamDescription(1, 3, 128, 44100, 255));
    }

    void timeTexts()
    {
        QCOMPARE(TimeText(0, 1, 5), QStringLiteral("00:01:05"));
        QCOMPARE(TimeText(255, 59, 59), QStringLiteral("255:59:59"));
        QCOMPARE(DurationText(0), QStringLiteral("00:00:00"));
        QCOMPARE(DurationText(3725), QStringLiteral("01:02:05"));
        QCOMPARE(DurationText(100 * 3600), QStringLiteral("100:00:00"));
        QCOMPARE(DurationText(std::numeric_limits<quint32>::max()), QStringLiteral("1193046:28:15"));
        QCOMPARE(TimeLine("00:01:05", 200), QStringLiteral("00:01:05 / 00:03:20"));
    }

    void timeLabelTravelsUnderTheThumb()
    {
        QCOMPARE(TimeLabelLeft(10000, 40000, 0, 317), 79);  // 79.25
        QCOMPARE(TimeLabelLeft(0, 40000, 0, 317), 0);
        QCOMPARE(TimeLabelLeft(40000, 40000, 0, 317), 317);
        QCOMPARE(TimeLabelLeft(20000, 40000, 10, 300), 155);  // half of the bar's right edge at 310
        QVERIFY(!TimeLabelLeft(5, 0, 0, 317));
    }

    void statePresentation()
    {
        QCOMPARE(StateIconFile(kPlaying), QStringLiteral("play.ico"));
        QCOMPARE(StateIconFile(kPaused), QStringLiteral("pause.ico"));
        QCOMPARE(StateIconFile(kStopped), QStringLiteral("stop.ico"));
        QCOMPARE(StateIconFile(kEndOfFile), QStringLiteral("stop.ico"));
        QCOMPARE(TreeStateIndex(kPlaying), 1);
        QCOMPARE(TreeStateIndex(kPaused), 2);
        QCOMPARE(TreeStateIndex(kStopped), 3);
        QCOMPARE(TreeStateIndex(kEndOfFile), 3);
        QCOMPARE(TreeStateIndex(9), -1);
    }

    void trayTip()
    {
        QCOMPARE(NowPlayingTip("Song", kStopped, 63), QStringLiteral("Song - DAK-MP3 - Stopped"));
        QCOMPARE(NowPlayingTip("Song", kPlaying, 63), QStringLiteral("Song - DAK-MP3 - Playing"));
        QCOMPARE(NowPlayingTip("Song", kPaused, 63), QStringLiteral("Song - DAK-MP3 - Paused"));
        QCOMPARE(NowPlayingTip("Song", kEndOfFile, 63), QStringLiteral("Song - DAK-MP3 - End of File"));

        // A tip of exactly 63 characters stays whole; one more and the title is cut, the state stays.
        const QString fits(63 - 20, QLatin1Char('a'));
        QCOMPARE(NowPlayingTip(fits, kPlaying, 63), fits + " - DAK-MP3 - Playing");
        const QString title = QStringLiteral("A very long song title that does not fit into a tray tip at all");
        const QString tip = NowPlayingTip(title, kEndOfFile, 63);
        QCOMPARE(tip.size(), 63);
        QVERIFY2(tip.endsWith("... - DAK-MP3 - End of File"), qPrintable(tip));
        QVERIFY(title.startsWith(tip.left(63 - 27)));

        // A character outside the basic plane is not split at the cut.
        QString wide(35, QLatin1Char('b'));
        wide += QString::fromUcs4(U"\U0001F3B5") + QString(40, QLatin1Char('c'));
        const QString cut = NowPlayingTip(wide, kEndOfFile, 63);
        QVERIFY(cut.size() <= 63);
        QVERIFY(!cut.at(cut.indexOf("...") - 1).isHighSurrogate());
    }
};

QTEST_GUILESS_MAIN(TestTransportLogic)
#include "test_transport_logic.moc"
