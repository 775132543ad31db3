// The keyboard hook on a real X server: which keys it catches, what it reports, and where the keys go
// after the window's answer. Runs its own Xvfb; keys are typed with xdotool into a focused witness window.

#include "platform/keyhook/keyhook.h"

#include "tools/key_witness.h"
#include "tools/private_desktop.h"

#include <QtTest>

#include <X11/keysym.h>

#include <functional>
#include <map>

namespace {

constexpr uint16_t kCtrlAltP = 0xC050;
constexpr uint16_t kCtrlAltQ = 0xC051;
constexpr uint16_t kCtrlAltM = 0xC04D;  // the marker: grabbed and always passed on
constexpr uint16_t kCtrlAltX = 0xC058;
constexpr unsigned kCtrlAlt = kWitnessControl | kWitnessMod1;

struct Message {
    uint16_t wParam;
    int32_t lParam;
    bool operator==(const Message &) const = default;
};

class FakeWindow : public keyhook::HookWindow {
public:
    std::vector<uint16_t> systemWide;
    std::map<uint16_t, int> answers;  // 1 when not listed
    std::vector<Message> messages;
    std::function<void()> duringMessage;
    int lost = 0;
    std::vector<unsigned long> focus;  // the focus at each message's key

    std::vector<uint16_t> systemWideShortcuts() override { return systemWide; }
    int hookMessage(uint16_t wParam, int32_t lParam) override
    {
        messages.push_back({wParam, lParam});
        focus.push_back(keyhook::FocusAtKey());
        if (duringMessage)
            duringMessage();
        const auto it = answers.find(wParam);
        return it == answers.end() ? 1 : it->second;
    }
    void displayLost() override { ++lost; }
    int count(uint16_t wParam) const
    {
        return int(
            std::count_if(messages.begin(), messages.end(), [&](const Message &m) { return m.wParam == wParam; }));
    }
};

}  // namespace

namespace {
// So that failed comparisons show the messages (found by argument-dependent lookup).
char *toString(const std::vector<Message> &messages)
{
    QByteArray text;
    for (const Message &m : messages)
        text += "(0x" + QByteArray::number(m.wParam, 16) + ", " + QByteArray::number(m.lParam) + ") ";
    return qstrdup(text.constData());
}
}  // namespace

class TestKeyhookX11 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void noDisplayMeansNoHook();
    void withheldKeyReachesOnlyTheHook();
    void passedOnKeyIsReplayedToTheFocus();
    void unmarkedKeysAreNotGrabbed();
    void locksDoNotMatter();
    void otherKeysOfTheHotkeyTexts();
    void autoRepeatHasLParamZero();
    void reloadChangesTheGrabs();
    void keyHeldByAnotherClientIsReportedNotGrabbed();
    void disablingReleasesTheGrabs();
    void disablingFromInsideTheMessage();
    void keysTypedDuringTheAnswerFollowInOrder();
    void heldPassedOnKeyReachesTheFocusAtItsPress();
    void scrollLockBoundToAModifier();
    void losingTheServerIsReportedNotFatal();

private:
    // Where in the witness's record the first press (or release) of keysym is; -1 when there is none.
    int indexOf(unsigned long keysym, bool press);
    // Types the marker until the hook reports it: after a change of the modifier map the hook grabs again.
    bool markerReachesTheHook();
    // Types the marker and waits until the witness has it: every key typed before has then been decided.
    void settle();
    bool type(const QString &keys) { return Xdotool(server_.display(), {"key", keys}); }

    PrivateDesktop server_;
    KeyWitness witness_;
    FakeWindow window_;
};

void TestKeyhookX11::initTestCase()
{
    if (!PrivateDesktop::installed({QStringLiteral("Xvfb"), QStringLiteral("xdotool")}))
        QSKIP("needs Xvfb and xdotool");
    QVERIFY2(server_.start(), qPrintable(server_.error()));
    qputenv("DISPLAY", server_.display());
    QVERIFY(witness_.open(server_.display()));
}

