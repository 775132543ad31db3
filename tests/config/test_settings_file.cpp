// Loading every setting from "devud3.dat" and the three writers: defaults, the documented reading quirks,
// exactly which keys each writer touches and in which order, round trips and failures.

#include "config/settings_file.h"
#include "tools/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const SettingsDefaults kDefaults{"/opt/dak/", 420, 130};

Settings load(const QString &path)
{
    Settings s;
    const ProfileStatus status = loadSettings(path, kDefaults, s);
    if (!status.ok())
        qWarning("%s", qPrintable(status.error));
    return s;
}

// Every setting different from its default.
Settings unusualSettings()
{
    Settings s = defaultSettings(kDefaults);
    s.Options = {true, false, false, false, true, QString::fromUtf8("/home/me/Musik \u00e9/"), 16, -3, 40000};
    s.Screen = {-20, 1930, 640, 480, true, 2};
    s.LastOpened = {"  Set with blanks ", QString::fromUtf8("\"Quoted\" \u20ac")};
    s.Audio = {false, true, false, true};
    s.MiniInfo = {false, true, 1500, true};
    for (int i = 0; i < kHotkeyActionCount; ++i) {
        s.Hotkeys.Hotkeys[i] = i % 3 == 0 ? QString("<none>") : QString("CTRL+ALT+%1").arg(QChar(u'A' + i));
        s.Hotkeys.SystemWide[i] = i % 2 == 0;
        s.Hotkeys.PassToNextProgram[i] = i % 5 == 0;
    }
    return s;
}

