#include "keyhook.h"

#include "x_keyboard.h"

#include <QCoreApplication>
#include <QObject>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace keyhook {

namespace {

// What the UI thread and the hook's thread share during one enabled period. Deliveries still queued on the
// UI thread after DisableHook hold their own reference and find the session stopped.
struct Session {
    std::mutex mutex;
    std::condition_variable answered;
    bool stop = false;
    std::optional<std::vector<uint16_t>> newGrabs;
    std::vector<uint16_t> grabbed;
    std::vector<uint16_t> failed;

    // The delivery waiting for its answer (request 0: none).
    uint64_t request = 0;
    bool hasAnswer = false;
    int answer = 1;
};

struct HookState {
    HookWindow *window = nullptr;
    std::shared_ptr<Session> session;
    std::thread thread;
    QObject *receiver = nullptr;  // lives on the UI thread; deliveries run in its context
    int wakeRead = -1;
    int wakeWrite = -1;

    // The process can end through exit() with the hook still enabled (the toolkit does so when the X
    // server goes away). A thread still joinable here would abort the process: end it first.
    ~HookState()
    {
        if (!thread.joinable())
            return;
        if (thread.get_id() == std::this_thread::get_id()) {
            thread.detach();
            return;
        }
        {
            std::lock_guard lock(session->mutex);
            session->stop = true;
        }
        session->answered.notify_all();
        const char byte = 1;
        [[maybe_unused]] ssize_t written = write(wakeWrite, &byte, 1);
        thread.join();
    }
};

HookState &state()
{
    static HookState s;
    return s;
}

void Wake()
{
    const char byte = 1;
    [[maybe_unused]] ssize_t written = write(state().wakeWrite, &byte, 1);
}

std::vector<uint16_t> AskWindow()
{
    HookWindow *window = state().window;
    return window ? window->systemWideShortcuts() : std::vector<uint16_t>{};
}

// How long the keyboard may stay frozen waiting for the window's answer. A window that answers later still
// gets its message, but its key has been passed on by then.
constexpr std::chrono::milliseconds kAnswerTimeout{1000};

// The window that had the input focus at the press being delivered (UI thread; 0 outside a delivery).
unsigned long g_focusAtKey = 0;

// UI thread: hands one queued delivery to the window and passes its answer back.
void Serve(const std::shared_ptr<Session> &session, uint64_t request, uint16_t wParam, int32_t lParam,
           unsigned long focus)
{
    {
        std::lock_guard lock(session->mutex);
        if (session->stop)
            return;
    }
    HookWindow *window = state().window;
    // An action may run an event loop of its own, and deliveries inside it: keep the outer one's focus.
    const unsigned long outer = g_focusAtKey;
    g_focusAtKey = focus;
    const int answer = window ? window->hookMessage(wParam, lParam) : 1;
    g_focusAtKey = outer;
    {
        std::lock_guard lock(session->mutex);
        if (session->request == request) {
            session->hasAnswer = true;
            session->answer = answer;
        }
    }
    session->answered.notify_all();
}

// Hook thread: asks the window on the UI thread and waits for the answer, for the hook to be disabled, or
// until the keyboard has been held long enough.
bool Deliver(const std::shared_ptr<Session> &session, QObject *receiver, uint16_t wParam, int32_t lParam,
             unsigned long focus)
{
    static uint64_t lastRequest = 0;
    uint64_t request = 0;
    {
        std::lock_guard lock(session->mutex);
        if (session->stop)
            return true;
        request = ++lastRequest;
        session->request = request;
        session->hasAnswer = false;
    }
    QMetaObject::invokeMethod(
        receiver, [session, request, wParam, lParam, focus] { Serve(session, request, wParam, lParam, focus); },
        Qt::QueuedConnection);
    std::unique_lock lock(session->mutex);
    session->answered.wait_for(lock, kAnswerTimeout, [&] { return session->hasAnswer || session->stop; });
    const int answer = session->hasAnswer ? session->answer : 1;
    session->request = 0;
    session->hasAnswer = false;
    return answer != 0;
}

void Run(std::shared_ptr<Session> session, std::unique_ptr<XKeyboard> keyboard, QObject *receiver, int wakeRead)
{
    auto onKey = [&](uint16_t shortcut, bool repeat, unsigned long focus) {
        return Deliver(session, receiver, shortcut, repeat ? 0 : 1, focus);
    };
    for (;;) {
        std::optional<std::vector<uint16_t>> newGrabs;
        {
            std::lock_guard lock(session->mutex);
            if (session->stop)
                break;
            newGrabs.swap(session->newGrabs);
        }
        if (newGrabs) {
            keyboard->setGrabs(*newGrabs);
            std::lock_guard lock(session->mutex);
            session->grabbed = keyboard->grabbed();
            session->failed = keyboard->failed();
        }
        keyboard->dispatchEvents(onKey);
        if (keyboard->lost()) {
            QMetaObject::invokeMethod(
                receiver,
                [session] {
                    HookWindow *window = state().window;
                    if (!session->stop && window)
                        window->displayLost();
                },
                Qt::QueuedConnection);
            break;
        }
        {
            std::lock_guard lock(session->mutex);
            session->grabbed = keyboard->grabbed();
            session->failed = keyboard->failed();
            if (session->stop)
                break;
            if (session->newGrabs)
                continue;
        }
        pollfd fds[2] = {{keyboard->fd(), POLLIN, 0}, {wakeRead, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents & POLLIN) {
            char buffer[64];
            while (read(wakeRead, buffer, sizeof buffer) > 0) { }
        }
    }
    keyboard.reset();  // releases every grab and closes the connection
}

}  // namespace

int SetHookWindow(HookWindow *window)
{
    state().window = window;
    if (IsHookEnabled())
        ReloadGrabs();
    return 1;
}

int EnableHook()
{
    HookState &s = state();
    if (s.session)
        return 1;
    if (!QCoreApplication::instance())
        return 0;
    // A connection of our own: the hook must keep working whatever the toolkit's connection does.
    std::unique_ptr<XKeyboard> keyboard = XKeyboard::Open();
    if (!keyboard)
        return 0;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return 0;
    keyboard->setGrabs(AskWindow());
    auto session = std::make_shared<Session>();
    session->grabbed = keyboard->grabbed();
    session->failed = keyboard->failed();
    s.session = session;
    s.wakeRead = fds[0];
    s.wakeWrite = fds[1];
    s.receiver = new QObject;
    s.thread = std::thread(Run, session, std::move(keyboard), s.receiver, s.wakeRead);
    return 1;
}

int DisableHook()
{
    HookState &s = state();
    if (!s.session)
        return 0;
    {
        std::lock_guard lock(s.session->mutex);
        s.session->stop = true;
    }
    s.session->answered.notify_all();
    Wake();
    s.thread.join();
    close(s.wakeRead);
    close(s.wakeWrite);
    s.wakeRead = s.wakeWrite = -1;
    // Possibly inside one of its own deliveries: let the event loop delete it.
    s.receiver->deleteLater();
    s.receiver = nullptr;
    s.session.reset();
    return 0;
}

bool IsHookEnabled() { return state().session != nullptr; }

unsigned long FocusAtKey() { return g_focusAtKey; }

void ReloadGrabs()
{
    HookState &s = state();
    if (!s.session)
        return;
    std::vector<uint16_t> wanted = AskWindow();
    {
        std::lock_guard lock(s.session->mutex);
        s.session->newGrabs = std::move(wanted);
    }
    Wake();
}

std::vector<uint16_t> GrabbedShortcuts()
{
    HookState &s = state();
    if (!s.session)
        return {};
    std::lock_guard lock(s.session->mutex);
    return s.session->grabbed;
}

std::vector<uint16_t> FailedShortcuts()
{
    HookState &s = state();
    if (!s.session)
        return {};
    std::lock_guard lock(s.session->mutex);
    return s.session->failed;
}

}  // namespace keyhook
