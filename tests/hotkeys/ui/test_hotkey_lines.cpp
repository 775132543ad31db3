// The hotkey window's lines without the window: how the configuration file's three sections are laid over the
// 21 actions, what selecting an action shows, what Assign stores, and what closing writes and the next
// configuration load makes of it.

#include "config/settings_file.h"
#include "hotkeys/hotkey_lines.h"
#include "hotkeys/shortcuts/shortcut_texts.h"
#include "platform/profile/profile_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using hotkeys::HotkeyLines;
using hotkeys::HotkeyList;
using hotkeys::HotkeySelection;

Q_DECLARE_METATYPE(HotkeySelection)

namespace hotkeys {
// How QCOMPARE shows a selection when it differs.
char *toString(const HotkeySelection &s)
{
    return QTest::toString(QStringLiteral("{\"%1\", systemWide %2, passOnEnabled %3, passOn %4}")
                               .arg(s.text)
                               .arg(s.systemWide)
                               .arg(s.passOnEnabled)
                               .arg(s.passOn));
}
}  // namespace hotkeys

namespace {

constexpr int kPlay = 9;
constexpr int kPause = 10;
constexpr int kExit = 20;

QList<IniEntry> Section(std::initializer_list<std::pair<const char *, const char *>> entries)
{
    QList<IniEntry> section;
    for (const auto &[key, value] : entries)
        section.append({QString::fromLatin1(key), QString::fromLatin1(value)});
    return section;
}

QStringList Names(const QStringList &lines)
{
    QStringList names;
    for (const QString &line : lines)
        names << line.section(u'=', 0, 0);
    return names;
}

}  // namespace

