#pragma once
// Decoding of text lines from files that older versions and other editors may have written in the 8-bit
// Windows code page: a line that is valid UTF-8 is UTF-8; any other line is Windows-1252.

#include <QByteArrayView>
#include <QString>

// Decodes one line (without its line end). Valid UTF-8 wins; otherwise every byte is read as Windows-1252,
// whose five unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same number.
QString decodeUtf8OrWindows1252(QByteArrayView line);
