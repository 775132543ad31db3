// The main window on a real X display: no taskbar entry while the tray icon exists. Runs on a desktop of its
// own with a tray host; skipped when Xvfb or the tray host is not installed.

#include "app/ui/panel_docking.h"
#include "app/ui/form_main.h"
#include "tools/scripted_answers.h"
#include "tools/private_desktop.h"

#include <QApplication>
#include <QFrame>
#include <QSystemTrayIcon>
#include <QTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

QStringList NetWmState(const QWidget *window)
{
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    Display *display = x11->display();
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    QStringList names;
    if (XGetWindowProperty(display, static_cast<Window>(window->winId()), state, 0, 64, False, XA_ATOM, &type, &format,
                           &count, &after, &data) == Success &&
        data) {
        const auto *atoms = reinterpret_cast<const Atom *>(data);
        for (unsigned long i = 0; i < count; ++i) {
            char *name = XGetAtomName(display, atoms[i]);
            names << QString::fromLatin1(name);
            XFree(name);
        }
        XFree(data);
    }
    return names;
}

}  // namespace

class TestX11 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11 || !x11->display())
            QSKIP("no X display");
    }

    void noTaskbarEntryWhileTheTrayIconExists()
    {
        Shell::ScriptedAnswers answers;  // a failing player start must not wait for a click
        Tform_main form;
        QVERIFY(form.TrayIconExists());
        QVERIFY(form.windowFlags().testFlag(Qt::Tool));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY2(NetWmState(&form).contains("_NET_WM_STATE_SKIP_TASKBAR"), qPrintable(NetWmState(&form).join(' ')));

        // Hidden and shown again, it still stays out of the taskbar.
        form.hide();
        QCoreApplication::processEvents();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(NetWmState(&form).contains("_NET_WM_STATE_SKIP_TASKBAR"));

        // So does a panel dragged off into a window of its own.
        form.FloatPanel(form.panel_time, QRect(10, 10, 369, 41));
        QWidget *floating = form.Docking().FloatingWindow(form.panel_time);
        QVERIFY(floating);
        QVERIFY(QTest::qWaitForWindowExposed(floating));
        QVERIFY(NetWmState(floating).contains("_NET_WM_STATE_SKIP_TASKBAR"));

        // Without the tray icon the window is an ordinary one again.
        form.TaskBarRemoveIcon();
        QVERIFY(!form.windowFlags().testFlag(Qt::Tool));
        QVERIFY(form.isVisible());
    }

    void theEarlyTrayIconIsCompletedWithTheMenu()
    {
        // The icon goes up while the window is still being built; once built, it carries the popup menu,
        // also when it is taken down and put up again.
        Shell::ScriptedAnswers answers;
        Tform_main form;
        QVERIFY(form.TrayIcon());
        QVERIFY(form.TrayIcon()->isVisible());
        QCOMPARE(form.TrayIcon()->contextMenu(), form.popupmenu1);
        form.TaskBarRemoveIcon();
        form.TaskBarAddIcon();
        QCOMPARE(form.TrayIcon()->contextMenu(), form.popupmenu1);
        QCOMPARE(form.TrayIcon()->toolTip(), QStringLiteral("DAK-MP3"));
    }
};

int main(int argc, char **argv)
{
    // Without the programs the offscreen platform stays and the test case skips itself.
    PrivateDesktop desktop;
    if (PrivateDesktop::installed({QStringLiteral("Xvfb"), QStringLiteral("trayer")})) {
        if (!desktop.startForApplication({.trayHost = true})) {
            qWarning("%s", qPrintable(desktop.error()));
            return 1;
        }
    }
    QApplication app(argc, argv);
    TestX11 test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_x11.moc"
