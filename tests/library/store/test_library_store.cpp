// The library operations on real files: what each leaves on disk and in the working copy, the messages the
// user sees, and the cases where a naive implementation would lose or corrupt library data.

#include "library_fixture.h"

#include "library/store/library_text.h"
#include "tools/file_size_limit.h"

#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kBreak = QStringLiteral("\r");

// Runs `work` on a thread of its own and waits at most a few seconds for it. A read that waits on a FIFO is
// then set free by a writer that opens and closes the FIFO, and the test fails instead of hanging.
template <typename Work>
bool FinishesSoon(Work work, const QStringList &fifos)
{
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
        return true;
    for (const QString &fifo : fifos) {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    done.wait();
    return false;
}

}  // namespace

class TestLibraryStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptyFolderGetsALibraryFileOnFirstAdd()
    {
        LibraryFixture f;
        const QString missing = "Couldn't open file: " + f.path("setlib.dat") + kBreak + "A new file will be created.";
        QVERIFY(!f.store.OpenLibrary());
        QCOMPARE(f.answers.texts(), QStringList{missing});
        QVERIFY(f.store.setNames().isEmpty());
        QVERIFY(!f.store.hasCurrentSet());

        QVERIFY(f.store.AddSet("Rock", -1));
        QCOMPARE(f.answers.texts(), (QStringList{missing, missing}));  // the add reloads first
        QCOMPARE(f.contents("setlib.dat"), QByteArray("Rock\r\n"));
        QCOMPARE(f.entries(), QStringList{"setlib.dat"});  // no set file until a song is added
        QCOMPARE(f.store.setNames(), QStringList{"Rock"});
        QCOMPARE(f.store.selectedSet(), 0);
        QCOMPARE(f.store.currentSetFileName(), QString("Rock.set"));

        QVERIFY(f.store.AddSong("/music/Best.Of.mp3", "Rock"));
        QCOMPARE(f.store.focusedSong(), 0);                 // the new line of a set that was empty
        QVERIFY(f.store.AddSong("/music/README", "rock"));  // set names ignore case
        QVERIFY(f.store.AddSong("/music/README", "Rock"));  // no duplicate check
        QCOMPARE(f.contents("Rock.set"),
                 QByteArray("Best.Of=/music/Best.Of.mp3\r\nREADME=/music/README\r\n"
                            "README=/music/README\r\n"));
        QCOMPARE(f.answers.texts().size(), 2);
    }

    void openLibraryLoadsTheFirstSet()
    {
        LibraryFixture f;
        f.put("setlib.dat", "Rock\nJazz");  // other line ends, no final one
        f.put("Rock.set", "A=B=C\r\nTrack\r\n\r\nIntro=/m/intro.mp3");
        QVERIFY(f.store.OpenLibrary());
        QCOMPARE(f.store.setNames(), (QStringList{"Rock", "Jazz"}));
        QCOMPARE(f.store.selectedSet(), 0);
        QCOMPARE(f.store.songs(), (QStringList{"A=B=C", "Track", "", "Intro=/m/intro.mp3"}));
        QCOMPARE(f.store.focusedSong(), 0);
        QCOMPARE(f.store.currentSetFileName(), QString("Rock.set"));
        QVERIFY(f.answers.texts().isEmpty());

        // A listed set without a file is an empty set, silently.
        f.store.OpenSet("JAZZ");
        QVERIFY(f.store.songs().isEmpty());
        QCOMPARE(f.store.focusedSong(), -1);
        QCOMPARE(f.store.selectedSet(), 1);
        QCOMPARE(f.store.currentSetFileName(), QString("Jazz.set"));  // the listed spelling
        QVERIFY(f.answers.texts().isEmpty());

        // An unlisted set is still loaded and current, with no selection.
        f.put("Other.set", "x=/x\r\n");
        f.store.OpenSet("Other");
        QCOMPARE(f.store.songs(), QStringList{"x=/x"});
        QCOMPARE(f.store.selectedSet(), -1);
        QCOMPARE(f.store.currentSetFileName(), QString("Other.set"));
    }

    void savesWriteCrLfUtf8()
    {
        LibraryFixture f;
        f.put("setlib.dat", "Caf\xE9\rRock\n\r\n");  // Windows-1252, CR, LF, and an empty-named set
        f.put("Caf\xC3\xA9.set", "Caf\xE9=/m/caf\xE9.mp3\nA=B=C");
        QVERIFY(f.store.OpenLibrary());
        QCOMPARE(f.store.setNames(), (QStringList{u"Café"_qs, "Rock", ""}));
        QCOMPARE(f.store.songs(), (QStringList{u"Café=/m/café.mp3"_qs, "A=B=C"}));
        QVERIFY(f.store.SaveLibrary());
        QVERIFY(f.store.SaveCurrentSet());
        QCOMPARE(f.contents("setlib.dat"), QByteArray("Caf\xC3\xA9\r\nRock\r\n\r\n"));
        QCOMPARE(f.contents("Caf\xC3\xA9.set"), QByteArray("Caf\xC3\xA9=/m/caf\xC3\xA9.mp3\r\nA=B=C\r\n"));
    }

    void titlesAreTheTextBeforeTheFirstEquals()
    {
        LibraryFixture f;
        f.put("setlib.dat", "S\r\n");
        f.put("S.set", "Intro=/m/1.mp3\r\nA=B=C\r\nTrack\r\nintro=/m/2.mp3\r\nIntro=/m/3.mp3\r\n");
        f.store.OpenSet("S");
        QCOMPARE(f.store.indexOfSongTitle("A", Qt::CaseSensitive, LibraryStore::Match::First), 1);
        QCOMPARE(f.store.indexOfSongTitle("", Qt::CaseSensitive, LibraryStore::Match::First), 2);
        QCOMPARE(f.store.indexOfSongTitle("A=B", Qt::CaseSensitive, LibraryStore::Match::First), -1);
        // Repeated titles: removing and renaming take the first match ignoring case, playing the last exact one.
        QCOMPARE(f.store.indexOfSongTitle("INTRO", Qt::CaseInsensitive, LibraryStore::Match::First), 0);
        QCOMPARE(f.store.indexOfSongTitle("intro", Qt::CaseSensitive, LibraryStore::Match::Last), 3);
        QCOMPARE(f.store.indexOfSongTitle("Intro", Qt::CaseSensitive, LibraryStore::Match::Last), 4);

        // A file name holding "=" still reads back with its whole path.
        QVERIFY(f.store.AddSong("/m/a=b.mp3", "S"));
        const QString added = SplitLibraryText(f.contents("S.set")).last();
        QCOMPARE(SongTitle(added), QString("a-b"));
        QCOMPARE(SongPath(added), QString("/m/a=b.mp3"));
    }

    void removeAndRenameSongs()
    {
        LibraryFixture f;
        f.put("setlib.dat", "S\r\n");
        f.put("S.set", "Intro=/a\r\nintro=/b\r\nOutro=/c\r\n");

        QVERIFY(f.store.RemoveSong("INTRO", "s"));
        QCOMPARE(f.contents("S.set"), QByteArray("intro=/b\r\nOutro=/c\r\n"));

        QVERIFY(f.store.RenameSong("outro", "The End", "S", "/c"));  // keeps its place
        QCOMPARE(f.contents("S.set"), QByteArray("intro=/b\r\nThe End=/c\r\n"));
        QVERIFY(f.store.RenameSong("ghost", "New", "S", "/n"));  // no match: appended
        QCOMPARE(f.contents("S.set"), QByteArray("intro=/b\r\nThe End=/c\r\nNew=/n\r\n"));
        QCOMPARE(f.store.songs(), (QStringList{"intro=/b", "The End=/c", "New=/n"}));

        // Nothing to change: the file is not even rewritten.
        const quint64 before = f.inode("S.set");
        QVERIFY(f.store.RenameSong("intro", "intro", "S", "/b"));
        QVERIFY(f.store.RemoveSong("nothing", "S"));
        QCOMPARE(f.inode("S.set"), before);

        // A title with "=" would move part of it into the path: refused, nothing written.
        QVERIFY(!f.store.RenameSong("intro", "a=b", "S", "/b"));
        QVERIFY(!f.store.RenameSong("intro", "two\nlines", "S", "/b"));
        QCOMPARE(f.answers.texts().size(), 2);
        QVERIFY2(f.answers.texts().first().contains("\"a=b\""), qPrintable(f.answers.texts().first()));
        QCOMPARE(f.inode("S.set"), before);
        QCOMPARE(f.contents("S.set"), QByteArray("intro=/b\r\nThe End=/c\r\nNew=/n\r\n"));
    }

    void lookups()
    {
        LibraryFixture f;
        f.put("setlib.dat", "Rock\r\nJazz\r\n");
        f.put("Jazz.set", "a=c:/music/a.mp3\r\nb=/m/M\xC3\xBAsica.mp3\r\nTrack\r\n");
        QVERIFY(f.store.OpenLibrary());
        QVERIFY(f.store.DoesSetExist("jAZZ"));
        QVERIFY(!f.store.DoesSetExist("Jaz"));

        QVERIFY(f.store.DoesSongExist("C:/MUSIC/A.mp3", "Jazz"));
        QCOMPARE(f.store.selectedSet(), 1);  // the lookup loads the set
        QVERIFY(f.store.DoesSongExist("Track", "Jazz"));
        QVERIFY(!f.store.DoesSongExist("c:/music/a.mp", "Jazz"));
        // Only a-z ignore case.
        QVERIFY(!f.store.DoesSongExist(u"/M/MÚSICA.MP3"_qs, "Jazz"));
        QVERIFY(f.store.DoesSongExist(u"/M/MúSICA.MP3"_qs, "Jazz"));
        QVERIFY(!f.store.DoesSongExist("c:/music/a.mp3", "Rock"));
    }

    void addSetPositionsAndDuplicates()
    {
        LibraryFixture f;
        f.put("setlib.dat", "A\r\nB\r\nC\r\n");
        f.put("A.set", "a=/a\r\n");
        QVERIFY(f.store.AddSet("Jazz", 1));
        QVERIFY(f.store.AddSet("Last", 99));
        QVERIFY(f.store.AddSet("End", -1));
        QVERIFY(f.store.AddSet("First", 0));
        QCOMPARE(f.contents("setlib.dat"), QByteArray("First\r\nA\r\nJazz\r\nB\r\nC\r\nLast\r\nEnd\r\n"));
        QCOMPARE(f.store.selectedSet(), 0);
        QCOMPARE(f.store.currentSetFileName(), QString("First.set"));

        // The same name again is allowed and shares the set file; the set made current is the existing
        // one, so saving the current set keeps its songs.
        QVERIFY(f.store.AddSet("a", -1));
        QCOMPARE(f.store.songs(), QStringList{"a=/a"});
        QVERIFY(f.store.SaveCurrentSet());
        QCOMPARE(f.contents("A.set"), QByteArray("a=/a\r\n"));
        QCOMPARE(f.store.setNames().last(), QString("a"));
    }

    void refusedSetNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << ""
                               << "cannot be empty";
        QTest::newRow("dot") << "."
                             << "cannot be \".\" or \"..\"";
        QTest::newRow("dot dot") << ".."
                                 << "cannot be \".\" or \"..\"";
        QTest::newRow("slash") << "../outside"
                               << "cannot contain \"/\"";
        QTest::newRow("line break") << "a\r\nb"
                                    << "line breaks";
    }

    void refusedSetNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        LibraryFixture f;
        f.put("setlib.dat", "A\r\n");
        f.put("A.set", "a=/a\r\n");
        const QStringList before = f.entries();

        QVERIFY(!f.store.AddSet(name, -1));
        QVERIFY(!f.store.RenameSet("A", name));
        QVERIFY(!f.store.AddSong("/m/x.mp3", name));
        QCOMPARE(f.answers.texts().size(), 3);
        for (const QString &text : f.answers.texts())
            QVERIFY2(text.contains(reason) && text.contains("as the name of a set"), qPrintable(text));
        QCOMPARE(f.contents("setlib.dat"), QByteArray("A\r\n"));
        QCOMPARE(f.contents("A.set"), QByteArray("a=/a\r\n"));
        QCOMPARE(f.entries(), before);
        QVERIFY(QDir(f.folder() + "/..").entryList({"outside*"}).isEmpty());
    }

    void renameSet()
    {
        LibraryFixture f;
        f.put("setlib.dat", "A\r\nB\r\nC\r\n");
        f.put("B.set", "b=/b\r\n");
        QVERIFY(f.store.RenameSet("b", "Blues"));
        QCOMPARE(f.contents("setlib.dat"), QByteArray("A\r\nBlues\r\nC\r\n"));
        QVERIFY(!f.exists("B.set"));
        QCOMPARE(f.contents("Blues.set"), QByteArray("b=/b\r\n"));
        QCOMPARE(f.store.selectedSet(), 1);
        QCOMPARE(f.store.songs(), QStringList{"b=/b"});

        // A set without a file, and a set that is not listed.
        QVERIFY(f.store.RenameSet("A", "Alpha"));
        QCOMPARE(f.contents("setlib.dat"), QByteArray("Alpha\r\nBlues\r\nC\r\n"));
        QVERIFY(f.store.RenameSet("Ghost", "Spirit"));
        QCOMPARE(f.contents("setlib.dat"), QByteArray("Alpha\r\nBlues\r\nC\r\n"));

        // Only the letter case changes.
        QVERIFY(f.store.RenameSet("Blues", "BLUES"));
        QCOMPARE(f.contents("BLUES.set"), QByteArray("b=/b\r\n"));
        QVERIFY(!f.exists("Blues.set"));

        // The cancelled input box gives back the old name: nothing is written, nothing shown.
        const quint64 library = f.inode("setlib.dat");
        QVERIFY(f.store.RenameSet("BLUES", "BLUES"));
        QCOMPARE(f.inode("setlib.dat"), library);
        QCOMPARE(f.store.songs(), QStringList{"b=/b"});
        QVERIFY(f.answers.texts().isEmpty());
    }

    void renameSetOntoAnExistingFile()
    {
        LibraryFixture f;
        f.put("setlib.dat", "A\r\nB\r\n");
        f.put("A.set", "a=/a\r\n");
        f.put("B.set", "b=/b\r\n");
        QVERIFY(!f.store.RenameSet("A", "B"));
        QCOMPARE(f.answers.texts(),
                 QStringList{"Couldn't rename file: " + f.path("A.set") + kBreak +
                             "Please rename the set to the old name so the database keeps "
                             "consistent."});
        QCOMPARE(f.contents("setlib.dat"), QByteArray("B\r\nB\r\n"));
        QCOMPARE(f.contents("A.set"), QByteArray("a=/a\r\n"));
        QCOMPARE(f.contents("B.set"), QByteArray("b=/b\r\n"));
        QCOMPARE(f.store.songs(), QStringList{"b=/b"});

        // The same when the existing file differs only in case.
        f.answers.clear();
        f.put("setlib.dat", "A\r\nB\r\n");
        QVERIFY(!f.store.RenameSet("A", "b"));
        QCOMPARE(f.answers.texts().size(), 1);
        QCOMPARE(f.entries(), (QStringList{"A.set", "B.set", "setlib.dat"}));
        QCOMPARE(f.contents("A.set"), QByteArray("a=/a\r\n"));
    }

    void sharedSetFilesAreKept()
    {
        LibraryFixture f;
        f.put("setlib.dat", "A\r\nB\r\na\r\n");
        f.put("A.set", "a=/a\r\n");

        // Renaming one of two entries sharing a file: the other keeps the file, the renamed one gets a copy.
        QVERIFY(f.store.RenameSet("a", "Copy"));
        QCOMPARE(f.contents("setlib.dat"), QByteArray("Copy\r\nB\r\na\r\n"));
        QCOMPARE(f.contents("A.set"), QByteArray("a=/a\r\n"));
        QCOMPARE(f.contents("Copy.set"), QByteArray("a=/a\r\n"));

        // Removing a set whose file is still used by another entry keeps the file.
        f.put("setlib.dat", "A\r\nB\r\na\r\n");
        QVERIFY(f.store.RemoveSet("A"));
        QCOMPARE(f.contents("setlib.dat"), QByteArray("B\r\na\r\n"));
        QCOMPARE(f.contents("A.set"), QByteArray("a=/a\r\n"));
        QVERIFY(f.store.RemoveSet("A"));
        QCOMPARE(f.contents("setlib.dat"), QByteArray("B\r\n"));
        QVERIFY(!f.exists("A.set"));
        QVERIFY(f.answers.texts().isEmpty());
    }

    void removeSet()
    {
        LibraryFixture f;
        f.put("setlib.dat", "A\r\nB\r\n");
        f.put("A.set", "a=/a\r\n");
        f.put("B.set", "b=/b\r\n");
        QVERIFY(f.store.RemoveSet("a"));
        QVERIFY(!f.exists("A.set"));
        QCOMPARE(f.store.setNames(), QStringList{"B"});
        QCOMPARE(f.store.selectedSet(), 0);
        QCOMPARE(f.store.songs(), QStringList{"b=/b"});

        // The last set: an empty library file, no current set, and nothing for a save of the current set.
        QVERIFY(f.store.RemoveSet("B"));
        QCOMPARE(f.contents("setlib.dat"), QByteArray());
        QVERIFY(f.store.setNames().isEmpty());
        QCOMPARE(f.store.selectedSet(), -1);
        QVERIFY(!f.store.hasCurrentSet());
        QVERIFY(f.store.SaveCurrentSet());
        QCOMPARE(f.entries(), QStringList{"setlib.dat"});
        QVERIFY(f.answers.texts().isEmpty());
    }

    void setFilesIgnoringCase()
    {
        LibraryFixture f;
        f.put("setlib.dat", "Rock\r\nJazz\r\n");
        f.put("rock.set", "r=/r\r\n");  // written where file names ignore case
        f.put("Jazz.set", "j=/j\r\n");
        QVERIFY(f.store.OpenLibrary());
        QCOMPARE(f.store.songs(), QStringList{"r=/r"});
        QVERIFY(f.store.AddSong("/m/s.mp3", "ROCK"));
        QCOMPARE(f.contents("rock.set"), QByteArray("r=/r\r\ns=/m/s.mp3\r\n"));
        QVERIFY(f.store.AddSong("/m/t.mp3", "jazz"));
        QCOMPARE(f.contents("Jazz.set"), QByteArray("j=/j\r\nt=/m/t.mp3\r\n"));
        QVERIFY(f.store.RemoveSet("ROCK"));
        QCOMPARE(f.entries(), (QStringList{"Jazz.set", "setlib.dat"}));
    }

    void unreadableFilesAreNeverReplaced()
    {
        LibraryFixture f;
        QVERIFY(QDir(f.folder()).mkdir("setlib.dat"));
        QVERIFY(!f.store.OpenLibrary());
        QCOMPARE(f.answers.texts().size(), 1);
        QVERIFY(f.answers.texts().first().startsWith("Couldn't open file: " + f.path("setlib.dat") + kBreak));
        QVERIFY(!f.answers.texts().first().contains("A new file will be created."));
        QVERIFY(!f.store.AddSet("Rock", -1));
        QVERIFY(f.answers.texts().last().contains("Couldn't write file: " + f.path("setlib.dat")));
        QVERIFY(QFileInfo(f.path("setlib.dat")).isDir());
        QVERIFY(f.store.isLibraryUnsaved());
        QCOMPARE(f.store.setNames(), QStringList{"Rock"});  // kept, marked unsaved

        LibraryFixture g;
        g.put("setlib.dat", "S\r\n");
        QVERIFY(QDir(g.folder()).mkdir("S.set"));
        QVERIFY(!g.store.AddSong("/m/x.mp3", "S"));
        QCOMPARE(g.answers.texts().size(), 1);
        QVERIFY2(g.answers.texts().first().contains(g.path("S.set")), qPrintable(g.answers.texts().first()));
        QVERIFY(QFileInfo(g.path("S.set")).isDir());
        QVERIFY(g.store.isCurrentSetUnsaved());
    }

    void nonPlainFilesAreReportedLikeUnreadableOnes()
    {
        // A FIFO named like the library file or a set file has no writer: opening it for reading would wait
        // for ever. It is reported like a file that cannot be read, and never replaced.
        LibraryFixture f;
        QCOMPARE(::mkfifo(QFile::encodeName(f.path("setlib.dat")).constData(), 0600), 0);
        bool opened = true;
        QVERIFY(FinishesSoon([&] { opened = f.store.OpenLibrary(); }, {f.path("setlib.dat")}));
        QVERIFY(!opened);
        QCOMPARE(f.answers.texts().size(), 1);
        QVERIFY(f.answers.texts().first().startsWith("Couldn't open file: " + f.path("setlib.dat") + kBreak));
        QVERIFY(!f.answers.texts().first().contains("A new file will be created."));
        QVERIFY(!f.store.AddSet("Rock", -1));
        QVERIFY(QFileInfo(f.path("setlib.dat")).isFile() == false && f.exists("setlib.dat"));

        LibraryFixture g;
        g.put("setlib.dat", "S\r\nT\r\n");
        g.put("T.set", "t=/t\r\n");
        QCOMPARE(::mkfifo(QFile::encodeName(g.path("S.set")).constData(), 0600), 0);
        bool added = true;
        QVERIFY(FinishesSoon([&] { added = g.store.AddSong("/m/x.mp3", "S"); }, {g.path("S.set")}));
        QVERIFY(!added);
        QCOMPARE(g.answers.texts().size(), 1);
        QVERIFY2(g.answers.texts().first().contains(g.path("S.set")), qPrintable(g.answers.texts().first()));
        QVERIFY(g.store.AddSong("/m/y.mp3", "T"));  // the other sets are not held up
        QCOMPARE(g.contents("T.set"), QByteArray("t=/t\r\ny=/m/y.mp3\r\n"));
        QCOMPARE(g.entries(), (QStringList{"S.set", "T.set", "setlib.dat"}));
    }

    void aVanishedLibraryFileLeavesNoCurrentSet()
    {
        LibraryFixture f;
        f.put("setlib.dat", "A\r\n");
        f.put("A.set", "a=/a\r\n");
        QVERIFY(f.store.OpenLibrary());
        QVERIFY(QFile::remove(f.path("setlib.dat")));
        QVERIFY(!f.store.OpenLibrary());
        QVERIFY(!f.store.hasCurrentSet());
        QVERIFY(f.store.SaveCurrentSet());  // must not write the emptied song list over A.set
        QCOMPARE(f.contents("A.set"), QByteArray("a=/a\r\n"));
    }

    void failedWritesAreReportedAndKept()
    {
        LibraryFixture f;
        f.store.setLibraryFolder(f.path("not-there"));
        QVERIFY(!f.store.AddSet("Rock", -1));
        const QString library = f.path("not-there/setlib.dat");
        QCOMPARE(f.answers.texts().size(), 2);  // the missing library, then the failed write
        const QString failure = f.answers.texts().last();
        QVERIFY2(failure.contains(library) && failure.endsWith(kBreak + "The set list has not been saved."),
                 qPrintable(failure));
        QCOMPARE(f.store.setNames(), QStringList{"Rock"});
        QVERIFY(f.store.isLibraryUnsaved());

        // Once the folder is there, saving again stores what was kept.
        QSignalSpy unsaved(&f.store, &LibraryStore::unsavedChanged);
        QVERIFY(QDir(f.folder()).mkdir("not-there"));
        QVERIFY(f.store.SaveLibrary());
        QVERIFY(!f.store.isLibraryUnsaved());
        QCOMPARE(unsaved.count(), 1);
        QCOMPARE(f.contents("not-there/setlib.dat"), QByteArray("Rock\r\n"));
    }

    void aFullDiskLosesNoSet()
    {
        LibraryFixture f;
        const QByteArray library = "A\r\nB\r\n" + QByteArray(80, 'x') + "\r\n";
        const QByteArray songs = "a=/a\r\n" + QByteArray(80, 'y') + "\r\n";
        f.put("setlib.dat", library);
        f.put("A.set", songs);

        // A file-size limit makes write() fail with EFBIG the way a full disk fails with ENOSPC; deleting and
        // renaming still work, so an operation that touched the set file before writing the library would lose it.
        FileSizeLimit limit(64);
        QVERIFY(limit.set());
        const bool removed = f.store.RemoveSet("A");
        const bool renamed = f.store.RenameSet("A", "Z");
        const bool added = f.store.AddSong("/m/new.mp3", "A");
        QVERIFY(limit.lift());

        QVERIFY(!removed && !renamed && !added);
        QCOMPARE(f.answers.texts().size(), 3);
        QVERIFY(f.answers.texts().at(0).contains(f.path("setlib.dat")));
        QVERIFY(f.answers.texts().at(2).contains(f.path("A.set")));
        QCOMPARE(f.contents("setlib.dat"), library);
        QCOMPARE(f.contents("A.set"), songs);
        QCOMPARE(f.entries(), (QStringList{"A.set", "setlib.dat"}));
        QVERIFY(f.store.isCurrentSetUnsaved());
        QCOMPARE(f.store.songs().last(), QString("new=/m/new.mp3"));  // kept in the working copy
    }

    void moves()
    {
        LibraryFixture f;
        f.put("setlib.dat", "A\r\nB\r\nC\r\n");
        f.put("A.set", "1=/1\r\n2=/2\r\n3=/3\r\n");
        QVERIFY(f.store.OpenLibrary());

        // At the ends and with the first line focused by default, nothing changes and nothing is written.
        const quint64 library = f.inode("setlib.dat");
        const quint64 set = f.inode("A.set");
        QVERIFY(f.store.MoveSetUp());
        QVERIFY(f.store.MoveSongUp());
        f.store.setSelectedSet(2);
        QVERIFY(f.store.MoveSetDown());
        f.store.setFocusedSong(2);
        QVERIFY(f.store.MoveSongDown());
        QCOMPARE(f.inode("setlib.dat"), library);
        QCOMPARE(f.inode("A.set"), set);

        QVERIFY(f.store.MoveSetUp());
        QCOMPARE(f.store.selectedSet(), 1);
        QCOMPARE(f.contents("setlib.dat"), QByteArray("A\r\nC\r\nB\r\n"));
        f.store.setFocusedSong(0);
        QVERIFY(f.store.MoveSongDown());
        QCOMPARE(f.store.focusedSong(), 1);
        QCOMPARE(f.contents("A.set"), QByteArray("2=/2\r\n1=/1\r\n3=/3\r\n"));

        // Without a selection nothing moves; a selection out of range is ignored.
        const quint64 moved = f.inode("setlib.dat");
        f.store.setSelectedSet(-1);
        f.store.setSelectedSet(7);
        QCOMPARE(f.store.selectedSet(), -1);
        QVERIFY(f.store.MoveSetDown());
        QCOMPARE(f.inode("setlib.dat"), moved);
    }

    void oneSignalPerOperation()
    {
        LibraryFixture f;
        f.put("setlib.dat", "A\r\nB\r\n");
        QSignalSpy sets(&f.store, &LibraryStore::setListChanged);
        QSignalSpy songs(&f.store, &LibraryStore::songListChanged);
        QVERIFY(f.store.AddSong("/m/x.mp3", "B"));
        QCOMPARE(sets.count(), 1);
        QCOMPARE(songs.count(), 1);
        QCOMPARE(f.store.songs(), QStringList{"x=/m/x.mp3"});
        f.store.setSelectedSet(0);  // the view's own clicks are not echoed
        QCOMPARE(sets.count(), 1);
    }

    void emptyLibraryFolderMeansTheProgramFolder()
    {
        LibraryStore store;
        store.setLibraryFolder("");
        QCOMPARE(store.LibraryFilePath(), QCoreApplication::applicationDirPath() + "/setlib.dat");
        store.setLibraryFolder("/music/");
        QCOMPARE(store.SetFilePath("Rock"), QString("/music/Rock.set"));
        QCOMPARE(store.SetFilePath("../x"), QString());
    }
};

QTEST_GUILESS_MAIN(TestLibraryStore)
#include "test_library_store.moc"
