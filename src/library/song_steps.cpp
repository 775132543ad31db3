#include "library/song_steps.h"

namespace library {

int SteppedSongIndex(const QStringList &songLines, const QString &title, SongStep step)
{
    const int count = static_cast<int>(songLines.size());
    int current = -1;
    for (int i = count - 1; i >= 0 && current < 0; --i) {
        const QString &line = songLines.at(i);
        const qsizetype equals = line.indexOf(u'=');
        // A line without "=" has an empty title.
        const QStringView lineTitle = equals < 0 ? QStringView() : QStringView(line).left(equals);
        if (lineTitle == title)
            current = i;
    }
    if (current < 0)
        return -1;
    return step == SongStep::Next ? (current + 1) % count : (current + count - 1) % count;
}

}  // namespace library
