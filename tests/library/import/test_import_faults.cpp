// The folder import when the library folder cannot be written (a read-only mount) or fills up (a file-size
// limit): the user is told which file, every file on disk stays whole, and nothing that was there is lost.
//
// As root, file modes do not stop a write, so the read-only case runs this program again inside a private
// mount namespace in which the library folder is a read-only bind mount.

#include "import_fixture.h"
#include "tools/files.h"

#include "library/import/folder_import.h"
#include "tools/scripted_answers.h"
#include "tools/file_size_limit.h"
#include "tools/read_only_run.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using importtest::snapshot;
using importtest::touch;

namespace {

const char *const kChildSwitch = "--child";

// Imports `music` into the library in `folder`, batched or one by one, and prints what the user was told.
// Exit code 3 when the import reported a failure.
int runChild(const QString &how, const QString &folder, const QString &music)
{
    Shell::ScriptedAnswers answers;
    LibraryStore store;
    store.setLibraryFolder(folder);
    bool failed = true;
    if (how == u"batched") {
        QStringList found;
        failed = import::ImportFolder(store, music, true, found).end == import::ImportEnd::Failed;
    } else {
        importtest::importFolderOneByOne(store, music, true);
    }
    for (const QString &text : answers.texts())
        std::printf("%s\n", qPrintable(QString(text).replace(u'\r', u'\n')));
    return failed ? 3 : 0;
}

}  // namespace

class TestImportFaults : public QObject {
    Q_OBJECT

private:
    // Runs the child in a namespace where `folder` is mounted read-only; empty when that is not possible.
    QString runReadOnly(const QString &how, const QString &folder, const QString &music, int &exitCode)
    {
        const ReadOnlyRun helper = RunAgainOnReadOnlyFolder(folder, {kChildSwitch, how, folder, music});
        if (!helper.finished)
            return {};
        exitCode = helper.exitCode;
        if (exitCode != 0 && exitCode != 3)
            return {};
        return helper.output;
    }

private Q_SLOTS:
    void readOnlyLibraryFolder()
    {
        QTemporaryDir music, library;
        touch(music.path(), "A/x.mp3");
        touch(music.path(), "B/y.mp3");
        const QByteArray setList = "A\r\n";
        const QByteArray songs = "old=/old.mp3\r\n";
        putFile(library.path() + "/setlib.dat", setList);
        putFile(library.path() + "/A.set", songs);
        const auto before = snapshot(library.path());

        int batchedCode = 0;
        const QString batched = runReadOnly("batched", library.path(), music.path(), batchedCode);
        if (batched.isEmpty())
            QSKIP("no read-only mount possible here (unshare -rm)");
        QCOMPARE(batchedCode, 3);
        // The first file the import would write is the set file of A, which already holds a song.
        QVERIFY2(batched.startsWith("Couldn't write file " + library.path() + "/A.set"), qPrintable(batched));
        QVERIFY2(batched.contains("Read-only file system") && batched.contains("has not been saved."),
                 qPrintable(batched));
        QCOMPARE(snapshot(library.path()), before);  // no file changed, no temporary file left

        // The one-by-one operations tell the user the same.
        int oneByOneCode = 0;
        const QString oneByOne = runReadOnly("one-by-one", library.path(), music.path(), oneByOneCode);
        QCOMPARE(batched, oneByOne);
        QCOMPARE(fileOrMissing(library.path() + "/A.set"), songs);
        QCOMPARE(fileOrMissing(library.path() + "/setlib.dat"), setList);
    }

    void fileSystemFillsUp()
    {
        QTemporaryDir music, library;
        touch(music.path(), "A/new.mp3");
        for (int i = 0; i < 20; ++i)
            touch(music.path(), QString("B/a long file name for song number %1.mp3").arg(i));
        touch(music.path(), "C/c.mp3");
        const QByteArray bSongs = "first=/b/first.mp3\r\nsecond=/b/second.mp3\r\n";
        putFile(library.path() + "/setlib.dat", "A\r\nB\r\n");
        putFile(library.path() + "/A.set", "old=/old.mp3\r\n");
        putFile(library.path() + "/B.set", bSongs);

        Shell::ScriptedAnswers answers;
        LibraryStore store;
        store.setLibraryFolder(library.path());
        QStringList found;

        // A file-size limit makes write() fail with EFBIG the way a full disk fails with ENOSPC.
        FileSizeLimit limit(512);
        QVERIFY(limit.set());
        const import::FolderImportResult result = import::ImportFolder(store, music.path(), true, found);
        QVERIFY(limit.lift());

        QCOMPARE(result.end, import::ImportEnd::Failed);
        QCOMPARE(answers.texts().size(), 1);
        const QString message = answers.texts().constFirst();
        QVERIFY2(message.startsWith("Couldn't write file " + library.path() + "/B.set") && message.contains("large"),
                 qPrintable(message));
        // B's songs that were on disk are all there; A took its new song; the library is readable as a whole
        // and lists no set whose file is half written.
        QCOMPARE(fileOrMissing(library.path() + "/B.set"), bSongs);
        QCOMPARE(fileOrMissing(library.path() + "/A.set"),
                 "old=/old.mp3\r\nnew=" + music.path().toUtf8() + "/A/new.mp3\r\n");
        QCOMPARE(fileOrMissing(library.path() + "/setlib.dat"), QByteArray("A\r\nB\r\n"));
        QCOMPARE(snapshot(library.path()).keys(), (QStringList{"A.set", "B.set", "setlib.dat"}));
        // The working copy shows the files as they are.
        QCOMPARE(store.setNames(), (QStringList{"A", "B"}));
        QVERIFY(!store.isCurrentSetUnsaved() && !store.isLibraryUnsaved());
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], kChildSwitch) == 0)
        return runChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                        QString::fromLocal8Bit(argv[4]));
    TestImportFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_import_faults.moc"