void TestKeyhookX11::init()
{
    window_ = FakeWindow{};
    window_.systemWide = {kCtrlAltP, kCtrlAltM};
    keyhook::SetHookWindow(&window_);
    witness_.focus();
    witness_.clear();
}

void TestKeyhookX11::cleanup()
{
    QCOMPARE(keyhook::DisableHook(), 0);
    keyhook::SetHookWindow(nullptr);
    qputenv("DISPLAY", server_.display());
}

void TestKeyhookX11::cleanupTestCase()
{
    keyhook::DisableHook();
    witness_.close();
    server_.stop();
}

void TestKeyhookX11::settle()
{
    QVERIFY(type("ctrl+alt+m"));
    QTRY_VERIFY(witness_.gotPress(XK_m, kCtrlAlt));
}

int TestKeyhookX11::indexOf(unsigned long keysym, bool press)
{
    const std::vector<WitnessKey> &keys = witness_.keys();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].keysym == keysym && keys[i].press == press)
            return int(i);
    }
    return -1;
}

bool TestKeyhookX11::markerReachesTheHook()
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int before = window_.count(kCtrlAltM);
        if (!type("ctrl+alt+m"))
            return false;
        for (int wait = 0; wait < 10 && window_.count(kCtrlAltM) == before; ++wait)
            QTest::qWait(50);
        if (window_.count(kCtrlAltM) > before)
            return true;
    }
    return false;
}

void TestKeyhookX11::noDisplayMeansNoHook()
{
    qunsetenv("DISPLAY");
    QCOMPARE(keyhook::EnableHook(), 0);
    QVERIFY(!keyhook::IsHookEnabled());
    qputenv("DISPLAY", ":65000");
    QCOMPARE(keyhook::EnableHook(), 0);
    QVERIFY(!keyhook::IsHookEnabled());
    QVERIFY(keyhook::GrabbedShortcuts().empty());
    // Disabling a hook that never came up succeeds.
    QCOMPARE(keyhook::DisableHook(), 0);
}

void TestKeyhookX11::withheldKeyReachesOnlyTheHook()
{
    window_.answers[kCtrlAltP] = 0;
    QVERIFY(keyhook::EnableHook() != 0);
    QVERIFY(keyhook::IsHookEnabled());
    QCOMPARE(keyhook::GrabbedShortcuts(), (std::vector<uint16_t>{kCtrlAltP, kCtrlAltM}));

    QVERIFY(type("ctrl+alt+p"));
    QTRY_COMPARE(window_.messages.size(), size_t(1));
    QCOMPARE(window_.messages[0], (Message{kCtrlAltP, 1}));
    settle();
    QVERIFY(!witness_.gotAnyPress(XK_p));
    QCOMPARE(window_.count(kCtrlAltP), 1);
}

void TestKeyhookX11::passedOnKeyIsReplayedToTheFocus()
{
    QVERIFY(keyhook::EnableHook() != 0);
    QVERIFY(type("ctrl+alt+p"));
    QTRY_VERIFY(witness_.gotPress(XK_p, kCtrlAlt));
    QCOMPARE(window_.messages, (std::vector<Message>{{kCtrlAltP, 1}}));
    // A real key event, with its release, not a sent one that many programs ignore.
    bool released = false;
    for (const WitnessKey &key : witness_.keys()) {
        QVERIFY(!key.sent);
        if (key.keysym == XK_p && !key.press)
            released = true;
    }
    QVERIFY(released);
    // The grab is back after the replay.
    witness_.clear();
    window_.answers[kCtrlAltP] = 0;
    QVERIFY(type("ctrl+alt+p"));
    QTRY_COMPARE(window_.count(kCtrlAltP), 2);
    settle();
    QVERIFY(!witness_.gotAnyPress(XK_p));
}

void TestKeyhookX11::unmarkedKeysAreNotGrabbed()
{
    QVERIFY(keyhook::EnableHook() != 0);
    QVERIFY(type("ctrl+alt+x"));
    QVERIFY(type("ctrl+p"));
    settle();
    QVERIFY(witness_.gotPress(XK_x, kCtrlAlt));
    QVERIFY(witness_.gotPress(XK_p, kWitnessControl));
    QCOMPARE(window_.count(kCtrlAltX), 0);
    QCOMPARE(window_.count(0x4050), 0);
    QCOMPARE(window_.messages.size(), size_t(1));  // only the marker
}

