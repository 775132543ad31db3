// Reading and writing profile files on disk: creation on first write, fresh reads before each write, and
// writes that fail (missing folder, full file-size limit, read-only mount) without touching the old file.

#include "platform/profile/profile_file.h"
#include "tools/files.h"
#include "tools/file_size_limit.h"
#include "tools/read_only_run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// Everything in the folder, hidden files included: a failed write must leave no temporary file behind.
QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

const char *const kHelperVariable = "DAK_PROFILE_WRITE_HELPER";

}  // namespace

class TestProfileFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void missingFileGivesDefaultsAndFirstWriteCreatesIt()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("devud3.dat");
        ProfileFile file(path);
        QVERIFY(file.readStatus().ok());
        QVERIFY(!file.exists());
        QCOMPARE(file.readString(u"Options", u"libraryfolder", "dflt"), QString("dflt"));
        QCOMPARE(file.readInteger(u"Options", u"RewindTime", 5000), 5000);
        QCOMPARE(file.readBool(u"Options", u"randomset", true), true);

        QVERIFY(file.writeInteger(u"Options", u"RewindTime", -16).ok());
        QVERIFY(file.writeBool(u"Options", u"randomset", true).ok());
        QCOMPARE(fileContents(path), QByteArray("[Options]\r\nRewindTime=-16\r\nrandomset=1\r\n"));
        QCOMPARE(file.readInteger(u"options", u"rewindtime", 0), -16);
        QCOMPARE(ProfileFile(path).readBool(u"OPTIONS", u"RANDOMSET", false), true);
    }

    void eachWriteStartsFromTheFileOnDisk()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("t.ini");
        ProfileFile file(path);
        QVERIFY(file.writeString(u"A", u"mine", u"1").ok());
        putFile(path, "; edited by hand\n[A]\nmine=1\nhis=2\n");
        QVERIFY(file.writeString(u"A", u"mine", u"3").ok());
        QCOMPARE(fileContents(path), QByteArray("; edited by hand\n[A]\nmine=3\nhis=2\n"));
        QCOMPARE(file.readString(u"A", u"his", {}), QString("2"));
    }

    void batchReadsLikeKeyByKey()
    {
        QTemporaryDir dir;
        const QByteArray start = "[B]\nb=0\n";
        putFile(dir.filePath("one"), start);
        putFile(dir.filePath("batch"), start);
        const QList<ProfileWrite> writes{{"A", "x", "1"}, {"B", "b", "2"}, {"a", "X", "3"}, {"C", "c", ""}};
        ProfileFile one(dir.filePath("one"));
        for (const ProfileWrite &w : writes)
            QVERIFY(one.writeString(w.section, w.key, w.value).ok());
        QVERIFY(ProfileFile(dir.filePath("batch")).write(writes).ok());
        QCOMPARE(fileContents(dir.filePath("batch")), fileContents(dir.filePath("one")));

        // A batch with a bad key writes nothing at all.
        const QByteArray before = fileContents(dir.filePath("batch"));
        const ProfileStatus status = ProfileFile(dir.filePath("batch")).write({{"A", "x", "9"}, {"A", "bad=key", "1"}});
        QVERIFY(status.error.contains(dir.filePath("batch")));
        QCOMPARE(fileContents(dir.filePath("batch")), before);
    }

    void unreadableFileIsNeverWrittenOver()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("devud3.dat");
        QVERIFY(QDir().mkdir(path));
        ProfileFile file(path);
        QVERIFY(!file.readStatus().ok());
        QVERIFY(file.readStatus().error.contains(path));
        const ProfileStatus status = file.writeString(u"S", u"k", u"v");
        QVERIFY(status.error.contains(path));
        QVERIFY(QFileInfo(path).isDir());
    }

    void fullDiskLeavesTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("devud3.dat");
        const QByteArray old = "[Options]\r\nRewindTime=5000\r\n";
        putFile(path, old);

        // A file-size limit makes write() fail with EFBIG the way a full disk fails with ENOSPC.
        FileSizeLimit limit(64);
        QVERIFY(limit.set());
        ProfileFile file(path);
        const ProfileStatus status = file.writeString(u"Options", u"libraryfolder", QString(500, u'x'));
        QVERIFY(limit.lift());

        QVERIFY(!status.ok());
        QVERIFY2(status.error.contains(path), qPrintable(status.error));
        QCOMPARE(fileContents(path), old);
        QCOMPARE(folderEntries(dir.path()), QStringList{"devud3.dat"});
        QCOMPARE(file.readString(u"Options", u"libraryfolder", "unchanged"), QString("unchanged"));
    }

    void readOnlyFolderLeavesTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("devud3.dat");
        const QByteArray old = "[Options]\nRewindTime=5000\n";
        putFile(path, old);

        // The write runs in this program, started again inside a private mount namespace in which the folder
        // is a read-only bind mount; the folder stays writable for everyone else.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kHelperVariable, path);
        const ReadOnlyRun helper = RunAgainOnReadOnlyFolder(dir.path(), {}, env);
        if (!helper.finished)
            QSKIP("unshare is not available here");
        const QString output = helper.output;
        if (helper.exitCode != 0 && helper.exitCode != 3)
            QSKIP(qPrintable("no read-only mount possible here: " + helper.errors));

        QCOMPARE(helper.exitCode, 3);
        QVERIFY2(output.contains(path) && output.contains("Read-only file system"), qPrintable(output));
        QCOMPARE(fileContents(path), old);
        QCOMPARE(folderEntries(dir.path()), QStringList{"devud3.dat"});
    }

    void modeAndLinksSurviveAWrite()
    {
        QTemporaryDir dir;
        const QString real = dir.filePath("real.ini");
        const QString link = dir.filePath("link.ini");
        putFile(real, "[S]\nk=1\n");
        QCOMPARE(::chmod(QFile::encodeName(real).constData(), 0640), 0);
        QVERIFY(QFile::link(real, link));

        QVERIFY(ProfileFile(link).writeString(u"S", u"k", u"2").ok());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(fileContents(real), QByteArray("[S]\nk=2\n"));
        struct stat info { };
        QCOMPARE(::stat(QFile::encodeName(real).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, 0640u);
    }
};

int main(int argc, char **argv)
{
    // Helper mode for readOnlyFolderLeavesTheOldFile: write one key, print the outcome, exit 3 on failure.
    if (const QByteArray path = qgetenv(kHelperVariable); !path.isEmpty()) {
        const ProfileStatus status =
            ProfileFile(QString::fromLocal8Bit(path)).writeString(u"Options", u"RewindTime", u"1");
        std::fputs(status.error.toLocal8Bit().constData(), stdout);
        return status.ok() ? 0 : 3;
    }
    QCoreApplication app(argc, argv);
    TestProfileFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_profile_file.moc"
