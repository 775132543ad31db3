#include "platform/registry/desktop_entry.h"

#include <QStringList>

namespace registry {

QString EscapeValue(const QString &value)
{
    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            out += QLatin1String("\\s");
        else
            out += c;
    }
    return out;
}

QString UnescapeValue(const QString &stored)
{
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored.at(i);
        if (c != QLatin1Char('\\') || i + 1 == stored.size()) {
            out += c;
            continue;
        }
        const QChar next = stored.at(++i);
        switch (next.unicode()) {
        case '\\':
            out += QLatin1Char('\\');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case 's':
            out += QLatin1Char(' ');
            break;
        default:
            out += c;
            out += next;
        }
    }
    return out;
}

QList<KeyValue> ReadGroup(const QByteArray &text, const QString &group)
{
    QList<KeyValue> keys;
    bool inGroup = false;
    for (const QByteArray &rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inGroup = line.mid(1, line.size() - 2) == group;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || equals <= 0)
            continue;
        // Blanks before the value belong to the syntax; one that is part of the value is stored as \s.
        keys.append({line.left(equals).trimmed(), UnescapeValue(line.mid(equals + 1).trimmed())});
    }
    return keys;
}

QString QuoteExecArgument(const QString &argument)
{
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString text = argument;
    text.replace(QLatin1Char('%'), QLatin1String("%%"));
    bool reserved = text.isEmpty();
    for (const QChar c : text)
        reserved = reserved || kReserved.contains(c);
    if (!reserved)
        return text;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

QString ExecFromCommandLine(const QString &commandLine)
{
    // Split as the Windows shell does for these simple lines: blanks separate arguments outside double
    // quotes, and the quotes themselves are not part of an argument.
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool inArgument = false;
    for (const QChar c : commandLine) {
        if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
            inArgument = true;
        } else if ((c == QLatin1Char(' ') || c == QLatin1Char('\t')) && !inQuotes) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments << current;

    QStringList exec;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("%1") || argument.compare(QLatin1String("%L"), Qt::CaseInsensitive) == 0)
            exec << QStringLiteral("%f");
        else
            exec << QuoteExecArgument(argument);
    }
    return exec.join(QLatin1Char(' '));
}

}  // namespace registry
