#pragma once
// A desktop of the test's own: Xvfb on a display number it picks itself and, when asked, a window manager
// (icewm, which gives new windows the focus) and a tray host (trayer). start() returns once each of them is
// ready. Every program it starts ends with the test process, even when that is killed, and is stopped and
// waited for when the desktop is stopped or destroyed. DISPLAY is left to the caller.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

// What a PrivateDesktop runs besides the X server.
struct DesktopOptions {
    bool windowManager = false;
    bool trayHost = false;
};

class PrivateDesktop {
public:
    PrivateDesktop() = default;
    ~PrivateDesktop();
    PrivateDesktop(const PrivateDesktop &) = delete;
    PrivateDesktop &operator=(const PrivateDesktop &) = delete;

    // Starts the X server and what `options` asks for; false (with error() telling why) when a program is
    // missing or does not come up, in which case nothing is left running.
    bool start(const DesktopOptions &options = {});
    // start(), then DISPLAY and Qt's platform set so that a QApplication made afterwards runs on this desktop.
    bool startForApplication(const DesktopOptions &options = {});
    // Stops the window manager, the tray host and then the X server; a no-op when nothing runs.
    void stop();
    QByteArray display() const { return display_; }  // ":N"; empty when not started
    QString error() const { return error_; }

    // True when every program is found on PATH.
    static bool installed(const QStringList &programs);

private:
    bool fail(const QString &why);

    pid_t xvfb_ = -1;
    pid_t windowManager_ = -1;
    pid_t trayHost_ = -1;
    QByteArray display_;
    QString error_;
};

// Runs xdotool with the given arguments on `display` and waits for it; true when it exits with 0.
bool Xdotool(const QByteArray &display, const QStringList &arguments);
