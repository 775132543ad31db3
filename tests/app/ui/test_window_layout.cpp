// The display-style cycle, the resize rule and docking, as numbers.

#include "app/ui/window_layout.h"

#include <QTest>

#include <algorithm>

namespace {

struct Heights {
    int time, info, library, controls;
};

Heights HeightsOf(const WindowLayout &l)
{
    return {l.Height(WindowLayout::Time), l.Height(WindowLayout::Info), l.Height(WindowLayout::Library),
            l.Height(WindowLayout::Controls)};
}

bool operator==(const Heights &a, const Heights &b)
{
    return a.time == b.time && a.info == b.info && a.library == b.library && a.controls == b.controls;
}

char *toString(const Heights &h)
{
    return QTest::toString(QStringLiteral("%1/%2/%3/%4").arg(h.time).arg(h.info).arg(h.library).arg(h.controls));
}

// A layout as the window has it after its first size event.
WindowLayout Fresh()
{
    WindowLayout l;
    l.Resize(WindowLayout::kDesignedClientWidth, WindowLayout::kDesignedClientHeight);
    return l;
}

}  // namespace

class TestWindowLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cycleShowsFewerPanelsThenAllAgain()
    {
        WindowLayout l = Fresh();
        QCOMPARE(HeightsOf(l), (Heights{41, 72, 96, 36}));
        QCOMPARE(l.ClientHeight(), 245);

        const Heights expected[] = {{41, 72, 0, 36}, {41, 0, 0, 36}, {0, 0, 0, 36}, {41, 72, 96, 36}};
        const int clientHeights[] = {149, 77, 36, 245};
        for (int i = 0; i < 4; ++i) {
            l.Toggle(l.ClientWidth(), l.ClientHeight());
            QCOMPARE(l.DisplayStyle(), (i + 1) % 4);
            QCOMPARE(HeightsOf(l), expected[i]);
            QCOMPARE(l.ClientHeight(), clientHeights[i]);
            QCOMPARE(l.RecordedHeight(), clientHeights[i]);
        }
        // Back in style 0 the panels are stacked as designed, the button bar at the bottom.
        QCOMPARE(l.Top(WindowLayout::Time), 0);
        QCOMPARE(l.Top(WindowLayout::Info), 41);
        QCOMPARE(l.Top(WindowLayout::Library), 113);
        QCOMPARE(l.Top(WindowLayout::Controls), 209);
    }

    void styleZeroGivesHeightChangesToTheLibrary()
    {
        WindowLayout l = Fresh();
        l.Resize(400, 300);
        QCOMPARE(HeightsOf(l), (Heights{41, 72, 151, 36}));
        QCOMPARE(l.ClientHeight(), 300);
        QCOMPARE(l.RecordedWidth(), 400);
        QCOMPARE(l.RecordedHeight(), 300);
        QCOMPARE(l.Top(WindowLayout::Controls), 264);

        // The larger library survives a whole cycle.
        for (int i = 0; i < 4; ++i)
            l.Toggle(l.ClientWidth(), l.ClientHeight());
        QCOMPARE(l.DisplayStyle(), 0);
        QCOMPARE(l.ClientHeight(), 300);
        QCOMPARE(l.RememberedHeight(WindowLayout::Library), 151);
    }

    void otherStylesSnapBackToTheirHeight_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("height");
        QTest::newRow("style 1") << 1 << 149;
        QTest::newRow("style 2") << 2 << 77;
        QTest::newRow("style 3") << 3 << 36;
    }

    void otherStylesSnapBackToTheirHeight()
    {
        QFETCH(int, style);
        QFETCH(int, height);
        WindowLayout l = Fresh();
        while (l.DisplayStyle() != style)
            l.Toggle(l.ClientWidth(), l.ClientHeight());
        for (int dragged : {height + 120, height - 20, 5}) {
            l.Resize(500, dragged);
            QCOMPARE(l.ClientHeight(), height);
        }
        QCOMPARE(l.RecordedWidth(), 500);  // the width follows
        QVERIFY(!l.HeightAdjustable());
        QCOMPARE(l.MinimumClientHeight(), height);
        // Snapping changed nothing the cycle comes back to.
        while (l.DisplayStyle() != 0)
            l.Toggle(l.ClientWidth(), l.ClientHeight());
        QCOMPARE(HeightsOf(l), (Heights{41, 72, 96, 36}));
    }

    void tooLowInStyleZeroKeepsTheOtherPanels()
    {
        WindowLayout l = Fresh();
        for (int low : {100, 10}) {
            l.Resize(369, low);
            QCOMPARE(l.Height(WindowLayout::Library), 0);
            QCOMPARE(l.ClientHeight(), 149);
        }
        QCOMPARE(l.MinimumClientHeight(), 149);
    }

    void restoringAStoredStyle_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("height");
        QTest::newRow("0") << 0 << 0 << 245;
        QTest::newRow("1") << 1 << 1 << 149;
        QTest::newRow("2") << 2 << 2 << 77;
        QTest::newRow("3") << 3 << 3 << 36;
        QTest::newRow("7") << 7 << 0 << 245;
        QTest::newRow("4") << 4 << 0 << 245;
        QTest::newRow("negative") << -5 << 0 << 245;
    }

    void restoringAStoredStyle()
    {
        QFETCH(int, stored);
        QFETCH(int, style);
        QFETCH(int, height);
        WindowLayout l = Fresh();
        l.SetDisplayStyle(WindowLayout::StyleBeforeRestore(stored));
        l.Toggle(l.ClientWidth(), l.ClientHeight());
        QCOMPARE(l.DisplayStyle(), style);
        QCOMPARE(l.ClientHeight(), height);
    }

    void floatingPanelsTakeNoRoom()
    {
        WindowLayout l = Fresh();
        l.SetFloating(WindowLayout::Time, true);
        l.Restack(369, 245);
        QCOMPARE(HeightsOf(l), (Heights{0, 72, 137, 36}));
        QCOMPARE(l.ClientHeight(), 245);
        QCOMPARE(l.Top(WindowLayout::Info), 0);
        QCOMPARE(l.RememberedHeight(WindowLayout::Time), 41);
        QCOMPARE(l.RememberedHeight(WindowLayout::Library), 96);  // the library only fills in for now

        l.Toggle(369, 245);  // style 1: time floats, library hidden
        QCOMPARE(l.ClientHeight(), 72 + 36);

        // With the button bar floating too and nothing else shown, the window keeps a strip of its height.
        l.SetFloating(WindowLayout::Controls, true);
        l.Toggle(369, 108);
        l.Toggle(369, 108);  // style 3
        QCOMPARE(l.ClientHeight(), 36);
    }

    void dockingBackRestoresStyleZero_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("panel");
        QTest::addColumn<int>("library");
        for (int style = 0; style < 4; ++style) {
            QTest::addRow("style %d, time", style) << style << int(WindowLayout::Time) << 131;
            QTest::addRow("style %d, library", style) << style << int(WindowLayout::Library) << 131;
        }
        // A size change while a panel floats is remembered like any other.
        QTest::addRow("resized while floating") << -1 << int(WindowLayout::Time) << 131 + 41 + 20;
    }

    void dockingBackRestoresStyleZero()
    {
        QFETCH(int, style);
        QFETCH(int, panel);
        QFETCH(int, library);
        const auto which = static_cast<WindowLayout::Panel>(panel);
        WindowLayout l = Fresh();
        l.Resize(369, 280);  // library 131
        while (l.DisplayStyle() != std::max(style, 0))
            l.Toggle(l.ClientWidth(), l.ClientHeight());
        l.SetFloating(which, true);
        l.Restack(l.ClientWidth(), l.ClientHeight());
        if (style < 0)
            l.Resize(l.ClientWidth(), l.ClientHeight() + 20);
        l.SetFloating(which, false);
        l.DockDrop(l.ClientWidth(), l.ClientHeight());

        QCOMPARE(l.DisplayStyle(), 0);
        // The library comes back with its last remembered height, the rest as designed.
        QCOMPARE(HeightsOf(l), (Heights{41, 72, library, 36}));
        QCOMPARE(l.ClientHeight(), 41 + 72 + library + 36);
        QCOMPARE(l.Top(WindowLayout::Controls), 41 + 72 + library);
        QVERIFY(l.HeightAdjustable());
    }
};

QTEST_GUILESS_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
