#include "x_errors.h"

#include <algorithm>
#include <mutex>

namespace keyhook {

namespace {

std::mutex g_mutex;
Display *g_display = nullptr;
XErrorHandler g_previous = nullptr;
std::vector<XErrorRecord> g_errors;
XIOErrorHandler g_previousIO = nullptr;
Display *g_survivor = nullptr;
bool g_lost = false;

int CollectError(Display *display, XErrorEvent *event)
{
    XErrorHandler previous = nullptr;
    {
        std::lock_guard lock(g_mutex);
        if (display == g_display) {
            g_errors.push_back({event->serial, event->error_code});
            return 0;
        }
        previous = g_previous;
    }
    return previous ? previous(display, event) : 0;
}

int NoticeIOError(Display *display)
{
    XIOErrorHandler previous = nullptr;
    {
        std::lock_guard lock(g_mutex);
        if (display == g_survivor) {
            g_lost = true;
            return 0;
        }
        previous = g_previousIO;
    }
    return previous ? previous(display) : 0;
}

void ReturnFromIOError(Display *display, void *)
{
    std::lock_guard lock(g_mutex);
    if (display == g_survivor)
        g_lost = true;
}

}  // namespace

void SurviveConnectionLoss(Display *display)
{
    {
        std::lock_guard lock(g_mutex);
        g_survivor = display;
        g_lost = false;
    }
    XIOErrorHandler previous = XSetIOErrorHandler(NoticeIOError);
    XSetIOErrorExitHandler(display, ReturnFromIOError, nullptr);
    std::lock_guard lock(g_mutex);
    if (previous != NoticeIOError)
        g_previousIO = previous;
}

bool ConnectionLost(Display *display)
{
    std::lock_guard lock(g_mutex);
    return display == g_survivor && g_lost;
}

void TrapErrors(Display *display)
{
    {
        std::lock_guard lock(g_mutex);
        g_display = display;
    }
    // Outside the lock: Xlib takes its own global lock here, and the handler takes ours.
    XErrorHandler previous = XSetErrorHandler(CollectError);
    std::lock_guard lock(g_mutex);
    if (previous != CollectError)
        g_previous = previous;
}

void UntrapErrors(Display *display)
{
    std::lock_guard lock(g_mutex);
    if (g_display == display) {
        g_display = nullptr;
        g_errors.clear();
    }
    if (g_survivor == display) {
        g_survivor = nullptr;
        g_lost = false;
    }
}

std::vector<XErrorRecord> TakeErrors(unsigned long first, unsigned long last)
{
    std::lock_guard lock(g_mutex);
    std::vector<XErrorRecord> taken;
    auto inRange = [&](const XErrorRecord &e) { return e.serial >= first && e.serial < last; };
    std::copy_if(g_errors.begin(), g_errors.end(), std::back_inserter(taken), inRange);
    std::erase_if(g_errors, inRange);
    return taken;
}

}  // namespace keyhook
