// The file and folder dialogs of the shell seam without a script: the real Qt dialogs appear with their
// titles and modes and give back what the user chose, or empty text for Cancel.

#include "tools/scripted_answers.h"
#include "platform/shell/shell.h"
#include "platform/shell/ui/shell_dialogs.h"
#include "tools/dialog_hand.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

// Types `text` into the dialog's file name field and presses Enter, as a user does.
void TypeAndEnter(QFileDialog *dialog, const QString &text)
{
    auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(field != nullptr);
    field->setText(text);
    QTest::keyClick(field, Qt::Key_Return);
}

}  // namespace

class TestShellDialogs : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { Shell::useQtDialogs(); }

    void folderBrowser()
    {
        const QString folder = m_dir.path() + "/Music/Album";
        QVERIFY(QDir().mkpath(folder));
        QString title;
        bool foldersOnly = false;
        bool readOnly = false;
        DialogHand<QFileDialog> hand([&](QFileDialog *dialog) {
            title = dialog->windowTitle();
            foldersOnly = dialog->fileMode() == QFileDialog::Directory && dialog->testOption(QFileDialog::ShowDirsOnly);
            readOnly = dialog->testOption(QFileDialog::ReadOnly);
            TypeAndEnter(dialog, folder + "/");
        });
        QCOMPARE(Shell::BrowseForFolder(QStringLiteral("Open Folder...")), folder);  // without the trailing "/"
        QVERIFY(hand.seen());
        QCOMPARE(title, QString("Open Folder..."));
        QVERIFY(foldersOnly);
        QVERIFY(readOnly);

        DialogHand<QFileDialog> cancel([](QFileDialog *dialog) { dialog->reject(); });
        QCOMPARE(Shell::BrowseForFolder(QStringLiteral("Browse for Folder")), QString());
        QVERIFY(cancel.seen());

        // The next dialog opens where this one was left.
        QString next;
        DialogHand<QFileDialog> again([&](QFileDialog *dialog) {
            next = dialog->directory().absolutePath();
            TypeAndEnter(dialog, "/");
        });
        QCOMPARE(Shell::BrowseForFolder(QStringLiteral("Browse for Folder")), QString("/"));
        QCOMPARE(next, folder);
    }

    void fileDialog()
    {
        const QString file = m_dir.path() + "/song.mp3";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QString title, start;
        bool existingFile = false;
        QStringList filters;
        DialogHand<QFileDialog> hand([&](QFileDialog *dialog) {
            title = dialog->windowTitle();
            start = dialog->directory().absolutePath();
            existingFile = dialog->fileMode() == QFileDialog::ExistingFile;
            filters = dialog->nameFilters();
            TypeAndEnter(dialog, "song.mp3");
        });
        QCOMPARE(Shell::openFileDialog(QStringLiteral("Open"), m_dir.path()), file);
        QVERIFY(hand.seen());
        QCOMPARE(title, QString("Open"));
        QCOMPARE(start, m_dir.path());
        QVERIFY(existingFile);
        QVERIFY(filters.isEmpty() || filters == QStringList{"All Files (*)"});

        DialogHand<QFileDialog> cancel([&](QFileDialog *dialog) {
            start = dialog->directory().absolutePath();
            dialog->reject();
        });
        QCOMPARE(Shell::openFileDialog(QStringLiteral("Open"), QString()), QString());
        QCOMPARE(start, m_dir.path());  // where the last dialog was left
    }

    void scriptedAnswersStandInForTheDialogs()
    {
        Shell::ScriptedAnswers answers;
        answers.pushPath("/music");
        answers.pushCancel();
        QCOMPARE(Shell::BrowseForFolder(QStringLiteral("Open Folder...")), QString("/music"));
        QCOMPARE(Shell::openFileDialog(QStringLiteral("Open"), "/start"), QString());
        QCOMPARE(Shell::openFileDialog(QStringLiteral("Open"), "/start"), QString());  // the script ran out
        QCOMPARE(answers.requests().size(), 3);
        QCOMPARE(answers.requests().at(0).kind, Shell::Kind::BrowseFolder);
        QCOMPARE(answers.requests().at(1).kind, Shell::Kind::OpenFile);
        QCOMPARE(answers.requests().at(1).initial, QString("/start"));
    }
};

QTEST_MAIN(TestShellDialogs)
#include "test_shell_dialogs.moc"
