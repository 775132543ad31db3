// The folder import against the library store's own operations run one file at a time: on the same music
// and the same library, both leave the same library files, byte for byte, and show the same messages. Then
// what only the batched import has: commits every so many files, cancelling, and what it writes.

#include "import_fixture.h"
#include "tools/files.h"

#include "library/import/folder_import.h"
#include "tools/scripted_answers.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using importtest::snapshot;
using importtest::touch;

namespace {

using Setup = std::function<void(const QString &library, const QString &music)>;

struct Run {
    QMap<QString, QByteArray> files;
    QStringList messages;
    import::FolderImportResult result;
};

// Runs one import of `source` (below the music folder) into a fresh library folder prepared by `setup`.
Run runImport(bool batched, const Setup &setup, const QString &source, bool recursive, qsizetype commitEvery,
              const QString &music, int times = 1)
{
    QTemporaryDir library;
    setup(library.path(), music);
    Shell::ScriptedAnswers answers;
    LibraryStore store;
    store.setLibraryFolder(library.path());
    Run run;
    for (int i = 0; i < times; ++i) {
        if (batched) {
            QStringList found;
            import::ImportOptions options;
            options.commitEvery = commitEvery;
            run.result = import::ImportFolder(store, music + "/" + source, recursive, found, options);
        } else {
            importtest::importFolderOneByOne(store, music + "/" + source, recursive);
        }
    }
    run.files = snapshot(library.path());
    run.messages = answers.texts();
    for (QString &message : run.messages)
        message.replace(library.path(), "<library>");
    return run;
}

}  // namespace

class TestFolderImport : public QObject {
    Q_OBJECT

private:
    QTemporaryDir musicDir_;
    QString music_;

private Q_SLOTS:
    void initTestCase()
    {
        music_ = musicDir_.path();
        touch(music_, "Music/Rock/02 Second.mp3");
        touch(music_, "Music/Rock/01 First.mp3");
        touch(music_, "Music/Jazz/Take=Five.mp3");
        touch(music_, "Music/Jazz/cover.jpg");
        touch(music_, "Music/loose.mp3");
        touch(music_, "Music/.cache/skip.mp3");
        touch(music_, "Both/A/CD1/a1.mp3");
        touch(music_, "Both/A/CD1/a2.mp3");
        touch(music_, "Both/B/CD1/b1.mp3");
        touch(music_, "Both/B/CD2/b2.mp3");
        touch(music_, "Case/Rock/r1.mp3");
        touch(music_, "Case/rock/r2.mp3");
        touch(music_, "Bad/Good/g.mp3");
        touch(music_, "Bad/Nope\x01/n.mp3");  // a control character: no set can be named so
        touch(music_, "Bad/Zlast/z.mp3");
    }

    void batchedEqualsOneByOne_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<qsizetype>("commitEvery");
        QTest::addColumn<int>("times");

        const Setup empty = [](const QString &, const QString &) {};
        const Setup existing = [](const QString &lib, const QString &music) {
            // Written by another program: LF line ends, a Windows-1252 line, a line without "=".
            putFile(lib + "/setlib.dat", "Old\nrock\n");
            putFile(lib + "/Old.set", "x=/x\n");
            putFile(lib + "/rock.set",
                    "Caf\xe9=/old/caf\xe9.mp3\nTrack\n02 Second=" + music.toUtf8().toUpper() +
                        "/MUSIC/ROCK/02 SECOND.MP3\n");
        };
        const Setup spellings = [](const QString &lib, const QString &) {
            putFile(lib + "/setlib.dat", "JAZZ\r\n");
            putFile(lib + "/jazz.set", "j=/j.mp3\r\n");   // found under another spelling
            putFile(lib + "/Music.set", "m=/m.mp3\r\n");  // a set file that no entry lists yet
            putFile(lib + "/cd1.set", "c=/c.mp3\r\n");
            putFile(lib + "/rock.set", "o=/o.mp3\r\n");
        };
        const Setup unreadableSet = [](const QString &lib, const QString &) {
            putFile(lib + "/setlib.dat", "Jazz\r\n");
            QDir(lib).mkdir("Rock.set");
        };
        const Setup unreadableLibrary = [](const QString &lib, const QString &) { QDir(lib).mkdir("setlib.dat"); };

