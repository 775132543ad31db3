#pragma once
// Sequential steps through one set: the position of the current song is found by its title, and the step
// wraps around at both ends, so it never leaves the set.

#include <QStringList>

namespace library {

enum class SongStep { Next, Previous };

// The index of the song line `step` away from the current song, wrapping around; -1 when the set holds no
// line whose title is `title` (compared exactly, letter case included). Where the title repeats, the last
// line with it is the current song.
int SteppedSongIndex(const QStringList &songLines, const QString &title, SongStep step);

}  // namespace library
