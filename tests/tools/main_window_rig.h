#pragma once
// The main window as the program's other windows find it: a Tform_main set as form_main, with the scripted
// stand-in for the user answering every dialog so that none ever blocks a test. The answers are in place
// before the window is made (its player's start may already report) and outlive it; form_main is cleared
// when the window goes.

#include "app/ui/form_main.h"
#include "tools/scripted_answers.h"

struct MainWindowRig {
    MainWindowRig() : form(new Tform_main) { form_main = form; }
    ~MainWindowRig()
    {
        delete form;
        form_main = nullptr;
    }
    MainWindowRig(const MainWindowRig &) = delete;
    MainWindowRig &operator=(const MainWindowRig &) = delete;

    Shell::ScriptedAnswers answers;  // made first, gone last
    Tform_main *form;
};
