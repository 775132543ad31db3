// The folder search of "Open Folder...": which files count as MP3 files, which folders are searched, and in
// which order the files come.

#include "import_fixture.h"

#include "library/import/folder_import.h"
#include "library/import/folder_search.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using importtest::touch;

class TestFolderSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void notRecursiveTakesTheFolderOwnMp3Files()
    {
        QTemporaryDir dir;
        const QString album = dir.path() + "/Album";
        touch(album, "02.MP3");  // the extension test is case-sensitive
        touch(album, "01.mp3");
        touch(album, "cover.jpg");
        touch(album, ".hidden.mp3");  // hidden files count
        touch(album, "b.mp3.txt");
        touch(album, "Sub/03.mp3");
        QDir(album).mkdir("folder.mp3");  // a folder is never a song
        QVERIFY(QFile::link(album + "/01.mp3", album + "/link.mp3"));
        QVERIFY(QFile::link(album + "/gone", album + "/broken.mp3"));
        QCOMPARE(::mkfifo(QFile::encodeName(album + "/pipe.mp3").constData(), 0600), 0);

        QStringList found{"kept"};  // the search appends
        QVERIFY(import::SearchForFiles(album, "*.*", false, found));
        QCOMPARE(found, (QStringList{"kept", album + "/.hidden.mp3", album + "/01.mp3", album + "/link.mp3"}));

        // A trailing "/" on the folder does not double it in the paths.
        QStringList again;
        QVERIFY(import::SearchForFiles(album + "/", "*.*", false, again));
        QCOMPARE(again.value(1), album + "/01.mp3");
    }

    void recursiveGoesDepthFirstAndSkipsDotFolders()
    {
        QTemporaryDir dir;
        const QString music = dir.path() + "/Music";
        touch(music, "z.mp3");
        touch(music, "a.mp3");
        touch(music, "Rock/r2.mp3");
        touch(music, "Rock/R1.mp3");
        touch(music, "jazz/Live/j3.mp3");
        touch(music, "jazz/j1.mp3");
        touch(music, ".cache/c.mp3");
        touch(music, "Rock/.git/x.mp3");
        touch(music, "x.mp3/inside.mp3");  // a folder whose name looks like a song is searched
        QVERIFY(QFile::link(music + "/nowhere", music + "/broken.mp3"));

        QStringList found;
        QVERIFY(import::SearchForFiles(music, "*.*", true, found));
        const QString m = music + "/";
        QCOMPARE(found,
                 (QStringList{m + "a.mp3", m + "broken.mp3", m + "jazz/j1.mp3", m + "jazz/Live/j3.mp3",
                              m + "Rock/R1.mp3", m + "Rock/r2.mp3", m + "x.mp3/inside.mp3", m + "z.mp3"}));
    }

    void linkLoopsEndAndAFolderIsSearchedOnce()
    {
        QTemporaryDir dir;
        const QString music = dir.path() + "/Music";
        touch(music, "A/a.mp3");
        QVERIFY(QFile::link(music, music + "/A/back"));    // A/back -> Music
        QVERIFY(QFile::link(music + "/A", music + "/B"));  // B -> A

        QStringList found;
        QVERIFY(import::SearchForFiles(music, "*.*", true, found));
        QCOMPARE(found, QStringList{music + "/A/a.mp3"});
    }

    void maskAndMissingFolder()
    {
        QTemporaryDir dir;
        touch(dir.path(), "a1.mp3");
        touch(dir.path(), "A2.mp3");
        touch(dir.path(), "b1.mp3");
        QStringList found;
        QVERIFY(import::SearchForFiles(dir.path(), "a?.*", false, found));  // wildcards ignore case
        QCOMPARE(found, (QStringList{dir.path() + "/a1.mp3", dir.path() + "/A2.mp3"}));

        QStringList none;
        QVERIFY(import::SearchForFiles(dir.path() + "/missing", "*.*", true, none));
        QVERIFY(none.isEmpty());
    }

    void progressCanEndTheSearch()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 600; ++i)
            touch(dir.path(), QString("d%1/s.mp3").arg(i, 3, 10, QChar('0')));
        QStringList found;
        int calls = 0;
        QVERIFY(!import::SearchForFiles(dir.path(), "*.*", true, found, [&](qsizetype) { return ++calls < 2; }));
        QCOMPARE(calls, 2);
        QVERIFY(!found.isEmpty() && found.size() < 600);
        QCOMPARE(found.first(), dir.path() + "/d000/s.mp3");
    }

    void setNameIsTheLastFolderComponent()
    {
        QCOMPARE(import::SetNameOfFile("/music/Album/01.mp3"), QString("Album"));
        QCOMPARE(import::SetNameOfFile("/a/CD1/x.mp3"), QString("CD1"));
        QCOMPARE(import::SetNameOfFile("/Album.2/x.y.mp3"), QString("Album.2"));
        QCOMPARE(import::SetNameOfFile("/root.mp3"), QString(""));  // no set can be named so
    }
};

QTEST_GUILESS_MAIN(TestFolderSearch)
#include "test_folder_search.moc"
