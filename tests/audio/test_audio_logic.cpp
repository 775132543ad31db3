// The audio settings' logic without a window: the lists' values both ways, the travelling volume label,
// the equalizer's sliders over the decoder's bands with the value rule at its edges, and equalizer files.

#include "audio/audio_mappings.h"
#include "audio/eqs_file.h"
#include "audio/equalizer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace audio;

namespace {
QByteArray Lines(const QList<QByteArray> &lines, const QByteArray &end = "\r\n")
{
    QByteArray data;
    for (const QByteArray &line : lines)
        data += line + end;
    return data;
}

QList<QByteArray> Numbers(int count)
{
    QList<QByteArray> lines;
    for (int i = 0; i < count; ++i)
        lines << QByteArray::number(i - 16);
    return lines;
}
}  // namespace

class TestAudioLogic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsMapBothWays()
    {
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(ChannelsIndex(*ChannelsValue(i)), i);
            QCOMPARE(*ChannelsValue(i), i);
        }
        for (int i = 0; i < 3; ++i)
            QCOMPARE(QualityIndex(*QualityValue(i)), i);
        // No selection sends nothing; a value without an item selects nothing.
        QCOMPARE(ChannelsValue(-1), std::nullopt);
        QCOMPARE(QualityValue(-1), std::nullopt);
        QCOMPARE(PortValue(-1), std::nullopt);
        QCOMPARE(ChannelsIndex(4), std::nullopt);
        QCOMPARE(QualityIndex(3), std::nullopt);
        QCOMPARE(PriorityIndex(4), std::optional<int>(4));
        QCOMPARE(PriorityIndex(5), std::nullopt);

        // Ports: Speaker 2, Line 1, Headphone 4, Unknown 0; no port or several ports show "Unknown".
        const uint32_t sent[] = {2, 1, 4, 0};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(*PortValue(i), sent[i]);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(PortIndex(sent[i]), i);
        for (uint32_t other : {0u, 3u, 5u, 6u, 7u, 8u})
            QCOMPARE(PortIndex(other), 3);
    }

    void theLabelTravelsWithTheThumb()
    {
        QCOMPARE(LevelFromPosition(100), 0);
        QCOMPARE(PositionFromLevel(40), 60);
        QCOMPARE(LevelText(40), QStringLiteral("40%"));
        // Height 273, maximum 100, top 44: 44 at the top, 317 at the bottom, rounded to the nearest pixel.
        QCOMPARE(LabelTop(273, 100, 0, 44), 44);
        QCOMPARE(LabelTop(273, 100, 100, 44), 317);
        QCOMPARE(LabelTop(273, 100, 1, 44), 47);    // 46.73
        QCOMPARE(LabelTop(273, 100, 33, 44), 134);  // 134.09
        QCOMPARE(LabelTop(273, 0, 5, 44), 44);      // no range, no division by zero
    }

    void slidersOverBandsAndTheValueRule()
    {
        // Sliders 0..7 one band each, 8..15 three each; every band exactly once; a triple reads its middle.
        int covered[kBandsPerChannel] = {};
        for (int k = 0; k < kSlidersPerChannel; ++k) {
            const BandRange r = BandsWritten(k);
            QCOMPARE(r.count, k < 8 ? 1 : 3);
            for (int b = r.first; b < r.first + r.count; ++b)
                ++covered[b];
            QCOMPARE(BandReadBack(k), r.first + r.count / 2);
        }
        QVERIFY(std::all_of(std::begin(covered), std::end(covered), [](int n) { return n == 1; }));
        QCOMPARE(BandReadBack(15), 30);

        // Position p gives band -p, the top -128 gives +127; a report shows -band within -128..127.
        QCOMPARE(int(BandValue(-40)), 40);
        QCOMPARE(int(BandValue(127)), -127);
        QCOMPARE(int(BandValue(-128)), 127);
        QCOMPARE(PositionForBand(127), -127);
        QCOMPARE(PositionForBand(-128), 127);
        QCOMPARE(ClampPosition(300), 127);
        QCOMPARE(ClampPosition(-300), -128);

        EqualizerPositions p{};
        p[8] = -40;
        p[0] = -128;
        p[31] = 100;  // tb_r_15
        const XA_EqualizerInfo r = BuildEqualizerRecord(p);
        for (int b = 0; b < 32; ++b) {
            QCOMPARE(int(r.left[b]), b == 0 ? 127 : b >= 8 && b <= 10 ? 40 : 0);
            QCOMPARE(int(r.right[b]), b >= 29 ? -100 : 0);
        }
        const EqualizerPositions back = PositionsFromRecord(r);
        QCOMPARE(back[8], -40);
        QCOMPARE(back[0], -127);
        QCOMPARE(back[31], 100);
    }

    void filesRoundTripWithCrLf()
    {
        EqualizerPositions p{};
        for (int i = 0; i < kSliderCount; ++i)
            p[size_t(i)] = -128 + i * 8;
        p[31] = 127;
        QTemporaryDir dir;
        const QString path = dir.filePath("jazz.eqs");
        QCOMPARE(WriteEqsFile(path, p), QString());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        QCOMPARE(data.count("\r\n"), 32);
        QCOMPARE(data.count('\n'), 32);
        QVERIFY(data.startsWith("-128\r\n-120\r\n") && data.endsWith("\r\n127\r\n"));
        const EqsRead read = ReadEqsFile(path);
        QVERIFY(read.opened && read.contents.complete());
        QCOMPARE(read.contents.values, p);

        QVERIFY(!ReadEqsFile(dir.filePath("missing.eqs")).opened);
        QVERIFY(!ReadEqsFile(dir.path()).opened);  // a folder
        QVERIFY(!WriteEqsFile(dir.filePath("no/such/folder/x.eqs"), p).isEmpty());
    }

    void readingLineEndsAndBadLines()
    {
        for (const QByteArray &end : {QByteArray("\n"), QByteArray("\r"), QByteArray("\r\n")}) {
            const EqsContents c = ParseEqs(Lines(Numbers(32), end));
            QVERIFY(c.complete());
            QCOMPARE(c.values[31], 15);
        }
        // No end after the last line, a byte-order mark, blanks and a plus sign, lines after the 32nd.
        QList<QByteArray> lines = Numbers(32);
        lines[3] = " \t+7 ";
        QByteArray data = "\xEF\xBB\xBF" + Lines(lines + QList<QByteArray>{"junk"});
        QVERIFY(ParseEqs(data).complete());
        QCOMPARE(ParseEqs(data).values[3], 7);
        data = Lines(Numbers(32));
        data.chop(2);
        QVERIFY(ParseEqs(data).complete());

        // 31 lines; "abc" on the fifth line; 300 is read as written (the slider limits it).
        QCOMPARE(ParseEqs(Lines(Numbers(31))).count, 31);
        lines = Numbers(32);
        lines[4] = "abc";
        QCOMPARE(ParseEqs(Lines(lines)).count, 4);
        lines[4] = "300";
        QCOMPARE(ParseEqs(Lines(lines)).values[4], 300);
        for (const char *bad : {"", "1.5", "0x10", "-", "12a", "2147483648", "--1"}) {
            lines[0] = bad;
            QVERIFY2(ParseEqs(Lines(lines)).count == 0, bad);
        }
    }

    void fileNames()
    {
        QCOMPARE(WithEqsExtension("/home/u/jazz"), QStringLiteral("/home/u/jazz.eqs"));
        QCOMPARE(WithEqsExtension("/home/u/jazz.txt"), QStringLiteral("/home/u/jazz.txt"));
        QCOMPARE(WithEqsExtension("/home/u.v/jazz"), QStringLiteral("/home/u.v/jazz.eqs"));
        QCOMPARE(DefaultEqualizerFile("/opt/dak/"), QStringLiteral("/opt/dak/devud3.eqs"));
    }
};

QTEST_GUILESS_MAIN(TestAudioLogic)
#include "test_audio_logic.moc"
