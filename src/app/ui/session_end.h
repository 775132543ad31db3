#pragma once
// Ending the program from outside: SIGTERM, SIGINT and SIGHUP, the session manager's logout, and the process
// being ended by exit() while the event loop still runs (the toolkit does that when the X server goes away).
// Each saves what Exit saves, without asking anything, and the signals and the lost display then quit.
//
// Signals are only noted by their handler (a byte down a pipe); the save runs on the UI thread. A second
// signal while the first is still being handled ends the process at once with that signal's default action;
// every file the save writes is replaced whole or not at all, so nothing is left half written.

#include <functional>

namespace session_end {

// Installs the handling. `save` writes what Exit writes and reports failures without any dialog. Call once,
// on the UI thread, after the windows exist and before the event loop runs.
void Install(std::function<void()> save);
// Saves (once) and quits the event loop. UI thread only.
void SaveAndQuit();
// The event loop has ended the ordinary way (Exit saved already): nothing is left to save at exit.
void Disarm();

}  // namespace session_end
