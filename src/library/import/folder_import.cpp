#include "library/import/folder_import.h"

#include "library/store/library_messages.h"
#include "library/store/library_paths.h"
#include "library/store/library_store.h"
#include "library/store/library_text.h"
#include "platform/profile/atomic_file.h"
#include "platform/shell/shell.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>
#include <vector>

namespace import {

namespace {

// Paths in a set are compared as the store compares them: only the letters a-z ignore case.
QString upperAscii(QStringView path)
{
    QString upper = path.toString();
    for (QChar &c : upper) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 0x20);
    }
    return upper;
}

int indexOfName(const QStringList &names, const QString &name)
{
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

class Importer {
public:
    Importer(LibraryStore &store, const ImportOptions &options, bool libraryRead)
        : store_(store), options_(options), folder_(store.libraryFolder()), libraryRead_(libraryRead)
    {
        if (libraryRead_)
            sets_ = store_.setNames();
    }

    ImportResult run(const QStringList &found)
    {
        const qsizetype total = found.size();
        for (qsizetype k = 0; k < total; ++k) {
            if (!handle(found.at(k)))
                return finish(ImportEnd::Failed);
            ++result_.handled;
            const qsizetype handled = k + 1;
            if (handled < total && options_.progress && options_.progressEvery > 0 &&
                handled % options_.progressEvery == 0 && !options_.progress(handled, total)) {
                return finish(commit() ? ImportEnd::Cancelled : ImportEnd::Failed);
            }
            if (options_.commitEvery > 0 && handled % options_.commitEvery == 0 && handled < total && !commit())
                return finish(ImportEnd::Failed);
        }
        if (!commit())
            return finish(ImportEnd::Failed);
        if (options_.progress)
            options_.progress(total, total);
        return finish(ImportEnd::Done);
    }

private:
    // A set file as the one-by-one operations would find it now.
    struct SetFile {
        QStringList lines;
        QSet<QString> paths;         // upperAscii of each line's path
        qsizetype firstChange = -1;  // order of its first write since the last commit; -1: unchanged
    };

    ImportResult finish(ImportEnd end)
    {
        result_.end = end;
        return result_;
    }

    bool handle(const QString &path)
    {
        const QString setName = SetNameOfFile(path);
        SetFile *file = libraryRead_ ? plannedSetFile(setName, path) : nullptr;
        if (file == nullptr)
            return oneByOne(path, setName);

        if (indexOfName(sets_, setName) < 0) {
            sets_.append(setName);
            if (setsFirstChange_ < 0)
                setsFirstChange_ = changes_++;
        }
        QString upper = upperAscii(path);
        if (!file->paths.contains(upper)) {
            file->lines.append(SongLine(TitleFromFilePath(path), path));
            file->paths.insert(std::move(upper));
            if (file->firstChange < 0)
                file->firstChange = changes_++;
            ++result_.added;
        }
        return true;
    }

    // The set file a song of `setName` goes to, loaded; null when the in-memory plan cannot take the song.
    SetFile *plannedSetFile(const QString &setName, const QString &path)
    {
        if (path.contains(u'\r') || path.contains(u'\n'))
            return nullptr;
        auto named = goodNames_.find(setName);
        if (named == goodNames_.end())
            named = goodNames_.insert(setName, SetNameProblem(setName).isEmpty());
        if (!named.value())
            return nullptr;

        const QString name = fileNameOf(setName);
        auto loaded = files_.find(name);
        if (loaded == files_.end()) {
            LibraryTextRead read = ReadLibraryText(folder_ + name);
            if (read.status == LibraryTextRead::Status::Unreadable)
                return nullptr;  // the store refuses to replace it; let it say so
            SetFile file;
            file.lines = std::move(read.lines);
            for (const QString &line : std::as_const(file.lines))
                file.paths.insert(upperAscii(QStringView(line).sliced(line.indexOf(u'=') + 1)));
            loaded = files_.insert(name, std::move(file));
        }
        return &loaded.value();
    }

    // The file name of a set's file, found the way the store finds it: under the spelling of its entry in
    // the set list, else under the exact name, else under any spelling of the name in the library folder.
    QString fileNameOf(const QString &setName)
    {
        if (const auto known = fileNames_.constFind(setName); known != fileNames_.constEnd())
            return known.value();
        const QString extension = QString::fromUtf16(kSetFileExtension);
        const int listed = indexOfName(sets_, setName);
        const QString preferred = (listed >= 0 ? sets_.at(listed) : setName) + extension;
        const QString exact = setName + extension;
        QString name = preferred;
        if (!exists(preferred)) {
            if (exact != preferred && exists(exact)) {
                name = exact;
            } else if (const QString other = anySpelling(preferred); !other.isEmpty()) {
                name = other;
            }
        }
        fileNames_.insert(setName, name);
        return name;
    }

    bool exists(const QString &name) const
    {
        // A set file that a commit will create counts as there already, as it would be one by one.
        const auto planned = files_.constFind(name);
        if (planned != files_.constEnd() && planned->firstChange >= 0)
            return true;
        return QFileInfo::exists(folder_ + name);
    }

    QString anySpelling(const QString &name)
    {
        if (!listing_) {
            listing_.emplace();
            QDirIterator entries(folder_, QDir::Files | QDir::Hidden | QDir::System);
            while (entries.hasNext()) {
                entries.next();
                listing_->append(entries.fileName());
            }
        }
        for (const QString &found : std::as_const(*listing_)) {
            if (found.size() == name.size() && found.compare(name, Qt::CaseInsensitive) == 0)
                return found;
        }
        return {};
    }

    // Writes every file changed since the last commit, in the order of their first changes.
    bool commit()
    {
        struct Write {
            qsizetype order;
            QString name;  // empty: the library file
        };
        std::vector<Write> writes;
        if (setsFirstChange_ >= 0)
            writes.push_back({setsFirstChange_, QString()});
        for (auto it = files_.cbegin(); it != files_.cend(); ++it) {
            if (it->firstChange >= 0)
                writes.push_back({it->firstChange, it.key()});
        }
        std::sort(writes.begin(), writes.end(), [](const Write &a, const Write &b) { return a.order < b.order; });

        for (const Write &write : writes) {
            const bool library = write.name.isEmpty();
            const QString path = library ? store_.LibraryFilePath() : folder_ + write.name;
            const QByteArray bytes = EncodeLibraryText(library ? sets_ : files_.value(write.name).lines);
            if (const QString error = writeFileAtomically(path, bytes); !error.isEmpty()) {
                Shell::errorBox(LibraryMessages::notSaved(
                    error, library ? LibraryMessages::What::SetList : LibraryMessages::What::SongList));
                resync();
                return false;
            }
            ++result_.filesWritten;
            result_.changed = true;
            if (library) {
                setsFirstChange_ = -1;
            } else {
                files_[write.name].firstChange = -1;
            }
        }
        setsFirstChange_ = -1;
        changes_ = 0;
        return true;
    }

    // Hands one file to the store's own operations, after committing what came before.
    bool oneByOne(const QString &path, const QString &setName)
    {
        if (!commit())
            return false;
        // The store's lists must be the files on disk, as they are after each of its operations.
        if (libraryRead_)
            store_.OpenLibrary();
        bool ok = true;
        if (!store_.DoesSetExist(setName)) {
            ok = store_.AddSet(setName, -1);
            result_.changed = result_.changed || ok;
        }
        if (ok && !store_.DoesSongExist(path, setName)) {
            ok = store_.AddSong(path, setName);
            if (ok)
                ++result_.added;
            result_.changed = result_.changed || ok;
        }
        if (!ok)
            return false;
        libraryRead_ = true;
        sets_ = store_.setNames();
        files_.clear();
        fileNames_.clear();
        listing_.reset();
        return true;
    }

    // After a failed write: the store's working copy shows the files as they are on disk.
    void resync()
    {
        if (libraryRead_)
            store_.OpenLibrary();
    }

    LibraryStore &store_;
    const ImportOptions &options_;
    const QString folder_;
    bool libraryRead_;
    QStringList sets_;                    // the set list with the sets added so far
    qsizetype setsFirstChange_ = -1;      // as SetFile::firstChange, for the library file
    qsizetype changes_ = 0;               // counts first changes since the last commit
    QHash<QString, SetFile> files_;       // set files loaded, by file name
    QHash<QString, QString> fileNames_;   // set name -> its file's name
    QHash<QString, bool> goodNames_;      // set name -> whether it can be a set's name
    std::optional<QStringList> listing_;  // the library folder's files, read when first needed
    ImportResult result_;
};

}  // namespace

