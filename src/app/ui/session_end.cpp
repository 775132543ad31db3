#include "session_end.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QThread>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace session_end {

namespace {

std::function<void()> g_save;
bool g_saved = false;
bool g_armed = false;
std::thread::id g_uiThread;
int g_pipe[2] = {-1, -1};
std::atomic<int> g_signals{0};

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void OnSignal(int sig)
{
    if (g_signals.fetch_add(1) > 0) {
        // Asked again while the first is being handled: end now, the way this signal ends a process.
        std::signal(sig, SIG_DFL);
        std::raise(sig);
        return;
    }
    const auto byte = static_cast<char>(sig);
    [[maybe_unused]] ssize_t written = write(g_pipe[1], &byte, 1);
}

void SaveOnce()
{
    if (g_saved || !g_save)
        return;
    g_saved = true;
    g_save();
}

// exit() called while the event loop runs: save on the UI thread's way out. Another thread calling exit()
// cannot touch the windows safely, and outside the loop the program is starting or has ended already, so
// then nothing is saved.
void SaveAtExit()
{
    if (g_armed && std::this_thread::get_id() == g_uiThread && QThread::currentThread()->loopLevel() > 0)
        SaveOnce();
}

}  // namespace

void Install(std::function<void()> save)
{
    g_save = std::move(save);
    g_uiThread = std::this_thread::get_id();
    g_armed = true;
    std::atexit(SaveAtExit);

    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier] {
            char buffer[16];
            while (read(g_pipe[0], buffer, sizeof buffer) > 0) { }
            notifier->setEnabled(false);
            SaveAndQuit();
        });
        struct sigaction action = {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int sig : kSignals)
            sigaction(sig, &action, nullptr);
    }

    // Logout: the session manager asks every program to save its data before the session ends. Nothing may
    // be asked here; the quit itself follows from the session manager.
    if (auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        QObject::connect(gui, &QGuiApplication::commitDataRequest, gui, [](QSessionManager &manager) {
            Q_UNUSED(manager);
            if (g_save)
                g_save();
        });
    }
}

void SaveAndQuit()
{
    SaveOnce();
    QCoreApplication::quit();
}

void Disarm() { g_armed = false; }

}  // namespace session_end
