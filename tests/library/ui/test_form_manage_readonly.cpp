// The library manager on a library folder that cannot be written: moving a song and a set, removing a set,
// adding songs and the close button each tell the user which file could not be written, the lists keep what
// the user did, the window stays open after a failed close, and every file on disk stays byte for byte as it
// was.
//
// The window runs in this program started again with a switch. Without root rights the folder is made
// read-only with its mode; as root, modes do not stop a write, so the child runs inside a private mount
// namespace in which the folder is a read-only bind mount (and the case is skipped where that is not allowed).

#include "app/ui/form_main.h"
#include "library/ui/library_views.h"
#include "library/ui/form_manage.h"
#include "library/ui/form_newset.h"
#include "library/store/library_store.h"
#include "widgets/DirTree.h"
#include "widgets/file_list_box.h"
#include "tools/scripted_answers.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cstdio>
#include <unistd.h>

namespace {

const char *const kChildSwitch = "--manage-child";

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Print(const char *label, const QStringList &lines)
{
    std::printf("%s: %s\n", label, qPrintable(lines.join(u'|')));
}

QStringList Items(const QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}

// Works the manager window on the library in `folder` and prints what the user was told and saw.
int RunChild(const QString &folder)
{
    Shell::ScriptedAnswers answers;
    form_main = new Tform_main;
    form_main->Views().TreeImageFolder = qEnvironmentVariable("DAK_BUILD_DIR");
    form_newset = new Tform_newset;
    form_manage = new Tform_manage;
    form_main->settings.Options.libraryfolder = folder;
    form_manage->show();
    if (!QTest::qWaitForWindowExposed(form_manage))
        return 2;

    int told = 0;
    const auto step = [&](const char *name) {
        const QStringList texts = answers.texts();
        std::printf("== %s\n", name);
        for (; told < texts.size(); ++told)
            std::printf("told: %s\n", qPrintable(QString(texts.at(told)).replace(u'\r', u' ')));
    };
    step("show");
    form_manage->listbox_song->setCurrentRow(0);
    QTest::mouseClick(form_manage->speedbutton_songdown, Qt::LeftButton);
    step("song down");
    Print("songs", Items(form_manage->listbox_song));
    QTest::mouseClick(form_manage->speedbutton_setdown, Qt::LeftButton);
    step("set down");
    Print("sets", Items(form_manage->listbox_set));
    QTest::mouseClick(form_manage->button_close, Qt::LeftButton);
    step("close");
    std::printf("visible after close: %d\n", form_manage->isVisible() ? 1 : 0);
    answers.pushYes();
    form_manage->listbox_set->setCurrentRow(1);  // Rock, after the move that was not saved
    QTest::mouseClick(form_manage->speedbutton_removeset, Qt::LeftButton);
    step("remove set");
    Print("sets", Items(form_manage->listbox_set));
    // Two files picked: one write for both, which fails; both stay in the list, unsaved.
    form_manage->dirtree->SelectPath(QDir::cleanPath(folder + "/../music") + '/');
    for (int i = 0; i < form_manage->filelistbox->count(); ++i)
        form_manage->filelistbox->item(i)->setSelected(true);
    QTest::mouseClick(form_manage->speedbutton_addsong, Qt::LeftButton);
    step("add songs");
    Print("songs", Items(form_manage->listbox_song));
    std::fflush(stdout);
    return 0;
}

}  // namespace

class TestFormManageReadOnly : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nothingIsLostInAFolderThatCannotBeWritten()
    {
        QTemporaryDir dir;
        const QString lib = dir.filePath("lib/");
        QVERIFY(QDir().mkpath(lib));
        const QByteArray library = "Rock\r\nJazz\r\n";
        const QByteArray rock = "Intro=/music/Intro.mp3\r\nOutro=/music/Outro.mp3\r\n";
        const QByteArray jazz = "Take Five=/jazz/five.mp3\r\n";
        const struct {
            const char *name;
            QByteArray bytes;
        } files[] = {{"setlib.dat", library}, {"Rock.set", rock}, {"Jazz.set", jazz}};
        for (const auto &f : files) {
            QFile file(lib + f.name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(f.bytes) == f.bytes.size());
        }
        QVERIFY(QDir().mkpath(dir.filePath("music")));
        for (const char *name : {"a.mp3", "b.mp3"}) {
            QFile song(dir.filePath("music/") + name);
            QVERIFY(song.open(QIODevice::WriteOnly));
        }
        const QStringList before = QDir(lib).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

        QProcess child;
        const QString self = QCoreApplication::applicationFilePath();
        if (geteuid() != 0) {
            QVERIFY(QFile::setPermissions(lib, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            child.start(self, {kChildSwitch, lib});
        } else {
            child.start("unshare",
                        {"-rm", "sh", "-c",
                         "mount --bind \"$1\" \"$1\" && mount -o remount,ro,bind \"$1\" \"$1\" && "
                         "exec \"$2\" " +
                             QString(kChildSwitch) + " \"$1\"",
                         "sh", lib, self});
        }
        const bool finished = child.waitForFinished(120000);
        QFile::setPermissions(lib, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (!finished || child.exitStatus() != QProcess::NormalExit)
            QSKIP("the window could not be run on a read-only folder here");
        const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
        if (child.exitCode() != 0)
            QSKIP(qPrintable("no read-only folder possible here: " + child.readAllStandardError()));

        // Each write names its file; the lists keep the user's change; a failed close keeps the window open.
        const QStringList steps = output.split("== ");
        QCOMPARE(steps.size(), 7);
        QVERIFY2(!steps.at(1).contains("told:"), qPrintable(output));  // reading works
        QVERIFY2(steps.at(2).contains(lib + "Rock.set") && steps.at(2).contains("has not been saved."),
                 qPrintable(output));
        QVERIFY2(steps.at(2).contains("songs: Outro=/music/Outro.mp3|Intro=/music/Intro.mp3"), qPrintable(output));
        QVERIFY2(steps.at(3).contains(lib + "setlib.dat") && steps.at(3).contains("sets: Jazz|Rock"),
                 qPrintable(output));
        QVERIFY2(steps.at(4).contains(lib + "Rock.set") && steps.at(4).contains(lib + "setlib.dat"),
                 qPrintable(output));
        QVERIFY2(steps.at(4).contains("visible after close: 1"), qPrintable(output));
        QVERIFY2(steps.at(5).contains("Are you sure you want to remove the selected set?"), qPrintable(output));
        QVERIFY2(steps.at(5).contains(lib + "setlib.dat") && steps.at(5).contains("sets: Jazz\n"), qPrintable(output));
        QCOMPARE(steps.at(6).count("told:"), 1);
        QVERIFY2(steps.at(6).contains(lib + "Jazz.set"), qPrintable(output));
        QVERIFY2(steps.at(6).contains("songs: Take Five=/jazz/five.mp3|a=" + dir.filePath("music/a.mp3") +
                                      "|b=" + dir.filePath("music/b.mp3") + "\n"),
                 qPrintable(output));

        QCOMPARE(Contents(lib + "setlib.dat"), library);
        QCOMPARE(Contents(lib + "Rock.set"), rock);
        QCOMPARE(Contents(lib + "Jazz.set"), jazz);
        QCOMPARE(QDir(lib).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], kChildSwitch) == 0)
        return RunChild(QString::fromLocal8Bit(argv[2]));
    TestFormManageReadOnly test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_form_manage_readonly.moc"
