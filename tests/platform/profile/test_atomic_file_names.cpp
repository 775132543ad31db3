// The names of the writer's temporary files. Files whose names are as long as the file system allows (255
// bytes) are written like any other: the temporary file beside them must not need a longer name. Set files
// are named after their sets, and a set made from a folder with a long name gets such a name. Temporary files
// left behind by killed writes are cleared away by name, and nothing else is.

#include "platform/profile/atomic_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestAtomicFileNames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void longNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("255 ASCII bytes") << QString(251, u'a') + QStringLiteral(".set");
        QTest::newRow("241 bytes") << QString(237, u'b') + QStringLiteral(".set");
        QTest::newRow("242 bytes") << QString(238, u'c') + QStringLiteral(".set");
        // Two-byte characters, so that the cut falls inside one of them.
        QTest::newRow("254 bytes of UTF-8") << QString(125, QChar(0xE9)) + QStringLiteral(".set");
        QTest::newRow("three-byte characters") << QString(83, QChar(0x20AC)) + QStringLiteral(".set");
    }
    void longNames()
    {
        QFETCH(QString, name);
        QVERIFY(QFile::encodeName(name).size() <= 255);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(name);
        QCOMPARE(writeFileAtomically(path, "first\r\n"), QString());
        QCOMPARE(writeFileAtomically(path, "second\r\n"), QString());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("second\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }

    void nameTooLongForTheFileSystemIsReported()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QString(256, u'd'));
        const QString error = writeFileAtomically(path, "x");
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains(path), qPrintable(error));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void staleTemporaryFilesGoWithTheNextWriteAndNothingElse()
    {
        // A write killed half-way leaves its hidden temporary file beside the target. The next write into that
        // folder removes such leftovers: only plain files of exactly that name pattern, and only old ones
        // (a young one may belong to a write still going on).
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList stale{".setlib.dat.1a2b3c4d.tmp", ".Rock.set.0.tmp", ".a.b.set.ffffffff.tmp",
                                ".devud3.dat.9.tmp"};
        const QStringList kept{".setlib.dat.1A2B.tmp",
                               ".setlib.dat.123456789.tmp",
                               "setlib.dat.1a2b.tmp",
                               ".setlib.dat.1a2g.tmp",
                               ".setlib.dat.1a2b.tmp~",
                               "..1a2b.tmp",
                               ".setlib.dat.1a2b.TMP",
                               ".setlib.dat..tmp",
                               ".setlib.dat.1a2b.tmp.set",
                               "Rock.set",
                               ".hidden"};
        const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
        const auto make = [&](const QString &name, const QDateTime &when) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write("half a file") > 0 && file.flush());
            QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
        };
        for (const QString &name : stale + kept)
            make(name, old);
        make(".young.set.abc.tmp", QDateTime::currentDateTime());
        QVERIFY(QDir(dir.path()).mkdir(".folder.set.abc.tmp"));
        QVERIFY(QFile::link(dir.filePath("Rock.set"), dir.filePath(".link.set.abc.tmp")));
        QDir(dir.path()).mkdir("sub");
        make("sub/.Jazz.set.1.tmp", old);  // another folder: not written, not touched

        QCOMPARE(writeFileAtomically(dir.filePath("setlib.dat"), "Rock\r\n"), QString());
        QStringList expected =
            kept + QStringList{".young.set.abc.tmp", ".folder.set.abc.tmp", ".link.set.abc.tmp", "setlib.dat", "sub"};
        expected.sort();
        QStringList left =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        left.sort();
        QCOMPARE(left, expected);
        QVERIFY(QFile::exists(dir.filePath("sub/.Jazz.set.1.tmp")));
    }
};

QTEST_GUILESS_MAIN(TestAtomicFileNames)
#include "test_atomic_file_names.moc"
