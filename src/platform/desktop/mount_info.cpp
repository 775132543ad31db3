#include "platform/desktop/mount_info.h"

#include <QFile>

namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

}  // namespace

QString UnescapeMountField(QByteArrayView field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
            IsOctal(field[i + 3])) {
            out.append(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(field[i]);
        }
    }
    return QFile::decodeName(out);
}

QList<MountEntry> ParseMountInfo(const QByteArray &text)
{
    QList<MountEntry> entries;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() < 10 || separator < 6 || separator + 2 >= fields.size())
            continue;
        MountEntry entry;
        bool idOk = false;
        bool parentOk = false;
        entry.MountId = fields.at(0).toInt(&idOk);
        entry.ParentId = fields.at(1).toInt(&parentOk);
        const QList<QByteArray> device = fields.at(2).split(':');
        if (!idOk || !parentOk || device.size() != 2)
            continue;
        entry.Major = device.at(0).toUInt();
        entry.Minor = device.at(1).toUInt();
        entry.Root = UnescapeMountField(fields.at(3));
        entry.MountPoint = UnescapeMountField(fields.at(4));
        entry.FsType = UnescapeMountField(fields.at(separator + 1));
        entry.Source = UnescapeMountField(fields.at(separator + 2));
        if (!entry.MountPoint.startsWith(u'/'))
            continue;
        entries.append(entry);
    }
    return entries;
}
