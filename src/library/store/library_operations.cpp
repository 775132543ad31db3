// The operations that change the library: each re-reads the library, changes the working copy and writes the
// changed file at once. Where an operation touches two files, the library file is written first and the set
// file is deleted or renamed only once that succeeded, so a failed write never leaves the set list pointing
// at a file that is gone.

#include "library/store/library_messages.h"
#include "library/store/library_paths.h"
#include "library/store/library_store.h"
#include "library/store/library_text.h"
#include "platform/shell/shell.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool hasLineBreak(const QString &text) { return text.contains(u'\r') || text.contains(u'\n'); }

bool isValidTitle(const QString &title)
{
    for (const QChar c : title) {
        if (c == u'=' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

bool fileOrLinkExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Paths are compared the way the library always compared them: only the letters a-z ignore case.
bool equalUpperAscii(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    const auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c; };
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (upper(a[i].unicode()) != upper(b[i].unicode()))
            return false;
    }
    return true;
}

}  // namespace

bool LibraryStore::AddSet(const QString &name, int position)
{
    Batch batch(this);
    if (const QString problem = SetNameProblem(name); !problem.isEmpty()) {
        Shell::errorBox(LibraryMessages::badSetName(name, problem));
        return false;
    }
    OpenLibrary();
    const int index = position < 0 || position > sets_.size() ? static_cast<int>(sets_.size()) : position;
    sets_.insert(index, name);
    touchSets();
    if (!SaveLibrary())
        return false;
    // The new set becomes the current one, with the songs of its file if a set of that name had one already,
    // so that the next save of the current set writes this set's songs to this set's file.
    OpenSet(name);
    return true;
}

bool LibraryStore::RemoveSet(const QString &name)
{
    Batch batch(this);
    OpenLibrary();
    if (const int index = indexOfSet(name); index >= 0) {
        sets_.removeAt(index);
        touchSets();
    }
    if (!SaveLibrary())
        return false;

    bool ok = true;
    // Another entry of the same name shares the file: it keeps it.
    if (indexOfSet(name) < 0) {
        const QString folder = folderPath();
        const QString file = setFileName(folder, name);
        if (!file.isEmpty() && fileOrLinkExists(folder + file) && !QFile::remove(folder + file)) {
            Shell::errorBox(LibraryMessages::couldNotDelete(folder + file));
            ok = false;
        }
    }
    if (!sets_.isEmpty()) {
        OpenSet(sets_.first());
    } else {
        clearSongs();
        selectedSet_ = -1;
    }
    return ok;
}

bool LibraryStore::RenameSet(const QString &oldName, const QString &newName)
{
    Batch batch(this);
    if (newName != oldName) {
        if (const QString problem = SetNameProblem(newName); !problem.isEmpty()) {
            Shell::errorBox(LibraryMessages::badSetName(newName, problem));
            return false;
        }
    }
    OpenLibrary();
    const int index = indexOfSet(oldName);
    if (index < 0)
        return true;
    if (newName == oldName) {
        // A cancelled rename: nothing to write.
        OpenSet(newName);
        return true;
    }

    const QString folder = folderPath();
    const QString oldFile = setFileName(folder, oldName);  // still finds the entry's own spelling
    sets_[index] = newName;
    touchSets();
    if (!SaveLibrary())
        return false;

    bool ok = true;
    const QString newFile = newName + QString::fromUtf16(kSetFileExtension);
    if (!oldFile.isEmpty() && oldFile != newFile && fileOrLinkExists(folder + oldFile)) {
        // An entry of the old name that is still listed shares the file: it keeps it, the renamed set gets a
        // copy. Neither way replaces an existing file of the new name.
        bool shared = false;
        for (int i = 0; i < sets_.size() && !shared; ++i)
            shared = i != index && sets_.at(i).compare(oldName, Qt::CaseInsensitive) == 0;
        // A file of the new name in any letter case counts as taken, as it would where file names ignore case:
        // the set would otherwise find that file instead of its own.
        const QString taken = setFileName(folder, newName);
        const bool available = taken == oldFile || !fileOrLinkExists(folder + taken);
        const bool done = available &&
            (shared ? QFile::copy(folder + oldFile, folder + newFile)
                    : QFile::rename(folder + oldFile, folder + newFile));
        if (!done) {
            Shell::errorBox(LibraryMessages::couldNotRename(folder + oldFile));
            ok = false;
        }
    }
    OpenSet(newName);
    return ok;
}

bool LibraryStore::AddSong(const QString &path, const QString &setName)
{
    Batch batch(this);
    if (const QString problem = SetNameProblem(setName); !problem.isEmpty()) {
        Shell::errorBox(LibraryMessages::badSetName(setName, problem));
        return false;
    }
    if (hasLineBreak(path)) {
        Shell::errorBox(LibraryMessages::badSongPath(path));
        return false;
    }
    OpenLibrary();
    OpenSet(setName);
    songs_.append(SongLine(TitleFromFilePath(path), path));
    songLinesEdited();
    return SaveCurrentSet();
}

