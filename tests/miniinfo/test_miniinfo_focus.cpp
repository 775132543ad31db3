// On a real X display with a window manager: the mini-info pops up without taking the keyboard focus from
// the window the user types in (a window of another program).

#include "app/ui/form_main.h"
#include "miniinfo/ui/form_currenttitle.h"
#include "tools/key_witness.h"
#include "tools/main_window_rig.h"
#include "tools/private_desktop.h"

#include <QApplication>
#include <QTest>

namespace {

// Lets the window manager and the X server handle what the program asked for.
void Settle()
{
    for (int i = 0; i < 10; ++i)
        QTest::qWait(50);
}

}  // namespace

class TestMiniInfoFocus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void thePopupLeavesTheFocusWhereItIs()
    {
        MainWindowRig rig;
        Tform_main &form = *rig.form;
        Tform_currenttitle popup;
        form_currenttitle = &popup;
        form.settings.MiniInfo = {true, false, 3000};

        KeyWitness witness;  // a window of another program, on a connection of its own
        QVERIFY(witness.open(qgetenv("DISPLAY")));
        witness.focus();
        QTRY_VERIFY(witness.hasFocus());

        // On this desktop an ordinary new window does take the focus, so the check below can fail.
        QWidget ordinary;
        ordinary.resize(200, 100);
        ordinary.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ordinary));
        QTRY_VERIFY(!witness.hasFocus());
        ordinary.hide();
        witness.focus();
        QTRY_VERIFY(witness.hasFocus());

        form.ShowMiniInfo(true);
        QVERIFY(popup.isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&popup));
        Settle();
        QVERIFY(witness.hasFocus());

        // A second pop-up while it shows, the same.
        form.ShowMiniInfo(true);
        Settle();
        QVERIFY(witness.hasFocus());

        form_currenttitle = nullptr;
    }
};

int main(int argc, char **argv)
{
    PrivateDesktop desktop;
    if (!desktop.startForApplication({.windowManager = true})) {
        qWarning("%s", qPrintable(desktop.error()));
        return 1;
    }
    QApplication app(argc, argv);
    TestMiniInfoFocus test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_miniinfo_focus.moc"
