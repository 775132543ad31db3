#include "widgets/shared_folders.h"

#include "widgets/mount_table.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QList>

namespace {

QString Folder(const QString &path) { return path.isEmpty() ? path : QDir::cleanPath(path); }

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

QSet<QString> ParseSmbConf(const QByteArray &text)
{
    QSet<QString> folders;
    QString section;
    for (const QByteArray &raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0 || section.isEmpty() || section == u"global" || section == u"homes" || section == u"printers")
            continue;
        if (line.left(equals).trimmed().compare(u"path", Qt::CaseInsensitive) == 0) {
            const QString path = Folder(line.mid(equals + 1).trimmed());
            if (path.startsWith(u'/'))
                folders.insert(path);
        }
    }
    return folders;
}

QString ParseUsershare(const QByteArray &text)
{
    for (const QByteArray &raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u"path=")) {
            const QString path = Folder(line.mid(5));
            return path.startsWith(u'/') ? path : QString();
        }
    }
    return {};
}

QSet<QString> ParseExports(const QByteArray &text)
{
    QSet<QString> folders;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QByteArray word;
        if (line.startsWith('"')) {
            const qsizetype close = line.indexOf('"', 1);
            word = line.mid(1, close < 0 ? -1 : close - 1);
        } else {
            qsizetype cut = 0;
            while (cut < line.size() && line[cut] != ' ' && line[cut] != '\t')
                ++cut;
            word = line.left(cut);
        }
        const QString path = Folder(UnescapeMountField(word));
        if (path.startsWith(u'/'))
            folders.insert(path);
    }
    return folders;
}

QSet<QString> SharedFolderSource::Read() const
{
    QSet<QString> folders = ParseSmbConf(ReadAll(SmbConf));
    folders.unite(ParseExports(ReadAll(Exports)));
    QDirIterator exportFiles(ExportsFolder, {QStringLiteral("*.exports")}, QDir::Files);
    while (exportFiles.hasNext())
        folders.unite(ParseExports(ReadAll(exportFiles.next())));
    QDirIterator usershares(UsershareFolder, QDir::Files);
    while (usershares.hasNext()) {
        const QString path = ParseUsershare(ReadAll(usershares.next()));
        if (!path.isEmpty())
            folders.insert(path);
    }
    return folders;
}
