// The tag component on files: the 128-byte layout read and written, files without or with a damaged tag, and
// failures that must leave the audio bytes as they were.

#include "tags/MP3Tag.h"
#include "tags/tag_bytes.h"
#include "tools/file_size_limit.h"
#include "tools/read_only_run.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace tagbytes;

namespace {

// Records the component's events in the order they fire.
struct Events {
    explicit Events(TMP3Tag &tag)
    {
        tag.onFileNameChange = [this](TMP3Tag *) { log << "filename"; };
        tag.onChange = [this](TMP3Tag *) { log << "change"; };
        tag.onError = [this](TMP3Tag *, const QString &error) { log << "error: " + error; };
    }
    QStringList log;
};

QString withNuls(const char *text, int size, int width)
{
    return QString::fromLatin1(text, size) + QString(width - size, QChar(u'\0'));
}

const char *const kHelperVariable = "DAK_TAG_WRITE_HELPER";

}  // namespace

class TestMP3Tag : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsEachFieldOfTheBlock()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song.mp3");
        put(path,
            audio() +
                block("TAG", field("Caf\xe9", 30, ' '), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd", QByteArray("Al\0bum", 6),
                      "99  ", field(QByteArray(" lead\0", 6), 30, ' '), 200));
        TMP3Tag tag;
        Events events(tag);
        tag.SetFilename(path);

        QVERIFY(tag.GetValid());
        QCOMPARE(events.log, QStringList{"filename"});
        QCOMPARE(tag.GetError(), QString());
        QCOMPARE(tag.GetTitle(), QString("Café"));                             // trailing spaces go
        QCOMPARE(tag.GetArtist(), QString("ABCDEFGHIJKLMNOPQRSTUVWXYZabcd"));  // full width, no NUL
        QCOMPARE(tag.GetAlbum(), withNuls("Al\0bum", 6, 30));                  // NUL bytes stay
        QCOMPARE(Id3v1::ShownText(tag.GetAlbum()), QString("Al"));
        QCOMPARE(tag.GetYear(), QString("99"));
        QCOMPARE(tag.GetComment(), QString::fromLatin1(" lead\0", 6));  // spaces after the NUL go
        QCOMPARE(tag.GetGenreID(), quint8(200));                        // no range test
    }

    void fileWithoutTagIsReadyToBeWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("A rather long name of a song file.mp3");
        const QByteArray lowerCase = block("tag", "Title", "Artist", "", "2000", "", 17);
        put(path, audio() + lowerCase);
        TMP3Tag tag;
        Events events(tag);
        tag.SetFilename(path);

        QVERIFY(!tag.GetValid());
        QCOMPARE(tag.GetError(), TMP3Tag::ErrorNoTag);
        QCOMPARE(events.log, (QStringList{"error: MP3 does not contain a mp3 tag or wrong file format!", "filename"}));
        QCOMPARE(tag.GetTitle(), QString("A rather long name of a song f"));
        QCOMPARE(tag.GetGenreID(), quint8(12));
        QVERIFY(tag.GetArtist().isEmpty() && tag.GetYear().isEmpty());

        // The lower-case block is audio as far as the tag is concerned: a new block goes after it, and a second
        // write replaces that block instead of adding another.
        tag.WriteTag();
        const QByteArray expected = block("TAG", "A rather long name of a song f", "", "", "", "", 12);
        QCOMPARE(contents(path), audio() + lowerCase + expected);
        tag.SetArtist("Someone");
        tag.WriteTag();
        QCOMPARE(contents(path),
                 audio() + lowerCase + block("TAG", "A rather long name of a song f", "Someone", "", "", "", 12));
        QCOMPARE(tag.GetError(), QString());  // a write empties the message of the earlier read
    }

    void filesTooSmallForATag_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("127 bytes") << audio(127);
        QTest::newRow("only a tag block") << block("TAG", "Title", "", "", "", "", 1);
    }

    void filesTooSmallForATag()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("small.mp3");
        put(path, bytes);
        TMP3Tag tag;
        Events events(tag);
        tag.SetFilename(path);
        QVERIFY(!tag.GetValid());
        QCOMPARE(events.log, (QStringList{"error: File too small to be a MP3 file!", "filename"}));
        QVERIFY(tag.GetTitle().isEmpty());
        QCOMPARE(tag.GetGenreID(), quint8(12));

        // Writing appends, even after a 128-byte block that starts with "TAG".
        tag.SetTitle("New");
        tag.WriteTag();
        QCOMPARE(contents(path), bytes + block("TAG", "New", "", "", "", "", 12));
    }

    void missingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("gone.mp3");
        TMP3Tag tag;
        Events events(tag);
        tag.SetFilename(path);
        QCOMPARE(events.log, (QStringList{"error: File does not exist!", "filename"}));
        QCOMPARE(tag.GetError(), TMP3Tag::ErrorFileMissing);
        QVERIFY(tag.GetTitle().isEmpty());

        events.log.clear();
        tag.WriteTag();
        QCOMPARE(events.log, QStringList{"error: File does not exist!"});
        QVERIFY(!QFileInfo::exists(path));

        events.log.clear();
        tag.SetTitle("kept");
        tag.RemoveTag();  // nothing at all: no event, the record stays
        QCOMPARE(events.log, QStringList{"change"});
        QCOMPARE(tag.GetTitle(), QString("kept"));
        QVERIFY(!QFileInfo::exists(path));
    }

    void writesTheBlockInPlaceAndReadsItBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song.mp3");
        put(path, audio() + block("TAG", "Old title", "Old artist", "Old album", "1970", "old", 3));
        TMP3Tag tag;
        tag.SetFilename(path);
        Events events(tag);
        tag.SetTitle("123456789012345678901234567890xyz");  // 33 characters, cut to 30
        tag.SetArtist("Ärzte");
        tag.SetAlbum("");
        tag.SetYear("20245");
        tag.SetComment("Comment");
        tag.SetGenreID(114);
        QCOMPARE(events.log, QStringList(6, "change"));
        QCOMPARE(tag.GetTitle(), QString("123456789012345678901234567890"));
        QCOMPARE(tag.GetYear(), QString("2024"));
        QCOMPARE(contents(path).size(), 1128);  // setters leave the file alone
        QCOMPARE(contents(path).right(128).mid(3, 9), QByteArray("Old title"));

        tag.WriteTag();
        QCOMPARE(contents(path),
                 audio() + block("TAG", "123456789012345678901234567890", "\xc4rzte", "", "2024", "Comment", 114));

        TMP3Tag again;
        again.SetFilename(path);
        QVERIFY(again.GetValid());
        QCOMPARE(again.GetTitle(), tag.GetTitle());
        QCOMPARE(again.GetArtist(), QString("Ärzte") + QString(25, QChar(u'\0')));
        QCOMPARE(again.GetAlbum(), QString(30, QChar(u'\0')));  // an empty field reads as its NUL bytes
        QCOMPARE(again.GetYear(), QString("2024"));
        QCOMPARE(Id3v1::ShownText(again.GetComment()), QString("Comment"));
        QCOMPARE(again.GetGenreID(), quint8(114));
    }

    void charactersOutsideLatin1BecomeQuestionMarks()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song.mp3");
        put(path, audio());
        TMP3Tag tag;
        tag.SetFilename(path);
        // One character is one byte: the emoji (two UTF-16 units) becomes one "?", and a cut never splits it.
        tag.SetTitle(QString::fromUtf8("Grüße 😀 €uro 日本"));
        tag.SetComment(QString(29, u'x') + QString::fromUtf8("😀😀"));
        QCOMPARE(tag.GetComment(), QString(29, u'x') + QString::fromUtf8("😀"));
        tag.WriteTag();
        QCOMPARE(contents(path).right(128),
                 block("TAG",
                       "Gr\xfc\xdf"
                       "e ? ?uro ??",
                       "", "", "", QByteArray(29, 'x') + "?", 12));
    }

    void removeCutsOnlyAnUpperCaseTag()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song.mp3");
        put(path, audio() + block("TAG", "Title", "", "", "", "", 1));
        TMP3Tag tag;
        tag.SetFilename(path);
        Events events(tag);
        tag.RemoveTag();
        QCOMPARE(contents(path), audio());
        QVERIFY(!tag.GetValid());
        QCOMPARE(tag.GetTitle(), QString("song.mp3"));
        QCOMPARE(events.log, QStringList{"error: " + TMP3Tag::ErrorNoTag});

        // No tag left: removing again changes nothing.
        tag.RemoveTag();
        QCOMPARE(contents(path), audio());

        const QByteArray lowerCase = audio() + block("tag", "Title", "", "", "", "", 1);
        put(path, lowerCase);
        tag.RemoveTag();
        QCOMPARE(contents(path), lowerCase);
    }

    void genreList()
    {
        QCOMPARE(GenreNames.size(), size_t(115));
        const QList<QPair<int, QString>> samples{{0, "Blues"},        {12, "Other"},     {40, "AlternRock"},
                                                 {67, "Psychadelic"}, {79, "Hard Rock"}, {80, "Folk"},
                                                 {81, "Folk/Rock"},   {84, "Bebob"},     {92, "Psychedelic Rock"},
                                                 {104, "Sonata"},     {114, "Folklore"}};
        for (const auto &[index, name] : samples)
            QCOMPARE(QString::fromLatin1(GenreNames[index]), name);
    }

    // Files that exist but cannot be used: the failure goes to the caller and into Error, never to onError,
    // and the file stays as it was.

    void folderInPlaceOfTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song.mp3");
        QVERIFY(QDir().mkdir(path));
        TMP3Tag tag;
        Events events(tag);
        QVERIFY_THROWS_EXCEPTION(TagFileError, tag.SetFilename(path));
        QVERIFY2(tag.GetError().contains(path), qPrintable(tag.GetError()));
        QVERIFY_THROWS_EXCEPTION(TagFileError, tag.WriteTag());
        QVERIFY_THROWS_EXCEPTION(TagFileError, tag.RemoveTag());
        QVERIFY(events.log.isEmpty());
        QVERIFY(QFileInfo(path).isDir());
    }

    void fileInUseByAnotherWriter()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song.mp3");
        const QByteArray before = audio() + block("TAG", "Title", "", "", "", "", 1);
        put(path, before);
        TMP3Tag tag;
        tag.SetFilename(path);

        const int other = ::open(QFile::encodeName(path).constData(), O_RDWR);
        QVERIFY(other >= 0);
        QCOMPARE(::flock(other, LOCK_EX), 0);
        QVERIFY_THROWS_EXCEPTION(TagFileError, tag.WriteTag());
        QVERIFY(tag.GetError().contains("in use"));
        QVERIFY_THROWS_EXCEPTION(TagFileError, tag.RemoveTag());
        QVERIFY_THROWS_EXCEPTION(TagFileError, tag.ReadTag());
        QCOMPARE(contents(path), before);

        ::close(other);
        tag.SetTitle("Now");
        tag.WriteTag();
        QCOMPARE(contents(path), audio() + block("TAG", "Now", "", "", "", "", 12));
    }

    void failedAppendLeavesTheFileAsItWas()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song.mp3");
        put(path, audio());
        TMP3Tag tag;
        tag.SetFilename(path);

        // A file-size limit 50 bytes above the audio: the block is written in part, then writing fails with
        // EFBIG the way a full disk fails with ENOSPC.
        FileSizeLimit limit(audio().size() + 50);
        QVERIFY(limit.set());
        QString message;
        try {
            tag.WriteTag();
        } catch (const TagFileError &error) {
            message = error.message();
        }
        QVERIFY(limit.lift());

        QVERIFY2(message.contains(path) && message.contains("too large"), qPrintable(message));
        QCOMPARE(tag.GetError(), message);
        QCOMPARE(contents(path), audio());
    }

    void readOnlyMountLeavesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song.mp3");
        const QByteArray before = audio() + block("TAG", "Title", "", "", "", "", 1);
        put(path, before);

        // Write and remove run in this program, started again inside a private mount namespace in which the
        // folder is a read-only bind mount; the folder stays writable for everyone else.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kHelperVariable, path);
        const ReadOnlyRun helper = RunAgainOnReadOnlyFolder(dir.path(), {}, env);
        if (!helper.finished)
            QSKIP("unshare is not available here");
        const QString output = helper.output;
        if (helper.exitCode != 0 && helper.exitCode != 3)
            QSKIP(qPrintable("no read-only mount possible here: " + helper.errors));

        QCOMPARE(helper.exitCode, 3);
        const QStringList lines = output.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);  // the write's message, then the removal's
        for (const QString &line : lines)
            QVERIFY2(line.contains(path) && line.contains("Read-only file system"), qPrintable(output));
        QCOMPARE(contents(path), before);
    }
};

int main(int argc, char **argv)
{
    // Helper mode for readOnlyMountLeavesTheFile: read, then try to write and to remove the tag; print each
    // failure's Error on a line; exit 3 when both failed.
    if (const QByteArray path = qgetenv(kHelperVariable); !path.isEmpty()) {
        TMP3Tag tag;
        tag.SetFilename(QString::fromLocal8Bit(path));
        tag.SetTitle("Changed");
        int failures = 0;
        for (const auto &call : {&TMP3Tag::WriteTag, &TMP3Tag::RemoveTag}) {
            try {
                (tag.*call)();
            } catch (const TagFileError &) {
                std::printf("%s\n", tag.GetError().toLocal8Bit().constData());
                ++failures;
            }
        }
        return failures == 2 ? 3 : 0;
    }
    QCoreApplication app(argc, argv);
    TestMP3Tag test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_mp3tag.moc"
