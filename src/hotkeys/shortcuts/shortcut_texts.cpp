#include "shortcut_texts.h"

#include <array>

namespace shortcuts {

namespace {

std::array<ShortcutText, kShortcutTextCount> BuildTexts()
{
    std::array<ShortcutText, kShortcutTextCount> texts;
    int i = 0;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter, ++i) {
        const QString text = QStringLiteral("CTRL+") + QChar(letter);
        texts[i] = {text, text, static_cast<uint16_t>(kCtrl | letter)};
    }
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter, ++i) {
        const QString text = QStringLiteral("CTRL+ALT+") + QChar(letter);
        texts[i] = {text, text, static_cast<uint16_t>(kCtrl | kAlt | letter)};
    }
    const struct {
        const char *text;
        const char *shownText;
        uint16_t value;
    } others[] = {
        {"INSERT", "Insert", kVkInsert},
        {"SHIFT+INSERT", "SHIFT+Insert", kShift | kVkInsert},
        {"CTRL+INSERT", "CTRL+Insert", kCtrl | kVkInsert},
        {"DELETE", "Delete", kVkDelete},
        {"SHIFT+DELETE", "SHIFT+Delete", kShift | kVkDelete},
        {"CTRL+DELETE", "CTRL+Delete", kCtrl | kVkDelete},
        {"ALT+BACKSPACE", "ALT+Backspace", kAlt | kVkBack},
        {"SHIFT+ALT+BACKSPACE", "SHIFT+ALT+Backspace", kShift | kAlt | kVkBack},
    };
    for (const auto &other : others)
        texts[i++] = {QString::fromLatin1(other.text), QString::fromLatin1(other.shownText), other.value};
    return texts;
}

const std::array<ShortcutText, kShortcutTextCount> &Texts()
{
    static const std::array<ShortcutText, kShortcutTextCount> texts = BuildTexts();
    return texts;
}

// Only a..z change: a general upper-casing would turn, say, the dotless i into "I" and match a text that
// was never one of ours.
QString AsciiUpper(const QString &text)
{
    QString upper = text;
    for (QChar &c : upper) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return upper;
}

Qt::Key VirtualKeyToQtKey(uint16_t vk)
{
    if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A))
        return static_cast<Qt::Key>(vk);  // digits and letters share their ASCII codes
    if (vk >= 0x70 && vk <= 0x87)
        return static_cast<Qt::Key>(Qt::Key_F1 + (vk - 0x70));
    if (vk >= 0x60 && vk <= 0x69)
        return static_cast<Qt::Key>(Qt::Key_0 + (vk - 0x60));
    switch (vk) {
    case 0x08:
        return Qt::Key_Backspace;
    case 0x09:
        return Qt::Key_Tab;
    case 0x0D:
        return Qt::Key_Return;
    case 0x13:
        return Qt::Key_Pause;
    case 0x1B:
        return Qt::Key_Escape;
    case 0x20:
        return Qt::Key_Space;
    case 0x21:
        return Qt::Key_PageUp;
    case 0x22:
        return Qt::Key_PageDown;
    case 0x23:
        return Qt::Key_End;
    case 0x24:
        return Qt::Key_Home;
    case 0x25:
        return Qt::Key_Left;
    case 0x26:
        return Qt::Key_Up;
    case 0x27:
        return Qt::Key_Right;
    case 0x28:
        return Qt::Key_Down;
    case 0x2C:
        return Qt::Key_Print;
    case 0x2D:
        return Qt::Key_Insert;
    case 0x2E:
        return Qt::Key_Delete;
    case 0x6A:
        return Qt::Key_Asterisk;
    case 0x6B:
        return Qt::Key_Plus;
    case 0x6D:
        return Qt::Key_Minus;
    case 0x6E:
        return Qt::Key_Period;
    case 0x6F:
        return Qt::Key_Slash;
    case 0xAD:
        return Qt::Key_VolumeMute;
    case 0xAE:
        return Qt::Key_VolumeDown;
    case 0xAF:
        return Qt::Key_VolumeUp;
    case 0xB0:
        return Qt::Key_MediaNext;
    case 0xB1:
        return Qt::Key_MediaPrevious;
    case 0xB2:
        return Qt::Key_MediaStop;
    case 0xB3:
        return Qt::Key_MediaTogglePlayPause;
    default:
        return Qt::Key_unknown;
    }
}

}  // namespace

std::span<const ShortcutText> ShortcutTexts() { return Texts(); }

uint16_t EnglishTextToShortcut(const QString &text)
{
    const QString upper = AsciiUpper(text);
    for (const ShortcutText &known : Texts()) {
        if (known.text == upper)
            return known.value;
    }
    return 0;
}

QString ShortcutToText(uint16_t shortcut)
{
    if (shortcut == 0)
        return {};
    for (const ShortcutText &known : Texts()) {
        if (known.value == shortcut)
            return known.shownText;
    }
    return {};
}

QStringList ShortcutChoices()
{
    QStringList choices{QString::fromUtf16(kNoShortcutText)};
    for (const ShortcutText &known : Texts())
        choices.append(known.shownText);
    return choices;
}

QKeyCombination ShortcutToKeyCombination(uint16_t shortcut)
{
    const Qt::Key key = VirtualKeyToQtKey(shortcut & kKeyMask);
    if (shortcut == 0 || key == Qt::Key_unknown)
        return QKeyCombination::fromCombined(0);
    Qt::KeyboardModifiers modifiers;
    if (shortcut & kShift)
        modifiers |= Qt::ShiftModifier;
    if (shortcut & kCtrl)
        modifiers |= Qt::ControlModifier;
    if (shortcut & kAlt)
        modifiers |= Qt::AltModifier;
    if ((shortcut & kKeyMask) >= 0x60 && (shortcut & kKeyMask) <= 0x6F)
        modifiers |= Qt::KeypadModifier;
    return QKeyCombination(modifiers, key);
}

}  // namespace shortcuts
