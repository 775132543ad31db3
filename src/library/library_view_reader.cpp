#include "library/library_view_reader.h"

#include "library/store/library_store.h"
#include "library/store/library_text.h"

namespace library {

namespace {

QStringList Titles(const QStringList &lines)
{
    QStringList titles;
    titles.reserve(lines.size());
    for (const QString &line : lines)
        titles.append(SongTitle(line));
    return titles;
}

}  // namespace

LibraryViewContents ReadLibraryView(const LibraryStore &store)
{
    LibraryViewContents contents;
    const QString libraryPath = store.LibraryFilePath();
    const LibraryTextRead library = ReadLibraryText(libraryPath);
    // No library file yet (a first start, a fresh folder) is an empty library, not a failure: the store
    // creates the file with the first set.
    if (library.status == LibraryTextRead::Status::Missing)
        return contents;
    if (!library.ok()) {
        contents.failedFiles.append(libraryPath);
        return contents;
    }

    const QString folder = store.libraryFolder();
    const QString extension = QString::fromUtf16(kSetFileExtension);
    contents.sets.reserve(library.lines.size());
    for (const QString &name : library.lines) {
        LibraryViewSet set;
        set.name = name;
        // The file of the exact name is the common case and costs one open; the store's own search (the
        // spelling of the set list, other letter cases) only runs for sets without one.
        QString path = name.contains(u'/') ? QString() : folder + name + extension;
        LibraryTextRead read;
        if (!path.isEmpty())
            read = ReadLibraryText(path);
        if (read.status == LibraryTextRead::Status::Missing) {
            const QString found = store.SetFilePath(name);
            if (!found.isEmpty() && found != path) {
                path = found;
                read = ReadLibraryText(path);
            }
        }
        if (read.ok())
            set.titles = Titles(read.lines);
        else if (read.status == LibraryTextRead::Status::Unreadable)
            contents.failedFiles.append(path);
        contents.sets.append(std::move(set));
    }
    return contents;
}

QString LibraryViewFailureText(const QString &libraryFilePath)
{
    return QStringLiteral("Couldn't open file: ") + libraryFilePath + QChar(u'\r') +
        QStringLiteral("OR one of the *.set files.");
}

}  // namespace library
