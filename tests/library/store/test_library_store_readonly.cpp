// Library operations in a folder that cannot be written: every file stays byte for byte as it was, nothing
// is deleted or renamed, no temporary file is left behind, and the message names the file.
//
// As root, file modes do not stop a write, so the operation runs in this program started again inside a
// private mount namespace in which the library folder is a read-only bind mount. The folder stays writable
// for everyone else.

#include "library_fixture.h"
#include "tools/read_only_run.h"

#include <QCoreApplication>
#include <QTest>

#include <cstdio>

namespace {

const char *const kChildSwitch = "--child";

// Runs one operation on the library in folder and prints what the user was told. Exit code 3 when the
// operation reported a failure, 0 when it claims success.
int runChild(const QString &scenario, const QString &folder)
{
    Shell::ScriptedAnswers answers;
    LibraryStore store;
    store.setLibraryFolder(folder);
    bool ok = false;
    if (scenario == u"AddSong")
        ok = store.AddSong("/music/new.mp3", "A");
    else if (scenario == u"AddSet")
        ok = store.AddSet("New", -1);
    else if (scenario == u"RemoveSet")
        ok = store.RemoveSet("A");
    else if (scenario == u"RenameSet")
        ok = store.RenameSet("A", "C");
    else if (scenario == u"MoveSongDown")
        ok = store.OpenLibrary() && store.MoveSongDown();
    else
        return 2;
    for (const QString &text : answers.texts())
        std::printf("%s\n", qPrintable(QString(text).replace(u'\r', u'\n')));
    std::printf("unsaved: %d %d\n", store.isLibraryUnsaved(), store.isCurrentSetUnsaved());
    return ok ? 0 : 3;
}

}  // namespace

class TestLibraryStoreReadOnly : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writesIntoAReadOnlyFolder_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("failingFile");
        QTest::addColumn<QString>("unsaved");
        QTest::newRow("add a song") << "AddSong"
                                    << "A.set"
                                    << "unsaved: 0 1";
        QTest::newRow("move a song") << "MoveSongDown"
                                     << "A.set"
                                     << "unsaved: 0 1";
        QTest::newRow("add a set") << "AddSet"
                                   << "setlib.dat"
                                   << "unsaved: 1 0";
        QTest::newRow("remove a set") << "RemoveSet"
                                      << "setlib.dat"
                                      << "unsaved: 1 0";
        QTest::newRow("rename a set") << "RenameSet"
                                      << "setlib.dat"
                                      << "unsaved: 1 0";
    }

    void writesIntoAReadOnlyFolder()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, failingFile);
        QFETCH(QString, unsaved);
        LibraryFixture f;
        const QByteArray library = "A\r\nB\r\n";
        const QByteArray set = "a=/a\r\nb=/b\r\n";
        f.put("setlib.dat", library);
        f.put("A.set", set);
        const QStringList before = f.entries();

        const ReadOnlyRun helper = RunAgainOnReadOnlyFolder(f.folder(), {kChildSwitch, scenario, f.folder()});
        if (!helper.finished)
            QSKIP("unshare is not available here");
        const QString output = helper.output;
        if (helper.exitCode != 0 && helper.exitCode != 3)
            QSKIP(qPrintable("no read-only mount possible here: " + helper.errors));

        QVERIFY2(helper.exitCode == 3, qPrintable(output));
        QVERIFY2(output.contains(f.path(failingFile)) && output.contains("Read-only file system"), qPrintable(output));
        QVERIFY2(output.contains("has not been saved."), qPrintable(output));
        QVERIFY2(output.contains(unsaved), qPrintable(output));
        QCOMPARE(f.contents("setlib.dat"), library);
        QCOMPARE(f.contents("A.set"), set);
        QCOMPARE(f.entries(), before);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], kChildSwitch) == 0)
        return runChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TestLibraryStoreReadOnly test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_library_store_readonly.moc"
