#pragma once
// The song library's working copy and every operation on the library files, without any window.
//
// The library lives in one folder: "setlib.dat" lists the set names in library order, and each set has a file
// named after it with ".set" appended, holding one "title=path" line per song (format in LibraryText.h).
// The working copy is two ordered lists: the set names, and the raw song lines of one set (the current set,
// whose bare file name is kept). The library manager window shows these two lists; the tree, the menu, the
// navigation and the folder import reach the library through the operations below.
//
// Every operation that changes the library first re-reads the files (OpenLibrary), changes the working copy
// and writes the changed file back at once, replacing it atomically. Because of the re-read, an edit of the
// working copy that was never saved is dropped by the next changing operation.
//
// When a file cannot be written (read-only folder, full disk, ...), the user is told which file, the change
// stays in the working copy, and the list is marked unsaved (isLibraryUnsaved / isCurrentSetUnsaved) until a
// later save succeeds or the list is re-read: nothing the user did is thrown away without a word, and the
// library on disk keeps its last complete state. A library or set file that exists but cannot be read is
// never replaced by what the working copy holds instead, which would lose its contents.
//
// The working copy belongs to the library folder it was read from. When the folder setting has changed since
// (the library-folder dialog, a re-read configuration), a save or move does not write that copy into the new
// folder, over a library that is not its own: the copy is re-read from the new folder instead and nothing is
// written.
//
// Set names are compared ignoring letter case wherever one is looked up. A set's file is found under the
// spelling of its entry in the set list, or under the exact name, or else under any spelling of the name
// (libraries copied from systems whose file names ignore case). Names that cannot be file names are refused
// when a set is created or renamed (SetNameProblem in LibraryPaths.h).
//
// Messages go through the shell seam (Shell::errorBox). Only the user-interface thread may use a store.
// The change signals are sent once at the end of each public call that changed something; the selection
// setters, which follow the user's clicks in the views, send none.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class LibraryStore : public QObject {
    Q_OBJECT
