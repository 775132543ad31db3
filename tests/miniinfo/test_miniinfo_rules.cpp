// The mini-info's rules without a window: when it pops up, where, the seconds of its configuration window,
// and the countdown that a pop-up starts, restarts or leaves alone.

#include "miniinfo/countdown_rule.h"
#include "miniinfo/miniinfo_rules.h"

#include <QTest>

using namespace miniinfo;
using Action = CountdownRule::Action;

class TestMiniInfoRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void whenItPopsUp_data()
    {
        QTest::addColumn<bool>("activate");
        QTest::addColumn<bool>("everytime");
        QTest::addColumn<bool>("forced");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("shows");
        // Hidden main window: forced needs the switch, unforced also needs "every time".
        QTest::newRow("forced") << true << false << true << false << true;
        QTest::newRow("forced, every time") << true << true << true << false << true;
        QTest::newRow("unforced, only next/previous") << true << false << false << false << false;
        QTest::newRow("unforced, every time") << true << true << false << false << true;
        // Switched off, nothing shows, not even "Show Mini-Info".
        QTest::newRow("off, forced") << false << true << true << false << false;
        QTest::newRow("off, unforced") << false << true << false << false << false;
        // With the main window visible, never.
        QTest::newRow("visible, forced") << true << true << true << true << false;
        QTest::newRow("visible, unforced") << true << true << false << true << false;
    }
    void whenItPopsUp()
    {
        QFETCH(bool, activate);
        QFETCH(bool, everytime);
        QFETCH(bool, forced);
        QFETCH(bool, visible);
        QFETCH(bool, shows);
        SettingsMiniInfo settings;
        settings.ActivateMiniInfo = activate;
        settings.MiniInfoShowEverytime = everytime;
        settings.MiniInfoTime = 3000;
        QCOMPARE(MiniInfoWanted(settings, forced, visible), shows);
    }

    void placement()
    {
        // Flush with the work area's bottom, 6 pixels from its right edge.
        QCOMPARE(MiniInfoPosition(QRect(0, 0, 1280, 776), QSize(292, 39)), QPoint(982, 737));
        // A panel on the left and at the top, and a second screen to the right.
        QCOMPARE(MiniInfoPosition(QRect(48, 24, 1232, 776), QSize(292, 39)), QPoint(982, 761));
        QCOMPARE(MiniInfoPosition(QRect(1280, 0, 1024, 768), QSize(292, 39)), QPoint(1280 + 1024 - 298, 729));
        QCOMPARE(MiniInfoPosition(QRect(-1024, 100, 1024, 600), QSize(100, 20)), QPoint(-106, 680));
    }

    void secondsShownInTheBox()
    {
        QCOMPARE(SecondsText(3000), QStringLiteral("3"));
        QCOMPARE(SecondsText(3999), QStringLiteral("3"));  // the remainder is dropped
        QCOMPARE(SecondsText(999), QStringLiteral("0"));
        QCOMPARE(SecondsText(10000), QStringLiteral("10"));
    }

    void secondsTakenFromTheBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("milliseconds");  // -1: refused
        QTest::newRow("ten") << "10" << 10000;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("blanks around") << " 7 " << 7000;
        QTest::newRow("plus sign") << "+3" << 3000;
        QTest::newRow("leading zeros") << "007" << 7000;
        QTest::newRow("largest") << "2147483" << 2147483000;
        QTest::newRow("too large for milliseconds") << "2147484" << -1;
        QTest::newRow("far too large") << "99999999999999999999" << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("blank") << "  " << -1;
        QTest::newRow("sign only") << "+" << -1;
        QTest::newRow("fraction") << "1.5" << -1;
        QTest::newRow("word") << "abc" << -1;
        QTest::newRow("blank inside") << "1 0" << -1;
        QTest::newRow("other digits") << QString::fromUtf8("\u0663") << -1;  // an Arabic-Indic three
    }
    void secondsTakenFromTheBox()
    {
        QFETCH(QString, text);
        QFETCH(int, milliseconds);
        const std::optional<int> value = DisplayTimeFromSecondsText(text);
        if (milliseconds < 0)
            QVERIFY2(!value, qPrintable(QString::number(value.value_or(0))));
        else
            QCOMPARE(value, std::optional<int>(milliseconds));
    }

    void refusalNamesTheText()
    {
        const QString text = NotWholeSecondsText(QStringLiteral("ten"));
        QVERIFY(text.contains(QStringLiteral("'ten'")));
        QVERIFY(text.contains(QStringLiteral("whole number")));
    }

    void aPopUpWhileCountingDoesNotProlongIt()
    {
        CountdownRule rule(3000);
        QVERIFY(!rule.counting());
        // First pop-up: the interval is already 3000, switching on starts the count.
        QCOMPARE(rule.SetInterval(3000), Action::None);
        QCOMPARE(rule.SetEnabled(true), Action::Start);
        // Second pop-up with the same time: nothing restarts.
        QCOMPARE(rule.SetInterval(3000), Action::None);
        QCOMPARE(rule.SetEnabled(true), Action::None);
        QVERIFY(rule.counting());
    }

    void aNewDisplayTimeStartsTheCountAnew()
    {
        CountdownRule rule(3000);
        rule.SetEnabled(true);
        QCOMPARE(rule.SetInterval(10000), Action::Start);
        QCOMPARE(rule.interval(), 10000);
        QCOMPARE(rule.SetEnabled(true), Action::None);
        // When it fired, the next pop-up with the same time starts a fresh count.
        QCOMPARE(rule.SetEnabled(false), Action::Stop);
        QCOMPARE(rule.SetInterval(10000), Action::None);
        QCOMPARE(rule.SetEnabled(true), Action::Start);
    }

    void aNewTimeWhileSwitchedOffStartsNothing()
    {
        CountdownRule rule(3000);
        QCOMPARE(rule.SetInterval(5000), Action::None);
        QVERIFY(!rule.counting());
        QCOMPARE(rule.SetEnabled(true), Action::Start);
        QCOMPARE(rule.interval(), 5000);
    }

    void zeroSecondsRunNoCountdownUntilATimeIsSet()
    {
        CountdownRule rule(3000);
        rule.SetEnabled(true);
        QCOMPARE(rule.SetInterval(0), Action::Stop);  // the popup stays
        QVERIFY(rule.enabled());
        QVERIFY(!rule.counting());
        QCOMPARE(rule.SetEnabled(true), Action::None);
        // A later pop-up with a time counts from then.
        QCOMPARE(rule.SetInterval(3000), Action::Start);
        QVERIFY(rule.counting());

        CountdownRule fresh(3000);
        QCOMPARE(fresh.SetInterval(0), Action::None);
        QCOMPARE(fresh.SetEnabled(true), Action::Stop);
        QVERIFY(!fresh.counting());
    }
};

QTEST_GUILESS_MAIN(TestMiniInfoRules)
#include "test_miniinfo_rules.moc"
