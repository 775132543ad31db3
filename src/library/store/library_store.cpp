// The working copy, the library folder, finding set files, and reading and writing the two kinds of file.
// The operations that change the library are in LibraryOperations.cpp.

#include "library/store/library_store.h"

#include "library/store/library_messages.h"
#include "library/store/library_paths.h"
#include "library/store/library_text.h"
#include "platform/profile/atomic_file.h"
#include "platform/shell/shell.h"
#include "config/locations.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>
#include <utility>

LibraryStore::LibraryStore(QObject *parent) : QObject(parent) { }

void LibraryStore::endBatch()
{
    if (--batchDepth_ > 0)
        return;
    // Clear the flags before sending: a receiver may call back into the store.
    const bool sets = std::exchange(setsTouched_, false);
    const bool songs = std::exchange(songsTouched_, false);
    const bool unsaved = std::exchange(unsavedTouched_, false);
    if (sets)
        Q_EMIT setListChanged();
    if (songs)
        Q_EMIT songListChanged();
    if (unsaved)
        Q_EMIT unsavedChanged();
}

// --- Library folder and file names ---

void LibraryStore::setLibraryFolderSource(std::function<QString()> source) { folderSource_ = std::move(source); }

void LibraryStore::setLibraryFolder(const QString &folder)
{
    folderSource_ = [folder] { return folder; };
}

QString LibraryStore::libraryFolder() const { return folderPath(); }

QString LibraryStore::folderPath() const
{
    QString folder = folderSource_ ? folderSource_() : QString();
    if (folder.isEmpty()) {
        // Nothing entered: the default library folder, which is also the setting's default. Never the file
        // system's root, which a bare "/" would be.
        folder = defaultLibraryFolder();
    }
    return ForceBackSlash(folder);
}

QString LibraryStore::LibraryFilePath() const { return folderPath() + QString::fromUtf16(kLibraryFileName); }

QString LibraryStore::SetFilePath(const QString &setName) const
{
    const QString folder = folderPath();
    const QString file = setFileName(folder, setName);
    return file.isEmpty() ? QString() : folder + file;
}

QString LibraryStore::setFileName(const QString &folder, const QString &name) const
{
    // A name that would leave the library folder or cut the path short never becomes a path.
    if (name.contains(u'/') || name.contains(QChar(u'\0')))
        return {};
    const QString extension = QString::fromUtf16(kSetFileExtension);

    // The spelling of the set list wins: looking a set up ignores case, its file name does not.
    const int listed = indexOfSet(name);
    const QString preferred = (listed >= 0 ? sets_.at(listed) : name) + extension;
    if (QFileInfo::exists(folder + preferred))
        return preferred;
    const QString exact = name + extension;
    if (exact != preferred && QFileInfo::exists(folder + exact))
        return exact;

    // A file whose name differs only in case, as a library written on a case-insensitive file system may
    // hold. Only reached for sets without a file of the expected name.
    QDirIterator entries(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        entries.next();
        const QString found = entries.fileName();
        if (found.size() == preferred.size() && found.compare(preferred, Qt::CaseInsensitive) == 0)
            return found;
    }
    return preferred;
}

// --- Working copy and selection ---

void LibraryStore::setSelectedSet(int index)
{
    if (index >= -1 && index < sets_.size())
        selectedSet_ = index;
}

void LibraryStore::setFocusedSong(int index)
{
    if (index >= 0 && index < songs_.size())
        focusedSong_ = index;
}

void LibraryStore::setSelectedSongs(const QList<int> &indexes)
{
    QList<int> kept;
    for (const int index : indexes) {
        if (index >= 0 && index < songs_.size())
            kept.append(index);
    }
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    selectedSongs_ = kept;
}