public:
    explicit LibraryStore(QObject *parent = nullptr);

    // The library folder, exactly as the user entered it (with or without a trailing "/"). The source is asked
    // before every operation, so a changed setting takes effect at the next one. An empty folder means the
    // program's folder.
    void setLibraryFolderSource(std::function<QString()> source);
    void setLibraryFolder(const QString &folder);
    QString libraryFolder() const;  // with a trailing "/"

    QString LibraryFilePath() const;                    // full path of "setlib.dat"
    QString SetFilePath(const QString &setName) const;  // full path of a set's file; empty when the name has a "/"

    // --- Working copy ---
    const QStringList &setNames() const { return sets_; }
    const QStringList &songs() const { return songs_; }  // raw "title=path" lines of the current set
    int selectedSet() const { return selectedSet_; }     // -1 for none
    int focusedSong() const { return focusedSong_; }     // caret line of the song list, -1 when it is empty
    const QList<int> &selectedSongs() const { return selectedSongs_; }  // ascending
    QString currentSetFileName() const { return currentSetFile_; }      // bare file name; empty: no current set
    bool hasCurrentSet() const { return !currentSetFile_.isEmpty(); }
    bool isLibraryUnsaved() const { return libraryUnsaved_; }
    bool isCurrentSetUnsaved() const { return songsUnsaved_; }

    void setSelectedSet(int index);                    // -1 or an index of the set list; anything else is ignored
    void setFocusedSong(int index);                    // an index of the song list; anything else is ignored
    void setSelectedSongs(const QList<int> &indexes);  // indexes outside the song list are dropped

    enum class Match { First, Last };
    int indexOfSet(const QString &name) const;  // first entry equal ignoring case; -1 if none
    int indexOfSongTitle(const QString &title, Qt::CaseSensitivity cs, Match which) const;

    // --- Library operations ---
    // Those returning bool give false when the operation was refused or a file could not be written, deleted
    // or renamed (the user has been told); true otherwise, also when there was nothing to change.

    // Reloads the set list from "setlib.dat", selects the first set and loads its songs. False when the
    // library file could not be read (told to the user); the lists are then empty and there is no current set.
    // With MissingLibrary::TellOnce a library file that does not exist is reported only if that has not been
    // told since the library was last read: for reads that repeat on their own, such as the random choice at
    // every end of a song.
    enum class MissingLibrary { Tell, TellOnce };
    bool OpenLibrary(MissingLibrary missing = MissingLibrary::Tell);
    // Loads a set's songs, selects its entry (if listed) and makes it the current set.
    void OpenSet(const QString &name);
    bool SaveLibrary();
    bool SaveCurrentSet();  // writes nothing when there is no current set

    // Inserts a set name at position (negative or past the end: appended) and saves the library file; the new
    // set then is the current set (with the songs of a file of that name, if one exists already). No set file
    // is created here.
    bool AddSet(const QString &name, int position);
    bool RemoveSet(const QString &name);
    bool RenameSet(const QString &oldName, const QString &newName);
    bool AddSong(const QString &path, const QString &setName);
    // AddSong for each path in order, with the same files and messages as those calls one after another (they
    // stop at the first that fails), but the set file is read once and written once. `progress`, when given,
    // is called after each song line is prepared with the number prepared and the number to add; false from it
    // cancels the add before anything is read or written (AddSongs then returns false, without a message).
    using AddProgress = std::function<bool(qsizetype prepared, qsizetype total)>;
    bool AddSongs(const QStringList &paths, const QString &setName, const AddProgress &progress = {});
    bool RemoveSong(const QString &title, const QString &setName);
    bool RenameSong(const QString &oldTitle, const QString &newTitle, const QString &setName, const QString &path);
    // The library manager's variants for the line the user pointed at, so that a song whose title repeats in
    // the set is told apart from the others: after the reload the entry is `line` at `index` if it still
    // stands there, else the first entry equal to `line`, else the first entry of the same title (as
    // RemoveSong and RenameSong find it). The renamed entry keeps its own path. A song that is no longer in
    // the set is not renamed (the user is told); RenameSong without a path refuses such a song the same way
    // rather than add a line without a file.
    bool RemoveSongLine(const QString &line, int index, const QString &setName);
    bool RenameSongLine(const QString &line, int index, const QString &newTitle, const QString &setName);
    bool DoesSetExist(const QString &name) const;                     // from the set list as it stands, no reload
    bool DoesSongExist(const QString &path, const QString &setName);  // loads the set (OpenSet)

    // The library manager's move buttons: move the selected set or the focused song one place and save the
    // list as it stands, without re-reading. Nothing happens at the ends or without a selection.
    bool MoveSetUp();
    bool MoveSetDown();
    bool MoveSongUp();
    bool MoveSongDown();

Q_SIGNALS:
    void setListChanged();   // set names or the selected set
    void songListChanged();  // song lines, current set, focused or selected songs
    void unsavedChanged();   // isLibraryUnsaved or isCurrentSetUnsaved

private:
    // Collects the change signals of one public call, nested calls included, and sends them at its end.
    class Batch {
    public:
        explicit Batch(LibraryStore *store) : store_(store) { ++store_->batchDepth_; }
        ~Batch() { store_->endBatch(); }
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        LibraryStore *store_;
    };

    void endBatch();

    QString folderPath() const;
    bool followFolder();
    QString setFileName(const QString &folder, const QString &name) const;
    void loadSongs(const QString &folder, const QString &name);
    void clearSongs();
    void songLinesEdited();
    int indexOfSongLine(const QString &line, int index) const;  // see RemoveSongLine; -1 if none
    bool moveSet(int from, int to);
    bool moveSong(int from, int to);
    void setUnsaved(bool &flag, bool value);
    void touchSets() { setsTouched_ = true; }
    void touchSongs() { songsTouched_ = true; }

    std::function<QString()> folderSource_;
    QStringList sets_;
    QStringList songs_;
    int selectedSet_ = -1;
    int focusedSong_ = -1;
    QList<int> selectedSongs_;
    QString currentSetFile_;
    QString readFolder_;                 // the folder the working copy was read from; empty before the first read
    bool missingTold_ = false;           // a missing library file was reported and has not been read since
    bool libraryUnreadable_ = false;     // "setlib.dat" exists but could not be read: never overwrite it
    bool currentSetUnreadable_ = false;  // the same for the current set's file
    bool libraryUnsaved_ = false;
    bool songsUnsaved_ = false;

    int batchDepth_ = 0;
    bool setsTouched_ = false;
    bool songsTouched_ = false;
    bool unsavedTouched_ = false;
};
