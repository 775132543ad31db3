// Every operation that writes the user's files, on a file system that is really full (ENOSPC from a small
// tmpfs, not a simulated size limit) and on one mounted read-only: the operation fails with a message that
// names the file, and everything that was on disk before is still there, byte for byte, with no temporary
// file left behind. Runs as root in a private mount namespace; skipped elsewhere.

#include "small_mount.h"

#include "audio/eqs_file.h"
#include "config/settings_file.h"
#include "library/import/folder_import.h"
#include "library/store/library_store.h"
#include "library/store/library_text.h"
#include "tools/scripted_answers.h"
#include "tags/id3v1.h"
#include "tags/MP3Tag.h"
#include "tools/files.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every file of a folder (hidden ones too) with its contents.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : names)
        files.insert(name, fileContents(folder + u'/' + name));
    return files;
}

}  // namespace

class TestFullFilesystem : public QObject {
    Q_OBJECT
    QString skipReason_;

    // A mounted tmpfs holding the library "Rock" (two songs) and "Jazz" (one song).
    static void putLibrary(const SmallMount &m)
    {
        QVERIFY(writeFile(m.filePath(QStringLiteral("setlib.dat")), "Rock\r\nJazz\r\n"));
        QVERIFY(writeFile(m.filePath(QStringLiteral("Rock.set")), "One=/music/one.mp3\r\nTwo=/music/two.mp3\r\n"));
        QVERIFY(writeFile(m.filePath(QStringLiteral("Jazz.set")), "Blue=/music/blue.mp3\r\n"));
    }

    enum class Fault { Full, ReadOnly };
    static bool apply(SmallMount &m, Fault fault) { return fault == Fault::Full ? m.fill() : m.makeReadOnly(); }
    static void addFaults()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("full") << int(Fault::Full);
        QTest::newRow("read-only") << int(Fault::ReadOnly);
    }