void TestKeyhookX11::locksDoNotMatter()
{
    window_.answers[kCtrlAltP] = 0;
    QVERIFY(keyhook::EnableHook() != 0);
    const std::vector<std::pair<const char *, unsigned>> locks = {{"Caps_Lock", kWitnessLock},
                                                                  {"Num_Lock", kWitnessMod2}};
    for (const auto &[lockKey, lockBit] : locks) {
        QVERIFY(type(QString::fromLatin1(lockKey)));
        QTRY_VERIFY(witness_.lockState() & lockBit);
    }
    QVERIFY(type("ctrl+alt+p"));
    QTRY_COMPARE(window_.count(kCtrlAltP), 1);
    QCOMPARE(window_.messages.back().wParam, kCtrlAltP);
    QCOMPARE(window_.messages.back().lParam, 1);
    settle();
    QVERIFY(!witness_.gotAnyPress(XK_p));
    // Only Num Lock on.
    QVERIFY(type("Caps_Lock"));
    QTRY_VERIFY(!(witness_.lockState() & kWitnessLock));
    QVERIFY(type("ctrl+alt+p"));
    QTRY_COMPARE(window_.count(kCtrlAltP), 2);
    QVERIFY(type("Num_Lock"));
    QTRY_COMPARE(witness_.lockState() & (kWitnessLock | kWitnessMod2), 0u);
}

void TestKeyhookX11::otherKeysOfTheHotkeyTexts()
{
    window_.systemWide = {0x002D, 0x202D, 0x402E, 0x8008, 0xA008, kCtrlAltM};
    window_.answers = {{0x002D, 0}, {0x202D, 0}, {0x402E, 0}, {0x8008, 0}, {0xA008, 0}};
    QVERIFY(keyhook::EnableHook() != 0);
    QCOMPARE(keyhook::GrabbedShortcuts(), window_.systemWide);
    for (const char *keys : {"Insert", "shift+Insert", "ctrl+Delete", "alt+BackSpace", "shift+alt+BackSpace"})
        QVERIFY(type(QString::fromLatin1(keys)));
    settle();
    QCOMPARE(window_.messages,
             (std::vector<Message>{{0x002D, 1}, {0x202D, 1}, {0x402E, 1}, {0x8008, 1}, {0xA008, 1}, {kCtrlAltM, 1}}));
    QVERIFY(!witness_.gotAnyPress(XK_Insert));
    QVERIFY(!witness_.gotAnyPress(XK_Delete));
    QVERIFY(!witness_.gotAnyPress(XK_BackSpace));
}

void TestKeyhookX11::autoRepeatHasLParamZero()
{
    window_.answers[kCtrlAltP] = 0;
    QVERIFY(keyhook::EnableHook() != 0);
    // Held down, the key repeats after the server's repeat delay.
    QVERIFY(Xdotool(server_.display(), {"keydown", "ctrl+alt+p"}));
    QTRY_VERIFY(window_.count(kCtrlAltP) >= 3);
    QVERIFY(Xdotool(server_.display(), {"keyup", "p"}));
    QVERIFY(Xdotool(server_.display(), {"keyup", "alt"}));
    QVERIFY(Xdotool(server_.display(), {"keyup", "ctrl"}));
    settle();
    const std::vector<Message> held = window_.messages;
    // A fresh press counts again.
    QVERIFY(type("ctrl+alt+p"));
    QTRY_COMPARE(window_.messages.size(), held.size() + 1);
    QCOMPARE(window_.messages.back().wParam, kCtrlAltP);
    QCOMPARE(window_.messages.back().lParam, 1);

    QCOMPARE(held.front(), (Message{kCtrlAltP, 1}));
    QCOMPARE(held.back(), (Message{kCtrlAltM, 1}));
    for (size_t i = 1; i + 1 < held.size(); ++i)
        QCOMPARE(held[i], (Message{kCtrlAltP, 0}));
    QVERIFY(!witness_.gotAnyPress(XK_p));
}

