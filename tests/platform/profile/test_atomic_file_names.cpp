// Files whose names are as long as the file system allows (255 bytes) are written like any other: the
// temporary file beside them must not need a longer name. Set files are named after their sets, and a set
// made from a folder with a long name gets such a name.

#include "platform/profile/atomic_file.h"

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
};

QTEST_GUILESS_MAIN(TestAtomicFileNames)
#include "test_atomic_file_names.moc"
