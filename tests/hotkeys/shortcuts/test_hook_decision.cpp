// The main window's answer to a message from the keyboard hook, and the action table it matches against.

#include "config/settings.h"
#include "hotkeys/shortcuts/hook_decision.h"
#include "hotkeys/shortcuts/hotkey_actions.h"
#include "hotkeys/shortcuts/shortcut_texts.h"

#include <QtTest>

#include <array>

using namespace shortcuts;

namespace {

constexpr int kPlay = 9;
constexpr int kPause = 10;
constexpr int kStop = 11;
constexpr uint16_t kCtrlAltY = 0xC059;

using Table = std::array<HookBinding, shortcuts::kHotkeyActionCount>;

// Every action unbound, not system-wide, passing keys on: what a configuration file without hotkeys gives.
Table EmptyTable()
{
    Table table;
    table.fill(HookBinding{0, kDefaultSystemWide, kDefaultPassToNextProgram});
    return table;
}

}  // namespace

class TestHookDecision : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void systemWideActionRunsAndRepeatsAreIgnored();
    void foregroundProgramRunsNothing();
    void onlySystemWideActionsMatch();
    void firstSystemWideMatchWins();
    void passOnFlagIsTheAnswer();
    void wParamIsComparedWhole();
    void unboundActionsNeverMatch();
    void shortcutsToGrab();
    void actionTableFollowsTheConfigurationKeys();
};

void TestHookDecision::systemWideActionRunsAndRepeatsAreIgnored()
{
    Table table = EmptyTable();
    table[kPlay] = {EnglishTextToShortcut(QStringLiteral("CTRL+ALT+Y")), true, false};

    HookDecision first = DecideHookMessage(table, false, 0, kCtrlAltY, 1);
    QCOMPARE(first.action, kPlay);
    QCOMPARE(first.answer, kWithholdKey);
    QCOMPARE(first.lastHookShortcut, kCtrlAltY);

    // The same key again with lParam 0 is a repeat: nothing runs and the key goes on.
    HookDecision repeat = DecideHookMessage(table, false, first.lastHookShortcut, kCtrlAltY, 0);
    QCOMPARE(repeat.action, -1);
    QCOMPARE(repeat.answer, kPassKeyOn);
    QCOMPARE(repeat.lastHookShortcut, kCtrlAltY);

    // Any other lParam always counts.
    HookDecision again = DecideHookMessage(table, false, repeat.lastHookShortcut, kCtrlAltY, 1);
    QCOMPARE(again.action, kPlay);
    QCOMPARE(again.answer, kWithholdKey);
    QCOMPARE(DecideHookMessage(table, false, kCtrlAltY, kCtrlAltY, -5).action, kPlay);

    // lParam 0 after a different key is no repeat.
    HookDecision afterOther = DecideHookMessage(table, false, 0xC050, kCtrlAltY, 0);
    QCOMPARE(afterOther.action, kPlay);
    // lParam 0 as the very first message is no repeat either (the last shortcut starts at 0).
    QCOMPARE(DecideHookMessage(table, false, 0, kCtrlAltY, 0).action, kPlay);
}

void TestHookDecision::foregroundProgramRunsNothing()
{
    Table table = EmptyTable();
    table[kPlay] = {kCtrlAltY, true, false};
    const HookDecision decision = DecideHookMessage(table, true, 0, kCtrlAltY, 1);
    QCOMPARE(decision.action, -1);
    QCOMPARE(decision.answer, kPassKeyOn);
    // The message still becomes the last one, so its repeat in the background runs nothing.
    QCOMPARE(decision.lastHookShortcut, kCtrlAltY);
    QCOMPARE(DecideHookMessage(table, false, decision.lastHookShortcut, kCtrlAltY, 0).action, -1);
}

void TestHookDecision::onlySystemWideActionsMatch()
{
    Table table = EmptyTable();
    table[kPlay] = {kCtrlAltY, false, false};
    const HookDecision decision = DecideHookMessage(table, false, 0, kCtrlAltY, 1);
    QCOMPARE(decision.action, -1);
    QCOMPARE(decision.answer, kPassKeyOn);
    QCOMPARE(decision.lastHookShortcut, kCtrlAltY);
}

