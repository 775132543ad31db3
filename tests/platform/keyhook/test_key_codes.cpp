// Virtual-key codes for X keysyms and back.

#include "platform/keyhook/key_codes.h"

#include <QtTest>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

using namespace keyhook;

class TestKeyCodes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keysOfTheHotkeyTexts();
    void keysymsToCodes();
    void everyGrabbableCodeComesBack();
};

void TestKeyCodes::keysOfTheHotkeyTexts()
{
    // The keys the stored hotkey texts can name: letters, Insert, Delete, Backspace.
    for (uint16_t vk = 'A'; vk <= 'Z'; ++vk)
        QCOMPARE(KeysymOfVirtualKey(vk), KeySymbol(XK_a + (vk - 'A')));
    QCOMPARE(KeysymOfVirtualKey(0x2D), KeySymbol(XK_Insert));
    QCOMPARE(KeysymOfVirtualKey(0x2E), KeySymbol(XK_Delete));
    QCOMPARE(KeysymOfVirtualKey(0x08), KeySymbol(XK_BackSpace));
}

void TestKeyCodes::keysymsToCodes()
{
    QCOMPARE(VirtualKeyOfKeysym(XK_p), uint16_t('P'));
    QCOMPARE(VirtualKeyOfKeysym(XK_P), uint16_t('P'));
    QCOMPARE(VirtualKeyOfKeysym(XK_7), uint16_t('7'));
    QCOMPARE(VirtualKeyOfKeysym(XK_F1), uint16_t(0x70));
    QCOMPARE(VirtualKeyOfKeysym(XK_F24), uint16_t(0x87));
    QCOMPARE(VirtualKeyOfKeysym(XK_KP_0), uint16_t(0x60));
    QCOMPARE(VirtualKeyOfKeysym(XK_KP_9), uint16_t(0x69));
    // Keypad keys without Num Lock stand for the keys they are labelled with.
    QCOMPARE(VirtualKeyOfKeysym(XK_KP_Insert), uint16_t(0x2D));
    QCOMPARE(VirtualKeyOfKeysym(XK_KP_Delete), uint16_t(0x2E));
    QCOMPARE(VirtualKeyOfKeysym(XK_KP_Home), uint16_t(0x24));
    QCOMPARE(VirtualKeyOfKeysym(XK_KP_Enter), uint16_t(0x0D));
    QCOMPARE(VirtualKeyOfKeysym(XK_ISO_Left_Tab), uint16_t(0x09));
    QCOMPARE(VirtualKeyOfKeysym(XK_Print), uint16_t(0x2C));
    QCOMPARE(VirtualKeyOfKeysym(XF86XK_AudioPlay), uint16_t(0xB3));
    QCOMPARE(VirtualKeyOfKeysym(XF86XK_AudioNext), uint16_t(0xB0));
    // Modifier keys and keys without a code report nothing.
    QCOMPARE(VirtualKeyOfKeysym(XK_Shift_L), uint16_t(0));
    QCOMPARE(VirtualKeyOfKeysym(XK_Control_R), uint16_t(0));
    QCOMPARE(VirtualKeyOfKeysym(XK_Alt_L), uint16_t(0));
    QCOMPARE(VirtualKeyOfKeysym(XK_eacute), uint16_t(0));
    QCOMPARE(VirtualKeyOfKeysym(0), uint16_t(0));
}

void TestKeyCodes::everyGrabbableCodeComesBack()
{
    // A code the hook grabs by one keysym must be reported with the same code, or the key would reach the
    // window under another name.
    int grabbable = 0;
    for (uint16_t vk = 1; vk <= 0xFF; ++vk) {
        const KeySymbol keysym = KeysymOfVirtualKey(vk);
        if (keysym == 0)
            continue;
        ++grabbable;
        QVERIFY2(VirtualKeyOfKeysym(keysym) == vk, qPrintable(QString::number(vk, 16)));
    }
    QVERIFY(grabbable > 100);
    QCOMPARE(KeysymOfVirtualKey(0), KeySymbol(0));
    QCOMPARE(KeysymOfVirtualKey(0x07), KeySymbol(0));
    QCOMPARE(KeysymOfVirtualKey(0xFF), KeySymbol(0));
}

QTEST_GUILESS_MAIN(TestKeyCodes)
#include "test_key_codes.moc"
