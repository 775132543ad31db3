// The shell-class keys kept as freedesktop files: Exec lines from shell command lines, the default
// application in mimeapps.list, and the desktop entry, icon and mimeapps.list written key by key into
// temporary XDG folders, with the failures that stop a sequence.

#include "platform/registry/desktop_entry.h"
#include "platform/registry/mime_apps.h"
#include "platform/registry/shell_classes.h"
#include "platform/registry/xdg_locations.h"
#include "read_only_folder.h"
#include "tools/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace registry;

namespace {

QString Value(const QList<KeyValue> &keys, const QString &key)
{
    for (const KeyValue &kv : keys) {
        if (kv.key == key)
            return kv.value;
    }
    return QStringLiteral("<absent>");
}

const QByteArray kPng = QByteArrayLiteral("\x89PNG\r\n\x1a\nnot really a picture");

ShellClassBinding Mp3Binding()
{
    return {QStringLiteral("mp3File"), QStringLiteral("dak-mp3"), QStringLiteral("DAK-MP3"),
            QStringLiteral("audio/mpeg"), kPng};
}

// The seven writes of the program's association, for a program at `program`.
QList<std::pair<QString, QString>> Writes(const QString &program)
{
    const QString quoted = QLatin1Char('"') + program + QLatin1Char('"');
    return {{QStringLiteral("mp3File\\DefaultIcon"), program + QStringLiteral(",0")},
            {QStringLiteral("mp3File\\EditFlags"), QStringLiteral("_H_00010000")},
            {QStringLiteral("mp3File\\shell"), QStringLiteral("open")},
            {QStringLiteral("mp3File\\shell\\open"), QStringLiteral("&Open")},
            {QStringLiteral("mp3File\\shell\\open\\command"), quoted + QStringLiteral(" %1")},
            {QStringLiteral("mp3File\\shell\\play"), QStringLiteral("&Play")},
            {QStringLiteral("mp3File\\shell\\play\\command"), quoted + QStringLiteral(" \"%L\"")}};
}

// Writes them in order; returns the first failure, empty when all were written.
QString WriteAll(ClassesRoot &root, const QString &program)
{
    for (const auto &[key, value] : Writes(program)) {
        const QString error = root.WriteDefaultValue(key, value);
        if (!error.isEmpty())
            return error;
    }
    return {};
}

}  // namespace

