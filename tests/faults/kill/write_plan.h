#pragma once
// What the fault writer writes, step by step, so that the test can tell every complete version of a file
// from a damaged one.
//
// Library: the set "Big" starts with kInitialSongs songs; step n adds the song songPath(n) with the store's
// AddSong, which rewrites the whole set file. A run goes on from the number of songs earlier runs added.
// Configuration: step n writes, with one replacement of the file, [Fault] counter=n and payload=payload(n),
// then, with a second replacement, [LastOpened] LastOpenedLibrarySongTitle=songTitle(n).

#include <QString>
#include <QStringList>

namespace faultplan {

inline constexpr int kInitialSongs = 3000;
inline constexpr char kSet[] = "Big";

inline QString songPath(int n) { return QStringLiteral("/music/fault/added song %1.mp3").arg(n); }

inline QStringList initialSongs()
{
    QStringList lines;
    for (int i = 0; i < kInitialSongs; ++i)
        lines.append(QStringLiteral("Song %1=/music/library/a folder with a long name/song %1.mp3").arg(i));
    return lines;
}

inline QString payload(int n) { return QString(4000, QChar(u'a' + n % 26)) + QString::number(n); }

inline QString songTitle(int n) { return QStringLiteral("Song %1").arg(n); }

}  // namespace faultplan
