#pragma once
// The main window's side of the one-instance rule: a command line handed over by a later start is handled
// as the program's own (HandleCommandLine); an empty one, and one holding the show switch, bring up the main
// window. Command lines that arrive before the start-up has run wait for it, so they meet a configured
// player and override nothing the start-up does.

namespace instance {
class SingleInstance;
}

void AcceptHandedOverCommandLines(instance::SingleInstance &instance);