void TestKeyhookX11::reloadChangesTheGrabs()
{
    window_.answers = {{kCtrlAltP, 0}, {kCtrlAltQ, 0}};
    QVERIFY(keyhook::EnableHook() != 0);
    window_.systemWide = {kCtrlAltQ, kCtrlAltM};
    keyhook::ReloadGrabs();
    QTRY_COMPARE(keyhook::GrabbedShortcuts(), (std::vector<uint16_t>{kCtrlAltQ, kCtrlAltM}));
    QVERIFY(type("ctrl+alt+p"));
    QVERIFY(type("ctrl+alt+q"));
    settle();
    QVERIFY(witness_.gotPress(XK_p, kCtrlAlt));
    QVERIFY(!witness_.gotAnyPress(XK_q));
    QCOMPARE(window_.messages, (std::vector<Message>{{kCtrlAltQ, 1}, {kCtrlAltM, 1}}));

    // A new hook window is asked at once; no window means no grabs.
    keyhook::SetHookWindow(nullptr);
    QTRY_VERIFY(keyhook::GrabbedShortcuts().empty());
    QVERIFY(keyhook::IsHookEnabled());
}

void TestKeyhookX11::keyHeldByAnotherClientIsReportedNotGrabbed()
{
    QVERIFY(witness_.grabAsOtherClient(XK_q, kWitnessControl | kWitnessMod1));
    window_.systemWide = {kCtrlAltP, kCtrlAltQ, 0x0007, 0x4150, kCtrlAltM};
    QVERIFY(keyhook::EnableHook() != 0);
    QCOMPARE(keyhook::GrabbedShortcuts(), (std::vector<uint16_t>{kCtrlAltP, kCtrlAltM}));
    // Ctrl+Alt+Q is taken; code 7 is no key; 0x0100 is no modifier.
    QCOMPARE(keyhook::FailedShortcuts(), (std::vector<uint16_t>{kCtrlAltQ, 0x0007, 0x4150}));
    // The hook goes on working for the rest.
    QVERIFY(type("ctrl+alt+p"));
    QTRY_VERIFY(witness_.gotPress(XK_p, kCtrlAlt));
    QCOMPARE(window_.messages, (std::vector<Message>{{kCtrlAltP, 1}}));

    // Once the other client lets go, a reload takes the key.
    witness_.ungrabAsOtherClient(XK_q, kWitnessControl | kWitnessMod1);
    keyhook::ReloadGrabs();
    QTRY_COMPARE(keyhook::GrabbedShortcuts(), (std::vector<uint16_t>{kCtrlAltP, kCtrlAltQ, kCtrlAltM}));
    QCOMPARE(keyhook::FailedShortcuts(), (std::vector<uint16_t>{0x0007, 0x4150}));
}

void TestKeyhookX11::disablingReleasesTheGrabs()
{
    window_.answers[kCtrlAltP] = 0;
    QVERIFY(keyhook::EnableHook() != 0);
    QCOMPARE(keyhook::DisableHook(), 0);
    QVERIFY(!keyhook::IsHookEnabled());
    QVERIFY(keyhook::GrabbedShortcuts().empty());
    QVERIFY(type("ctrl+alt+p"));
    QVERIFY(type("ctrl+alt+m"));
    QTRY_VERIFY(witness_.gotPress(XK_m, kCtrlAlt));
    QVERIFY(witness_.gotPress(XK_p, kCtrlAlt));
    QVERIFY(window_.messages.empty());
    // And it can be switched on again.
    QVERIFY(keyhook::EnableHook() != 0);
    QVERIFY(type("ctrl+alt+p"));
    QTRY_COMPARE(window_.count(kCtrlAltP), 1);
}

