#include "platform/registry/mime_apps.h"

#include <QList>
#include <QStringList>

namespace registry {

namespace {

const QByteArray kDefaultGroup = QByteArrayLiteral("[Default Applications]");

bool IsGroupHeader(const QByteArray &line) { return line.trimmed().startsWith('['); }

// The key of a "key=value" line, or an empty text for comments and other lines.
QString KeyOf(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    if (trimmed.startsWith('#'))
        return {};
    const qsizetype equals = trimmed.indexOf('=');
    return equals > 0 ? QString::fromUtf8(trimmed.left(equals).trimmed()) : QString();
}

QByteArray DefaultLine(const QString &mimeType, const QString &desktopFile, const QByteArray &oldLine)
{
    QStringList names{desktopFile};
    if (!oldLine.isEmpty()) {
        const QByteArray value = oldLine.mid(oldLine.indexOf('=') + 1).trimmed();
        for (const QByteArray &name : value.split(';')) {
            const QString text = QString::fromUtf8(name.trimmed());
            if (!text.isEmpty() && !names.contains(text))
                names << text;
        }
    }
    return (mimeType + QLatin1Char('=') + names.join(QLatin1Char(';')) + QLatin1Char(';')).toUtf8();
}

}  // namespace

QByteArray WithDefaultApplication(const QByteArray &current, const QString &mimeType, const QString &desktopFile)
{
    QList<QByteArray> lines = current.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();  // the final line feed; put back below

    qsizetype group = -1;
    for (qsizetype i = 0; i < lines.size() && group < 0; ++i) {
        if (lines[i].trimmed() == kDefaultGroup)
            group = i;
    }

    if (group < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QByteArray();
        lines << kDefaultGroup << DefaultLine(mimeType, desktopFile, {});
    } else {
        qsizetype insertAt = group + 1;
        bool replaced = false;
        for (qsizetype i = group + 1; i < lines.size() && !IsGroupHeader(lines[i]); ++i) {
            const QString key = KeyOf(lines[i]);
            if (key.isEmpty())
                continue;
            if (key.compare(mimeType, Qt::CaseInsensitive) == 0) {
                lines[i] = DefaultLine(mimeType, desktopFile, lines[i]);
                replaced = true;
                break;
            }
            insertAt = i + 1;
        }
        if (!replaced)
            lines.insert(insertAt, DefaultLine(mimeType, desktopFile, {}));
    }
    return lines.join('\n') + '\n';
}

}  // namespace registry
