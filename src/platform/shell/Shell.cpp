#include "platform/shell/Shell.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

#include <cstdio>
#include <utility>

namespace Shell {

namespace {

Answerer &installedAnswerer()
{
    static Answerer answerer;
    return answerer;
}

// Where a file or folder dialog without a starting folder opens: where the last one was left.
QString &lastFolder()
{
    static QString folder;
    return folder;
}

QString windowTitle(const Request &request)
{
    return request.title.isEmpty() ? QCoreApplication::applicationName() : request.title;
}

Answer showDialog(const Request &request)
{
    // Dialogs need a QApplication. A program without one (a console tool, a test without an answerer) gets
    // the text on stderr and the answer of Cancel / No, instead of a crash.
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr) {
        std::fprintf(stderr, "%s\n", qPrintable(displayText(request.text)));
        return {};
    }

    switch (request.kind) {
    case Kind::Error: {
        QMessageBox box(QMessageBox::Critical, windowTitle(request), displayText(request.text), QMessageBox::Ok,
                        request.parent);
        box.setTextFormat(Qt::PlainText);  // file names may hold '<' and '&'
        box.exec();
        return {true, {}};
    }
    case Kind::Notice: {
        auto *box = new QMessageBox(QMessageBox::Information, windowTitle(request), displayText(request.text),
                                    QMessageBox::Ok, request.parent);
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
        return {true, {}};
    }
    case Kind::Confirm: {
        QMessageBox box(QMessageBox::Question, windowTitle(request), displayText(request.text),
                        QMessageBox::Yes | QMessageBox::No, request.parent);
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::Yes);
        return {box.exec() == QMessageBox::Yes, {}};
    }
    case Kind::Input: {
        QInputDialog dialog(request.parent);
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setWindowTitle(windowTitle(request));
        dialog.setLabelText(displayText(request.text));
        dialog.setTextValue(request.initial);
        if (dialog.exec() == QDialog::Accepted)
            return {true, dialog.textValue()};
        return {false, request.initial};
    }
    case Kind::OpenFile:
    case Kind::BrowseFolder: {
        const bool folder = request.kind == Kind::BrowseFolder;
        QString start = request.initial;
        if (start.isEmpty())
            start = lastFolder().isEmpty() ? QDir::homePath() : lastFolder();
        QFileDialog dialog(request.parent, windowTitle(request), start);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (folder) {
            // Folders only, and nothing to create, rename or delete in the browser.
            dialog.setFileMode(QFileDialog::Directory);
            dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly);
        } else {
            dialog.setFileMode(QFileDialog::ExistingFile);
            if (!request.filter.isEmpty())
                dialog.setNameFilters(request.filter.split(QStringLiteral(";;")));
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        const QString chosen = dialog.selectedFiles().constFirst();
        lastFolder() = folder ? QDir::cleanPath(chosen) : QFileInfo(chosen).absolutePath();
        return {true, folder ? QDir::cleanPath(chosen) : chosen};
    }
    case Kind::SaveFile: {
        QFileDialog dialog(request.parent, windowTitle(request),
                           request.initial.isEmpty() ? QDir::currentPath() : request.initial);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!request.filter.isEmpty())
            dialog.setNameFilters(request.filter.split(QStringLiteral(";;")));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return {true, dialog.selectedFiles().constFirst()};
    }
    }
    return {};
}

}  // namespace

Answerer setAnswerer(Answerer answerer)
{
    return std::exchange(installedAnswerer(), std::move(answerer));
}

Answer ask(const Request &request)
{
    // A copy, so that an answerer that replaces itself while answering stays alive until it returns.
    const Answerer answerer = installedAnswerer();
    return answerer ? answerer(request) : showDialog(request);
}

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