void TestKeyhookX11::disablingFromInsideTheMessage()
{
    // An action such as "Exit" switches the hook off while its own message is being answered.
    window_.answers[kCtrlAltP] = 0;
    window_.duringMessage = [] { QCOMPARE(keyhook::DisableHook(), 0); };
    QVERIFY(keyhook::EnableHook() != 0);
    QVERIFY(type("ctrl+alt+p"));
    QTRY_VERIFY(!keyhook::IsHookEnabled());
    QCOMPARE(window_.messages, (std::vector<Message>{{kCtrlAltP, 1}}));
    // The key whose answer was cut short goes on; after that nothing is grabbed any more.
    QTRY_VERIFY(witness_.gotPress(XK_p, kCtrlAlt));
    window_.duringMessage = nullptr;
    QVERIFY(type("ctrl+alt+m"));
    QTRY_VERIFY(witness_.gotPress(XK_m, kCtrlAlt));
    QCOMPARE(window_.messages.size(), size_t(1));
}

void TestKeyhookX11::keysTypedDuringTheAnswerFollowInOrder()
{
    // Rollover: Ctrl+Alt+P is pressed, Ctrl and Alt let go and "x" typed before P comes up. Every key after
    // the hotkey is typed before the answer comes (xdotool runs on the thread that answers).
    const QStringList rollover = {"keydown", "ctrl+alt+p", "keyup", "ctrl+alt", "key", "x", "keyup", "p"};
    for (const int answer : {0, 1}) {
        window_.messages.clear();
        window_.focus.clear();
        window_.answers[kCtrlAltP] = answer;
        QVERIFY(keyhook::EnableHook() != 0);
        witness_.clear();
        QVERIFY(Xdotool(server_.display(), rollover));
        QTRY_COMPARE(window_.count(kCtrlAltP), 1);
        settle();
        QCOMPARE(window_.messages.front(), (Message{kCtrlAltP, 1}));
        // The focus as it was at the press, although the hook took it for the time of the answer.
        QCOMPARE(window_.focus.front(), witness_.windowId());
        // "x" arrives once, as typed: no modifiers, after Ctrl and Alt went up.
        const int x = indexOf(XK_x, true);
        QVERIFY2(x >= 0, "x was swallowed");
        const WitnessKey typed = witness_.keys()[size_t(x)];
        QCOMPARE(typed.state & kCtrlAlt, 0u);
        QVERIFY(!typed.sent);
        QVERIFY(indexOf(XK_Control_L, false) < x);
        QVERIFY(indexOf(XK_Alt_L, false) < x);
        QVERIFY(indexOf(XK_x, false) > x);
        const std::vector<WitnessKey> keys = witness_.keys();
        const auto xPresses =
            std::count_if(keys.begin(), keys.end(), [](const WitnessKey &k) { return k.press && k.keysym == XK_x; });
        QCOMPARE(xPresses, std::ptrdiff_t(1));
        if (answer == 0) {
            QCOMPARE(indexOf(XK_p, true), -1);
        } else {
            // Passed on, P comes first, with the modifiers it was pressed with.
            const int p = indexOf(XK_p, true);
            QVERIFY(p >= 0 && p < x);
            QCOMPARE(witness_.keys()[size_t(p)].state & kCtrlAlt, kCtrlAlt);
            QVERIFY(!witness_.keys()[size_t(p)].sent);
        }
        // The next press of the same hotkey is a press of its own, not a repeat.
        QVERIFY(type("ctrl+alt+p"));
        QTRY_COMPARE(window_.count(kCtrlAltP), 2);
        QCOMPARE(window_.messages.back(), (Message{kCtrlAltP, 1}));
        QCOMPARE(keyhook::DisableHook(), 0);
    }
}

