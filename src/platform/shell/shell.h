#pragma once
// Every message box, confirmation and input box of the program goes through this seam. The seam itself needs
// QtCore only, so the cores that report through it (library store, folder import, ...) link no widgets: the
// program registers the presenter that shows the Qt dialogs (Shell::useQtDialogs() in
// platform/shell/ui/ShellDialogs.h); a test installs an answerer that sees each request and answers it
// instead, so no dialog opens. With neither, the text goes to stderr and the answer is Cancel / No.
//
// To add a kind of dialog (file open, folder browser, ...): add a Kind, the fields it needs to Request,
// a function below that fills a Request and calls ask(), and the Qt dialog in ui/ShellDialogs.cpp.
//
// Texts are handed over exactly as the program builds them: a carriage return (0x0D) joins the parts of a
// two-part text, and the Qt dialog shows it as a line break.
//
// Only the user-interface thread may call these functions.

#include <QString>

#include <functional>

class QWidget;

namespace Shell {

enum class Kind {
    Error,         // error icon, one OK button
    Confirm,       // question icon, Yes and No
    Input,         // title, prompt, an edit field holding the initial text, OK and Cancel
    OpenFile,      // file-open dialog: title, the folder it starts in (initial); answers the chosen file
    BrowseFolder,  // folder browser: title, the folder it starts in (initial); answers the chosen folder
    SaveFile,      // file-save dialog: title, the folder it starts in (initial), filter; answers the name
    Notice,        // information icon, one OK button; not modal: the call returns at once
};

struct Request {
    Kind kind = Kind::Error;
    QString title;    // window title; empty means the application's name
    QString text;     // message, question or prompt
    QString initial;  // Input: the text the field starts with; OpenFile, BrowseFolder: the starting folder
    QString filter;   // OpenFile, SaveFile: name filters separated by ";;"; empty: every file
    QWidget *parent = nullptr;
};

struct Answer {
    bool accepted = false;  // OK / Yes; false for Cancel / No
    QString text;           // Input: the text the user confirmed; OpenFile, BrowseFolder: the chosen path
};

using Answerer = std::function<Answer(const Request &)>;

// Replaces the Qt dialogs with an answerer; an empty answerer brings the Qt dialogs back.
// Returns the answerer that was installed before.
Answerer setAnswerer(Answerer answerer);

// Registers what shows the dialogs when no answerer is installed (the Qt dialogs); empty: none.
// Returns the presenter that was registered before.
Answerer setPresenter(Answerer presenter);

// Routes a request to the installed answerer or, without one, to the registered presenter.
Answer ask(const Request &request);

// Shows an error box and returns when the user closed it.
void errorBox(const QString &text, QWidget *parent = nullptr);

// Tells the user something without waiting: the box stays up beside the program until the user closes it.
void notice(const QString &text, QWidget *parent = nullptr);

// Asks a Yes/No question; true for Yes.
bool confirm(const QString &text, QWidget *parent = nullptr);

// Asks for a line of text. Cancel returns the initial text unchanged.
QString inputBox(const QString &title, const QString &prompt, const QString &initial, QWidget *parent = nullptr);

// Lets the user choose one existing file (every file is shown, no filter), starting in `folder` (empty: the
// folder where the last file or folder dialog was left, at first the home folder). Returns its full path, or
// empty text when the user cancels.
QString openFileDialog(const QString &title, const QString &folder, QWidget *parent = nullptr);

// The same with the name filters `filter` ("Songs (*.mp3);;All files (*)"), the first one chosen at first.
QString openFileDialog(const QString &title, const QString &folder, const QString &filter, QWidget *parent = nullptr);
// Lets the user name a file to save, starting in `folder`, offering the name filters `filter`; an existing file
// is replaced only after the user agreed. Returns the full path as chosen (no extension is added), or empty
// text when the user cancels.
QString saveFileDialog(const QString &title, const QString &folder, const QString &filter, QWidget *parent = nullptr);

// The folder browser: lets the user choose a folder, starting where the last file or folder dialog was left
// (at first in the home folder). Returns the folder's full path without a trailing "/" (only the root folder
// is "/"), or empty text when the user cancels.
QString BrowseForFolder(const QString &title, QWidget *parent = nullptr);

// The text as a dialog shows it: each carriage return, alone or before a line feed, becomes one line break.
QString displayText(const QString &text);

}  // namespace Shell
