// Hotkey texts as the configuration file may hold them.
// - An arbitrary text gives 0 or a known shortcut value, and a known value only for the text of that value in
//   any mix of ASCII letter case.
// - The hotkey window's spelling of that value reads back as the same value.

#include "fuzz_support.h"

#include "hotkeys/shortcuts/shortcut_texts.h"

#include <cstdint>
#include <cstring>

namespace {

QString asciiUpper(const QString &text)
{
    QString upper = text;
    for (QChar &c : upper) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 0x20);
    }
    return upper;
}

void check(const QString &text)
{
    const uint16_t value = shortcuts::EnglishTextToShortcut(text);
    if (value == 0)
        return;
    const QString shownText = shortcuts::ShortcutToText(value);
    FUZZ_CHECK(!shownText.isEmpty(), fuzz::shown(text));
    FUZZ_CHECK(shortcuts::EnglishTextToShortcut(shownText) == value, shownText);
    FUZZ_CHECK(asciiUpper(shownText) == asciiUpper(text), fuzz::shown(text) + QStringLiteral(" gave ") + shownText);
    FUZZ_CHECK((value & shortcuts::kKeyMask) != 0, fuzz::shown(text));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    check(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    check(QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size)));
    QString utf16(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(utf16.data(), data, size / 2 * 2);
    check(utf16);
    return 0;
}
