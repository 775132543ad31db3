#include "platform/profile/profile_file.h"

#include "platform/profile/atomic_file.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

ProfileStatus readIniDocument(const QString &path, IniDocument &document, bool *exists)
{
    if (exists)
        *exists = false;
    const QFileInfo info(path);
    if (!info.exists()) {  // also a link to a file not made yet: the first write creates it
        document = IniDocument();
        return {};
    }
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        const QString reason = info.isDir() ? QStringLiteral("it is a folder") : file.errorString();
        return {QStringLiteral("Couldn't read file %1: %2").arg(path, reason)};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {QStringLiteral("Couldn't read file %1: %2").arg(path, file.errorString())};
    document = IniDocument::fromBytes(bytes);
    if (exists)
        *exists = true;
    return {};
}

ProfileFile::ProfileFile(QString path) : path_(std::move(path)) { reload(); }

ProfileStatus ProfileFile::reload()
{
    IniDocument fresh;
    readStatus_ = readIniDocument(path_, fresh, &exists_);
    document_ = std::move(fresh);
    return readStatus_;
}

QString ProfileFile::readString(QStringView section, QStringView key, const QString &defaultValue) const
{
    return document_.value(section, key).value_or(defaultValue);
}

int ProfileFile::readInteger(QStringView section, QStringView key, int defaultValue) const
{
    const std::optional<QString> text = document_.value(section, key);
    if (!text)
        return defaultValue;
    return parseProfileInteger(*text).value_or(defaultValue);
}

bool ProfileFile::readBool(QStringView section, QStringView key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QList<IniEntry> ProfileFile::readSection(QStringView section) const { return document_.entries(section); }

ProfileStatus ProfileFile::writeString(QStringView section, QStringView key, QStringView value)
{
    return write({{section.toString(), key.toString(), value.toString()}});
}

ProfileStatus ProfileFile::writeInteger(QStringView section, QStringView key, int value)
{
    return writeString(section, key, QString::number(value));
}

ProfileStatus ProfileFile::writeBool(QStringView section, QStringView key, bool value)
{
    return writeString(section, key, value ? u"1" : u"0");
}

ProfileStatus ProfileFile::write(const QList<ProfileWrite> &writes)
{
    IniDocument current;
    bool existed = false;
    if (ProfileStatus status = readIniDocument(path_, current, &existed); !status.ok())
        return status;
    for (const ProfileWrite &w : writes) {
        if (const QString problem = current.setValue(w.section, w.key, w.value); !problem.isEmpty())
            return {QStringLiteral("Couldn't write file %1: %2").arg(path_, problem)};
    }
    if (QString error = writeFileAtomically(path_, current.toBytes()); !error.isEmpty())
        return {std::move(error)};
    document_ = std::move(current);
    readStatus_ = {};
    exists_ = true;
    return {};
}
