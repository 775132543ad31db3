// A writer process killed with SIGKILL at random moments while it rewrites the library's set file and the
// configuration file, over and over: after every kill each file is one complete version, the one before the
// interrupted write or the one after it, never a mix of the two, cut short or empty, and the files it was not
// writing are untouched. The random moments come from a seed printed at the start, so a failing run can be
// repeated with DAK_FAULT_SEED.

#include "write_plan.h"

#include "library/store/library_text.h"
#include "platform/profile/ini_document.h"
#include "tools/files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/types.h>

namespace {

constexpr int kRounds = 30;

int leftoverTemporaryFiles(const QString &folder)
{
    return int(QDir(folder).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden).size());
}

}  // namespace

class TestKillDuringWrite : public QObject {
    Q_OBJECT
    QRandomGenerator random_;

    // Starts the writer, lets it write for a random moment after its first complete step, and kills it.
    bool runAndKill(const QString &mode, const QString &path, QString &why)
    {
        QProcess writer;
        writer.setProcessChannelMode(QProcess::SeparateChannels);
        writer.start(QStringLiteral(FAULT_WRITER), {mode, path});
        if (!writer.waitForStarted(10000)) {
            why = writer.errorString();
            return false;
        }
        while (!writer.canReadLine()) {
            if (!writer.waitForReadyRead(30000)) {
                why = QStringLiteral("the writer never got ready: ") +
                    QString::fromLocal8Bit(writer.readAllStandardError());
                writer.kill();
                writer.waitForFinished(5000);
                return false;
            }
        }
        QTest::qSleep(int(random_.bounded(40)));
        ::kill(pid_t(writer.processId()), SIGKILL);
        writer.waitForFinished(10000);
        if (writer.exitStatus() != QProcess::CrashExit) {
            why =
                QStringLiteral("the writer ended on its own: ") + QString::fromLocal8Bit(writer.readAllStandardError());
            return false;
        }
        return true;
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QByteArray fixed = qgetenv("DAK_FAULT_SEED");
        const quint32 seed = fixed.isEmpty() ? QRandomGenerator::global()->generate() : fixed.toUInt();
        qInfo("DAK_FAULT_SEED=%u", seed);
        random_.seed(seed);
    }

    void libraryWriteKilled()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString library = dir.filePath(QStringLiteral("setlib.dat"));
        const QString big = dir.filePath(QStringLiteral("Big.set"));
        const QString other = dir.filePath(QStringLiteral("Other.set"));
        const QByteArray libraryBytes = EncodeLibraryText({QStringLiteral("Other"), QStringLiteral("Big")});
        const QByteArray otherBytes = EncodeLibraryText({QStringLiteral("One=/music/one.mp3")});
        const QStringList initial = faultplan::initialSongs();
        QVERIFY(writeFile(library, libraryBytes) && writeFile(other, otherBytes) &&
                writeFile(big, EncodeLibraryText(initial)));

        qsizetype lastAdded = 0;
        for (int round = 0; round < kRounds; ++round) {
            QString why;
            QVERIFY2(runAndKill(QStringLiteral("library"), dir.path(), why), qPrintable(why));
            QCOMPARE(fileContents(library), libraryBytes);
            QCOMPARE(fileContents(other), otherBytes);
            const QByteArray bytes = fileContents(big);
            const QStringList lines = SplitLibraryText(bytes);
            // Whole: every line complete, each with its line end.
            QCOMPARE(bytes, EncodeLibraryText(lines));
            QVERIFY2(lines.size() >= initial.size(), qPrintable(QString::number(lines.size())));
            QVERIFY(lines.mid(0, initial.size()) == initial);
            const QStringList added = lines.mid(initial.size());
            for (qsizetype i = 0; i < added.size(); ++i)
                QCOMPARE(SongPath(added[i]), faultplan::songPath(int(i)));
            // The writer's steps are never undone: each round starts from what the one before left.
            QVERIFY(added.size() >= lastAdded);
            lastAdded = added.size();
        }
        QVERIFY2(lastAdded > 0, "the writer never completed a step");
        qInfo("%lld songs added in %d rounds; %d temporary files left behind by the kills", qlonglong(lastAdded),
              kRounds, leftoverTemporaryFiles(dir.path()));
    }

    void configurationWriteKilled()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("devud3.dat"));
        IniDocument original = IniDocument::fromBytes(
            "; written by an older version\r\n[Options]\r\nautoplayonopen=1\r\nlibraryfolder=/music/\r\n"
            "[LastOpened]\r\nLastOpenedLibrarySetName=Rock\r\nLastOpenedLibrarySongTitle=First\r\n");
        for (int i = 0; i < 400; ++i)
            QVERIFY(original.setValue(u"Padding", QStringLiteral("key%1").arg(i), QString(200, u'p')).isEmpty());
        QVERIFY(writeFile(path, original.toBytes()));

        int lastCounter = -1;
        for (int round = 0; round < kRounds; ++round) {
            QString why;
            QVERIFY2(runAndKill(QStringLiteral("config"), path, why), qPrintable(why));
            const QByteArray bytes = fileContents(path);
            QVERIFY(bytes.endsWith("\r\n"));
            const IniDocument doc = IniDocument::fromBytes(bytes);
            QCOMPARE(doc.toBytes(), bytes);
            QCOMPARE(doc.entries(u"Options"), original.entries(u"Options"));
            QCOMPARE(doc.entries(u"Padding"), original.entries(u"Padding"));
            QCOMPARE(doc.value(u"LastOpened", u"LastOpenedLibrarySetName"),
                     std::optional<QString>(QStringLiteral("Rock")));
            const std::optional<int> counter = parseProfileInteger(doc.value(u"Fault", u"counter").value_or(QString()));
            QVERIFY2(counter.has_value(), bytes.right(300).constData());
            QCOMPARE(doc.value(u"Fault", u"payload"), std::optional<QString>(faultplan::payload(*counter)));
            // The second write of the last step may or may not have happened (the run was killed after its
            // first step was complete).
            const QString title = doc.value(u"LastOpened", u"LastOpenedLibrarySongTitle").value_or(QString());
            QVERIFY2(title == faultplan::songTitle(*counter) ||
                         (*counter > 0 && title == faultplan::songTitle(*counter - 1)),
                     qPrintable(title + QStringLiteral(" with counter ") + QString::number(*counter)));
            lastCounter = qMax(lastCounter, *counter);
        }
        QVERIFY(lastCounter >= 0);
        qInfo("up to %d steps per run; %d temporary files left behind by the kills", lastCounter + 1,
              leftoverTemporaryFiles(dir.path()));
    }
};

QTEST_GUILESS_MAIN(TestKillDuringWrite)
#include "test_kill_during_write.moc"
