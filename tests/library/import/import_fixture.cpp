#include "import_fixture.h"

#include "library/import/folder_import.h"
#include "library/import/folder_search.h"
#include "tools/files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTest>

namespace importtest {

void touch(const QString &root, const QString &relative, const QByteArray &bytes)
{
    putFile(root + u'/' + relative, bytes);
}

QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        files.insert(entry.fileName(), entry.isDir() ? QByteArray("<folder>") : fileOrMissing(entry.filePath()));
    return files;
}

void importOneByOne(LibraryStore &store, const QStringList &found)
{
    if (found.isEmpty())
        return;
    for (const QString &file : found) {
        const QString set = import::SetNameOfFile(file);
        if (!store.DoesSetExist(set) && !store.AddSet(set, -1))
            return;
        if (!store.DoesSongExist(file, set) && !store.AddSong(file, set))
            return;
    }
    QSet<QString> removed;
    for (const QString &file : found) {
        const QString set = import::SetNameOfFile(file);
        store.OpenSet(set);
        if (store.songs().isEmpty() && !removed.contains(set)) {
            removed.insert(set);
            store.RemoveSet(set);
        }
    }
    store.SaveLibrary();
}

void importFolderOneByOne(LibraryStore &store, const QString &folder, bool recursive)
{
    QStringList found;
    store.OpenLibrary();
    import::SearchForFiles(folder, QStringLiteral("*.*"), recursive, found);
    importOneByOne(store, found);
}

}  // namespace importtest
