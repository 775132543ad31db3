#include "platform/shell/ui/shell_dialogs.h"

#include "platform/shell/shell.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

#include <cstdio>

namespace Shell {

namespace {

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

void useQtDialogs() { setPresenter(showDialog); }

}  // namespace Shell