QString SetNameOfFile(const QString &path)
{
    const QString folder = StripLastBackSlash(path.left(RPos(QStringLiteral("/"), path)));
    return folder.mid(RPos(QStringLiteral("/"), folder));
}

ImportResult AddFoundFiles(LibraryStore &store, const QStringList &found, bool libraryRead,
                           const ImportOptions &options)
{
    Importer importer(store, options, libraryRead);
    return importer.run(found);
}

FolderImportResult ImportFolder(LibraryStore &store, const QString &folder, bool recursive, QStringList &searchResult,
                                const ImportOptions &options, const SearchProgress &searchProgress)
{
    FolderImportResult result;
    searchResult.clear();
    const bool libraryRead = store.OpenLibrary();
    if (!SearchForFiles(folder, QStringLiteral("*.*"), recursive, searchResult, searchProgress)) {
        result.end = ImportEnd::Cancelled;
        return result;
    }
    if (searchResult.isEmpty()) {
        result.end = ImportEnd::NothingFound;
        return result;
    }
    result.firstSet = SetNameOfFile(searchResult.constFirst());

    static_cast<ImportResult &>(result) = AddFoundFiles(store, searchResult, libraryRead, options);
    if (result.end == ImportEnd::Failed || result.handled == 0)
        return result;

    // Sets that ended up without songs go (only a set whose file could not be read back can). The store's
    // lists are brought up to the files on disk first, as they stand after each of its own operations.
    store.OpenLibrary();
    QSet<QString> checked;
    for (qsizetype k = 0; k < result.handled; ++k) {
        const QString setName = SetNameOfFile(searchResult.at(k));
        if (checked.contains(setName))
            continue;
        checked.insert(setName);
        store.OpenSet(setName);
        if (store.songs().isEmpty())
            store.RemoveSet(setName);
    }
    if (!store.SaveLibrary())
        result.end = ImportEnd::Failed;
    return result;
}

QString NothingFoundText(const QString &folder) { return QStringLiteral("No MP3 files found in folder: ") + folder; }

}  // namespace import