        for (const qsizetype every : {qsizetype(1000), qsizetype(2)}) {
            const QString tail = every == 2 ? " (commit every 2)" : "";
            QTest::newRow(qPrintable("empty library, recursive" + tail)) << empty << "Music" << true << every << 1;
            QTest::newRow(qPrintable("empty library, one folder" + tail))
                << empty << "Music/Rock" << false << every << 1;
            QTest::newRow(qPrintable("existing sets and songs" + tail)) << existing << "Music" << true << every << 1;
            QTest::newRow(qPrintable("imported twice" + tail)) << existing << "Music" << true << every << 2;
            QTest::newRow(qPrintable("two folders feed one set" + tail)) << spellings << "Both" << true << every << 1;
            QTest::newRow(qPrintable("set files under other spellings" + tail))
                << spellings << "Music" << true << every << 1;
            QTest::newRow(qPrintable("one set from two spellings" + tail)) << spellings << "Case" << true << every << 1;
            QTest::newRow(qPrintable("a set name that is no file name" + tail))
                << existing << "Bad" << true << every << 1;
            QTest::newRow(qPrintable("a set file that cannot be read" + tail))
                << unreadableSet << "Music" << true << every << 1;
        }
        QTest::newRow("a library file that cannot be read")
            << unreadableLibrary << "Music" << true << qsizetype(1000) << 1;
        QTest::newRow("nothing found") << empty << "Music/Jazz/none" << true << qsizetype(1000) << 1;
    }

    void batchedEqualsOneByOne()
    {
        QFETCH(Setup, setup);
        QFETCH(QString, source);
        QFETCH(bool, recursive);
        QFETCH(qsizetype, commitEvery);
        QFETCH(int, times);

        const Run expected = runImport(false, setup, source, recursive, commitEvery, music_, times);
        const Run batched = runImport(true, setup, source, recursive, commitEvery, music_, times);
        QCOMPARE(batched.messages, expected.messages);
        QCOMPARE(batched.files.keys(), expected.files.keys());
        for (auto it = expected.files.cbegin(); it != expected.files.cend(); ++it)
            QCOMPARE(batched.files.value(it.key()), it.value());
    }

    void whatTheImportLeaves()
    {
        // The cases above compare two ways of doing it; here is what both do.
        QTemporaryDir lib;
        putFile(lib.path() + "/setlib.dat", "Rock\r\n");
        putFile(lib.path() + "/Rock.set", "Old=/old.mp3\r\n");
        Shell::ScriptedAnswers answers;
        LibraryStore store;
        store.setLibraryFolder(lib.path());
        QStringList found;
        const import::FolderImportResult result = import::ImportFolder(store, music_ + "/Music", true, found);

        QCOMPARE(result.end, import::ImportEnd::Done);
        QCOMPARE(result.firstSet, QString("Jazz"));
        QCOMPARE(result.handled, 4);
        QCOMPARE(result.added, 4);
        const QString m = music_ + "/Music/";
        QCOMPARE(found,
                 (QStringList{m + "Jazz/Take=Five.mp3", m + "loose.mp3", m + "Rock/01 First.mp3",
                              m + "Rock/02 Second.mp3"}));
        QCOMPARE(fileOrMissing(lib.path() + "/setlib.dat"), QByteArray("Rock\r\nJazz\r\nMusic\r\n"));
        QCOMPARE(fileOrMissing(lib.path() + "/Jazz.set"), ("Take-Five=" + m + "Jazz/Take=Five.mp3\r\n").toUtf8());
        QCOMPARE(fileOrMissing(lib.path() + "/Rock.set"),
                 ("Old=/old.mp3\r\n01 First=" + m +
                  "Rock/01 First.mp3\r\n"
                  "02 Second=" +
                  m + "Rock/02 Second.mp3\r\n")
                     .toUtf8());
        QVERIFY(answers.texts().isEmpty());
        QCOMPARE(result.filesWritten, 4);  // three set files and the set list, once each

        // Again: nothing new, no set file written.
        const import::FolderImportResult again = import::ImportFolder(store, music_ + "/Music", true, found);
        QCOMPARE(again.added, 0);
        QCOMPARE(again.filesWritten, 0);
        QCOMPARE(again.firstSet, QString("Jazz"));
    }

    void cancellingKeepsTheFilesBefore()
    {
        QTemporaryDir songs;
        for (int i = 0; i < 30; ++i)
            touch(songs.path(), QString("Tree/F%1/s%2.mp3").arg(i / 4).arg(i, 2, 10, QChar('0')));
        const QString source = songs.path() + "/Tree";

        for (const qsizetype stopAt : {qsizetype(5), qsizetype(10), qsizetype(25)}) {
            QTemporaryDir a, b;
            putFile(a.path() + "/setlib.dat", "F1\r\n");
            putFile(b.path() + "/setlib.dat", "F1\r\n");
            Shell::ScriptedAnswers answers;
            LibraryStore batched;
            batched.setLibraryFolder(a.path());
            import::ImportOptions options;
            options.commitEvery = 10;
            options.progressEvery = 5;
            qsizetype lastSeen = 0;
            options.progress = [&](qsizetype handled, qsizetype total) {
                lastSeen = handled;
                return total == 30 && handled < stopAt;
            };
            QStringList found;
            const import::FolderImportResult result = import::ImportFolder(batched, source, true, found, options);
            QCOMPARE(result.end, import::ImportEnd::Cancelled);
            QCOMPARE(result.handled, stopAt);
            QCOMPARE(lastSeen, stopAt);

            // The library holds exactly the files before the cancel, as the one-by-one import of them gives.
            LibraryStore reference;
            reference.setLibraryFolder(b.path());
            reference.OpenLibrary();
            importtest::importOneByOne(reference, found.mid(0, stopAt));
            QCOMPARE(snapshot(a.path()), snapshot(b.path()));
            QVERIFY(answers.texts().isEmpty());
        }
    }

    void commitsWriteEachChangedFileOnce()
    {
        QTemporaryDir songs, lib;
        for (int folder = 0; folder < 10; ++folder) {
            for (int song = 0; song < 10; ++song)
                touch(songs.path(), QString("F%1/s%2.mp3").arg(folder).arg(song));
        }
        putFile(lib.path() + "/setlib.dat", "");
        Shell::ScriptedAnswers answers;
        LibraryStore store;
        store.setLibraryFolder(lib.path());
        QStringList found;
        const import::FolderImportResult all = import::ImportFolder(store, songs.path(), true, found);
        QCOMPARE(all.added, 100);
        QCOMPARE(all.filesWritten, 10 + 1);  // ten sets and the set list

        // Commits every 25 files: each commit writes the set list and the sets it touched.
        QTemporaryDir lib2;
        putFile(lib2.path() + "/setlib.dat", "");
        store.setLibraryFolder(lib2.path());
        import::ImportOptions options;
        options.commitEvery = 25;
        const import::FolderImportResult chunked = import::ImportFolder(store, songs.path(), true, found, options);
        QCOMPARE(chunked.filesWritten, 4 * (1 + 3));
        QCOMPARE(snapshot(lib2.path()), snapshot(lib.path()));
    }
};

QTEST_GUILESS_MAIN(TestFolderImport)
#include "test_folder_import.moc"
