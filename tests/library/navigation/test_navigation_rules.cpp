// The random draw (seed from the time of day, one step of the generator, scaling by the high 32 bits) against
// values worked out by hand, and the steps through a set: wrap-around at both ends, repeated titles, titles
// that differ in case, titles not in the set, empty sets and lines without "=".

#include "library/random_draw.h"
#include "library/song_steps.h"

#include <QTest>

using namespace library;

class TestNavigationRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { SetRandomClock({}); }

    void seedIsMillisecondsSinceMidnight()
    {
        QCOMPARE(RandomSeed(QTime(0, 0, 0, 0)), 0u);
        // ((12 * 60 + 34) * 60 + 56) * 1000 + 789
        QCOMPARE(RandomSeed(QTime(12, 34, 56, 789)), 45296789u);
        QCOMPARE(RandomSeed(QTime(23, 59, 59, 999)), 86399999u);
    }

    void generatorStepWrapsModulo2To32()
    {
        QCOMPARE(NextRandomSeed(0), 1u);
        QCOMPARE(NextRandomSeed(1), 134775814u);
        // 45296789 * 134775813 + 1 = 6104911563764458 = 1421410 * 2^32 + 2099557098
        QCOMPARE(NextRandomSeed(45296789u), 2099557098u);
        // 86399999 * 134775813 + 1 = 11644630108424188 = 2711226 * 2^32 + 3106359292
        QCOMPARE(NextRandomSeed(86399999u), 3106359292u);
        QCOMPARE(NextRandomSeed(0xFFFFFFFFu), 0xFFFFFFFFu * 134775813u + 1u);
    }

    void indexIsTheHighHalfOfSeedTimesCount()
    {
        // 2099557098 * 3 = 6298671294 = 1 * 2^32 + 2003703998; * 100 -> 48; * 1000 -> 488
        QCOMPARE(RandomIndex(2099557098u, 3), 1);
        QCOMPARE(RandomIndex(2099557098u, 100), 48);
        QCOMPARE(RandomIndex(2099557098u, 1000), 488);
        QCOMPARE(RandomIndex(3106359292u, 7), 5);
        QCOMPARE(RandomIndex(0xFFFFFFFFu, 10), 9);  // never reaches the count
        QCOMPARE(RandomIndex(0, 10), 0);
        QCOMPARE(RandomIndex(12345, 1), 0);
        QCOMPARE(RandomIndex(12345, 0), -1);
    }

    void drawUsesTheClockAndReseedsEveryTime()
    {
        SetRandomClock([] { return QTime(12, 34, 56, 789); });
        QCOMPARE(DrawRandomIndex(1000), 488);
        QCOMPARE(DrawRandomIndex(1000), 488);  // the same millisecond: the same draw
        QCOMPARE(DrawRandomIndex(3), 1);
        SetRandomClock([] { return QTime(23, 59, 59, 999); });
        QCOMPARE(DrawRandomIndex(100), 72);
        QCOMPARE(DrawRandomIndex(0), -1);
        QCOMPARE(DrawRandomIndex(-4), -1);
    }

    void realClockDrawsWithinRange()
    {
        for (int i = 0; i < 50; ++i) {
            const int index = DrawRandomIndex(7);
            QVERIFY(index >= 0 && index < 7);
        }
    }

    void stepsWrapAroundAtBothEnds()
    {
        const QStringList set = {QStringLiteral("A=/a.mp3"), QStringLiteral("B=/b.mp3"), QStringLiteral("D=/d.mp3")};
        QCOMPARE(SteppedSongIndex(set, QStringLiteral("D"), SongStep::Next), 0);
        QCOMPARE(SteppedSongIndex(set, QStringLiteral("A"), SongStep::Previous), 2);
        QCOMPARE(SteppedSongIndex(set, QStringLiteral("A"), SongStep::Next), 1);
        QCOMPARE(SteppedSongIndex(set, QStringLiteral("B"), SongStep::Previous), 0);

        const QStringList one = {QStringLiteral("Solo=/solo.mp3")};
        QCOMPARE(SteppedSongIndex(one, QStringLiteral("Solo"), SongStep::Next), 0);
        QCOMPARE(SteppedSongIndex(one, QStringLiteral("Solo"), SongStep::Previous), 0);
    }

    void repeatedTitlesContinueFromTheLastOne()
    {
        const QStringList set = {QStringLiteral("A=/a1.mp3"), QStringLiteral("B=/b.mp3"), QStringLiteral("A=/a2.mp3")};
        QCOMPARE(SteppedSongIndex(set, QStringLiteral("A"), SongStep::Next), 0);
        QCOMPARE(SteppedSongIndex(set, QStringLiteral("A"), SongStep::Previous), 1);
    }

    void unknownTitlesAndEmptySetsGiveNothing()
    {
        const QStringList set = {QStringLiteral("B=/b.mp3"), QStringLiteral("Intro=/i.mp3")};
        QCOMPARE(SteppedSongIndex(set, QStringLiteral("b"), SongStep::Next), -1);  // letter case counts
        QCOMPARE(SteppedSongIndex(set, QStringLiteral("intro"), SongStep::Previous), -1);
        QCOMPARE(SteppedSongIndex(set, QStringLiteral("Gone"), SongStep::Next), -1);
        QCOMPARE(SteppedSongIndex({}, QStringLiteral("B"), SongStep::Next), -1);
        QCOMPARE(SteppedSongIndex({}, QString(), SongStep::Previous), -1);
    }

    void titlesEndAtTheFirstEqualsSign()
    {
        // "A=B=C" is titled A; a line without "=" has an empty title.
        const QStringList set = {QStringLiteral("A=B=C"), QStringLiteral("/no/title.mp3"), QStringLiteral("A=B")};
        QCOMPARE(SteppedSongIndex(set, QStringLiteral("A=B"), SongStep::Next), -1);
        QCOMPARE(SteppedSongIndex(set, QString(), SongStep::Next), 2);
        QCOMPARE(SteppedSongIndex(set, QStringLiteral("A"), SongStep::Next), 0);
    }
};

QTEST_GUILESS_MAIN(TestNavigationRules)
#include "test_navigation_rules.moc"
