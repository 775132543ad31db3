// Lines read from a library or set file and written back read again as the same lines, also when the file
// began with two byte-order marks: the second is part of the first set name or song line, and a rewrite that
// dropped it would rename the set (whose file then no longer matches) or the song.

#include "library/store/library_store.h"
#include "library/store/library_text.h"
#include "tools/scripted_answers.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLibraryTextRoundTrip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linesSurviveARewrite_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("plain") << QByteArray("Rock\r\nJazz\r\n");
        QTest::newRow("one mark") << QByteArray("\xEF\xBB\xBFRock\r\n");
        QTest::newRow("two marks") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFRock\r\nJazz\r\n");
        QTest::newRow("two marks, only them") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF");
        QTest::newRow("two marks, 8-bit line after") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFR\nCaf\xE9\n");
        QTest::newRow("mark on a later line") << QByteArray("Rock\r\n\xEF\xBB\xBFJazz\r\n");
    }
    void linesSurviveARewrite()
    {
        QFETCH(QByteArray, file);
        const QStringList lines = SplitLibraryText(file);
        QCOMPARE(SplitLibraryText(EncodeLibraryText(lines)), lines);
    }

    void encodingWithoutLeadingMarkIsUnchanged()
    {
        QCOMPARE(EncodeLibraryText({QStringLiteral("Rock"), QStringLiteral("\uFEFFJazz")}),
                 QByteArray("Rock\r\n\xEF\xBB\xBFJazz\r\n"));
        QCOMPARE(EncodeLibraryText({QStringLiteral("\uFEFFRock")}), QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFRock\r\n"));
    }

    void setWhoseNameStartsWithAMarkKeepsItsSongs()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = QStringLiteral("\uFEFFRock");
        QFile library(dir.filePath(QStringLiteral("setlib.dat")));
        QVERIFY(library.open(QIODevice::WriteOnly));
        library.write("\xEF\xBB\xBF\xEF\xBB\xBFRock\r\nJazz\r\n");
        library.close();
        QFile set(dir.filePath(name + QStringLiteral(".set")));
        QVERIFY(set.open(QIODevice::WriteOnly));
        set.write("One=/music/one.mp3\r\n");
        set.close();

        Shell::ScriptedAnswers answers;
        LibraryStore store;
        store.setLibraryFolder(dir.path());
        QVERIFY(store.AddSet(QStringLiteral("Blues"), -1));
        QVERIFY(store.OpenLibrary());
        QCOMPARE(store.setNames(), (QStringList{name, QStringLiteral("Jazz"), QStringLiteral("Blues")}));
        store.OpenSet(name);
        QCOMPARE(store.songs(), QStringList{QStringLiteral("One=/music/one.mp3")});
        QVERIFY(answers.texts().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLibraryTextRoundTrip)
#include "test_library_text_roundtrip.moc"
