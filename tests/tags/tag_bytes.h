#pragma once
// Tag blocks and files built byte by byte, independently of the code under test.

#include <QByteArray>
#include <QFile>
#include <QTest>

namespace tagbytes {

// `text` filled up to `width` bytes with `fill`.
inline QByteArray field(QByteArray text, int width, char fill = '\0')
{
    Q_ASSERT(text.size() <= width);
    return text.append(QByteArray(width - text.size(), fill));
}

// identifier, title, artist, album, year, comment, genre: the 128 bytes in file order.
inline QByteArray block(const QByteArray &identifier, const QByteArray &title, const QByteArray &artist,
                        const QByteArray &album, const QByteArray &year, const QByteArray &comment, quint8 genre)
{
    QByteArray bytes =
        identifier + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) + field(comment, 30);
    bytes.append(static_cast<char>(genre));
    Q_ASSERT(bytes.size() == 128);
    return bytes;
}

// Stand-in audio: any bytes will do, the tag code must not look at them.
inline QByteArray audio(int size = 1000)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 37 + 11) & 0xFF);
    return bytes;
}

inline QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

}  // namespace tagbytes