private Q_SLOTS:
    void initTestCase()
    {
        skipReason_ = enterPrivateMountNamespace();
        if (skipReason_.isEmpty()) {
            SmallMount probe;
            if (!probe.ok())
                skipReason_ = probe.error();
        }
    }
    void init()
    {
        if (!skipReason_.isEmpty())
            QSKIP(qPrintable(skipReason_));
    }

    void setEdits_data() { addFaults(); }
    void setEdits()
    {
        QFETCH(int, fault);
        SmallMount m;
        QVERIFY(m.ok());
        putLibrary(m);
        QVERIFY(apply(m, Fault(fault)));
        const QMap<QString, QByteArray> before = snapshot(m.path());

        Shell::ScriptedAnswers answers;
        LibraryStore store;
        store.setLibraryFolder(m.path());
        QVERIFY(!store.AddSong(QStringLiteral("/music/new.mp3"), QStringLiteral("Rock")));
        QVERIFY(store.isCurrentSetUnsaved());
        QVERIFY(!store.AddSet(QStringLiteral("Blues"), -1));
        QVERIFY(store.isLibraryUnsaved());
        // A removal that still leaves a song needs a block of its own for the new file.
        QVERIFY(!store.RemoveSong(QStringLiteral("One"), QStringLiteral("Rock")));
        const QStringList texts = answers.texts();
        QCOMPARE(texts.size(), 3);
        QVERIFY2(texts[0].contains(m.filePath(QStringLiteral("Rock.set"))), qPrintable(texts[0]));
        QVERIFY2(texts[1].contains(m.filePath(QStringLiteral("setlib.dat"))), qPrintable(texts[1]));
        QVERIFY2(texts[2].contains(m.filePath(QStringLiteral("Rock.set"))), qPrintable(texts[2]));
        QCOMPARE(snapshot(m.path()), before);
    }

    void folderImport_data() { addFaults(); }
    void folderImport()
    {
        QFETCH(int, fault);
        QTemporaryDir music;
        QVERIFY(music.isValid());
        QVERIFY(QDir().mkpath(music.filePath(QStringLiteral("Rock"))) &&
                QDir().mkpath(music.filePath(QStringLiteral("Soul"))));
        for (int i = 0; i < 30; ++i)
            QVERIFY(writeFile(music.filePath(QStringLiteral("Soul/song number %1.mp3").arg(i)), "x"));
        QVERIFY(writeFile(music.filePath(QStringLiteral("Rock/three.mp3")), "x"));
        SmallMount m;
        QVERIFY(m.ok());
        putLibrary(m);
        QVERIFY(apply(m, Fault(fault)));
        const QMap<QString, QByteArray> before = snapshot(m.path());

        Shell::ScriptedAnswers answers;
        LibraryStore store;
        store.setLibraryFolder(m.path());
        QStringList found;
        const import::FolderImportResult result = import::ImportFolder(store, music.path(), true, found);
        QCOMPARE(result.end, import::ImportEnd::Failed);
        QCOMPARE(answers.texts().size(), 1);
        const QString message = answers.texts().constFirst();
        QVERIFY2(message.contains(m.path() + u'/'), qPrintable(message));
        QCOMPARE(snapshot(m.path()), before);
        QCOMPARE(store.setNames(), (QStringList{QStringLiteral("Rock"), QStringLiteral("Jazz")}));
    }

    void equalizerSave_data() { addFaults(); }
    void equalizerSave()
    {
        QFETCH(int, fault);
        SmallMount m;
        QVERIFY(m.ok());
        const QString path = audio::DefaultEqualizerFile(m.path() + u'/');
        audio::EqualizerPositions old{};
        old[3] = 40;
        QVERIFY(audio::WriteEqsFile(path, old).isEmpty());
        QVERIFY(apply(m, Fault(fault)));
        const QMap<QString, QByteArray> before = snapshot(m.path());

        audio::EqualizerPositions changed{};
        changed.fill(-77);
        const QString error = audio::WriteEqsFile(path, changed);
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(snapshot(m.path()), before);
        const audio::EqsRead read = audio::ReadEqsFile(path);
        QVERIFY(read.opened && read.contents.complete());
        QCOMPARE(read.contents.values, old);
    }

    void tagWrite_data() { addFaults(); }
    void tagWrite()
    {
        QFETCH(int, fault);
        SmallMount m;
        QVERIFY(m.ok());
        // A whole number of pages, so that the appended tag needs a block the full disk does not have.
        const QString path = m.filePath(QStringLiteral("song.mp3"));
        QByteArray audio(8192, '\0');
        for (qsizetype i = 0; i < audio.size(); ++i)
            audio[i] = char(i * 7);
        QVERIFY(writeFile(path, audio));
        QVERIFY(apply(m, Fault(fault)));
        const QMap<QString, QByteArray> before = snapshot(m.path());

        TMP3Tag tag;
        tag.SetFilename(path);
        QVERIFY(!tag.GetValid());
        tag.SetTitle(QStringLiteral("A new title"));
        QString message;
        try {
            tag.WriteTag();
        } catch (const TagFileError &error) {
            message = error.message();
        }
        QVERIFY2(!message.isEmpty(), "the tag write reported no failure");
        QVERIFY2(message.contains(path), qPrintable(message));
        QCOMPARE(tag.GetError(), message);
        QCOMPARE(snapshot(m.path()), before);
    }

    void configurationWrite_data() { addFaults(); }
    void configurationWrite()
    {
        QFETCH(int, fault);
        SmallMount m;
        QVERIFY(m.ok());
        const QString path = m.filePath(QStringLiteral("devud3.dat"));
        const SettingsDefaults defaults{m.path() + u'/', 300, 120};
        Settings old = defaultSettings(defaults);
        old.Options.libraryfolder = QStringLiteral("/music/");
        old.Screen.width = 512;
        old.Hotkeys.Hotkeys[0] = QStringLiteral("CTRL+ALT+S");
        QVERIFY(writeOptionsSettings(path, old).ok() && writeCloseSettings(path, old).ok() &&
                writeHotkeySettings(path, old.Hotkeys).ok());
        QVERIFY(apply(m, Fault(fault)));
        const QMap<QString, QByteArray> before = snapshot(m.path());

        Settings changed = old;
        changed.Options.libraryfolder = QStringLiteral("/elsewhere/");
        changed.Screen.width = 640;
        changed.Hotkeys.Hotkeys[0] = QStringLiteral("CTRL+ALT+T");
        for (const ProfileStatus &status : {writeOptionsSettings(path, changed), writeCloseSettings(path, changed),
                                            writeHotkeySettings(path, changed.Hotkeys)}) {
            QVERIFY(!status.ok());
            QVERIFY2(status.error.contains(path), qPrintable(status.error));
        }
        QCOMPARE(snapshot(m.path()), before);
        Settings read = defaultSettings(defaults);
        QVERIFY(loadSettings(path, defaults, read).ok());
        QCOMPARE(read, old);
    }
};

QTEST_GUILESS_MAIN(TestFullFilesystem)
#include "test_full_filesystem.moc"
