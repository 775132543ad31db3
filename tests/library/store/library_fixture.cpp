#include "library_fixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

LibraryFixture::LibraryFixture() { store.setLibraryFolder(dir_.path()); }

void LibraryFixture::put(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        QFAIL(qPrintable("cannot write the fixture file " + path(name)));
}

QByteArray LibraryFixture::contents(const QString &name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool LibraryFixture::exists(const QString &name) const { return QFileInfo::exists(path(name)); }

quint64 LibraryFixture::inode(const QString &name) const
{
    struct stat info { };
    return ::stat(QFile::encodeName(path(name)).constData(), &info) == 0 ? info.st_ino : 0;
}

QStringList LibraryFixture::entries() const
{
    return QDir(dir_.path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