// The keys of the file in order, "Section/key" each.
QStringList keysInOrder(const QString &path)
{
    QStringList keys;
    QString section;
    for (const QByteArray &line : fileContents(path).split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(u'['))
            section = text.mid(1, text.size() - 2);
        else if (text.contains(u'='))
            keys.append(section + u'/' + text.left(text.indexOf(u'=')));
    }
    return keys;
}

}  // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void missingFileGivesEveryDefault()
    {
        QTemporaryDir dir;
        Settings s;
        QVERIFY(loadSettings(dir.filePath("devud3.dat"), kDefaults, s).ok());
        QCOMPARE(s, defaultSettings(kDefaults));
        // The defaults themselves, spelled out once.
        QVERIFY(!s.Options.autoplayonstart && s.Options.autoplayonopen && s.Options.randomset && s.Options.randomsong &&
                !s.Options.openfolderrecursive && s.Options.libraryfolder == "/opt/dak/" &&
                s.Options.RewindTime == 5000 && s.Options.FastForwardTime == 5000 &&
                s.Options.INPUT_POSITION_RANGE == 40000);
        QCOMPARE(s.Screen, (SettingsScreen{0, 0, 420, 130, false, 0}));
        QCOMPARE(s.LastOpened, (SettingsLastOpened{"Name of the Set unknown.", "Song Title unknown."}));
        QCOMPARE(s.Audio, (SettingsAudio{true, false, true, false}));
        QCOMPARE(s.MiniInfo, (SettingsMiniInfo{true, false, 3000}));
        QCOMPARE(s.Hotkeys.Hotkeys[20], QString());
        QVERIFY(!s.Hotkeys.SystemWide[0] && s.Hotkeys.PassToNextProgram[20]);
    }

    void handWrittenValues()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("devud3.dat");
        putFile(path,
                "[options]\nRewindTime=0x10\nFastForwardTime=$10\nautoplayonstart=2\nrandomset=yes\nrandomsong=0\n"
                "INPUT_POSITION_RANGE=1000\nlibraryfolder=" +
                    QByteArray(3000, 'f') +
                    "\n"
                    "[audiosettings]\nreleaseoneof=0\n[MINIINFO]\nMiniInfoTime=soon\n"
                    "[Hotkeys]\nplay=ctrl+alt+p\nExit=\n[SystemWide]\nPlay=7\n[PassToNextProgram]\nPlay=0\n");
        const Settings s = load(path);
        QCOMPARE(s.Options.RewindTime, 16);
        QCOMPARE(s.Options.FastForwardTime, 16);
        QCOMPARE(s.Options.autoplayonstart, true);
        QCOMPARE(s.Options.randomset, true);  // not a number: default
        QCOMPARE(s.Options.randomsong, false);
        QCOMPARE(s.Options.INPUT_POSITION_RANGE, 1000);
        QCOMPARE(s.Options.libraryfolder.size(), 3000);
        QCOMPARE(s.Audio.ReleaseOnEOF, false);
        QCOMPARE(s.Audio.ReleaseOnStop, true);
        QCOMPARE(s.MiniInfo.MiniInfoTime, 3000);
        QCOMPARE(s.MiniInfo.DesktopNotifications, false);  // not stored: the program's own popup
        // No Screen section: placed at 0, 0 with the window's own size.
        QCOMPARE(s.Screen, defaultSettings(kDefaults).Screen);
        const int play = 9;
        QCOMPARE(QStringView(kHotkeyActionKeys[play]), u"Play");
        QCOMPARE(s.Hotkeys.Hotkeys[play], QString("ctrl+alt+p"));
        QVERIFY(s.Hotkeys.SystemWide[play] && !s.Hotkeys.PassToNextProgram[play]);
        QCOMPARE(s.Hotkeys.Hotkeys[20], QString());
        QVERIFY(!s.Hotkeys.SystemWide[8] && s.Hotkeys.PassToNextProgram[8]);
    }

    void everySettingRoundTrips()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("devud3.dat");
        const Settings written = unusualSettings();
        QVERIFY(writeOptionsSettings(path, written).ok());
        QVERIFY(writeCloseSettings(path, written).ok());
        QVERIFY(writeHotkeySettings(path, written.Hotkeys).ok());
        QCOMPARE(load(path), written);
    }

    void writersTouchOnlyTheirKeysInOrder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("devud3.dat");
        const QByteArray kept =
            "; hand-made\r\n[Screen]\r\ntop=77\r\n[Options]\r\nINPUT_POSITION_RANGE=1000\r\nfuture=1\r\n";
        putFile(path, kept);
        Settings s = unusualSettings();
        QVERIFY(writeOptionsSettings(path, s).ok());
        QVERIFY(fileContents(path).startsWith(kept.left(kept.indexOf("[Options]"))));  // Screen untouched
        QCOMPARE(keysInOrder(path),
                 QStringList({"Screen/top", "Options/INPUT_POSITION_RANGE", "Options/future", "Options/autoplayonstart",
                              "Options/autoplayonopen", "Options/randomset", "Options/randomsong",
                              "Options/openfolderrecursive", "Options/libraryfolder", "Options/RewindTime",
                              "Options/FastForwardTime", "MiniInfo/ActivateMiniInfo", "MiniInfo/MiniInfoShowEverytime",
                              "MiniInfo/MiniInfoTime", "MiniInfo/DesktopNotifications"}));
        QCOMPARE(load(path).Options.INPUT_POSITION_RANGE, 1000);

        QVERIFY(writeCloseSettings(path, s).ok());
        const QStringList afterClose = keysInOrder(path);
        QCOMPARE(afterClose.mid(0, 7),
                 QStringList({"Screen/top", "Screen/left", "Screen/width", "Screen/height", "Screen/show",
                              "Screen/DisplayStyle", "Options/INPUT_POSITION_RANGE"}));
        QCOMPARE(afterClose.mid(20),
                 QStringList({"LastOpened/LastOpenedLibrarySetName", "LastOpened/LastOpenedLibrarySongTitle",
                              "AudioSettings/ReleaseOnStop", "AudioSettings/ReleaseOnPause",
                              "AudioSettings/ReleaseOnEOF", "AudioSettings/EnableEqualizer"}));
        QVERIFY(fileContents(path).startsWith("; hand-made\r\n"));

        QVERIFY(writeHotkeySettings(path, s.Hotkeys).ok());
        const QStringList afterHotkeys = keysInOrder(path);
        QCOMPARE(afterHotkeys.size(), 26 + 3 * kHotkeyActionCount);
        QCOMPARE(afterHotkeys.mid(0, 26), afterClose);
        QCOMPARE(afterHotkeys[26], QString("Hotkeys/ShowWindow"));
        QCOMPARE(afterHotkeys[26 + kHotkeyActionCount], QString("SystemWide/ShowWindow"));
        QCOMPARE(afterHotkeys.back(), QString("PassToNextProgram/Exit"));
    }

    void failuresNameTheFileAndKeepSettings()
    {
        QTemporaryDir dir;
        const QString missingFolder = dir.filePath("gone/devud3.dat");
        const Settings s = unusualSettings();
        QVERIFY(writeOptionsSettings(missingFolder, s).error.contains(missingFolder));
        QVERIFY(writeCloseSettings(missingFolder, s).error.contains(missingFolder));
        QVERIFY(writeHotkeySettings(missingFolder, s.Hotkeys).error.contains(missingFolder));

        const QString folderInstead = dir.filePath("devud3.dat");
        QVERIFY(QDir().mkdir(folderInstead));
        Settings kept = s;
        const ProfileStatus status = loadSettings(folderInstead, kDefaults, kept);
        QVERIFY(status.error.contains(folderInstead));
        QCOMPARE(kept, s);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
