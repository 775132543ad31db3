#include "platform/shell/shell.h"

#include <cstdio>
#include <utility>

namespace Shell {

namespace {

Answerer &installedAnswerer()
{
    static Answerer answerer;
    return answerer;
}

Answerer &installedPresenter()
{
    static Answerer presenter;
    return presenter;
}

}  // namespace

Answerer setAnswerer(Answerer answerer) { return std::exchange(installedAnswerer(), std::move(answerer)); }

Answer ask(const Request &request)
{
    // A copy, so that an answerer that replaces itself while answering stays alive until it returns.
    const Answerer answerer = installedAnswerer();
    if (answerer)
        return answerer(request);
    const Answerer presenter = installedPresenter();
    if (presenter)
        return presenter(request);
    // Nothing can show a dialog (a console tool, a test without an answerer): the text goes to stderr and
    // the answer is Cancel / No.
    std::fprintf(stderr, "%s\n", qPrintable(displayText(request.text)));
    return {};
}

Answerer setPresenter(Answerer presenter) { return std::exchange(installedPresenter(), std::move(presenter)); }

void notice(const QString &text, QWidget *parent)
{
    Request request;
    request.kind = Kind::Notice;
    request.text = text;
    request.parent = parent;
    ask(request);
}

void errorBox(const QString &text, QWidget *parent)
{
    Request request;
    request.kind = Kind::Error;
    request.text = text;
    request.parent = parent;
    ask(request);
}

bool confirm(const QString &text, QWidget *parent)
{
    Request request;
    request.kind = Kind::Confirm;
    request.text = text;
    request.parent = parent;
    return ask(request).accepted;
}

QString inputBox(const QString &title, const QString &prompt, const QString &initial, QWidget *parent)
{
    Request request;
    request.kind = Kind::Input;
    request.title = title;
    request.text = prompt;
    request.initial = initial;
    request.parent = parent;
    const Answer answer = ask(request);
    return answer.accepted ? answer.text : initial;
}

namespace {

QString choosePath(Kind kind, const QString &title, const QString &folder, const QString &filter, QWidget *parent)
{
    Request request;
    request.kind = kind;
    request.title = title;
    request.initial = folder;
    request.filter = filter;
    request.parent = parent;
    const Answer answer = ask(request);
    return answer.accepted ? answer.text : QString();
}

}  // namespace

QString openFileDialog(const QString &title, const QString &folder, QWidget *parent)
{
    return choosePath(Kind::OpenFile, title, folder, QString(), parent);
}

QString openFileDialog(const QString &title, const QString &folder, const QString &filter, QWidget *parent)
{
    return choosePath(Kind::OpenFile, title, folder, filter, parent);
}

QString saveFileDialog(const QString &title, const QString &folder, const QString &filter, QWidget *parent)
{
    return choosePath(Kind::SaveFile, title, folder, filter, parent);
}

QString BrowseForFolder(const QString &title, QWidget *parent)
{
    return choosePath(Kind::BrowseFolder, title, QString(), QString(), parent);
}

QString displayText(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

}  // namespace Shell
