// Single and double clicks on the tray icon, as the different tray hosts deliver them.

#include "app/ui/tray_clicks.h"

#include <QTest>

class TestTrayClicks : public QObject {
    Q_OBJECT
private:
    int m_toggles = 0;
    int m_shows = 0;
    TrayClicks *m_clicks = nullptr;

private Q_SLOTS:
    void init()
    {
        m_toggles = m_shows = 0;
        m_clicks = new TrayClicks(this);
        m_clicks->SetActions([this] { ++m_toggles; }, [this] { ++m_shows; });
    }
    void cleanup() { delete m_clicks; }

    void singleClickTogglesOnceTheIntervalEnds()
    {
        m_clicks->Click();
        QVERIFY(m_clicks->ClickPending());
        QCOMPARE(m_toggles, 0);
        m_clicks->FirePending();
        QCOMPARE(m_toggles, 1);
        QCOMPARE(m_shows, 0);
        m_clicks->FirePending();  // nothing left to perform
        QCOMPARE(m_toggles, 1);

        // Separate clicks each toggle.
        m_clicks->ForgetLastClick();
        m_clicks->Click();
        m_clicks->FirePending();
        QCOMPARE(m_toggles, 2);
    }

    void timerPerformsTheClick()
    {
        m_clicks->SetInterval(20);
        m_clicks->Click();
        QTRY_COMPARE(m_toggles, 1);
        QVERIFY(!m_clicks->ClickPending());
    }

    void clickThenDoubleClickEventShowsWithoutToggling()
    {
        m_clicks->Click();
        m_clicks->DoubleClick();
        QCOMPARE(m_shows, 1);
        QCOMPARE(m_toggles, 0);
        QVERIFY(!m_clicks->ClickPending());
        m_clicks->FirePending();
        QCOMPARE(m_toggles, 0);
    }

    void twoQuickClicksCountAsDoubleClick()
    {
        m_clicks->Click();
        m_clicks->Click();
        QCOMPARE(m_shows, 1);
        QCOMPARE(m_toggles, 0);
        QVERIFY(!m_clicks->ClickPending());
    }

    void lateDoubleClickEventUndoesTheToggle()
    {
        m_clicks->Click();
        m_clicks->FirePending();
        m_clicks->DoubleClick();
        QCOMPARE(m_toggles, 2);  // toggled and toggled back
        QCOMPARE(m_shows, 1);
        m_clicks->DoubleClick();  // undoes only once
        QCOMPARE(m_toggles, 2);
        QCOMPARE(m_shows, 2);
    }

    void doubleClickEventLongAfterAClickOnlyShows()
    {
        m_clicks->Click();
        m_clicks->FirePending();
        m_clicks->ForgetLastClick();  // one more interval has passed
        m_clicks->DoubleClick();
        QCOMPARE(m_toggles, 1);
        QCOMPARE(m_shows, 1);
    }
};

QTEST_GUILESS_MAIN(TestTrayClicks)
#include "test_trayclicks.moc"