int LibraryStore::indexOfSet(const QString &name) const
{
    for (int i = 0; i < sets_.size(); ++i) {
        if (sets_.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int LibraryStore::indexOfSongTitle(const QString &title, Qt::CaseSensitivity cs, Match which) const
{
    const auto matches = [&](const QString &line) {
        const qsizetype equals = line.indexOf(u'=');
        const QStringView lineTitle = equals < 0 ? QStringView() : QStringView(line).left(equals);
        return lineTitle.compare(title, cs) == 0;
    };
    if (which == Match::First) {
        for (int i = 0; i < songs_.size(); ++i) {
            if (matches(songs_.at(i)))
                return i;
        }
    } else {
        for (int i = static_cast<int>(songs_.size()) - 1; i >= 0; --i) {
            if (matches(songs_.at(i)))
                return i;
        }
    }
    return -1;
}

void LibraryStore::setUnsaved(bool &flag, bool value)
{
    if (flag != value) {
        flag = value;
        unsavedTouched_ = true;
    }
}

void LibraryStore::clearSongs()
{
    songs_.clear();
    currentSetFile_.clear();
    currentSetUnreadable_ = false;
    focusedSong_ = -1;
    selectedSongs_.clear();
    setUnsaved(songsUnsaved_, false);
    touchSongs();
}

void LibraryStore::loadSongs(const QString &folder, const QString &name)
{
    clearSongs();
    currentSetFile_ = setFileName(folder, name);
    if (!currentSetFile_.isEmpty()) {
        // A set without a file is an empty set; other read failures are not reported either, but protect
        // the file from being overwritten with the empty list.
        LibraryTextRead read = ReadLibraryText(folder + currentSetFile_);
        songs_ = std::move(read.lines);
        currentSetUnreadable_ = read.status == LibraryTextRead::Status::Unreadable;
    }
    focusedSong_ = songs_.isEmpty() ? -1 : 0;
}

void LibraryStore::songLinesEdited()
{
    // As in a freshly loaded list: the first line has the focus, nothing is selected.
    focusedSong_ = songs_.isEmpty() ? -1 : 0;
    selectedSongs_.clear();
    touchSongs();
}

// --- Reading and writing ---

bool LibraryStore::followFolder()
{
    const QString folder = folderPath();
    if (!readFolder_.isEmpty() && QDir::cleanPath(readFolder_) == QDir::cleanPath(folder))
        return true;
    OpenLibrary();
    return false;
}

bool LibraryStore::OpenLibrary(MissingLibrary missing)
{
    Batch batch(this);
    sets_.clear();
    selectedSet_ = -1;
    libraryUnreadable_ = false;
    setUnsaved(libraryUnsaved_, false);
    touchSets();
    // Also forget the current set: a later save must not write an empty song list over a set's file.
    clearSongs();

    const QString folder = folderPath();
    readFolder_ = folder;
    const QString path = folder + QString::fromUtf16(kLibraryFileName);
    LibraryTextRead read = ReadLibraryText(path);
    if (!read.ok()) {
        if (read.status == LibraryTextRead::Status::Unreadable) {
            libraryUnreadable_ = true;
            Shell::errorBox(LibraryMessages::libraryUnreadable(path, read.reason));
        } else if (missing == MissingLibrary::Tell || !missingTold_) {
            missingTold_ = true;
            Shell::errorBox(LibraryMessages::libraryMissing(path));
        }
        return false;
    }
    missingTold_ = false;
    sets_ = std::move(read.lines);
    if (!sets_.isEmpty()) {
        selectedSet_ = 0;
        loadSongs(folder, sets_.first());
    }
    return true;
}

void LibraryStore::OpenSet(const QString &name)
{
    Batch batch(this);
    loadSongs(folderPath(), name);
    selectedSet_ = indexOfSet(name);
    touchSets();
}

bool LibraryStore::SaveLibrary()
{
    Batch batch(this);
    if (!followFolder())
        return true;  // nothing of another folder's library is written here
    const QString path = LibraryFilePath();
    if (libraryUnreadable_) {
        Shell::errorBox(LibraryMessages::notReplacingUnreadable(path, LibraryMessages::What::SetList));
        setUnsaved(libraryUnsaved_, true);
        return false;
    }
    if (const QString error = writeFileAtomically(path, EncodeLibraryText(sets_)); !error.isEmpty()) {
        Shell::errorBox(LibraryMessages::notSaved(error, LibraryMessages::What::SetList));
        setUnsaved(libraryUnsaved_, true);
        return false;
    }
    setUnsaved(libraryUnsaved_, false);
    return true;
}

bool LibraryStore::SaveCurrentSet()
{
    Batch batch(this);
    if (!followFolder())
        return true;  // as in SaveLibrary
    if (currentSetFile_.isEmpty())
        return true;
    const QString path = folderPath() + currentSetFile_;
    if (currentSetUnreadable_) {
        Shell::errorBox(LibraryMessages::notReplacingUnreadable(path, LibraryMessages::What::SongList));
        setUnsaved(songsUnsaved_, true);
        return false;
    }
    if (const QString error = writeFileAtomically(path, EncodeLibraryText(songs_)); !error.isEmpty()) {
        Shell::errorBox(LibraryMessages::notSaved(error, LibraryMessages::What::SongList));
        setUnsaved(songsUnsaved_, true);
        return false;
    }
    setUnsaved(songsUnsaved_, false);
    return true;
}

// --- Moves of the library manager ---

bool LibraryStore::moveSet(int from, int to)
{
    Batch batch(this);
    sets_.move(from, to);
    selectedSet_ = to;
    touchSets();
    return SaveLibrary();
}

bool LibraryStore::moveSong(int from, int to)
{
    Batch batch(this);
    songs_.move(from, to);
    focusedSong_ = to;
    selectedSongs_ = {to};
    touchSongs();
    return SaveCurrentSet();
}

bool LibraryStore::MoveSetUp()
{
    if (!followFolder())
        return true;  // the selection was one of another folder's lists
    return selectedSet_ > 0 && selectedSet_ < sets_.size() ? moveSet(selectedSet_, selectedSet_ - 1) : true;
}

bool LibraryStore::MoveSetDown()
{
    if (!followFolder())
        return true;
    return selectedSet_ >= 0 && selectedSet_ + 1 < sets_.size() ? moveSet(selectedSet_, selectedSet_ + 1) : true;
}

bool LibraryStore::MoveSongUp()
{
    if (!followFolder())
        return true;
    return focusedSong_ > 0 && focusedSong_ < songs_.size() ? moveSong(focusedSong_, focusedSong_ - 1) : true;
}

bool LibraryStore::MoveSongDown()
{
    if (!followFolder())
        return true;
    return focusedSong_ >= 0 && focusedSong_ + 1 < songs_.size() ? moveSong(focusedSong_, focusedSong_ + 1) : true;
}
