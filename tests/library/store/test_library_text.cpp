// The library's text format (line ends, encodings, song lines) and its path and name helpers.

#include "library/store/library_paths.h"
#include "library/store/library_text.h"
#include "platform/profile/legacy_text.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLibraryText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("no final line end") << QByteArray("Rock\r\nJazz") << QStringList{"Rock", "Jazz"};
        QTest::newRow("CR LF") << QByteArray("Rock\r\nJazz\r\n") << QStringList{"Rock", "Jazz"};
        QTest::newRow("LF") << QByteArray("Rock\nJazz\n") << QStringList{"Rock", "Jazz"};
        QTest::newRow("CR") << QByteArray("Rock\rJazz\r") << QStringList{"Rock", "Jazz"};
        QTest::newRow("mixed") << QByteArray("a\rb\nc\r\nd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("CR LF CR LF at the end") << QByteArray("Rock\r\n\r\n") << QStringList{"Rock", ""};
        QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("LF then CR is two line ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("empty line inside") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
        QTest::newRow("spaces belong to the name") << QByteArray(" Rock \r\n") << QStringList{" Rock "};
        QTest::newRow("byte-order mark at the start") << QByteArray("\xEF\xBB\xBFRock\r\n") << QStringList{"Rock"};
    }

    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(SplitLibraryText(bytes), lines);
    }

    void encodings()
    {
        // Each line on its own: UTF-8 when valid, else Windows-1252, also within one file.
        QCOMPARE(SplitLibraryText("Caf\xC3\xA9\r\n"), QStringList{u"Café"_qs});
        QCOMPARE(SplitLibraryText("Caf\xE9=/m/caf\xE9.mp3\r\n\xC3\x9C\r\n\x80 \x93x\x94\r\n"),
                 (QStringList{u"Café=/m/café.mp3"_qs, u"Ü"_qs, u"€ “x”"_qs}));
        // A UTF-8 sequence cut short at the end of the file is not UTF-8.
        QCOMPARE(SplitLibraryText("ok\r\n\xC3"), (QStringList{"ok", u"Ã"_qs}));
        // A byte-order mark that is not at the start is text.
        QCOMPARE(SplitLibraryText("a\r\n\xEF\xBB\xBF"
                                  "b"),
                 (QStringList{"a", QString(QChar(0xFEFF)) + "b"}));
    }

    void wholeFileDecodingAgreesWithLineDecoding_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("four-byte sequence") << QByteArray("\xF0\x9F\x8E\xB5 song");
        QTest::newRow("noncharacter") << QByteArray("\xEF\xBF\xBF");
        QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF");
        QTest::newRow("above the highest") << QByteArray("\xF4\x90\x80\x80");
        QTest::newRow("overlong two bytes") << QByteArray("\xC0\x80");
        QTest::newRow("overlong three bytes") << QByteArray("\xE0\x80\xAF");
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80");
        QTest::newRow("lone continuation") << QByteArray("a\x80");
        QTest::newRow("cut short") << QByteArray("\xE2\x82");
        QTest::newRow("F5 lead") << QByteArray("\xF5\x80\x80\x80");
    }

    void wholeFileDecodingAgreesWithLineDecoding()
    {
        // A file is decoded in one go when it is valid UTF-8 throughout; the result must be the one that
        // decoding each line on its own gives.
        QFETCH(QByteArray, line);
        const QByteArray file = "plain\r\n" + line + "\r\n" + line + "x\r\n";
        const QStringList expected{"plain", decodeUtf8OrWindows1252(line), decodeUtf8OrWindows1252(line + "x")};
        QCOMPARE(SplitLibraryText(file), expected);
        QCOMPARE(SplitLibraryText(line), QStringList{decodeUtf8OrWindows1252(line)});
    }

    void writtenFormat()
    {
        QCOMPARE(EncodeLibraryText({}), QByteArray());
        QCOMPARE(EncodeLibraryText({"Rock", "", u"Café"_qs}), QByteArray("Rock\r\n\r\nCaf\xC3\xA9\r\n"));
        const QStringList odd{"", " x ", "A=B=C", u"€"_qs, "", ""};
        QCOMPARE(SplitLibraryText(EncodeLibraryText(odd)), odd);
    }

    void readingFiles()
    {
        QTemporaryDir dir;
        QCOMPARE(ReadLibraryText(dir.filePath("none.set")).status, LibraryTextRead::Status::Missing);
        // A folder under the name exists but cannot be read as a file.
        QVERIFY(QDir(dir.path()).mkdir("folder.set"));
        const LibraryTextRead folder = ReadLibraryText(dir.filePath("folder.set"));
        QCOMPARE(folder.status, LibraryTextRead::Status::Unreadable);
        QVERIFY(folder.lines.isEmpty());

        QFile file(dir.filePath("a.set"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x=/a\ny=/b");
        file.close();
        const LibraryTextRead read = ReadLibraryText(file.fileName());
        QVERIFY(read.ok());
        QCOMPARE(read.lines, (QStringList{"x=/a", "y=/b"}));
    }

    void songLines()
    {
        QCOMPARE(SongTitle("A=B=C"), QString("A"));
        QCOMPARE(SongPath("A=B=C"), QString("B=C"));
        QCOMPARE(SongTitle("Track"), QString());
        QCOMPARE(SongPath("Track"), QString("Track"));
        QCOMPARE(SongTitle("=/m/x.mp3"), QString());
        QCOMPARE(SongPath("=/m/x.mp3"), QString("/m/x.mp3"));
        QCOMPARE(SongPath("x="), QString());
        QCOMPARE(SongLine("Intro", "/m/a=b.mp3"), QString("Intro=/m/a=b.mp3"));
    }

    void pathHelpers()
    {
        QCOMPARE(ForceBackSlash("/music"), QString("/music/"));
        QCOMPARE(ForceBackSlash("/music/"), QString("/music/"));
        QCOMPARE(ForceBackSlash(""), QString("/"));
        QCOMPARE(StripLastBackSlash("/music/"), QString("/music"));
        QCOMPARE(StripLastBackSlash("/music//"), QString("/music/"));
        QCOMPARE(StripLastBackSlash("/"), QString());
        QCOMPARE(StripLastBackSlash("/music"), QString("/music"));
        QCOMPARE(RPos("/", "/music/album"), 7);
        QCOMPARE(RPos("/", "album"), 0);
        QCOMPARE(RPos("aa", "xaaa"), 3);  // the overlapping occurrence counts
        QCOMPARE(RPos("", "abc"), 0);
    }

    void titleFromFilePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("extension") << "/music/Intro.mp3"
                                   << "Intro";
        QTest::newRow("dots in the name") << "/music/Best.Of.mp3"
                                          << "Best.Of";
        QTest::newRow("no extension") << "/music/README"
                                      << "README";
        QTest::newRow("dot in the folder only") << "/music.d/song"
                                                << "song";
        QTest::newRow("hidden file") << "/music/.hidden"
                                     << ".hidden";
        QTest::newRow("bare file name") << "Songs here [You can safely delete this item].mp3"
                                        << "Songs here [You can safely delete this item]";
        QTest::newRow("equals sign") << "/music/a=b.mp3"
                                     << "a-b";
        QTest::newRow("folder") << "/music/"
                                << "";
    }

    void titleFromFilePath()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(TitleFromFilePath(path), title);
        // The line the title makes always reads back with that title and the whole path.
        QCOMPARE(SongPath(SongLine(TitleFromFilePath(path), path)), path);
    }

    void setNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "Rock" << true;
        QTest::newRow("spaces") << " Rock and Roll " << true;
        QTest::newRow("non-ASCII") << u"Música €"_qs << true;
        QTest::newRow("dots inside") << "a.b" << true;
        QTest::newRow("three dots") << "..." << true;
        QTest::newRow("backslash and colon") << "C:\\x" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dot dot") << ".." << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("leading slash") << "/etc/passwd" << false;
        QTest::newRow("line feed") << "a\nb" << false;
        QTest::newRow("carriage return") << "a\rb" << false;
        QTest::newRow("nul") << QString("a") + QChar(u'\0') << false;
        QTest::newRow("longest") << QString(251, u'x') << true;
        QTest::newRow("too long") << QString(252, u'x') << false;
        QTest::newRow("too long in UTF-8") << QString(126, u'é') << false;
    }

    void setNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(SetNameProblem(name).isEmpty(), valid);
    }
};

QTEST_GUILESS_MAIN(TestLibraryText)
#include "test_library_text.moc"
