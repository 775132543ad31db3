// On a real X display with a window manager: the mini-info pops up without taking the keyboard focus from
// the window the user types in (a window of another program).

#include "app/ui/form_main.h"
#include "miniinfo/ui/form_currenttitle.h"
#include "tools/scripted_answers.h"
#include "private_desktop.h"

#include <QApplication>
#include <QTest>

#include <X11/Xlib.h>

#include <memory>

namespace {

// A window of "another program": its own connection to the X server.
class Witness {
public:
    Witness()
    {
        display_ = XOpenDisplay(nullptr);
        if (!display_)
            return;
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 100, 100, 300, 200, 0, 0, 0xffffff);
        XStoreName(display_, window_, "keywitness");
        XSelectInput(display_, window_, StructureNotifyMask);
        XMapWindow(display_, window_);
        XEvent event;
        do
            XNextEvent(display_, &event);
        while (event.type != MapNotify);
    }
    ~Witness()
    {
        if (display_)
            XCloseDisplay(display_);
    }
    bool ok() const { return display_ && window_; }
    void TakeFocus()
    {
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        XSync(display_, False);
    }
    bool HasFocus()
    {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        return focus == window_;
    }

private:
    Display *display_ = nullptr;
    Window window_ = 0;
};

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
        Shell::ScriptedAnswers answers;
        Tform_main form;
        form_main = &form;
        Tform_currenttitle popup;
        form_currenttitle = &popup;
        form.settings.MiniInfo = {true, false, 3000};

        Witness witness;
        QVERIFY(witness.ok());
        witness.TakeFocus();
        QTRY_VERIFY(witness.HasFocus());

        // On this desktop an ordinary new window does take the focus, so the check below can fail.
        QWidget ordinary;
        ordinary.resize(200, 100);
        ordinary.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ordinary));
        QTRY_VERIFY(!witness.HasFocus());
        ordinary.hide();
        witness.TakeFocus();
        QTRY_VERIFY(witness.HasFocus());

        form.ShowMiniInfo(true);
        QVERIFY(popup.isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&popup));
        Settle();
        QVERIFY(witness.HasFocus());

        // A second pop-up while it shows, the same.
        form.ShowMiniInfo(true);
        Settle();
        QVERIFY(witness.HasFocus());

        form_currenttitle = nullptr;
        form_main = nullptr;
    }
};

int main(int argc, char **argv)
{
    PrivateDesktop desktop;
    if (!desktop.start()) {
        qWarning("Xvfb did not start");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestMiniInfoFocus test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_miniinfo_focus.moc"
