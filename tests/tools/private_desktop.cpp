#include "private_desktop.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <X11/Xlib.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kReadyMs = 30000;  // how long a program may take to come up on a busy machine

// Starts `program` with `arguments` as a child that is sent SIGTERM when this process ends, on `display`
// when one is given; its stdout goes to `outFd` (or nowhere when -1), its stderr nowhere. Everything the
// child needs is prepared before the fork: the test may have threads, so the child only makes system calls
// before exec.
pid_t Spawn(const QString &program, const QList<QByteArray> &arguments, int outFd, const QByteArray &display = {})
{
    const QByteArray path = QStandardPaths::findExecutable(program).toLocal8Bit();
    if (path.isEmpty())
        return -1;
    QList<QByteArray> storage = {path};
    storage += arguments;
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    QList<QByteArray> environment;
    for (char **variable = environ; *variable; ++variable) {
        if (!display.isEmpty() && qstrncmp(*variable, "DISPLAY=", 8) == 0)
            continue;
        environment.push_back(*variable);
    }
    if (!display.isEmpty())
        environment.push_back("DISPLAY=" + display);
    std::vector<char *> envp;
    for (QByteArray &variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0)
        return -1;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        dup2(outFd >= 0 ? outFd : null, 1);
        dup2(null, 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(null);
    return pid;
}

bool Running(pid_t pid) { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }

void Stop(pid_t &pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    const QDeadlineTimer deadline(10000);
    while (waitpid(pid, nullptr, WNOHANG) == 0) {
        if (deadline.hasExpired()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            break;
        }
        usleep(20000);
    }
    pid = -1;
}

// Polls `ready` on a connection of its own until it holds, `pid` ends or the time is up.
bool WaitUntil(const QByteArray &display, pid_t pid, const std::function<bool(Display *)> &ready)
{
    Display *x = XOpenDisplay(display.constData());
    if (!x)
        return false;
    bool ok = false;
    const QDeadlineTimer deadline(kReadyMs);
    while (!(ok = ready(x)) && Running(pid) && !deadline.hasExpired())
        usleep(50000);
    XCloseDisplay(x);
    return ok;
}

}  // namespace

PrivateDesktop::~PrivateDesktop() { stop(); }

bool PrivateDesktop::installed(const QStringList &programs)
{
    for (const QString &program : programs) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            return false;
    }
    return true;
}

bool PrivateDesktop::fail(const QString &why)
{
    error_ = why;
    stop();
    return false;
}

bool PrivateDesktop::start(const DesktopOptions &options)
{
    stop();
    error_.clear();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return fail(QStringLiteral("no pipe for Xvfb"));
    // -displayfd: Xvfb picks a free display itself and writes its number once it accepts connections, so
    // tests that start at the same moment never share one.
    xvfb_ =
        Spawn(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"}, fds[1]);
    close(fds[1]);
    QByteArray number;
    char c = 0;
    pollfd out{fds[0], POLLIN, 0};
    const QDeadlineTimer deadline(kReadyMs);
    while (!deadline.hasExpired() && poll(&out, 1, int(deadline.remainingTime())) > 0 && read(fds[0], &c, 1) == 1 &&
           c != '\n')
        number += c;
    close(fds[0]);
    if (xvfb_ < 0)
        return fail(QStringLiteral("Xvfb is not installed"));
    if (number.isEmpty())
        return fail(QStringLiteral("Xvfb did not come up"));
    display_ = ':' + number;

    if (options.windowManager) {
        windowManager_ = Spawn(QStringLiteral("icewm"), {}, -1, display_);
        if (windowManager_ < 0)
            return fail(QStringLiteral("icewm is not installed"));
        // Ready once it redirects the root window's substructure: from then on it manages new windows.
        const bool managing = WaitUntil(display_, windowManager_, [](Display *x) {
            XWindowAttributes root{};
            XGetWindowAttributes(x, DefaultRootWindow(x), &root);
            return (root.all_event_masks & SubstructureRedirectMask) != 0;
        });
        if (!managing)
            return fail(QStringLiteral("icewm did not take the screen"));
    }
    if (options.trayHost) {
        trayHost_ =
            Spawn(QStringLiteral("trayer"),
                  {"--edge", "bottom", "--align", "right", "--widthtype", "pixel", "--width", "120", "--height", "24"},
                  -1, display_);
        if (trayHost_ < 0)
            return fail(QStringLiteral("trayer is not installed"));
        // Ready once it owns the system tray selection of the screen: icons can dock from then on.
        const bool hosting = WaitUntil(display_, trayHost_, [](Display *x) {
            const Atom tray = XInternAtom(x, "_NET_SYSTEM_TRAY_S0", False);
            return XGetSelectionOwner(x, tray) != None;
        });
        if (!hosting)
            return fail(QStringLiteral("trayer did not take the system tray"));
    }
    return true;
}

bool PrivateDesktop::startForApplication(const DesktopOptions &options)
{
    if (!start(options))
        return false;
    qputenv("DISPLAY", display_);
    qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}

void PrivateDesktop::stop()
{
    Stop(trayHost_);
    Stop(windowManager_);
    Stop(xvfb_);
    display_.clear();
}

bool Xdotool(const QByteArray &display, const QStringList &arguments)
{
    QProcess xdotool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    xdotool.setProcessEnvironment(environment);
    xdotool.start(QStringLiteral("xdotool"), arguments);
    if (!xdotool.waitForStarted(10000))
        return false;
    // xdotool never waits for us: whatever answers its keys on this thread does so only after it returns.
    if (!xdotool.waitForFinished(30000))
        return false;
    return xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}
