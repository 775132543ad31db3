// The library file "setlib.dat" and a set file with arbitrary contents, read by the store and edited.
// - The lines of any file, written out by the store's encoder and split again, are the same lines.
// - OpenLibrary lists exactly the lines of "setlib.dat" and loads the first set's file line for line.
// - Adding a song to the first set, or adding a set, leaves every line that was there unchanged on disk and
//   adds the one new line at the end.

#include "fuzz_support.h"

#include "library/store/library_paths.h"
#include "library/store/library_store.h"
#include "library/store/library_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>

#include <cstdint>

namespace {

QByteArray bytes(const std::string &s) { return QByteArray(s.data(), qsizetype(s.size())); }

void checkRoundTrip(const QByteArray &file)
{
    const QStringList lines = SplitLibraryText(file);
    const QStringList again = SplitLibraryText(EncodeLibraryText(lines));
    FUZZ_CHECK(again == lines,
               QStringLiteral("lines change when written and read again: ") + fuzz::shown(file) +
                   QStringLiteral(" -> ") + fuzz::shown(EncodeLibraryText(lines)));
}

QStringList onDisk(const QString &path)
{
    const LibraryTextRead read = ReadLibraryText(path);
    FUZZ_CHECK(read.ok(), path + QStringLiteral(": ") + read.reason);
    return read.lines;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QByteArray library = bytes(in.ConsumeRandomLengthString(1024));
    const std::string newSetBytes = in.ConsumeRandomLengthString(40);
    const QString newSet = QString::fromUtf8(newSetBytes.data(), qsizetype(newSetBytes.size()));
    const QByteArray set = bytes(in.ConsumeRemainingBytesAsString());

    checkRoundTrip(library);
    checkRoundTrip(set);

    fuzz::clearScratch();
    const QString folder = fuzz::scratchPath(QStringLiteral("library"));
    FUZZ_CHECK(QDir().mkpath(folder), folder);
    LibraryStore store;
    store.setLibraryFolder(folder);
    FUZZ_CHECK(fuzz::writeFile(store.LibraryFilePath(), library), store.LibraryFilePath());

    const QStringList names = SplitLibraryText(library);
    const QString first = names.value(0);
    const bool firstUsable = !names.isEmpty() && SetNameProblem(first).isEmpty();
    const QString setPath = firstUsable ? store.SetFilePath(first) : QString();
    if (!setPath.isEmpty())
        FUZZ_CHECK(fuzz::writeFile(setPath, set), setPath);

    FUZZ_CHECK(store.OpenLibrary(), store.LibraryFilePath());
    FUZZ_CHECK(store.setNames() == names, fuzz::shown(library));
    if (!setPath.isEmpty()) {
        FUZZ_CHECK(store.hasCurrentSet(), first);
        FUZZ_CHECK(store.songs() == SplitLibraryText(set), fuzz::shown(set));

        const QStringList before = store.songs();
        const QString song = QStringLiteral("/music/fuzz/Fuzz Song.mp3");
        FUZZ_CHECK(store.AddSong(song, first), fuzz::shown(first) + QStringLiteral(": ") + fuzz::lastMessageText());
        const QStringList after = onDisk(setPath);
        FUZZ_CHECK(after.size() == before.size() + 1 && after.mid(0, before.size()) == before &&
                       SongPath(after.last()) == song,
                   QStringLiteral("set file after adding a song: ") + fuzz::shown(fuzz::readFile(setPath)));
    }

    if (SetNameProblem(newSet).isEmpty() && store.AddSet(newSet, -1)) {
        const QStringList after = onDisk(store.LibraryFilePath());
        FUZZ_CHECK(after == names + QStringList{newSet},
                   QStringLiteral("library file after adding ") + fuzz::shown(newSet) + QStringLiteral(": ") +
                       fuzz::shown(fuzz::readFile(store.LibraryFilePath())));
    }
    return 0;
}