void TestHookDecision::firstSystemWideMatchWins()
{
    Table table = EmptyTable();
    table[kPlay] = {kCtrlAltY, true, true};
    table[kStop] = {kCtrlAltY, true, false};
    HookDecision decision = DecideHookMessage(table, false, 0, kCtrlAltY, 1);
    QCOMPARE(decision.action, kPlay);
    QCOMPARE(decision.answer, kPassKeyOn);

    // An earlier action with the same key that is not system-wide is passed over.
    table[kPlay].systemWide = false;
    decision = DecideHookMessage(table, false, 0, kCtrlAltY, 1);
    QCOMPARE(decision.action, kStop);
    QCOMPARE(decision.answer, kWithholdKey);
}

void TestHookDecision::passOnFlagIsTheAnswer()
{
    Table table = EmptyTable();
    table[kPause] = {0x202D, true, true};
    table[kStop] = {0x202E, true, false};
    QCOMPARE(DecideHookMessage(table, false, 0, 0x202D, 1).answer, kPassKeyOn);
    QCOMPARE(DecideHookMessage(table, false, 0, 0x202D, 1).action, kPause);
    QCOMPARE(DecideHookMessage(table, false, 0, 0x202E, 1).answer, kWithholdKey);
    // A key nobody wants goes on.
    QCOMPARE(DecideHookMessage(table, false, 0, 0x002E, 1).answer, kPassKeyOn);
    QCOMPARE(DecideHookMessage(table, false, 0, 0x002E, 1).action, -1);
}

void TestHookDecision::wParamIsComparedWhole()
{
    Table table = EmptyTable();
    table[kPlay] = {kCtrlAltY, true, false};
    // A wParam above 0xFFFF never matches, but its low 16 bits are kept.
    const HookDecision wide = DecideHookMessage(table, false, 0, 0x1C059, 1);
    QCOMPARE(wide.action, -1);
    QCOMPARE(wide.answer, kPassKeyOn);
    QCOMPARE(wide.lastHookShortcut, kCtrlAltY);
    // So the plain key with lParam 0 after it counts as its repeat.
    QCOMPARE(DecideHookMessage(table, false, wide.lastHookShortcut, kCtrlAltY, 0).action, -1);
    // And a repeat needs the whole wParam to equal the kept value.
    QCOMPARE(DecideHookMessage(table, false, kCtrlAltY, 0x1C059, 0).lastHookShortcut, kCtrlAltY);
}

void TestHookDecision::unboundActionsNeverMatch()
{
    Table table = EmptyTable();
    table[0].systemWide = true;  // "ShowWindow" without a shortcut
    const HookDecision decision = DecideHookMessage(table, false, 0x4041, 0, 1);
    QCOMPARE(decision.action, -1);
    QCOMPARE(decision.answer, kPassKeyOn);
    QCOMPARE(decision.lastHookShortcut, uint16_t(0));
}

void TestHookDecision::shortcutsToGrab()
{
    Table table = EmptyTable();
    table[0] = {0xC050, true, true};
    table[kPlay] = {kCtrlAltY, true, false};
    table[kPause] = {0x4041, false, true};  // works only inside the program
    table[kStop] = {0xC050, true, false};   // a duplicate
    table[12].systemWide = true;            // unbound
    QCOMPARE(SystemWideShortcuts(table), (std::vector<uint16_t>{0xC050, kCtrlAltY}));
    QVERIFY(SystemWideShortcuts(EmptyTable()).empty());
}

void TestHookDecision::actionTableFollowsTheConfigurationKeys()
{
    // The settings reader and the hook's table must agree on positions: index i is the same action.
    for (int i = 0; i < shortcuts::kHotkeyActionCount; ++i) {
        QCOMPARE(QString::fromLatin1(kHotkeyActions[size_t(i)].key), QString::fromUtf16(kHotkeyActionKeys[size_t(i)]));
        QCOMPARE(HotkeyActionIndex(kHotkeyActions[size_t(i)].key), i);
        QVERIFY(QByteArray(kHotkeyActions[size_t(i)].menuItem).startsWith("pop_"));
    }
    QCOMPARE(HotkeyActionIndex("Play"), kPlay);
    QCOMPARE(HotkeyActionIndex("play"), -1);
    QCOMPARE(HotkeyActionIndex(nullptr), -1);
}

QTEST_GUILESS_MAIN(TestHookDecision)
#include "test_hook_decision.moc"
