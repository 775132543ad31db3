#pragma once
// A desktop of the test's own before the application connects to one: Xvfb on a free display number, and a
// window manager (icewm, which gives new windows the focus) when one is installed. Both end with the test
// process, even when it is killed.

#include <QByteArray>

#include <sys/types.h>

class PrivateDesktop {
public:
    ~PrivateDesktop();
    // Starts the X server and sets DISPLAY; false when Xvfb is missing or does not come up.
    bool start();
    bool hasWindowManager() const { return wm_ > 0; }

private:
    pid_t xvfb_ = -1;
    pid_t wm_ = -1;
};
