#include "private_desktop.h"

#include <QByteArray>

#include <X11/Xlib.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Starts `argv` as a child that is sent SIGTERM when this process ends; its stdout goes to `outFd`
// (or nowhere when -1).
pid_t Spawn(const char *const argv[], int outFd)
{
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        _exit(1);
    const int null = open("/dev/null", O_RDWR);
    dup2(outFd >= 0 ? outFd : null, 1);
    dup2(null, 2);
    execvp(argv[0], const_cast<char *const *>(argv));
    _exit(127);
}

void Stop(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

}  // namespace

PrivateDesktop::~PrivateDesktop()
{
    Stop(wm_);
    Stop(xvfb_);
}

bool PrivateDesktop::start()
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    // -displayfd: Xvfb picks a free display and writes its number once it accepts connections.
    const char *const xvfb[] = {"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", nullptr};
    xvfb_ = Spawn(xvfb, fds[1]);
    close(fds[1]);
    QByteArray number;
    char c = 0;
    pollfd wait{fds[0], POLLIN, 0};
    while (poll(&wait, 1, 30000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.isEmpty())
        return false;
    const QByteArray display = ':' + number;
    setenv("DISPLAY", display.constData(), 1);

    const char *const icewm[] = {"icewm", nullptr};
    if (access("/usr/bin/icewm", X_OK) == 0) {
        wm_ = Spawn(icewm, -1);
        // Ready once some client (the window manager) redirects the root window's substructure.
        Display *x = XOpenDisplay(display.constData());
        for (int i = 0; x && i < 100; ++i) {
            XWindowAttributes root{};
            XGetWindowAttributes(x, DefaultRootWindow(x), &root);
            if (root.all_event_masks & SubstructureRedirectMask)
                break;
            usleep(100000);
        }
        if (x)
            XCloseDisplay(x);
    }
    return true;
}
