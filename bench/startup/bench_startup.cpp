// Start-up as a user sees it: from process start to the tray icon docked in the tray host, polled from
// outside through the X server, beside a minimal Qt tray program measured in the same run; and the resident
// memory after a few seconds idle in the tray.
//
// Prints startup_to_tray_ms, startup_qt_floor_ms, startup_ratio_vs_qt_floor and idle_rss_mb. Needs DISPLAY
// with a tray host (scripts/bench starts one) and DAK_BUILD_DIR (the folder of dak-mp3 and its files).

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// True when a viewable window of class `wmClass`, no larger than an icon, sits below a tray host.
bool iconDocked(Display *dpy, Window w, const char *wmClass, int depth = 0)
{
    XClassHint hint{};
    if (depth > 0 && XGetClassHint(dpy, w, &hint)) {
        const bool match = hint.res_name && std::string(hint.res_name) == wmClass;
        XFree(hint.res_name);
        XFree(hint.res_class);
        XWindowAttributes a{};
        if (match && XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable && a.width <= 64 && a.height <= 64 &&
            depth > 1)
            return true;
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, w, &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i)
        found = iconDocked(dpy, children[i], wmClass, depth + 1);
    if (children)
        XFree(children);
    return found;
}

// Milliseconds from start to docked icon; the process is left running in `process`.
double timeToTray(Display *dpy, QProcess &process, const QString &program, const QStringList &args, const char *wmClass)
{
    // The icon of the run before may still sit in the tray until the tray host has handled its end (slow on
    // a busy machine): the clock starts only once it is gone, so that it is not taken for the new one.
    QElapsedTimer gone;
    gone.start();
    while (iconDocked(dpy, DefaultRootWindow(dpy), wmClass) && gone.elapsed() < 10000)
        QThread::msleep(5);
    QElapsedTimer t;
    t.start();
    process.start(program, args);
    while (t.elapsed() < 20000) {
        if (iconDocked(dpy, DefaultRootWindow(dpy), wmClass))
            return t.nsecsElapsed() / 1e6;
        QThread::usleep(500);
    }
    return -1;
}

void stop(QProcess &process)
{
    process.kill();
    process.waitForFinished(5000);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

double rssMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

// A program folder with the program, its files, a configuration with 21 hotkeys and a library of 50 sets.
bool prepareProgramFolder(const QString &buildDir, const QString &folder)
{
    const QDir build(buildDir);
    for (const QString &name : build.entryList({"dak-mp3", "*.ico", "*.bmp", "*.mp3"}, QDir::Files))
        if (!QFile::copy(build.filePath(name), folder + '/' + name))
            return false;
    QFile::setPermissions(folder + "/dak-mp3", QFile::permissions(build.filePath("dak-mp3")));
    const char *keys[] = {"ShowWindow",
                          "SetRewindTime",
                          "SetFastForwardTime",
                          "ConfigureHotkeys",
                          "ModifyAudioSettings",
                          "ManageLibrary",
                          "OpenFile",
                          "OpenFolder",
                          "OpenURL",
                          "Play",
                          "Pause",
                          "Stop",
                          "Rewind",
                          "FastForward",
                          "ShowMiniInfo",
                          "PreviousSong",
                          "NextSong",
                          "PlayRandomSet",
                          "PlayRandomSong",
                          "About",
                          "Exit"};
    const char *texts[] = {"F1",      "F2",      "F3",      "F4",      "F5",      "F6",      "F7",
                           "F8",      "F9",      "F10",     "F11",     "F12",     "Ctrl+F1", "Ctrl+F2",
                           "Ctrl+F3", "Ctrl+F4", "Ctrl+F5", "Ctrl+F6", "Ctrl+F7", "Ctrl+F8", "Ctrl+F9"};
    QByteArray conf = "[Options]\r\nlibraryfolder=" + folder.toUtf8() + "/\r\n[Hotkeys]\r\n";
    for (int i = 0; i < 21; ++i)
        conf += QByteArray(keys[i]) + '=' + texts[i] + "\r\n";
    conf += "[SystemWide]\r\n";
    for (int i = 0; i < 21; ++i)
        conf += QByteArray(keys[i]) + "=0\r\n";
    QFile c(folder + "/devud3.dat");
    if (!c.open(QIODevice::WriteOnly) || c.write(conf) != conf.size())
        return false;
    QByteArray lib;
    for (int s = 0; s < 50; ++s) {
        const QByteArray name = "Set " + QByteArray::number(s);
        lib += name + "\r\n";
        QByteArray set;
        for (int k = 0; k < 40; ++k)
            set += "Song " + QByteArray::number(k) + "=" + folder.toUtf8() + "/demo.mp3\r\n";
        QFile f(folder + '/' + name + ".set");
        if (!f.open(QIODevice::WriteOnly) || f.write(set) != set.size())
            return false;
    }
    QFile l(folder + "/setlib.dat");
    return l.open(QIODevice::WriteOnly) && l.write(lib) == lib.size();
}

}  // namespace

int main()
{
    const QString buildDir = qEnvironmentVariable("DAK_BUILD_DIR");
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy || buildDir.isEmpty()) {
        std::fprintf(stderr, "bench_startup: needs DISPLAY with a tray host and DAK_BUILD_DIR\n");
        return 1;
    }
    // Windows come and go while the tree is walked (a program starting or ending): a window that is gone
    // between its listing and its query is skipped rather than ending the benchmark.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    QTemporaryDir folder;
    if (!prepareProgramFolder(buildDir, folder.path())) {
        std::fprintf(stderr, "bench_startup: cannot prepare %s\n", qPrintable(folder.path()));
        return 1;
    }
    const QString floorProgram = QDir(buildDir).filePath("bench/startup/qt_tray_floor");

    std::vector<double> ours, floor;
    for (int run = 0; run < 5; ++run) {
        // Alternate, so both see the same machine state.
        QProcess a, b;
        ours.push_back(timeToTray(dpy, a, folder.path() + "/dak-mp3", {}, "dak-mp3"));
        stop(a);
        floor.push_back(timeToTray(dpy, b, floorProgram, {}, "qt_tray_floor"));
        stop(b);
        QThread::msleep(200);
    }
    QProcess idle;
    timeToTray(dpy, idle, folder.path() + "/dak-mp3", {}, "dak-mp3");
    QThread::sleep(5);
    const double rss = rssMb(idle.processId());
    stop(idle);

    const double o = median(ours), f = median(floor);
    std::printf("startup_to_tray_ms: %.1f\n", o);
    std::printf("startup_qt_floor_ms: %.1f\n", f);
    std::printf("startup_ratio_vs_qt_floor: %.2f\n", f > 0 ? o / f : -1.0);
    std::printf("idle_rss_mb: %.1f\n", rss);
    XCloseDisplay(dpy);
    return 0;
}