bool LibraryStore::AddSongs(const QStringList &paths, const QString &setName, const AddProgress &progress)
{
    Batch batch(this);
    if (paths.isEmpty())
        return true;
    if (const QString problem = SetNameProblem(setName); !problem.isEmpty()) {
        Shell::errorBox(LibraryMessages::badSetName(setName, problem));
        return false;
    }
    // The songs before a path that cannot be stored are added, as one AddSong after another would have.
    qsizetype taken = 0;
    while (taken < paths.size() && !hasLineBreak(paths.at(taken)))
        ++taken;
    // The lines are prepared before the set is read: the progress may let events through, and whatever they
    // change in the library is read with the set, not written over.
    QStringList lines;
    lines.reserve(taken);
    for (qsizetype i = 0; i < taken; ++i) {
        lines.append(SongLine(TitleFromFilePath(paths.at(i)), paths.at(i)));
        if (progress && !progress(i + 1, taken))
            return false;
    }
    if (taken > 0) {
        OpenLibrary();
        OpenSet(setName);
        songs_.append(lines);
        songLinesEdited();
        if (!SaveCurrentSet())
            return false;
    }
    if (taken < paths.size()) {
        Shell::errorBox(LibraryMessages::badSongPath(paths.at(taken)));
        return false;
    }
    return true;
}

bool LibraryStore::RemoveSong(const QString &title, const QString &setName)
{
    Batch batch(this);
    OpenLibrary();
    OpenSet(setName);
    const int index = indexOfSongTitle(title, Qt::CaseInsensitive, Match::First);
    if (index < 0)
        return true;
    songs_.removeAt(index);
    songLinesEdited();
    return SaveCurrentSet();
}

bool LibraryStore::RenameSong(const QString &oldTitle, const QString &newTitle, const QString &setName,
                              const QString &path)
{
    Batch batch(this);
    if (!isValidTitle(newTitle)) {
        Shell::errorBox(LibraryMessages::badSongTitle(newTitle));
        return false;
    }
    if (hasLineBreak(path)) {
        Shell::errorBox(LibraryMessages::badSongPath(path));
        return false;
    }
    if (const QString problem = SetNameProblem(setName); !problem.isEmpty()) {
        Shell::errorBox(LibraryMessages::badSetName(setName, problem));
        return false;
    }
    OpenLibrary();
    OpenSet(setName);
    const QString line = SongLine(newTitle, path);
    const int index = indexOfSongTitle(oldTitle, Qt::CaseInsensitive, Match::First);
    if (index < 0 && path.isEmpty()) {
        // A caller that found no line has no path either: a line without a file would only be a broken song.
        Shell::errorBox(LibraryMessages::songNotInSet(oldTitle, setName));
        return false;
    }
    if (index >= 0) {
        if (songs_.at(index) == line)
            return true;  // a cancelled rename: the line stays as it is, nothing to write
        songs_[index] = line;
    } else {
        songs_.append(line);
    }
    songLinesEdited();
    return SaveCurrentSet();
}

int LibraryStore::indexOfSongLine(const QString &line, int index) const
{
    if (index >= 0 && index < songs_.size() && songs_.at(index) == line)
        return index;
    return static_cast<int>(songs_.indexOf(line));
}

bool LibraryStore::RemoveSongLine(const QString &line, int index, const QString &setName)
{
    Batch batch(this);
    OpenLibrary();
    OpenSet(setName);
    const int at = indexOfSongLine(line, index);
    if (at < 0)
        return RemoveSong(SongTitle(line), setName);
    songs_.removeAt(at);
    songLinesEdited();
    return SaveCurrentSet();
}

bool LibraryStore::RenameSongLine(const QString &line, int index, const QString &newTitle, const QString &setName)
{
    Batch batch(this);
    if (!isValidTitle(newTitle)) {
        Shell::errorBox(LibraryMessages::badSongTitle(newTitle));
        return false;
    }
    if (const QString problem = SetNameProblem(setName); !problem.isEmpty()) {
        Shell::errorBox(LibraryMessages::badSetName(setName, problem));
        return false;
    }
    OpenLibrary();
    OpenSet(setName);
    int at = indexOfSongLine(line, index);
    if (at < 0)
        at = indexOfSongTitle(SongTitle(line), Qt::CaseInsensitive, Match::First);
    if (at < 0) {
        // Gone from the set since the user saw it: renaming must not bring it back.
        Shell::errorBox(LibraryMessages::songNotInSet(SongTitle(line), setName));
        return false;
    }
    const QString renamed = SongLine(newTitle, SongPath(songs_.at(at)));
    if (songs_.at(at) == renamed)
        return true;  // a cancelled rename: nothing to write
    songs_[at] = renamed;
    songLinesEdited();
    return SaveCurrentSet();
}

bool LibraryStore::DoesSetExist(const QString &name) const { return indexOfSet(name) >= 0; }

bool LibraryStore::DoesSongExist(const QString &path, const QString &setName)
{
    OpenSet(setName);
    for (const QString &line : std::as_const(songs_)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equalUpperAscii(QStringView(line).sliced(equals + 1), path))
            return true;
    }
    return false;
}