class TestRegistry : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    XdgLocations m_where;

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        m_where = {m_dir.path() + QStringLiteral("/data"), m_dir.path() + QStringLiteral("/config")};
    }

    void execFromShellCommandLines_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("exec");
        QTest::newRow("open, %1 without quotes") << "\"/opt/dak/dak-mp3\" %1"
                                                 << "/opt/dak/dak-mp3 %f";
        QTest::newRow("play, %L in quotes") << "\"/opt/dak/dak-mp3\" \"%L\""
                                            << "/opt/dak/dak-mp3 %f";
        QTest::newRow("blank in the path") << "\"/opt/dak mp3/dak-mp3\" %1"
                                           << "\"/opt/dak mp3/dak-mp3\" %f";
        QTest::newRow("percent sign") << "\"/opt/100%/dak-mp3\" %1"
                                      << "/opt/100%%/dak-mp3 %f";
        QTest::newRow("shell characters") << "\"/opt/it's $HOME/`x`\" %1"
                                          << "\"/opt/it's \\$HOME/\\`x\\`\" %f";
        QTest::newRow("backslash and quote") << "\"/opt/a\\b/dak\" %1"
                                             << "\"/opt/a\\\\b/dak\" %f";
        QTest::newRow("other arguments stay") << "/bin/dak --play %1 -q"
                                              << "/bin/dak --play %f -q";
    }
    void execFromShellCommandLines()
    {
        QFETCH(QString, command);
        QFETCH(QString, exec);
        QCOMPARE(ExecFromCommandLine(command), exec);
    }

    void stringValuesEscapeBothWays()
    {
        // A literal backslash inside a quoted Exec argument takes four in the file.
        QCOMPARE(EscapeValue(ExecFromCommandLine(QStringLiteral("\"/a\\b\" %1"))),
                 QStringLiteral("\"/a\\\\\\\\b\" %f"));
        QCOMPARE(EscapeValue(QStringLiteral(" lead")), QStringLiteral("\\slead"));
        for (const QString &text : {QStringLiteral(" lead and trail "), QStringLiteral("a\\b\\\\c"),
                                    QStringLiteral("x\ny\tz\r"), QStringLiteral("\\s is not a blank")})
            QCOMPARE(UnescapeValue(EscapeValue(text)), text);
        QCOMPARE(UnescapeValue(QStringLiteral("keep \\q")), QStringLiteral("keep \\q"));
    }

    void readsOneGroup()
    {
        const QByteArray text = "# comment\n[Desktop Entry]\nName=Other\n\n[X-Shell Class mp3File]\n"
                                "# note\nshell = open\nbroken line\nDefaultIcon=\\s/a,0\n[Desktop Action x]\nName=X\n";
        const QList<KeyValue> keys = ReadGroup(text, QStringLiteral("X-Shell Class mp3File"));
        QCOMPARE(keys, (QList<KeyValue>{{"shell", "open"}, {"DefaultIcon", " /a,0"}}));
        QVERIFY(ReadGroup(text, QStringLiteral("Missing")).isEmpty());
    }

    void defaultApplicationInMimeAppsList_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("no file") << QByteArray() << QByteArray("[Default Applications]\naudio/mpeg=dak-mp3.desktop;\n");
        QTest::newRow("group missing, other lines kept")
            << QByteArray("[Added Associations]\naudio/mpeg=vlc.desktop;\n")
            << QByteArray("[Added Associations]\naudio/mpeg=vlc.desktop;\n\n[Default Applications]\n"
                          "audio/mpeg=dak-mp3.desktop;\n");
        QTest::newRow("no final line feed")
            << QByteArray("[Default Applications]\ntext/plain=ed.desktop")
            << QByteArray("[Default Applications]\ntext/plain=ed.desktop\naudio/mpeg=dak-mp3.desktop;\n");
        QTest::newRow("other handler stays as a fallback")
            << QByteArray("# mine\n[Default Applications]\naudio/mpeg=vlc.desktop;mpv.desktop\nvideo/mp4=mpv.desktop;\n"
                          "[Removed Associations]\naudio/mpeg=x.desktop;\n")
            << QByteArray("# mine\n[Default Applications]\naudio/mpeg=dak-mp3.desktop;vlc.desktop;mpv.desktop;\n"
                          "video/mp4=mpv.desktop;\n[Removed Associations]\naudio/mpeg=x.desktop;\n");
        QTest::newRow("already first: unchanged")
            << QByteArray("[Default Applications]\naudio/mpeg=dak-mp3.desktop;vlc.desktop;\n")
            << QByteArray("[Default Applications]\naudio/mpeg=dak-mp3.desktop;vlc.desktop;\n");
        QTest::newRow("type in other letter case")
            << QByteArray("[Default Applications]\nAudio/MPEG = vlc.desktop\n")
            << QByteArray("[Default Applications]\naudio/mpeg=dak-mp3.desktop;vlc.desktop;\n");
        QTest::newRow("inserted after the group's last key")
            << QByteArray("[Default Applications]\ntext/plain=ed.desktop;\n\n[Added Associations]\n")
            << QByteArray("[Default Applications]\ntext/plain=ed.desktop;\naudio/mpeg=dak-mp3.desktop;\n\n"
                          "[Added Associations]\n");
    }
    void defaultApplicationInMimeAppsList()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QCOMPARE(WithDefaultApplication(before, QStringLiteral("audio/mpeg"), QStringLiteral("dak-mp3.desktop")),
                 after);
    }

    void theSevenWritesMakeTheEntry()
    {
        ClassesRoot root(Mp3Binding(), m_where);
        const QString program = QStringLiteral("/opt/dak/dak-mp3");
        const auto writes = Writes(program);

        // Before the default verb has a command, the entry has no Exec and nothing is made a default.
        for (int i = 0; i < 4; ++i)
            QCOMPARE(root.WriteDefaultValue(writes[i].first, writes[i].second), QString());
        QByteArray desktop = fileContents(root.DesktopFilePath());
        QCOMPARE(Value(ReadGroup(desktop, "Desktop Entry"), "Exec"), QStringLiteral("<absent>"));
        QVERIFY(!QFile::exists(root.MimeAppsPath()));
        QCOMPARE(fileContents(root.IconFilePath()), kPng);

        // The open verb's command makes the entry open files and the default for MP3 files.
        QCOMPARE(root.WriteDefaultValue(writes[4].first, writes[4].second), QString());
        desktop = fileContents(root.DesktopFilePath());
        QCOMPARE(Value(ReadGroup(desktop, "Desktop Entry"), "Exec"), QStringLiteral("/opt/dak/dak-mp3 %f"));
        QCOMPARE(Value(ReadGroup(desktop, "Desktop Entry"), "Actions"), QStringLiteral("<absent>"));
        QCOMPARE(fileContents(root.MimeAppsPath()),
                 QByteArray("[Default Applications]\naudio/mpeg=dak-mp3.desktop;\n"));

        for (int i = 5; i < 7; ++i)
            QCOMPARE(root.WriteDefaultValue(writes[i].first, writes[i].second), QString());
        desktop = fileContents(root.DesktopFilePath());
        const QList<KeyValue> entry = ReadGroup(desktop, "Desktop Entry");
        QCOMPARE(Value(entry, "Type"), QStringLiteral("Application"));
        QCOMPARE(Value(entry, "Name"), QStringLiteral("DAK-MP3"));
        QCOMPARE(Value(entry, "Icon"), m_where.dataHome + QStringLiteral("/icons/hicolor/48x48/apps/dak-mp3.png"));
        QCOMPARE(Value(entry, "MimeType"), QStringLiteral("audio/mpeg;"));
        QCOMPARE(Value(entry, "Actions"), QStringLiteral("play;"));
        const QList<KeyValue> play = ReadGroup(desktop, "Desktop Action play");
        QCOMPARE(Value(play, "Name"), QStringLiteral("Play"));
        QCOMPARE(Value(play, "Exec"), QStringLiteral("/opt/dak/dak-mp3 %f"));
        QCOMPARE(root.DesktopFilePath(), m_where.dataHome + QStringLiteral("/applications/dak-mp3.desktop"));
        QCOMPARE(root.MimeAppsPath(), m_where.configHome + QStringLiteral("/mimeapps.list"));

        // The seven values stand as written, in the order written.
        const QList<KeyValue> kept = ReadGroup(desktop, "X-Shell Class mp3File");
        QCOMPARE(kept.size(), 7);
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(root.DefaultValue(writes[i].first), writes[i].second);
            QCOMPARE(kept[i].value, writes[i].second);
        }
        QCOMPARE(kept[4].key, QStringLiteral("shell-open-command"));
    }

    void writingTwiceGivesTheSameFiles()
    {
        ClassesRoot root(Mp3Binding(), m_where);
        QCOMPARE(WriteAll(root, QStringLiteral("/opt/dak/dak-mp3")), QString());
        const QByteArray desktop = fileContents(root.DesktopFilePath());
        const QByteArray mimeApps = fileContents(root.MimeAppsPath());
        QCOMPARE(WriteAll(root, QStringLiteral("/opt/dak/dak-mp3")), QString());
        QCOMPARE(fileContents(root.DesktopFilePath()), desktop);
        QCOMPARE(fileContents(root.MimeAppsPath()), mimeApps);
        QCOMPARE(fileContents(root.IconFilePath()), kPng);
        // No temporary files are left beside them.
        QCOMPARE(QDir(m_where.dataHome + "/applications").entryList(QDir::Files | QDir::Hidden),
                 QStringList{"dak-mp3.desktop"});
    }

    void aMovedProgramIsUpdatedWhenWrittenAgain()
    {
        ClassesRoot root(Mp3Binding(), m_where);
        QCOMPARE(WriteAll(root, QStringLiteral("/old/place/dak-mp3")), QString());
        QCOMPARE(WriteAll(root, QStringLiteral("/new place/dak-mp3")), QString());
        const QByteArray desktop = fileContents(root.DesktopFilePath());
        QVERIFY2(!desktop.contains("/old/place"), desktop.constData());
        QCOMPARE(Value(ReadGroup(desktop, "Desktop Entry"), "Exec"), QStringLiteral("\"/new place/dak-mp3\" %f"));
        QCOMPARE(Value(ReadGroup(desktop, "Desktop Action play"), "Exec"), QStringLiteral("\"/new place/dak-mp3\" %f"));
        QCOMPARE(root.DefaultValue("mp3File\\DefaultIcon"), QStringLiteral("/new place/dak-mp3,0"));
        QCOMPARE(ReadGroup(desktop, "X-Shell Class mp3File").size(), 7);
    }

    void keysAreFoundWhateverTheirLetterCase()
    {
        ClassesRoot root(Mp3Binding(), m_where);
        QCOMPARE(root.WriteDefaultValue("MP3FILE\\Shell\\Open\\Command", "/a %1"), QString());
        QCOMPARE(root.WriteDefaultValue("mp3File\\shell\\open\\command", "/b %1"), QString());
        QCOMPARE(root.DefaultValue("mp3file\\SHELL\\open\\command"), QStringLiteral("/b %1"));
        QCOMPARE(ReadGroup(fileContents(root.DesktopFilePath()), "X-Shell Class mp3File").size(), 1);
        QCOMPARE(Value(ReadGroup(fileContents(root.DesktopFilePath()), "Desktop Entry"), "Exec"),
                 QStringLiteral("/b %f"));
    }

    void keysThisDesktopCannotKeepAreRefused()
    {
        ClassesRoot root(Mp3Binding(), m_where);
        for (const char *key : {"otherFile\\shell", "mp3File", "mp3File\\shell\\x-y"}) {
            const QString error = root.WriteDefaultValue(QString::fromLatin1(key), "x");
            QVERIFY2(error.contains(QString::fromLatin1(key)), qPrintable(error));
        }
        QVERIFY(!QFile::exists(root.DesktopFilePath()));
    }

    void aReadOnlyApplicationsFolderStopsAtTheFirstWrite()
    {
        ClassesRoot root(Mp3Binding(), m_where);
        QVERIFY(QDir().mkpath(m_where.dataHome + "/applications"));
        ReadOnlyFolder readOnly(m_where.dataHome + "/applications");
        if (!readOnly.ok())
            QSKIP(qPrintable("cannot make a read-only folder here: " + readOnly.why()));
        const QString error = WriteAll(root, "/opt/dak/dak-mp3");
        QVERIFY2(error.contains(root.DesktopFilePath()), qPrintable(error));
        QVERIFY(!QFile::exists(root.DesktopFilePath()));
        QVERIFY(!QFile::exists(root.MimeAppsPath()));
    }

    void aReadOnlyConfigFolderStopsAtTheDefaultApplication()
    {
        ClassesRoot root(Mp3Binding(), m_where);
        QVERIFY(QDir().mkpath(m_where.configHome));
        ReadOnlyFolder readOnly(m_where.configHome);
        if (!readOnly.ok())
            QSKIP(qPrintable("cannot make a read-only folder here: " + readOnly.why()));
        const auto writes = Writes("/opt/dak/dak-mp3");
        for (int i = 0; i < 4; ++i)
            QCOMPARE(root.WriteDefaultValue(writes[i].first, writes[i].second), QString());
        const QString error = root.WriteDefaultValue(writes[4].first, writes[4].second);
        QVERIFY2(error.contains(root.MimeAppsPath()), qPrintable(error));
        QVERIFY(!QFile::exists(root.MimeAppsPath()));
        // What was written before stays as written.
        QCOMPARE(root.DefaultValue(writes[3].first), QStringLiteral("&Open"));
    }

    void xdgBaseFoldersFromTheEnvironment()
    {
        const QByteArray home = qgetenv("HOME");
        const QByteArray data = qgetenv("XDG_DATA_HOME");
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        qputenv("XDG_DATA_HOME", "/somewhere/data/");
        qputenv("XDG_CONFIG_HOME", "relative/config");
        const XdgLocations set = CurrentXdgLocations();
        qunsetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", "");
        const XdgLocations unset = CurrentXdgLocations();
        qputenv("HOME", home);
        qputenv("XDG_DATA_HOME", data);
        qputenv("XDG_CONFIG_HOME", config);
        if (data.isNull())
            qunsetenv("XDG_DATA_HOME");
        if (config.isNull())
            qunsetenv("XDG_CONFIG_HOME");

        QCOMPARE(set.dataHome, QStringLiteral("/somewhere/data"));
        QCOMPARE(set.configHome, m_dir.path() + "/.config");  // a relative path is ignored
        QCOMPARE(unset.dataHome, m_dir.path() + "/.local/share");
        QCOMPARE(unset.configHome, m_dir.path() + "/.config");
    }
};

int main(int argc, char **argv)
{
    PrepareReadOnlyFolders();
    QCoreApplication app(argc, argv);
    TestRegistry test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_registry.moc"
