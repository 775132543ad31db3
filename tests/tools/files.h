#pragma once
// Whole files for test fixtures and checks: read one, or write one with the folders it needs.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTest>

// The bytes of the file; empty when it cannot be read.
inline QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The bytes of the file, or "<missing>" when it cannot be read: tells a missing file from an empty one in a
// failed comparison.
inline QByteArray fileOrMissing(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Writes `bytes` as the whole file, making its folder first; false when any of it fails.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// writeFile for fixtures: a file that cannot be written fails the running test.
inline void putFile(const QString &path, const QByteArray &bytes)
{
    QVERIFY2(writeFile(path, bytes), qPrintable("cannot write the fixture file " + path));
}
