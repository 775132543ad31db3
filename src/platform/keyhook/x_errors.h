#pragma once
// Xlib reports protocol errors to one process-wide handler whose default ends the process. The hook's
// requests can fail for ordinary reasons (BadAccess when another client already grabs a key), so errors on
// the hook's own connection are collected here instead; errors on other connections go to the handler that
// was installed before.

#include <X11/Xlib.h>

#include <vector>

namespace keyhook {

struct XErrorRecord {
    unsigned long serial;
    int errorCode;
};

// Routes the errors of `display` to the collector from now on. Call again before each batch of requests
// that may fail, in case someone installed another handler in between.
void TrapErrors(Display *display);
// Stops collecting for `display` (before it is closed).
void UntrapErrors(Display *display);
// The connection to the X server can break (the server ends or crashes). Xlib's default reaction ends the
// whole process from the thread that noticed, so for `display` the loss is only recorded: the Xlib call
// that noticed returns, later calls fail at once, and ConnectionLost tells the owner to stop using it.
// Other connections keep the handler that was installed before.
void SurviveConnectionLoss(Display *display);
bool ConnectionLost(Display *display);
// Removes and returns the collected errors of requests with serial in [first, last).
std::vector<XErrorRecord> TakeErrors(unsigned long first, unsigned long last);

}  // namespace keyhook
