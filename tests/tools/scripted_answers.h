#pragma once
// A test's stand-in for the user in front of the dialogs: while an instance lives, every request of the shell
// seam is recorded and answered from a script, in order, instead of showing a dialog. Error boxes are only
// recorded: they take no answer from the script. When the script has run out, each question is answered with
// Cancel / No (an input box then returns its initial text, a file or folder dialog empty text).

#include "platform/shell/shell.h"

#include <QList>
#include <QStringList>

#include <deque>

namespace Shell {

class ScriptedAnswers {
public:
    ScriptedAnswers();
    ~ScriptedAnswers();
    ScriptedAnswers(const ScriptedAnswers &) = delete;
    ScriptedAnswers &operator=(const ScriptedAnswers &) = delete;

    void push(Answer answer);
    void pushYes() { push({true, {}}); }
    void pushNo() { push({false, {}}); }
    void pushText(const QString &text) { push({true, text}); }
    void pushCancel() { push({false, {}}); }
    void pushPath(const QString &path) { push({true, path}); }  // a file or folder dialog's choice

    const QList<Request> &requests() const { return requests_; }
    QStringList texts() const;  // the text of each request, in order
    int pending() const { return static_cast<int>(script_.size()); }
    void clear();

private:
    Answer answer(const Request &request);

    QList<Request> requests_;
    std::deque<Answer> script_;
    Answerer previous_;
};

}  // namespace Shell
