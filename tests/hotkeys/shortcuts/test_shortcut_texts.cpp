// The hotkey texts of the configuration file and their shortcut values, both ways.

#include "hotkeys/shortcuts/shortcut_texts.h"

#include <QtTest>

using namespace shortcuts;

class TestShortcutTexts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void knownTexts_data();
    void knownTexts();
    void caseAndSpacing_data();
    void caseAndSpacing();
    void valuesBackToTexts();
    void choicesOfTheHotkeyWindow();
    void menuKeyCombinations();
};

void TestShortcutTexts::knownTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        QTest::addRow("CTRL+%c", letter) << QStringLiteral("CTRL+%1").arg(QChar(letter)) << (0x4000 + letter);
        QTest::addRow("CTRL+ALT+%c", letter) << QStringLiteral("CTRL+ALT+%1").arg(QChar(letter)) << (0xC000 + letter);
    }
    QTest::newRow("INSERT") << "INSERT" << 0x002D;
    QTest::newRow("SHIFT+INSERT") << "SHIFT+INSERT" << 0x202D;
    QTest::newRow("CTRL+INSERT") << "CTRL+INSERT" << 0x402D;
    QTest::newRow("DELETE") << "DELETE" << 0x002E;
    QTest::newRow("SHIFT+DELETE") << "SHIFT+DELETE" << 0x202E;
    QTest::newRow("CTRL+DELETE") << "CTRL+DELETE" << 0x402E;
    QTest::newRow("ALT+BACKSPACE") << "ALT+BACKSPACE" << 0x8008;
    QTest::newRow("SHIFT+ALT+BACKSPACE") << "SHIFT+ALT+BACKSPACE" << 0xA008;
}

void TestShortcutTexts::knownTexts()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(int(EnglishTextToShortcut(text)), value);
    QCOMPARE(int(EnglishTextToShortcut(text.toLower())), value);
}

void TestShortcutTexts::caseAndSpacing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("all lower case") << "ctrl+alt+p" << 0xC050;
    QTest::newRow("mixed case") << "SHIFT+Insert" << 0x202D;
    QTest::newRow("mixed case backspace") << "Shift+Alt+BackSpace" << 0xA008;
    QTest::newRow("spaces around plus") << "CTRL + P" << 0;
    QTest::newRow("leading space") << " CTRL+P" << 0;
    QTest::newRow("trailing space") << "CTRL+P " << 0;
    QTest::newRow("F1 with a space") << " F1" << 0;
    QTest::newRow("F1 is no text") << "F1" << 0;
    QTest::newRow("none") << "<none>" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("modifiers swapped") << "ALT+CTRL+P" << 0;
    QTest::newRow("alt and a letter") << "ALT+P" << 0;
    QTest::newRow("ctrl and shift") << "CTRL+SHIFT+P" << 0;
    QTest::newRow("ctrl and a digit") << "CTRL+1" << 0;
    QTest::newRow("two letters") << "CTRL+PP" << 0;
    QTest::newRow("no key") << "CTRL+ALT+" << 0;
    QTest::newRow("ctrl backspace") << "CTRL+BACKSPACE" << 0;
    // Only a..z are upper-cased: letters that a general upper-casing turns into I, S or A stay unknown.
    QTest::newRow("dotless i") << QStringLiteral(u"ctrl+\u0131") << 0;
    QTest::newRow("long s") << QStringLiteral(u"ctrl+\u017f") << 0;
    QTest::newRow("fullwidth A") << QStringLiteral(u"CTRL+\uff21") << 0;
    QTest::newRow("accented e") << QStringLiteral(u"CTRL+\u00e9") << 0;
}

void TestShortcutTexts::caseAndSpacing()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(int(EnglishTextToShortcut(text)), value);
}

void TestShortcutTexts::valuesBackToTexts()
{
    QCOMPARE(ShortcutToText(0xC050), QStringLiteral("CTRL+ALT+P"));
    QCOMPARE(ShortcutToText(0x4041), QStringLiteral("CTRL+A"));
    QCOMPARE(ShortcutToText(0x002D), QStringLiteral("Insert"));
    QCOMPARE(ShortcutToText(0x202E), QStringLiteral("SHIFT+Delete"));
    QCOMPARE(ShortcutToText(0xA008), QStringLiteral("SHIFT+ALT+Backspace"));
    // Values no text gives.
    QCOMPARE(ShortcutToText(0), QString());
    QCOMPARE(ShortcutToText(0x4031), QString());  // Ctrl+1
    QCOMPARE(ShortcutToText(0x8050), QString());  // Alt+P
    QCOMPARE(ShortcutToText(0x0050), QString());  // P alone
    // Every value of the 60 comes back to itself.
    QSet<uint16_t> seen;
    for (const ShortcutText &known : ShortcutTexts()) {
        const QString text = ShortcutToText(known.value);
        QVERIFY2(!text.isEmpty(), qPrintable(known.text));
        QCOMPARE(EnglishTextToShortcut(text), known.value);
        seen.insert(known.value);
    }
    QCOMPARE(seen.size(), qsizetype(60));
}

void TestShortcutTexts::choicesOfTheHotkeyWindow()
{
    const QStringList choices = ShortcutChoices();
    QCOMPARE(choices.size(), qsizetype(61));
    QCOMPARE(choices.first(), QStringLiteral("<none>"));
    QCOMPARE(int(EnglishTextToShortcut(choices.first())), 0);
    for (int k = 0; k < 26; ++k) {
        QCOMPARE(choices.at(1 + k), QStringLiteral("CTRL+") + QChar('A' + k));
        QCOMPARE(choices.at(27 + k), QStringLiteral("CTRL+ALT+") + QChar('A' + k));
    }
    const QStringList lastEight = choices.mid(53);
    QCOMPARE(lastEight,
             (QStringList{"Insert", "SHIFT+Insert", "CTRL+Insert", "Delete", "SHIFT+Delete", "CTRL+Delete",
                          "ALT+Backspace", "SHIFT+ALT+Backspace"}));
}

void TestShortcutTexts::menuKeyCombinations()
{
    QCOMPARE(ShortcutToKeyCombination(0xC050), QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_P));
    QCOMPARE(ShortcutToKeyCombination(0x202D), QKeyCombination(Qt::ShiftModifier, Qt::Key_Insert));
    QCOMPARE(ShortcutToKeyCombination(0x002E), QKeyCombination(Qt::Key_Delete));
    QCOMPARE(ShortcutToKeyCombination(0xA008), QKeyCombination(Qt::ShiftModifier | Qt::AltModifier, Qt::Key_Backspace));
    QCOMPARE(ShortcutToKeyCombination(0x0070), QKeyCombination(Qt::Key_F1));
    QCOMPARE(ShortcutToKeyCombination(0).toCombined(), 0);
    QCOMPARE(ShortcutToKeyCombination(0x40FF).toCombined(), 0);  // no key has code 0xFF
    for (const ShortcutText &known : ShortcutTexts())
        QVERIFY2(ShortcutToKeyCombination(known.value).toCombined() != 0, qPrintable(known.text));
}

QTEST_GUILESS_MAIN(TestShortcutTexts)
#include "test_shortcut_texts.moc"
