#include "platform/desktop/taskbar_entry.h"

#include <QGuiApplication>
#include <QWidget>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// _NET_WM_STATE client message actions.
constexpr long kRemove = 0;
constexpr long kAdd = 1;

bool HasAtom(Display *display, Window window, Atom property, Atom wanted)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data) !=
        Success)
        return false;
    bool found = false;
    if (data && type == XA_ATOM && format == 32) {
        const auto *atoms = reinterpret_cast<const Atom *>(data);
        for (unsigned long i = 0; i < count && !found; ++i)
            found = atoms[i] == wanted;
    }
    if (data)
        XFree(data);
    return found;
}

}  // namespace

void SetSkipTaskbar(QWidget *window, bool skip)
{
    auto *x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !window || !window->isWindow() || !window->testAttribute(Qt::WA_WState_Created))
        return;
    Display *display = x11->display();
    if (!display)  // the offscreen platform answers for X11 without a connection
        return;
    const auto id = static_cast<Window>(window->winId());
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom skipTaskbar = XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False);

    // An unmapped window carries its wish in the property, which the toolkit keeps when it maps the window;
    // a mapped one asks the window manager.
    XWindowAttributes attributes;
    const bool mapped = XGetWindowAttributes(display, id, &attributes) && attributes.map_state != IsUnmapped;
    if (mapped) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = id;
        event.xclient.message_type = state;
        event.xclient.format = 32;
        event.xclient.data.l[0] = skip ? kAdd : kRemove;
        event.xclient.data.l[1] = static_cast<long>(skipTaskbar);
        event.xclient.data.l[3] = 1;  // from a normal application
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
    } else if (skip && !HasAtom(display, id, state, skipTaskbar)) {
        XChangeProperty(display, id, state, XA_ATOM, 32, PropModeAppend,
                        reinterpret_cast<const unsigned char *>(&skipTaskbar), 1);
    } else if (!skip && HasAtom(display, id, state, skipTaskbar)) {
        XDeleteProperty(display, id, state);  // the toolkit sets its own states again when it maps
    }
    XFlush(display);
}
