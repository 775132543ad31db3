#pragma once
// The text rules of freedesktop desktop entry files: escaped string values, groups of keys, and the Exec
// command line built from a shell command line of the kind the Windows shell stores for a verb.

#include <QByteArray>
#include <QList>
#include <QString>

namespace registry {

struct KeyValue {
    QString key;
    QString value;  // unescaped
    bool operator==(const KeyValue &) const = default;
};

// A string value as a desktop file stores it: backslash, line feed, tab and carriage return escaped, and a
// leading blank written as \s so that readers do not trim it.
QString EscapeValue(const QString &value);
// The inverse of EscapeValue; unknown escapes are kept as they stand.
QString UnescapeValue(const QString &stored);

// The keys of the group named `group` in a desktop file's text, in file order, values unescaped. Comments,
// blank lines and lines without "=" are skipped; a missing group gives an empty list.
QList<KeyValue> ReadGroup(const QByteArray &text, const QString &group);

// An argument of an Exec line: quoted with double quotes when it holds a character the Exec rules reserve,
// with ", `, $ and \ escaped inside the quotes; '%' doubled, since a single one starts a field code.
QString QuoteExecArgument(const QString &argument);

// A shell command line as the Windows shell stores it for a verb ("/opt/dak mp3/dak-mp3" "%L") as the
// value of an Exec key: the arguments are split at blanks outside double quotes, the file placeholders %1
// and %L (quoted or not) become the field code %f, and every other argument is quoted as the Exec rules
// want. The result is not yet escaped as a string value (EscapeValue does that when it is written).
QString ExecFromCommandLine(const QString &commandLine);

}  // namespace registry