void TestKeyhookX11::heldPassedOnKeyReachesTheFocusAtItsPress()
{
    QVERIFY(keyhook::EnableHook() != 0);
    QVERIFY(Xdotool(server_.display(), {"keydown", "ctrl+alt+p"}));
    // Still held: the focus has the press already.
    QTRY_VERIFY(witness_.gotPress(XK_p, kCtrlAlt));
    QCOMPARE(indexOf(XK_p, false), -1);
    QTRY_VERIFY(window_.count(kCtrlAltP) >= 3);
    QVERIFY(Xdotool(server_.display(), {"keyup", "p", "keyup", "alt", "keyup", "ctrl"}));
    settle();
    // One press, then the repeats the server makes, each reported as such.
    QCOMPARE(window_.messages.front(), (Message{kCtrlAltP, 1}));
    for (size_t i = 1; i + 1 < window_.messages.size(); ++i)
        QCOMPARE(window_.messages[i], (Message{kCtrlAltP, 0}));
    const std::vector<WitnessKey> keys = witness_.keys();
    const auto pPresses =
        std::count_if(keys.begin(), keys.end(), [](const WitnessKey &k) { return k.press && k.keysym == XK_p; });
    QCOMPARE(pPresses, std::ptrdiff_t(window_.count(kCtrlAltP)));
    QVERIFY(indexOf(XK_p, false) > indexOf(XK_p, true));
}

void TestKeyhookX11::scrollLockBoundToAModifier()
{
    window_.answers[kCtrlAltP] = 0;
    window_.systemWide = {kCtrlAltP, kCtrlAltM, 0x002D};
    window_.answers[0x002D] = 0;
    QVERIFY(keyhook::EnableHook() != 0);
    QVERIFY(witness_.bindToMod3(XK_Scroll_Lock, true));
    QVERIFY(markerReachesTheHook());
    QVERIFY(type("Scroll_Lock"));
    QTRY_VERIFY(witness_.lockState() & kWitnessMod3);
    window_.messages.clear();
    QVERIFY(type("ctrl+alt+p"));
    QTRY_COMPARE(window_.count(kCtrlAltP), 1);
    // The keypad's Insert (Num Lock off) is Insert.
    QVERIFY(type("KP_Insert"));
    QTRY_COMPARE(window_.count(0x002D), 1);
    settle();
    QVERIFY(!witness_.gotAnyPress(XK_p));
    QCOMPARE(indexOf(XK_KP_Insert, true), -1);
    QVERIFY(type("Scroll_Lock"));
    QTRY_VERIFY(!(witness_.lockState() & kWitnessMod3));
    QVERIFY(witness_.bindToMod3(XK_Scroll_Lock, false));
    QVERIFY(markerReachesTheHook());
    // With Num Lock on the key is the keypad's 0 again and goes to the focus.
    QVERIFY(type("Num_Lock"));
    QTRY_VERIFY(witness_.lockState() & kWitnessMod2);
    QVERIFY(type("KP_0"));
    settle();
    QVERIFY(witness_.gotAnyPress(XK_KP_Insert));  // the unshifted keysym of the keypad's 0 key
    QCOMPARE(window_.count(0x002D), 1);
    QVERIFY(type("Num_Lock"));
    QTRY_VERIFY(!(witness_.lockState() & kWitnessMod2));
}

void TestKeyhookX11::losingTheServerIsReportedNotFatal()
{
    // A server of its own, which goes away under the enabled hook: the hook reports it once on the UI
    // thread and the process lives on.
    PrivateDesktop doomed;
    QVERIFY2(doomed.start(), qPrintable(doomed.error()));
    qputenv("DISPLAY", doomed.display());
    QVERIFY(keyhook::EnableHook() != 0);
    QCOMPARE(keyhook::GrabbedShortcuts(), (std::vector<uint16_t>{kCtrlAltP, kCtrlAltM}));
    doomed.stop();
    QTRY_COMPARE(window_.lost, 1);
    QVERIFY(keyhook::IsHookEnabled());
    QCOMPARE(keyhook::DisableHook(), 0);
    QCOMPARE(window_.lost, 1);
    // The hook comes up again on a server that is there.
    qputenv("DISPLAY", server_.display());
    QVERIFY(keyhook::EnableHook() != 0);
    QVERIFY(type("ctrl+alt+p"));
    QTRY_COMPARE(window_.count(kCtrlAltP), 1);
}

QTEST_GUILESS_MAIN(TestKeyhookX11)
#include "test_keyhook_x11.moc"