class TestHotkeyLines : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsWithEveryActionAndItsDefaults()
    {
        const HotkeyLines lines;
        const QStringList hotkeys = lines.lines(HotkeyList::Hotkeys);
        QCOMPARE(hotkeys.size(), 21);
        QCOMPARE(hotkeys.first(), QStringLiteral("ShowWindow="));
        QCOMPARE(hotkeys[3], QStringLiteral("ConfigureHotkeys="));
        QCOMPARE(hotkeys[kPlay], QStringLiteral("Play="));
        QCOMPARE(hotkeys.last(), QStringLiteral("Exit="));
        QCOMPARE(Names(lines.lines(HotkeyList::SystemWide)), Names(hotkeys));
        QCOMPARE(Names(lines.lines(HotkeyList::PassToNextProgram)), Names(hotkeys));
        QCOMPARE(lines.line(HotkeyList::SystemWide, kPlay), QStringLiteral("Play=0"));
        QCOMPARE(lines.line(HotkeyList::PassToNextProgram, kPlay), QStringLiteral("Play=1"));
        // Defaults select as: no text, not system-wide, the pass-on box disabled but checked.
        QCOMPARE(lines.select(kPlay), (HotkeySelection{QString(), false, false, true}));
    }

    // Keys in another order, in other case, missing, unknown or empty never unpair the three lists.
    void mergeKeepsTheListsPaired()
    {
        HotkeyLines lines;
        lines.merge(HotkeyList::Hotkeys, Section({{"Exit", "CTRL+Q"}, {"play", "CTRL+Y"}, {"Bogus", "CTRL+B"}}));
        lines.merge(HotkeyList::SystemWide, Section({{"PLAY", "1"}, {"Unknown", "1"}}));
        lines.merge(HotkeyList::PassToNextProgram, Section({{"Play", "0"}, {"Pause", ""}}));

        const QStringList hotkeys = lines.lines(HotkeyList::Hotkeys);
        QCOMPARE(hotkeys.size(), 21);
        QCOMPARE(hotkeys[kPlay], QStringLiteral("Play=CTRL+Y"));  // the action's own spelling stays
        QCOMPARE(hotkeys[kExit], QStringLiteral("Exit=CTRL+Q"));
        QVERIFY(!hotkeys.join(u'\n').contains(QStringLiteral("Bogus")));
        for (HotkeyList list : {HotkeyList::SystemWide, HotkeyList::PassToNextProgram}) {
            QCOMPARE(lines.lines(list).size(), 21);
            QCOMPARE(Names(lines.lines(list)), Names(hotkeys));
        }
        QCOMPARE(lines.value(HotkeyList::SystemWide, kPlay), QStringLiteral("1"));
        QCOMPARE(lines.value(HotkeyList::PassToNextProgram, kPlay), QStringLiteral("0"));
        QCOMPARE(lines.value(HotkeyList::PassToNextProgram, kPause), QStringLiteral("1"));  // empty: default
    }

    // A showing lays the file over what the lines hold: values the file does not give stay, an empty value
    // brings the default back.
    void mergeLaysTheFileOverEarlierLines()
    {
        HotkeyLines lines;
        lines.assign(kPlay, QStringLiteral("CTRL+P"), true, false);
        lines.assign(kPause, QStringLiteral("CTRL+U"), true, false);
        lines.merge(HotkeyList::Hotkeys, Section({{"Pause", ""}}));
        lines.merge(HotkeyList::SystemWide, Section({{"Pause", "0"}}));
        QCOMPARE(lines.select(kPlay), (HotkeySelection{QStringLiteral("CTRL+P"), true, true, false}));
        QCOMPARE(lines.select(kPause), (HotkeySelection{QString(), false, false, false}));
    }

    void selectShowsTextAndFlags_data()
    {
        QTest::addColumn<QString>("hotkey");
        QTest::addColumn<QString>("systemWide");
        QTest::addColumn<QString>("passOn");
        QTest::addColumn<HotkeySelection>("expected");
        QTest::newRow("system-wide, withheld") << "CTRL+Y"
                                               << "1"
                                               << "0" << HotkeySelection{"CTRL+Y", true, true, false};
        QTest::newRow("system-wide, passed on") << "CTRL+Y"
                                                << "1"
                                                << "1" << HotkeySelection{"CTRL+Y", true, true, true};
        QTest::newRow("not system-wide, pass-on mark kept") << "Insert"
                                                            << "0"
                                                            << "1" << HotkeySelection{"Insert", false, false, true};
        QTest::newRow("text kept as typed") << "ctrl+alt+q"
                                            << "1"
                                            << "1" << HotkeySelection{"ctrl+alt+q", true, true, true};
        QTest::newRow("only 1 is yes") << "<none>"
                                       << "2"
                                       << "-1" << HotkeySelection{"<none>", false, false, false};
        QTest::newRow("no whole number is no") << "CTRL+A"
                                               << "yes"
                                               << "1.0" << HotkeySelection{"CTRL+A", false, false, false};
        QTest::newRow("hexadecimal one") << "CTRL+A"
                                         << "0x1"
                                         << "$1" << HotkeySelection{"CTRL+A", true, true, true};
        QTest::newRow("text with '='") << "a=b"
                                       << "1"
                                       << "0" << HotkeySelection{"a=b", true, true, false};
    }

    void selectShowsTextAndFlags()
    {
        QFETCH(QString, hotkey);
        QFETCH(QString, systemWide);
        QFETCH(QString, passOn);
        QFETCH(HotkeySelection, expected);
        HotkeyLines lines;
        lines.merge(HotkeyList::Hotkeys, {{"Play", hotkey}});
        lines.merge(HotkeyList::SystemWide, {{"Play", systemWide}});
        lines.merge(HotkeyList::PassToNextProgram, {{"Play", passOn}});
        QCOMPARE(lines.select(kPlay), expected);
        QCOMPARE(lines.select(kPause), (HotkeySelection{QString(), false, false, true}));
    }

    void assignStoresTextAndBothMarks()
    {
        HotkeyLines lines;
        lines.assign(kPlay, QStringLiteral("ctrl+alt+q"), true, false);
        QCOMPARE(lines.line(HotkeyList::Hotkeys, kPlay), QStringLiteral("Play=ctrl+alt+q"));
        QCOMPARE(lines.line(HotkeyList::SystemWide, kPlay), QStringLiteral("Play=1"));
        QCOMPARE(lines.line(HotkeyList::PassToNextProgram, kPlay), QStringLiteral("Play=0"));

        // The pass-on mark is stored even while the system-wide box is off.
        lines.assign(kPause, QStringLiteral("<none>"), false, true);
        QCOMPARE(lines.line(HotkeyList::Hotkeys, kPause), QStringLiteral("Pause=<none>"));
        QCOMPARE(lines.line(HotkeyList::SystemWide, kPause), QStringLiteral("Pause=0"));
        QCOMPARE(lines.line(HotkeyList::PassToNextProgram, kPause), QStringLiteral("Pause=1"));
        QCOMPARE(lines.line(HotkeyList::Hotkeys, kExit), QStringLiteral("Exit="));  // other lines stay
    }

    void toSettingsReadsFlagsAsTheWindowShowsThem()
    {
        HotkeyLines lines;
        lines.merge(HotkeyList::Hotkeys, Section({{"Play", "CTRL+Y"}, {"Pause", "<none>"}}));
        lines.merge(HotkeyList::SystemWide, Section({{"Play", "1"}, {"Pause", "2"}}));
        lines.merge(HotkeyList::PassToNextProgram, Section({{"Play", "0"}, {"Pause", "yes"}}));
        const SettingsHotkeys s = lines.toSettings();
        QCOMPARE(s.Hotkeys[kPlay], QStringLiteral("CTRL+Y"));
        QCOMPARE(s.Hotkeys[kPause], QStringLiteral("<none>"));
        QCOMPARE(s.Hotkeys[kExit], QString());
        QVERIFY(s.SystemWide[kPlay]);
        QVERIFY(!s.SystemWide[kPause]);
        QVERIFY(!s.PassToNextProgram[kPlay]);
        QVERIFY(!s.PassToNextProgram[kPause]);
        QVERIFY(s.PassToNextProgram[kExit]);
    }

    // What closing writes is what the next showing and the next configuration load read.
    void writtenLinesReadBackAndLoad()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("devud3.dat"));
        // Somebody else's sections and keys survive the write.
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Options]\r\nRewindTime=16\r\n[Hotkeys]\r\nBogus=CTRL+B\r\nplay=CTRL+X\r\n");
        }
        HotkeyLines lines;
        lines.merge(ProfileFile(path));
        QCOMPARE(lines.value(HotkeyList::Hotkeys, kPlay), QStringLiteral("CTRL+X"));
        lines.assign(kPlay, QStringLiteral("ctrl+alt+q"), true, false);
        lines.assign(kPause, QStringLiteral("<none>"), true, true);
        lines.assign(kExit, QStringLiteral(" CTRL+E"), false, false);
        QVERIFY(writeHotkeySettings(path, lines.toSettings()).ok());

        HotkeyLines again;
        again.merge(ProfileFile(path));
        for (HotkeyList list : {HotkeyList::Hotkeys, HotkeyList::SystemWide, HotkeyList::PassToNextProgram})
            QCOMPARE(again.lines(list), lines.lines(list));

        Settings loaded;
        QVERIFY(loadSettings(path, SettingsDefaults{}, loaded).ok());
        QCOMPARE(loaded.Options.RewindTime, 16);
        QCOMPARE(shortcuts::EnglishTextToShortcut(loaded.Hotkeys.Hotkeys[kPlay]), uint16_t(0xC051));
        QCOMPARE(shortcuts::EnglishTextToShortcut(loaded.Hotkeys.Hotkeys[kPause]), uint16_t(0));
        QCOMPARE(loaded.Hotkeys.Hotkeys[kExit], QStringLiteral(" CTRL+E"));  // blanks kept, so no shortcut
        QVERIFY(loaded.Hotkeys.SystemWide[kPlay]);
        QVERIFY(!loaded.Hotkeys.PassToNextProgram[kPlay]);
        QVERIFY(loaded.Hotkeys.PassToNextProgram[kPause]);
        QVERIFY(!loaded.Hotkeys.PassToNextProgram[kExit]);
        QCOMPARE(ProfileFile(path).readString(u"Hotkeys", u"Bogus", {}), QStringLiteral("CTRL+B"));
    }
};

QTEST_GUILESS_MAIN(TestHotkeyLines)
#include "test_hotkey_lines.moc"
